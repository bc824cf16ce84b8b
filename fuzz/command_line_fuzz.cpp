// libFuzzer target: start-up on arbitrary command lines and host windows. Beyond not
// crashing: exactly one mode runs, the mode letter is at most one character of the text,
// and the preview's size in twips is the host's size, clamped to 16 bits, never wrapped.
#include "framework/command_line.h"
#include "framework/conversions.h"
#include "startup/saver_main.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// A disk without a settings file: every setting takes its default.
class NoFiles final : public fw::FilePort {
public:
    fw::FileError Read(const std::string&, std::string&) override { return fw::kErrorFileNotFound; }
    fw::FileError WriteNew(const std::string&, const std::string&) override { return fw::kErrorAccessDenied; }
    fw::FileError Replace(const std::string&, const std::string&, const std::string&) override {
        return fw::kErrorAccessDenied;
    }
    fw::FileError Move(const std::string&, const std::string&) override { return fw::kErrorAccessDenied; }
    fw::FileError WriteInPlace(const std::string&, const std::string&) override { return fw::kErrorFileNotFound; }
    fw::FileError Remove(const std::string&) override { return fw::kErrorFileNotFound; }
    fw::FileError Find(const std::string&) override { return fw::kErrorFileNotFound; }
    bool IsFolder(const std::string&) override { return false; }
    bool IsReadOnly(const std::string&) override { return false; }
    bool CanOpenForReading(const std::string&) override { return false; }
    std::optional<std::string> ShortPath(const std::string&) override { return std::nullopt; }
};

class Platform final : public startup::StartupPlatform {
public:
    std::string commandLine;
    fw::Rect host;
    int32_t twipsX = 15, twipsY = 15;
    bool hostIsWindow = true;
    int modes = 0, ends = 0;
    bool preview = false;
    startup::PreviewPlacement placement;
    NoFiles files;

    bool WindowWithCaptionExists(const std::string&) override { return false; }
    std::string CommandLine() override { return commandLine; }
    void EndProgram(uint32_t) override { ++ends; }
    bool IsWindow(fw::WindowId) override { return hostIsWindow; }
    fw::Rect WindowRect(fw::WindowId) override { return host; }
    int32_t TwipsPerPixelX() override { return twipsX; }
    int32_t TwipsPerPixelY() override { return twipsY; }
    fw::FilePort& Files() override { return files; }
    std::string ProgramFolder() override { return "C:\\F"; }
    fw::NumberFormat UserNumbers() override { return {}; }
    bool ShowPreview(const startup::PreviewPlacement& p) override {
        ++modes;
        preview = true;
        placement = p;
        return true;
    }
    bool ShowSettingsDialog(startup::SaverSettings&, uint32_t&) override {
        ++modes;
        return true;
    }
    void ShowMessage(const std::string&) override {}
    void RunSaver(const startup::SaverSettings&) override { ++modes; }
};

class Hooks final : public fw::SystemHooksPort {
public:
    int32_t ShowCursor(int32_t show) override { return show ? 0 : -1; }
    void SetSystemParameter(uint32_t, uint32_t, uint32_t) override {}
    void DrawAnimatedRects(fw::WindowId, int32_t, const fw::Rect&, const fw::Rect&) override {}
    std::optional<fw::Rect> GetWindowRect(fw::WindowId) override { return std::nullopt; }
    std::optional<fw::Point> GetCursorPos() override { return std::nullopt; }
};

int32_t Take32(const uint8_t*& data, size_t& size) {
    uint32_t v = 0;
    for (int i = 0; i < 4 && size > 0; ++i, ++data, --size) v = (v << 8) | *data;
    int32_t out;
    std::memcpy(&out, &v, sizeof out);
    return out;
}

// The size the preview must get for a host length: pixels times twips, or the nearest
// 16-bit end when that does not fit.
int16_t ExpectedTwips(int64_t pixels, int32_t twips) {
    const double t = static_cast<double>(pixels) * twips;
    if (t > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
    if (t < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
    return static_cast<int16_t>(t);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Platform platform;
    // The host's rectangle and the screen's twips per pixel come first; the rest is the
    // command line as the system hands it over, program path included.
    platform.host = {Take32(data, size), Take32(data, size), Take32(data, size), Take32(data, size)};
    const int32_t twips = size > 0 ? (*data++ % 40) - 4 : 15;  // includes nonsense: 0 and below
    if (size > 0) --size;
    platform.hostIsWindow = size > 0 && (*data & 1);
    const std::string raw(reinterpret_cast<const char*>(data), size);
    platform.commandLine = fw::ArgumentsOf(raw);
    platform.twipsX = platform.twipsY = twips;

    const std::string& cmd = platform.commandLine;
    const std::string mode = startup::ModeLetter(cmd);
    Check(fw::CharCount(mode) <= 1);
    Check(cmd.empty() || fw::Mid(cmd, 1) == cmd);
    const std::string fromFourth = fw::Mid(cmd, 4);
    Check(fromFourth.size() <= cmd.size() && cmd.compare(cmd.size() - fromFourth.size(), fromFourth.size(),
                                                          fromFourth) == 0);

    Hooks hooks;
    startup::HookState state;
    startup::SaverMain(platform, hooks, state);
    // One window, or an end without one; the dialog also ends the program after it.
    Check(platform.modes <= 1);
    Check(platform.modes == 1 || platform.ends == 1);
    if (platform.preview) {
        Check(mode == "P");
        Check(platform.placement.parent <= std::numeric_limits<uint32_t>::max());
        const int32_t tx = twips > 0 ? twips : 15;
        const auto& r = platform.host;
        const int64_t w = static_cast<int64_t>(r.right) - r.left, h = static_cast<int64_t>(r.bottom) - r.top;
        Check(platform.placement.widthTwips == ExpectedTwips(w, tx));
        Check(platform.placement.heightTwips == ExpectedTwips(h, tx));
        Check(platform.placement.imageWidth == platform.placement.widthTwips / tx);
    }
    return 0;
}
