// The Windows program's side of start-up: each mode's window, the system's hooks and the
// settings file's place. The program's entry and the benchmark build's share it.
#pragma once

#include "framework/adapters_win32.h"
#include "saver/saver_window_win32.h"
#include "startup/system_effects.h"
#include "startup/saver_main.h"

namespace app {

class Platform final : public startup::StartupPlatform {
public:
    bool WindowWithCaptionExists(const std::string& caption) override;
    std::string CommandLine() override;
    void EndProgram(uint32_t status) override;
    bool IsWindow(fw::WindowId window) override;
    fw::Rect WindowRect(fw::WindowId window) override;
    int32_t TwipsPerPixelX() override;
    int32_t TwipsPerPixelY() override;
    fw::FilePort& Files() override { return files; }
    std::string ProgramFolder() override;
    fw::NumberFormat UserNumbers() override;
    bool ShowPreview(const startup::PreviewPlacement& placement) override;
    bool ShowSettingsDialog(startup::SaverSettings& settings, uint32_t& error) override;
    void ShowMessage(const std::string& text) override;
    void RunSaver(const startup::SaverSettings& settings) override;

    fw::win::SystemHooks sys;
    fw::win::Files files;
    fw::win::Locale locale;
    startup::HookState hooks;
    saver::PassWatcher* watcher = nullptr;  // a measuring build's; none in the program
};

// Picks the mode and runs it; only the preview returns into the message loop here. Never
// returns.
[[noreturn]] void Run(Platform& platform);

}  // namespace app
