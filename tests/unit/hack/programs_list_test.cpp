// The user's XScreenSaver list: Fluttera's entry added and taken out again, every other byte
// kept, and the files that cannot be read safely refused.
#include <gtest/gtest.h>

#include <string>

#include "hack/programs_list.h"

namespace hack {
namespace {

// The shape of XScreenSaver's app-defaults file: its last entry ends the value.
const std::string kSystem =
    "! comment: programs\n*mode:\t\trandom\n*programs:\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n- GL: \t\t\t\tsuperquadrics --root\t\t    \\n\\\n"
    "\t\t\t\tqix --root\t\t\t\t    \\n\n\n*hacks.qix.name: Qix\n";
const std::string kSystemList =
    "programs:\t\t\t\t      \\\n\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "- GL: \t\t\t\tsuperquadrics --root\t\t    \\n\\\n";
const std::string kLastQix = "\t\t\t\tqix --root\t\t\t\t    \\n\n";
// The shape xscreensaver-settings writes: every entry goes on, a blank line ends the list.
const std::string kWritten =
    "# XScreenSaver Preferences File\ntimeout:\t0:11:00\nmode:\t\tone\nselected:\t1\n\nprograms:\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n-\t\t\t\tflutteraish --root\t\t    \\n\\\n";
const std::string kAfter = "\n\npointerHysteresis:  10\n";
const std::string kEntry = kFlutteraEntry;
const std::string kLastEntry = "\t\t\t\tfluttera --root\t\t\t\t    \\n\n";

// The comment add writes before a list it copies (its hash is checked by taking it out).
const std::string kMark = "MARK\n";

// `expected` with kMark standing for add's comment line in `text`, when there is one.
std::string WithMark(std::string expected, const std::string& text) {
    const size_t at = expected.find(kMark), line = text.find("# fluttera-xscreensaver add copied");
    if (at != std::string::npos && line != std::string::npos)
        expected.replace(at, kMark.size(), text.substr(line, text.find('\n', line) + 1 - line));
    return expected;
}

TEST(ProgramsList, AddsOneEntryKeepsEveryOtherByteAndRemovesItAgain) {
    struct Case {
        const char* what;
        std::string before, after;  // after empty: unchanged
        int number;
        bool exact = true;  // taking the entry out gives `before` back byte for byte
        bool disabled = false;
    };
    const Case cases[] = {
        {"no file: the system's list", "", kMark + kSystemList + kEntry + kLastQix, 3},
        {"as the settings wrote it", kWritten + kAfter, kWritten + kEntry + kAfter, 3},
        {"the list ends at the end of the file", kWritten, kWritten + kEntry, 3},
        {"no list: the system's added", "; by hand\ntimeout:\t0:05:00\n",
         "; by hand\ntimeout:\t0:05:00\n\n" + kMark + kSystemList + kEntry + kLastQix, 3},
        {"no list, no last newline", "lock: True", "lock: True\n\n" + kMark + kSystemList + kEntry + kLastQix, 3, false},
        {"one line, the name in capitals", "Programs:\tmaze --root\t\\n\n", "Programs:\tmaze --root\t\\n\\\n" + kLastEntry, 2},
        {"one line without \\n", "programs: maze --root\n", "programs: maze --root\\n\\\n" + kLastEntry, 2, false},
        {"empty list", "programs:\n", "programs:\\\n" + kLastEntry, 1},
        {"listed already", kWritten + kEntry + kAfter, "", 3},
        {"listed and disabled", "programs:\t\\\n- fluttera --count 9 \\n\\\n\n", "", 1, true, true},
        {"listed enabled after disabled", "programs:\t\\\n-fluttera\\n\\\n maze\\n\\\n fluttera\\n\n", "", 3},
        {"listed after a visual", "programs:\t\\\n  maze \\n\\\n  GL:fluttera -root\\n\n", "", 2},
        {"listed by path with a name", "programs:\t\\\n  \"Petals\" /opt/fluttera --root\\n\n", "", 1},
    };
    for (const Case& c : cases) {
        const ListEdit add = AddFluttera(c.before, kSystem);
        EXPECT_EQ(add.outcome, c.after.empty() ? ListOutcome::Unchanged : ListOutcome::Changed) << c.what;
        EXPECT_EQ(add.text, WithMark(c.after, add.text)) << c.what;
        EXPECT_EQ(add.number, c.number) << c.what;
        EXPECT_EQ(add.disabled, c.disabled) << c.what;
        if (c.after.empty()) continue;
        EXPECT_EQ(AddFluttera(add.text, kSystem).outcome, ListOutcome::Unchanged) << c.what;
        const ListEdit removed = RemoveFluttera(add.text, kSystem);
        EXPECT_EQ(removed.outcome, ListOutcome::Changed) << c.what;
        EXPECT_EQ(removed.removeFile, c.before.empty()) << c.what;
        EXPECT_EQ(removed.left, "") << c.what;
        if (c.exact && !c.before.empty()) {
            EXPECT_EQ(removed.text, c.before) << c.what;
        }
        EXPECT_EQ(AddFluttera(removed.text, kSystem).text, add.text) << c.what;
        EXPECT_EQ(RemoveFluttera(c.before, kSystem).outcome, ListOutcome::Unchanged) << c.what;
    }
}

// Only what add wrote goes, and what stays is named.
TEST(ProgramsList, RemoveTakesOutOnlyWhatAddWrote) {
    const std::string copied = AddFluttera("", kSystem).text;
    const std::string mark = copied.substr(0, copied.find('\n') + 1);
    const std::string handMade = "- /home/me/src/fluttera --count 900 --root \\n\\\n";
    // XScreenSaver upgraded since the list was copied: another system list.
    const std::string newer = "*programs: \\\n  maze --root \\n\n";
    struct Case {
        const char* what;
        std::string user, system, after;  // after empty: unchanged
        bool keepsSomething;  // `left` names what stays
    };
    const Case cases[] = {
        {"a hand-made entry beside add's", "programs:\t\\\n" + handMade + kEntry + "  maze \\n\n", kSystem,
         "programs:\t\\\n" + handMade + "  maze \\n\n", true},
        {"only a hand-made one", "programs:\t\\\n" + handMade + "  GL: fluttera --root \\n\n", kSystem, "", true},
        {"add's entry, disabled by the settings", "programs:\t\\\n-" + kEntry + "  maze \\n\n", kSystem,
         "programs:\t\\\n  maze \\n\n", false},
        {"the copied list after an upgrade", copied, newer, "", false},
        {"the copied list changed since", mark + kSystemList + "  qix -fast \\n\\\n" + kEntry + kLastQix, kSystem,
         mark + kSystemList + "  qix -fast \\n\\\n" + kLastQix, true},
        {"an earlier add's copy, without the mark", "a: b\n\n" + kSystemList + kEntry + kLastQix, kSystem, "a: b\n", false},
    };
    for (const Case& c : cases) {
        const ListEdit removed = RemoveFluttera(c.user, c.system);
        EXPECT_EQ(removed.outcome, c.after.empty() && !removed.removeFile ? ListOutcome::Unchanged : ListOutcome::Changed)
            << c.what;
        EXPECT_EQ(removed.text, c.after) << c.what;
        EXPECT_EQ(removed.left.empty(), !c.keepsSomething) << c.what << ": " << removed.left;
    }
}

TEST(ProgramsList, RefusesWhatItCannotReadAndChangesNothing) {
    struct Case { const char* what; std::string user, system; bool add, remove; };
    const Case cases[] = {
        {"not a resource file", "<html>\n" + kWritten + kAfter, kSystem, true, true},
        {"two lists, in any case", kWritten + kAfter + "PROGRAMS: qix\n", kSystem, true, true},
        {"a NUL byte", kWritten + std::string("\0\n", 2) + kAfter, kSystem, true, true},
        {"the last entry wrapped", "programs:\t\\\n  maze --root \\\n  -fast \\n\n", kSystem, true, false},
        {"no list here nor in the defaults", "timeout: 0:05:00\n", "*mode: one\n", true, false},
        {"the entry shares the first line", "programs: fluttera --root \\n\\\n  maze \\n\n", kSystem, false, true},
    };
    for (const Case& c : cases) {
        const ListEdit add = AddFluttera(c.user, c.system), removed = RemoveFluttera(c.user, c.system);
        EXPECT_EQ(add.outcome == ListOutcome::Refused, c.add) << c.what;
        EXPECT_EQ(removed.outcome == ListOutcome::Refused, c.remove) << c.what;
        for (const ListEdit* e : {&add, &removed}) {
            if (e->outcome != ListOutcome::Refused) continue;
            EXPECT_TRUE(e->text.empty()) << c.what;
            EXPECT_FALSE(e->message.empty()) << c.what;
        }
    }
}

}  // namespace
}  // namespace hack
