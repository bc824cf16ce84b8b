// Rest while no one can see the picture: the saver makes no passes while the console's
// display is off, and the first pass after it comes back (on or dimmed) redraws the whole
// picture on a new pace schedule, with the petals where they were.
#pragma once

#include <cstdint>

namespace petals {

// The console display's state as the system reports it (the same numbers for the monitor
// power setting of older systems, which knows only off and on).
enum class DisplayState : uint32_t { Off = 0, On = 1, Dimmed = 2 };

class DisplayRest {
public:
    // What the loop does before its next pass.
    enum class Next {
        Pass,    // a pass as usual
        Rest,    // no pass: wait for messages alone
        Resume,  // a pass that redraws the whole picture, the pace started again from now
    };

    // A report of the display's state; repeated reports change nothing. A state this
    // program does not know counts as visible: drawing for nothing costs less than a
    // picture that never comes back.
    void Report(uint32_t state);
    Next BeforePass();
    bool Resting() const { return off_; }

private:
    bool off_ = false;     // the display is off now
    bool rested_ = false;  // it went off since the last pass
};

}  // namespace petals
