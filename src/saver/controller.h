// What the saver window decides, apart from drawing: the music it starts at load, its
// two timers, the keys and clicks that end it, and the exit in its fixed order.
#pragma once

#include "petals/screens.h"
#include "framework/ports.h"
#include "music/bgm.h"
#include "music/saver_music.h"
#include "startup/system_effects.h"
#include "startup/settings.h"

#include <string>

namespace saver {

// The window operations the saver's handlers need; the Win32 window carries them out.
class SaverWindowPort {
public:
    virtual ~SaverWindowPort() = default;
    virtual void EnableTimer1(bool enabled) = 0;  // 1000 ms, keeps an MP3 looping
    virtual void EnableTimer2(bool enabled) = 0;  // 200 ms, drives the audio CD
    virtual bool Timer2Enabled() = 0;
    // The command line as it is now (the exit re-reads it).
    virtual std::string CommandLine() = 0;
    virtual void Unload() = 0;
    // Asks for the end through the window's own queue, where a key arrives: the handler
    // that asks may itself run nested inside another handler's wait.
    virtual void PostEnd() = 0;
    // Ends the process at once with this exit status; the real one does not return.
    virtual void EndProgram(uint32_t status) = 0;
};

class SaverController {
public:
    SaverController(SaverWindowPort& window, music::Bgm& bgm, fw::SystemHooksPort& sys, startup::HookState& hooks,
                    const startup::SaverSettings& settings);

    // Load step: starts the chosen music and the timer that keeps it going.
    void StartMusic();
    void OnTimer1();
    void OnTimer2();
    // Left and Right skip CD tracks while the CD plays; every other key ends the saver.
    void OnKeyDown(int32_t keyCode);
    // Any click on the drawing surface ends the saver.
    void OnClick();
    // The system's screens changed (WM_DISPLAYCHANGE): the saver was laid out over
    // `laidOut`, the system now has `now`. A change that leaves every monitor as it was is
    // ignored; any other ends the saver as a key does, and like a key through the window's
    // queue: the message is sent, so it can arrive nested inside another handler's wait.
    // The snapshot and the petal tables belong to the old layout, and a new snapshot would
    // only show the saver's own window; the system starts the saver again on the next idle
    // time, over the new layout with a new snapshot. Also asked once the window and the
    // snapshot are made, for a change that came before the window could hear of it.
    void OnDisplayChange(const std::vector<petals::Monitor>& laidOut, const std::vector<petals::Monitor>& now);
    void EndSaver();
    // The window or the pictures it draws into could not be made: nothing would ever end
    // the saver, so the program gives back what start-up changed and ends at once, with
    // the status of a mode that could not start.
    void EndWithoutWindow();

    bool Running() const { return running_; }
    void SetRunning(bool running) { running_ = running; }

private:
    void RestoreSystem();

    SaverWindowPort& window_;
    music::Bgm& bgm_;
    fw::SystemHooksPort& sys_;
    startup::HookState& hooks_;
    music::MusicChoice choice_;
    bool running_ = false;
};

}  // namespace saver
