// What the saver window decides, apart from drawing: the music it starts at load, its
// two timers, the keys and clicks that end it, and the exit in its fixed order.
#pragma once

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
    // Ends the process at once; the real one does not return.
    virtual void EndProgram() = 0;
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
    void EndSaver();
    // The window could not be made: nothing would ever end the saver, so the program
    // gives back what start-up changed and ends at once.
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
