#include "petals/display_rest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using petals::DisplayRest;

// Each script: a digit is a report of that display state (0 off, 1 on, 2 dimmed), a dot asks
// for the next pass; the answers are P (a pass), R (rest) and S (resume: a whole redraw on a
// new schedule).
TEST(DisplayRest, RestsWhileTheDisplayIsOffAndResumesOnceWithAWholeRedraw) {
    struct Case { const char* name; const char* script; const char* answers; } cases[] = {
        {"on", "1...", "PPP"},
        {"off, then on", ".0..1..", "PRRSP"},
        {"off, then dimmed", ".0.2..", "PRSP"},
        {"dimmed while on", ".2.1.", "PPP"},
        {"dimmed, then off", ".2.0.", "PPR"},
        {"repeated off", ".00.0.1.", "PRRS"},
        {"repeated on", ".0.11.1.", "PRSP"},
        {"off before the first pass", "0..1..", "RRSP"},
        {"off and back between two passes", ".01..", "PSP"},
        {"an unknown state counts as visible", ".0.7.", "PRS"},
    };
    for (const auto& k : cases) {
        DisplayRest rest;
        std::string answers;
        for (const char* c = k.script; *c; ++c) {
            if (*c != '.') {
                rest.Report(static_cast<uint32_t>(*c - '0'));
                continue;
            }
            const DisplayRest::Next next = rest.BeforePass();
            EXPECT_EQ(rest.Resting(), next == DisplayRest::Next::Rest) << k.name;
            answers += next == DisplayRest::Next::Pass ? 'P' : next == DisplayRest::Next::Rest ? 'R' : 'S';
        }
        EXPECT_EQ(answers, k.answers) << k.name;
    }
}

}  // namespace
