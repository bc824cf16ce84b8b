// The Command buttons the settings dialog stores, and how a host turns a stored extent
// (HIMETRIC, 1/100 mm) into the button's size.
#pragma once

#include "button/face_painter.h"
#include "button/property_bag.h"

#include <array>
#include <cstdint>
#include <string>

namespace button {

// A size as a host gives it to a control: whole pixels, and the twips they make.
struct HostExtent {
    int32_t widthPixels = 0, heightPixels = 0;
    double widthTwips = 0, heightTwips = 0;
};

// HIMETRIC to whole pixels at `dpi` (halves to even), then back to twips from those
// pixels: a control is always a whole number of pixels.
int32_t HimetricToPixels(int32_t himetric, int32_t dpi);
HostExtent ExtentFromHimetric(int32_t widthHimetric, int32_t heightHimetric, int32_t dpi = 96);

// HIMETRIC straight to twips: x * 1440 / 2540, halves to even.
int32_t HimetricToTwips(int32_t himetric);

struct StoredCommand {
    const char* name;
    int32_t widthHimetric, heightHimetric;
    std::string caption;
    FontSpec font;
};

// Cmd_Can, Cmd_Set, Cmd_BGM, in the dialog's control order.
const std::array<StoredCommand, 3>& DialogCommands();

// The bag the dialog stores for one of them: only "Caption" and "Font"; everything else
// takes its default.
PropertyBag BagFor(const StoredCommand& stored);

}  // namespace button
