#include "saver/controller.h"

#include "startup/saver_main.h"

namespace saver {

SaverController::SaverController(SaverWindowPort& window, music::Bgm& bgm, fw::SystemHooksPort& sys,
                                 startup::HookState& hooks, const startup::SaverSettings& settings)
    : window_(window), bgm_(bgm), sys_(sys), hooks_(hooks),
      choice_{settings.MusicKind, settings.MusicRepeat, settings.MusicFile} {}

void SaverController::StartMusic() {
    switch (music::StartMusic(bgm_, choice_)) {
    case music::MusicTimer::Timer1: window_.EnableTimer1(true); break;
    case music::MusicTimer::Timer2: window_.EnableTimer2(true); break;
    case music::MusicTimer::None: break;
    }
}

void SaverController::OnTimer1() { music::OnMp3Timer(bgm_); }

void SaverController::OnTimer2() { window_.EnableTimer2(music::OnCdTimer(bgm_, choice_)); }

void SaverController::OnKeyDown(int32_t keyCode) {
    if (music::OnKeyDown(bgm_, choice_.kind, keyCode) == music::KeyAction::EndSaver) EndSaver();
}

void SaverController::OnClick() { EndSaver(); }

void SaverController::OnDisplayChange(const std::vector<petals::Monitor>& laidOut,
                                      const std::vector<petals::Monitor>& now) {
    if (!petals::SameMonitors(laidOut, now)) window_.PostEnd();
}

void SaverController::EndSaver() {
    // The CD is closed only while its timer still runs; a failed poll left it alone.
    bool timer2 = window_.Timer2Enabled();
    if (timer2) window_.EnableTimer2(false);
    music::StopMusic(bgm_, choice_, timer2);
    RestoreSystem();
    running_ = false;
    window_.Unload();
    window_.EndProgram(0);
}

void SaverController::EndWithoutWindow() {
    // No music or timer has started yet.
    RestoreSystem();
    running_ = false;
    window_.EndProgram(startup::kExitNotStarted);
}

void SaverController::RestoreSystem() {
    // The cursor and the running flag were changed at start-up only with the saver switch.
    if (startup::ModeLetter(window_.CommandLine()) == "S") {
        startup::AllowSystemKeys(sys_, true);
        startup::RestoreCursor(sys_, hooks_);
    }
    sys_.SetSystemParameter(startup::kSpiSetScreenSaveActive, 1, 0);
}

}  // namespace saver
