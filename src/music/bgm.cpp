#include "music/bgm.h"

#include "framework/conversions.h"

namespace music {

const char* const kNoCommandText = "コマンド文字列が指定されていません";
const char* const kNoErrorText = "Error (文字列が取れません)";

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Only the first seven characters of a mode reply count ("playing", "stopped").
bool ModeIs(const std::string& area, const char* word) { return area.compare(0, 7, word) == 0; }

bool ReportsError(const std::string& reply) {
    return fw::UpperAscii(reply).find("ERR") != std::string::npos;
}

}  // namespace

std::string CutToBuffer(std::string text, uint32_t capacity) {
    if (capacity == 0) return {};
    const std::size_t room = capacity - 1;
    if (text.size() <= room) return text;
    // A character that does not fit whole is dropped whole.
    std::size_t end = room;
    while (end > 0 && IsContinuationByte(text[end])) --end;
    text.resize(end);
    return text;
}

// --- Media command layer -----------------------------------------------------------

int32_t Bgm::MciSend(const std::string& command, std::string& reply) {
    if (command.empty()) {
        reply = kNoCommandText;
        return kEmptyCommandCode;
    }
    fw::MediaResult result = port_.Send(command, kReplyBufferSize);
    replyBuffer_ = CutToBuffer(std::move(result.reply), kReplyBufferSize);
    if (result.code != 0) {
        if (auto text = port_.ErrorText(result.code, kErrorTextBufferSize)) {
            errorTextBuffer_ = CutToBuffer(std::move(*text), kErrorTextBufferSize);
            reply = errorTextBuffer_;
        } else {
            reply = kNoErrorText;
        }
        return result.code;
    }
    reply = replyBuffer_;
    return 0;
}

std::string Bgm::MciQuery(const std::string& command) {
    const int32_t code = MciSend(command, lastMciReply_);
    if (code != 0) return "Error:" + fw::DecimalText(code);
    return lastMciReply_;
}

int32_t Bgm::MciPlay(const std::string& device, const std::string& from, const std::string& to) {
    std::string command = "play " + device;
    if (!from.empty()) command += " from " + from;
    if (!to.empty()) command += " to " + to;
    return MciSend(command, lastMciReply_);
}

fw::MediaResult Bgm::Direct(const std::string& command, uint32_t replyCapacity) {
    fw::MediaResult result = port_.Send(command, replyCapacity);
    result.reply = CutToBuffer(std::move(result.reply), replyCapacity);
    return result;
}

// --- Music file ----------------------------------------------------------------------

void Bgm::WavStart(const std::string& path) {
    if (port_.WaveOutDeviceCount() <= 0) return;
    port_.PlaySoundFile(path, kWavLoopFlags);
}

void Bgm::WavStop() { port_.PlaySoundFile(std::nullopt, kWavStopFlags); }

void Bgm::Mp3Start(const std::string& path) {
    // The path is quoted but not escaped: a quote inside it would end the file name
    // early and let the rest of the path pass as options of the open command. No file
    // name can contain a quote, so such a path is refused outright.
    if (path.find('"') != std::string::npos) return;
    const fw::MediaResult opened =
        Direct("open \"" + path + "\" type MPEGVideo Alias MP3Play", 0);
    if (opened.code == 0) Direct("play MP3Play", 0);
}

bool Bgm::Mp3IsPlaying() {
    mp3ModeArea_ = Direct("status MP3Play mode", kMp3ModeAreaSize).reply;
    return ModeIs(mp3ModeArea_, "playing");
}

void Bgm::Mp3Poll() {
    if (Mp3IsPlaying()) return;
    Direct("stop MP3Play", 0);
    Direct("play MP3Play from 0", 0);
}

void Bgm::Mp3Stop() {
    Direct("stop MP3Play", 0);
    Direct("close MP3Play", 0);
}

// --- Audio CD ------------------------------------------------------------------------

void Bgm::CdOpen() {
    Direct("open cdaudio", 0);
    Direct("set cdaudio time format tmsf", 0);
}

void Bgm::CdPoll(int16_t musicRepeat) {
    cdPollOk_ = true;
    const std::string current = MciQuery("status cdaudio current track");
    if (ReportsError(current)) {
        cdPollOk_ = false;
        return;
    }
    // The count only proves that a readable disc is in the drive.
    if (ReportsError(MciQuery("status cdaudio number of tracks"))) {
        cdPollOk_ = false;
        return;
    }
    cdModeArea_ = Direct("status cdaudio mode", kCdModeAreaSize).reply;
    const bool stopped = ModeIs(cdModeArea_, "stopped");

    if (musicRepeat == 0) {
        if (stopped) MciPlay("cdaudio", "", "");
        return;
    }
    // The track is compared as a number whether or not the disc has stopped; a reply
    // that is no number is a failed poll.
    const auto currentTrack = fw::ParseNumber(current);
    if (!currentTrack) {
        cdPollOk_ = false;
        return;
    }
    if (stopped || *currentTrack != musicRepeat) {
        const std::string start =
            MciQuery("status cdaudio position track " + fw::DecimalText(musicRepeat));
        MciPlay("cdaudio", start, "");
    }
}

void Bgm::CdJump(int step) {
    // An error text reads as track 0, and so does a track number out of range.
    int32_t current = 0;
    if (auto track = fw::ToInt16(fw::LeadingNumber(MciQuery("status cdaudio current track"))))
        current = *track;
    // At either end of the disc the device rejects the track, the start becomes an
    // "Error:" text, and the play built from it is rejected too: nothing changes.
    const std::string start =
        MciQuery("status cdaudio position track " + fw::DecimalText(current + step));
    MciPlay("cdaudio", start, "");
}

void Bgm::CdClose() {
    Direct("stop cdaudio", 0);
    Direct("close cdaudio", 0);
}

}  // namespace music
