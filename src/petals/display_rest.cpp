#include "petals/display_rest.h"

namespace petals {

void DisplayRest::Report(uint32_t state) {
    off_ = state == static_cast<uint32_t>(DisplayState::Off);
    if (off_) rested_ = true;
}

DisplayRest::Next DisplayRest::BeforePass() {
    if (off_) return Next::Rest;
    if (!rested_) return Next::Pass;
    // The screen's picture may be gone and the pace schedule is stale: one whole redraw,
    // then passes one period apart from now, never the passes the rest skipped.
    rested_ = false;
    return Next::Resume;
}

}  // namespace petals
