// What the benchmark build of the saver measures and writes beside the program at its
// exit (pass_stats.txt): the pass count and time on the first line, then the time from
// the process's start to the first presented pass and what the passes presented. Its
// environment picks the presentation to compare (FLUTTERA_PRESENT = rects, region or
// whole, sent on as one box; else the saver's groups, FLUTTERA_GROUP_COST; FLUTTERA_RECT_COST), whether it keeps the pace (FLUTTERA_PACED=1), and after how
// many passes it tells itself the display went off (FLUTTERA_DISPLAY_OFF_AFTER, none by default).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "petals/compositor.h"
#include "region_present_win32.h"
#include "saver/present_groups.h"
#include "saver/saver_window_win32.h"

namespace bench {

class PassStats final : public saver::PassWatcher {
public:
    // A named point of the start, in ms since the process was created (a few at most).
    void Mark(const char* name) override;
    bool Starting(petals::Compositor& compositor) override;
    bool Present(HDC to, HDC from, const std::vector<petals::PixelRect>& rects) override;
    // After each pass, with what it presented.
    void Passed(petals::Compositor& compositor, const std::vector<petals::PixelRect>& presented) override;
    void Ending(std::size_t rows) override;

private:
    petals::Compositor* compositor_ = nullptr;
    RegionPresenter region_;
    saver::PresentGroups grouped_;
    int64_t groupCost_ = saver::kGroupCost;
    const char* mode_ = "rects";
    bool whole_ = false, regionMode_ = false, rectsMode_ = false, paced_ = false;
    unsigned long passes_ = 0;
    unsigned long offAfter_ = 0;  // FLUTTERA_DISPLAY_OFF_AFTER: the display goes off after this pass
    DWORD firstPass_ = 0;
    double firstPassMs_ = -1;
    struct Point { const char* name; double ms; };
    Point marks_[8] = {};
    int markCount_ = 0;
    double rects_ = 0, pixels_ = 0, groups_ = 0, sent_ = 0;
};

}  // namespace bench
