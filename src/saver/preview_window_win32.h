#pragma once

#include "startup/saver_main.h"

namespace saver {

// Creates the preview inside its host and shows it; the caller then runs the message
// loop, which ends when the host closes or destroys the preview. False when the window
// could not be made: then no loop would ever end.
bool ShowPreviewWindow(const startup::PreviewPlacement& placement);

}  // namespace saver
