// The program's entry: hands start-up its Win32 side and lets it pick the mode.
#include "display/preview_window_win32.h"
#include "display/saver_window_win32.h"
#include "framework/adapters_win32.h"
#include "framework/dpi_win32.h"
#include "framework/window_win32.h"
#include "settings_dialog/dialog_win32.h"
#include "startup/saver_main.h"
#include "startup/settings.h"

namespace {

class Platform final : public startup::StartupPlatform {
public:
    bool WindowWithCaptionExists(const std::string& caption) override {
        return FindWindowW(nullptr, fw::win::Widen(caption).c_str()) != nullptr;
    }
    std::string CommandLine() override { return fw::win::CommandLineArguments(); }
    void EndProgram() override { ExitProcess(0); }
    bool IsWindow(fw::WindowId window) override { return ::IsWindow(fw::win::ToHwnd(window)); }
    fw::Rect WindowRect(fw::WindowId window) override { return sys.GetWindowRect(window).value_or(fw::Rect{}); }
    int32_t TwipsPerPixelX() override { return fw::win::TwipsPerPixelX(); }
    int32_t TwipsPerPixelY() override { return fw::win::TwipsPerPixelY(); }
    fw::FilePort& Files() override { return files; }
    std::string ProgramFolder() override { return fw::win::ProgramFolder(); }
    fw::NumberFormat UserNumbers() override { return fw::UserNumberFormat(locale); }
    void ShowPreview(const startup::PreviewPlacement& placement) override { display::ShowPreviewWindow(placement); }
    void ShowSettingsDialog(startup::SaverSettings& settings) override {
        // The dialog is laid out and drawn at the scale of its monitor, in real pixels.
        fw::win::DeclareDpiAware();
        dialog::ShowSettingsDialog(sys, hooks, settings, files, ProgramFolder(), UserNumbers());
    }
    void RunSaver(const startup::SaverSettings& settings) override {
        // The snapshot, the window and the petals are in the screens' real pixels.
        fw::win::DeclareDpiAware();
        display::RunSaverWindow(sys, hooks, settings);
    }

    fw::win::SystemHooks sys;
    fw::win::Files files;
    fw::win::Locale locale;
    startup::HookState hooks;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    static Platform platform;
    startup::SaverMain(platform, platform.sys, platform.hooks);
    // Only the preview returns here: it lives until its host closes it.
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    ExitProcess(0);
}
