// What the benchmark build of the saver measures and writes beside the program at its
// exit (pass_stats.txt): the pass count and time on the first line, then the time from
// the process's start to the first presented pass and what the passes presented. Its
// environment picks the presentation to compare (FLUTTERA_PRESENT = rects, region or
// whole; FLUTTERA_RECT_COST) and whether it keeps the pace (FLUTTERA_PACED=1).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "display/compositor.h"
#include "display/present_win32.h"

namespace display {

class PassStats {
public:
    void Configure(Compositor& compositor, Presenter& presenter);
    bool paced() const { return paced_; }
    // After each pass, with what it presented.
    void Passed(const std::vector<PixelRect>& presented);
    void Write(int rows);

private:
    Compositor* compositor_ = nullptr;
    const char* mode_ = "rects";
    bool whole_ = false, paced_ = false;
    unsigned long passes_ = 0;
    DWORD firstPass_ = 0;
    double firstPassMs_ = -1;
    double rects_ = 0, pixels_ = 0;
};

}  // namespace display
