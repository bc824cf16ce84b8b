// The program's start-up: the single-instance guard, the mode letter of the command
// line and the one window each mode opens.
#pragma once

#include "framework/conversions.h"
#include "framework/file_port.h"
#include "framework/ports.h"
#include "startup/captions.h"
#include "startup/system_effects.h"
#include "startup/settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace startup {

// The program's exit status when its mode could not start (its window could not be made);
// every other end, a refused switch or a second start included, is 0.
inline constexpr uint32_t kExitNotStarted = 1;

// Where the preview goes: its host, the form's size in twips and the picture's in pixels.
struct PreviewPlacement {
    fw::WindowId parent = 0;
    int16_t widthTwips = 0, heightTwips = 0;
    int32_t imageWidth = 0, imageHeight = 0;
};

// The window operations start-up needs; the Win32 side carries them out.
class StartupPlatform {
public:
    virtual ~StartupPlatform() = default;
    // FindWindow with no class and this title.
    virtual bool WindowWithCaptionExists(const std::string& caption) = 0;
    // The argument text the system handed the program, without its own path.
    virtual std::string CommandLine() = 0;
    // Ends the process at once with this exit status. The real one does not return; a
    // fake does.
    virtual void EndProgram(uint32_t status) = 0;
    virtual bool IsWindow(fw::WindowId window) = 0;
    // GetWindowRect into a zeroed rectangle: a failed call leaves zeros.
    virtual fw::Rect WindowRect(fw::WindowId window) = 0;
    virtual int32_t TwipsPerPixelX() = 0;
    virtual int32_t TwipsPerPixelY() = 0;
    // Where the settings file lies and how the user writes numbers; asked to read it.
    virtual fw::FilePort& Files() = 0;
    virtual std::string ProgramFolder() = 0;
    virtual fw::NumberFormat UserNumbers() = 0;
    // Loads the preview form, makes it a child of the host, places and shows it; false
    // when its window could not be made.
    virtual bool ShowPreview(const PreviewPlacement& placement) = 0;
    // Shows the settings dialog modally over the settings read; returns when it has closed,
    // or at once with false and the system's error number (0 when it gave none) when its
    // window could not be made.
    virtual bool ShowSettingsDialog(SaverSettings& settings, uint32_t& error) = 0;
    // A message box of the program's own, owned by no window.
    virtual void ShowMessage(const std::string& text) = 0;
    // Loads the saver window with the settings read; it runs until the saver ends the
    // program.
    virtual void RunSaver(const SaverSettings& settings) = 0;
};

// The upper-cased second character of the command line, or empty.
std::string ModeLetter(std::string_view commandLine);

// The preview host named from the fourth character on. Handles are 32-bit values the
// system writes as unsigned decimal; empty when the number does not fit 32 bits.
std::optional<fw::WindowId> PreviewParent(std::string_view commandLine);

// A pixel length in twips, rounded; lengths beyond the 16-bit twip range are clamped.
int16_t PixelsToTwips(int64_t pixels, int32_t twipsPerPixel);

// Picks the mode, reads the settings once where the mode needs them, and starts its window.
void SaverMain(StartupPlatform& platform, fw::SystemHooksPort& sys, HookState& state);

}  // namespace startup
