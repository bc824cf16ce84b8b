#include "startup/saver_main.h"

#include "framework/conversions.h"

#include <limits>

namespace startup {

std::string ModeLetter(std::string_view commandLine) {
    return fw::Mid(fw::UpperAscii(commandLine), 2, 1);
}

std::optional<fw::WindowId> PreviewParent(std::string_view commandLine) {
    double v = fw::RoundHalfEven(fw::LeadingNumber(fw::Mid(commandLine, 4)));
    if (v >= 0 && v <= static_cast<double>(std::numeric_limits<uint32_t>::max()))
        return static_cast<fw::WindowId>(static_cast<uint32_t>(v));
    // A host that wrote the handle as a signed number names the same 32 bits.
    if (v < 0 && v >= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return static_cast<fw::WindowId>(static_cast<uint32_t>(static_cast<int32_t>(v)));
    return std::nullopt;
}

int16_t PixelsToTwips(int64_t pixels, int32_t twipsPerPixel) {
    double twips = static_cast<double>(pixels) * twipsPerPixel;
    if (auto v = fw::ToInt16(twips)) return *v;
    return twips < 0 ? std::numeric_limits<int16_t>::min() : std::numeric_limits<int16_t>::max();
}

namespace {
void RunPreview(StartupPlatform& platform, const std::string& commandLine) {
    auto parent = PreviewParent(commandLine);
    if (!parent || !platform.IsWindow(*parent)) {
        // No host to live in: nothing would ever close the preview. The host named was
        // the caller's to give, so this is an end as told, not a failure.
        platform.EndProgram(0);
        return;
    }
    fw::Rect r = platform.WindowRect(*parent);
    const int32_t tx = platform.TwipsPerPixelX() > 0 ? platform.TwipsPerPixelX() : 15;
    const int32_t ty = platform.TwipsPerPixelY() > 0 ? platform.TwipsPerPixelY() : 15;
    PreviewPlacement p;
    p.parent = *parent;
    // In 64 bits: a host rectangle wider than 32 bits can hold is clamped, not wrapped.
    p.widthTwips = PixelsToTwips(int64_t{r.right} - r.left, tx);
    p.heightTwips = PixelsToTwips(int64_t{r.bottom} - r.top, ty);
    p.imageWidth = p.widthTwips / tx;
    p.imageHeight = p.heightTwips / ty;
    // Without its window nothing would ever end the process.
    if (!platform.ShowPreview(p)) platform.EndProgram(kExitNotStarted);
}

// Asked for by the user, so the user is told; the program ends at once after.
std::string DialogFailureText(uint32_t error) {
    return "設定画面を開けませんでした" + (error ? "（エラー " + std::to_string(error) + "）" : std::string()) +
           "。\nほかのプログラムをいくつか閉じてから、もう一度開いてください。";
}
}  // namespace

void SaverMain(StartupPlatform& platform, fw::SystemHooksPort& sys, HookState& state) {
    bool saverOpen = platform.WindowWithCaptionExists(kSaverCaption);
    bool dialogOpen = platform.WindowWithCaptionExists(kDialogCaption);
    if (saverOpen || dialogOpen) {
        platform.EndProgram(0);
        return;
    }
    const std::string commandLine = platform.CommandLine();
    const std::string mode = ModeLetter(commandLine);
    if (mode == "P") {
        RunPreview(platform, commandLine);
        return;
    }
    SaverSettings settings;
    LoadSettings(platform.Files(), platform.ProgramFolder(), settings, platform.UserNumbers());
    if (mode == "C") {
        uint32_t error = 0;
        if (platform.ShowSettingsDialog(settings, error)) {
            platform.EndProgram(0);
            return;
        }
        platform.ShowMessage(DialogFailureText(error));
        platform.EndProgram(kExitNotStarted);
        return;
    }
    if (!commandLine.empty() && mode != "S") {
        platform.EndProgram(0);
        return;
    }
    if (mode == "S") {
        HideCursor(sys, state);
        AllowSystemKeys(sys, false);
    }
    platform.RunSaver(settings);
}

}  // namespace startup
