#include "button/stored_instances.h"

#include "button/command.h"
#include "framework/conversions.h"

namespace button {

int32_t HimetricToPixels(int32_t himetric, int32_t dpi) {
    return static_cast<int32_t>(fw::RoundHalfEven(static_cast<double>(himetric) * dpi / 2540.0));
}

HostExtent ExtentFromHimetric(int32_t widthHimetric, int32_t heightHimetric, int32_t dpi) {
    HostExtent e;
    e.widthPixels = HimetricToPixels(widthHimetric, dpi);
    e.heightPixels = HimetricToPixels(heightHimetric, dpi);
    e.widthTwips = e.widthPixels * 1440.0 / dpi;
    e.heightTwips = e.heightPixels * 1440.0 / dpi;
    return e;
}

int32_t HimetricToTwips(int32_t himetric) {
    return static_cast<int32_t>(fw::RoundHalfEven(static_cast<double>(himetric) * 1440.0 / 2540.0));
}

const std::array<StoredCommand, 3>& DialogCommands() {
    static const std::array<StoredCommand, 3> commands = {{
        {"Cmd_Can", 2143, 661, "ｷｬﾝｾﾙ", DesignFont()},
        {"Cmd_Set", 2143, 661, "設定", DesignFont()},
        {"Cmd_BGM", 767, 556, "...", DesignFont()},
    }};
    return commands;
}

PropertyBag BagFor(const StoredCommand& stored) {
    PropertyBag bag;
    bag.Set("Caption", stored.caption);
    bag.Set("Font", stored.font);
    return bag;
}

}  // namespace button
