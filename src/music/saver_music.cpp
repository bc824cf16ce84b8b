#include "music/saver_music.h"

#include "framework/conversions.h"

namespace music {

std::string FileEnding(const std::string& path) { return fw::UpperAscii(fw::Right(path, 3)); }

FileType FileTypeOf(const std::string& path) {
    const std::string ending = FileEnding(path);
    if (ending == "WAV") return FileType::Wav;
    if (ending == "MP3") return FileType::Mp3;
    return FileType::Other;
}

MusicTimer StartMusic(Bgm& bgm, const MusicChoice& choice) {
    if (choice.kind == kMusicCd) {
        bgm.CdOpen();
        return MusicTimer::Timer2;
    }
    if (choice.kind == kMusicFile) {
        switch (FileTypeOf(choice.file)) {
            case FileType::Wav:
                bgm.WavStart(choice.file);
                return MusicTimer::None;
            case FileType::Mp3:
                bgm.Mp3Start(choice.file);
                return MusicTimer::Timer1;
            case FileType::Other:
                break;
        }
    }
    return MusicTimer::None;
}

bool OnCdTimer(Bgm& bgm, const MusicChoice& choice) {
    bgm.CdPoll(choice.repeat);
    return bgm.CdPollOk();
}

KeyAction KeyDownAction(int16_t kind, int32_t keyCode) {
    if (kind == kMusicCd) {
        if (keyCode == kKeyLeft) return KeyAction::PreviousTrack;
        if (keyCode == kKeyRight) return KeyAction::NextTrack;
    }
    return KeyAction::EndSaver;
}

KeyAction OnKeyDown(Bgm& bgm, int16_t kind, int32_t keyCode) {
    const KeyAction action = KeyDownAction(kind, keyCode);
    if (action == KeyAction::PreviousTrack) bgm.CdPreviousTrack();
    if (action == KeyAction::NextTrack) bgm.CdNextTrack();
    return action;
}

void StopMusic(Bgm& bgm, const MusicChoice& choice, bool& timer2Enabled) {
    if (timer2Enabled) {
        timer2Enabled = false;
        bgm.CdClose();
    }
    if (choice.kind == kMusicFile) {
        switch (FileTypeOf(choice.file)) {
            case FileType::Wav: bgm.WavStop(); break;
            case FileType::Mp3: bgm.Mp3Stop(); break;
            case FileType::Other: break;
        }
    }
}

}  // namespace music
