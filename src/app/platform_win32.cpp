#include "app/platform_win32.h"

#include "framework/dpi_win32.h"
#include "framework/system_dll_win32.h"
#include "framework/window_win32.h"
#include "saver/monitors_win32.h"
#include "saver/preview_window_win32.h"
#include "settings_dialog/dialog_win32.h"
#include "startup/settings.h"

namespace app {

bool Platform::WindowWithCaptionExists(const std::string& caption) {
    return FindWindowW(nullptr, fw::win::Widen(caption).c_str()) != nullptr;
}
std::string Platform::CommandLine() { return fw::win::CommandLineArguments(); }
void Platform::EndProgram(uint32_t status) { ExitProcess(status); }
bool Platform::IsWindow(fw::WindowId window) { return ::IsWindow(fw::win::ToHwnd(window)); }
fw::Rect Platform::WindowRect(fw::WindowId window) { return sys.GetWindowRect(window).value_or(fw::Rect{}); }
int32_t Platform::TwipsPerPixelX() { return fw::win::TwipsPerPixelX(); }
int32_t Platform::TwipsPerPixelY() { return fw::win::TwipsPerPixelY(); }
std::string Platform::ProgramFolder() { return fw::win::ProgramFolder(); }
fw::NumberFormat Platform::UserNumbers() { return fw::UserNumberFormat(locale); }
bool Platform::ShowPreview(const startup::PreviewPlacement& placement) {
    return saver::ShowPreviewWindow(placement);
}

bool Platform::ShowSettingsDialog(startup::SaverSettings& settings, uint32_t& error) {
    // The dialog is laid out and drawn at the scale of its monitor, in real pixels.
    fw::win::DeclareDpiAware();
    return dialog::ShowSettingsDialog(sys, hooks, settings, files, ProgramFolder(), UserNumbers(), error);
}

void Platform::ShowMessage(const std::string& text) {
    MessageBoxW(nullptr, fw::win::Widen(text).c_str(), L"Fluttera", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void Platform::RunSaver(const startup::SaverSettings& settings) {
    // The snapshot, the window and the petals are in the screens' real pixels.
    fw::win::DeclareDpiAware();
    saver::RunSaverWindow(sys, hooks, settings, watcher);
}

void Run(Platform& platform) {
    fw::win::RestrictDllSearch();
    startup::SaverMain(platform, platform.sys, platform.hooks);
    // Only the preview returns here: it lives until its host closes it.
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    ExitProcess(0);
}

}  // namespace app
