#include "support/media_sim.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace music::sim {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Words split at blanks; a word in double quotes may hold blanks and loses its quotes.
// False when a quote is not closed.
bool SplitWords(const std::string& command, std::vector<std::string>& words) {
    std::size_t i = 0;
    while (i < command.size()) {
        if (command[i] == ' ' || command[i] == '\t') {
            ++i;
            continue;
        }
        if (command[i] == '"') {
            const std::size_t close = command.find('"', i + 1);
            if (close == std::string::npos) return false;
            words.push_back(command.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        std::size_t end = i;
        while (end < command.size() && command[end] != ' ' && command[end] != '\t') ++end;
        words.push_back(command.substr(i, end - i));
        i = end;
    }
    return true;
}

fw::MediaResult Fail(int32_t c) { return {c, {}}; }
fw::MediaResult Answer(std::string reply) { return {0, std::move(reply)}; }

std::string Join(const std::vector<std::string>& words, std::size_t from) {
    std::string out;
    for (std::size_t i = from; i < words.size(); ++i) {
        if (!out.empty()) out += ' ';
        out += Lower(words[i]);
    }
    return out;
}

// "from X" and "to Y" of a play command, as texts.
int32_t PlayRange(const std::vector<std::string>& rest, std::optional<std::string>& from,
                  std::optional<std::string>& to) {
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        const std::string key = Lower(rest[i]);
        if (key != "from" && key != "to") return code::kUnrecognizedKeyword;
        if (i + 1 >= rest.size()) return code::kMissingParameter;
        (key == "from" ? from : to) = rest[i + 1];
    }
    return 0;
}

}  // namespace

SimMedia::SimMedia() {
    errorTexts_ = {
        {code::kUnrecognizedKeyword, "The command contains a keyword the device does not know."},
        {code::kUnrecognizedCommand, "The device does not know this command."},
        {code::kUnknownDevice, "The device is not open or is not known."},
        {code::kAlreadyOpen, "The device is already open."},
        {code::kCannotOpenDrive, "The device driver cannot be loaded."},
        {code::kBadInteger, "A value in the command is not a valid number."},
        {code::kMissingParameter, "The command needs a value that is missing."},
        {code::kFileNotFound, "The file cannot be found."},
        {code::kNoDisc, "The device is not ready."},
        {code::kOutOfRange, "The value is out of range."},
        {code::kDuplicateAlias, "The alias is already in use."},
        {code::kBadTimeFormat, "The time format is not known."},
        {code::kNoClosingQuote, "A closing quote is missing."},
        {code::kFileRead, "The file cannot be read."},
    };
}

// --- Scene and clock -------------------------------------------------------------------

void SimMedia::InsertDisc(std::vector<int64_t> trackFrames) {
    disc_ = std::move(trackFrames);
    cd_.head = Playhead{false, 0, 0, 0, kFramesPerSecond};
}

void SimMedia::EjectDisc() {
    disc_.reset();
    cd_.head = Playhead{false, 0, 0, 0, kFramesPerSecond};
}

void SimMedia::AddFile(const std::string& path, int64_t lengthMs) { files_[path] = lengthMs; }

void SimMedia::LoseFile(const std::string& path) {
    Settle();
    files_.erase(path);
    lost_.push_back(path);
    for (auto& entry : devices_) {
        Playhead& head = entry.second.head;
        if (entry.second.path != path || !head.playing) continue;
        head.position = head.At(nowMs_);
        head.playing = false;
    }
}

void SimMedia::SetErrorText(int32_t c, std::optional<std::string> text) {
    errorTexts_[c] = std::move(text);
}

void SimMedia::Advance(int64_t ms) { nowMs_ += ms; }

int64_t SimMedia::Playhead::At(int64_t nowMs) const {
    if (!playing) return position;
    return std::min(to, position + (nowMs - startedMs) * unitsPerSecond / 1000);
}

void SimMedia::Settle() {
    if (cd_.head.playing && cd_.head.At(nowMs_) >= cd_.head.to) {
        cd_.head.playing = false;
        cd_.head.position = cd_.head.to >= DiscLength() ? 0 : cd_.head.to;
    }
    for (auto& entry : devices_) {
        Playhead& head = entry.second.head;
        if (head.playing && head.At(nowMs_) >= head.to) {
            head.playing = false;
            head.position = head.to;
        }
    }
}

// --- Inspection ----------------------------------------------------------------------

std::vector<std::string> SimMedia::Commands() const {
    std::vector<std::string> out;
    for (const auto& s : log_) out.push_back(s.command);
    return out;
}

bool SimMedia::CdPlaying() {
    Settle();
    return cd_.head.playing;
}

int64_t SimMedia::CdFrame() {
    Settle();
    return cd_.head.At(nowMs_);
}

int32_t SimMedia::CdTrack() { return TrackAt(CdFrame()); }

int64_t SimMedia::DiscLength() const {
    int64_t total = 0;
    if (disc_)
        for (int64_t t : *disc_) total += t;
    return total;
}

int64_t SimMedia::TrackStart(int32_t track) const {
    int64_t start = 0;
    for (int32_t i = 1; i < track && disc_ && i <= static_cast<int32_t>(disc_->size()); ++i)
        start += (*disc_)[i - 1];
    return start;
}

int32_t SimMedia::TrackAt(int64_t frame) const {
    if (!disc_ || disc_->empty()) return 0;
    int64_t start = 0;
    for (std::size_t i = 0; i < disc_->size(); ++i) {
        start += (*disc_)[i];
        if (frame < start) return static_cast<int32_t>(i + 1);
    }
    return static_cast<int32_t>(disc_->size());
}

bool SimMedia::FileOpen(const std::string& alias) const { return devices_.count(Lower(alias)) > 0; }

bool SimMedia::FilePlaying(const std::string& alias) {
    Settle();
    auto it = devices_.find(Lower(alias));
    return it != devices_.end() && it->second.head.playing;
}

int64_t SimMedia::FilePositionMs(const std::string& alias) {
    Settle();
    auto it = devices_.find(Lower(alias));
    return it == devices_.end() ? 0 : it->second.head.At(nowMs_);
}

// --- CD positions ----------------------------------------------------------------------

std::string SimMedia::FormatCd(int64_t frame) const {
    char text[48];
    if (cd_.format == TimeFormat::Milliseconds)
        return std::to_string(frame * 1000 / kFramesPerSecond);
    if (cd_.format == TimeFormat::Tmsf) {
        const int32_t track = TrackAt(frame);
        const int64_t into = frame - TrackStart(track);
        std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", static_cast<int>(track),
                      static_cast<int>(into / (60 * kFramesPerSecond)),
                      static_cast<int>(into / kFramesPerSecond % 60),
                      static_cast<int>(into % kFramesPerSecond));
        return text;
    }
    std::snprintf(text, sizeof text, "%02d:%02d:%02d",
                  static_cast<int>(frame / (60 * kFramesPerSecond)),
                  static_cast<int>(frame / kFramesPerSecond % 60),
                  static_cast<int>(frame % kFramesPerSecond));
    return text;
}

int32_t SimMedia::ParseCd(const std::string& text, int64_t& frame) const {
    std::vector<int64_t> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t colon = text.find(':', start);
        const std::string field = text.substr(start, colon == std::string::npos ? colon : colon - start);
        if (!AllDigits(field)) return code::kBadInteger;
        fields.push_back(std::stoll(field));
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    const std::size_t most = cd_.format == TimeFormat::Tmsf ? 4 : cd_.format == TimeFormat::Msf ? 3 : 1;
    if (fields.size() > most) return code::kBadInteger;
    fields.resize(most, 0);

    if (cd_.format == TimeFormat::Milliseconds) {
        frame = fields[0] * kFramesPerSecond / 1000;
    } else {
        const std::size_t m = cd_.format == TimeFormat::Tmsf ? 1 : 0;
        const int64_t offset = (fields[m] * 60 + fields[m + 1]) * kFramesPerSecond + fields[m + 2];
        if (cd_.format == TimeFormat::Tmsf) {
            if (fields[0] < 1 || fields[0] > static_cast<int64_t>(disc_->size())) return code::kOutOfRange;
            frame = TrackStart(static_cast<int32_t>(fields[0])) + offset;
        } else {
            frame = offset;
        }
    }
    if (frame > DiscLength()) return code::kOutOfRange;
    return 0;
}

// --- Commands ----------------------------------------------------------------------------

fw::MediaResult SimMedia::Send(const std::string& command, uint32_t replyCapacity) {
    std::vector<std::string> words;
    fw::MediaResult result = SplitWords(command, words) ? Execute(words) : Fail(code::kNoClosingQuote);
    if (result.code != 0 || replyCapacity == 0) result.reply.clear();
    log_.push_back({command, replyCapacity, result.code});
    return result;
}

fw::MediaResult SimMedia::Execute(const std::vector<std::string>& words) {
    if (words.empty()) return Fail(code::kUnrecognizedCommand);
    const std::string verb = Lower(words[0]);
    if (verb == "open") return OpenCommand(words);
    if (words.size() < 2) return Fail(code::kMissingParameter);
    const std::string device = Lower(words[1]);
    const std::vector<std::string> rest(words.begin() + 2, words.end());
    if (device == "cdaudio") return CdCommand(verb, rest);
    auto it = devices_.find(device);
    if (it == devices_.end()) return Fail(code::kUnknownDevice);
    return FileCommand(it->second, device, verb, rest);
}

fw::MediaResult SimMedia::OpenCommand(const std::vector<std::string>& words) {
    if (words.size() < 2) return Fail(code::kMissingParameter);
    std::optional<std::string> type, alias;
    for (std::size_t i = 2; i < words.size(); i += 2) {
        const std::string key = Lower(words[i]);
        if (key != "type" && key != "alias") return Fail(code::kUnrecognizedKeyword);
        if (i + 1 >= words.size()) return Fail(code::kMissingParameter);
        (key == "type" ? type : alias) = words[i + 1];
    }

    if (Lower(words[1]) == "cdaudio" && !type) {
        if (driveMissing_) return Fail(code::kCannotOpenDrive);
        if (cd_.open) return Fail(code::kAlreadyOpen);
        // An empty drive opens; it is every later command that finds no disc.
        cd_.open = true;
        cd_.format = TimeFormat::Msf;
        cd_.head = Playhead{false, 0, 0, 0, kFramesPerSecond};
        return Answer({});
    }

    if (!type || Lower(*type) != "mpegvideo") return Fail(code::kUnknownDevice);
    const std::string name = Lower(alias.value_or(words[1]));
    if (name == "cdaudio" || devices_.count(name)) return Fail(code::kDuplicateAlias);
    auto file = files_.find(words[1]);
    if (file == files_.end()) return Fail(code::kFileNotFound);
    FileDevice device;
    device.path = words[1];
    device.lengthMs = file->second;
    devices_[name] = device;
    return Answer({});
}

fw::MediaResult SimMedia::CdCommand(const std::string& verb, const std::vector<std::string>& rest) {
    if (driveMissing_) return Fail(code::kCannotOpenDrive);
    if (!cd_.open) return Fail(code::kUnknownDevice);
    if (verb == "close") {
        if (!rest.empty()) return Fail(code::kUnrecognizedKeyword);
        cd_.open = false;
        cd_.head.playing = false;
        return Answer({});
    }
    if (verb != "play" && verb != "stop" && verb != "status" && verb != "set" && verb != "info")
        return Fail(code::kUnrecognizedCommand);
    if (!disc_) return Fail(code::kNoDisc);
    Settle();
    Playhead& head = cd_.head;

    if (verb == "stop") {
        if (!rest.empty()) return Fail(code::kUnrecognizedKeyword);
        head.position = head.At(nowMs_);
        head.playing = false;
        return Answer({});
    }
    if (verb == "play") {
        std::optional<std::string> fromText, toText;
        if (int32_t c = PlayRange(rest, fromText, toText)) return Fail(c);
        int64_t from = head.At(nowMs_), to = DiscLength();
        if (fromText)
            if (int32_t c = ParseCd(*fromText, from)) return Fail(c);
        if (toText)
            if (int32_t c = ParseCd(*toText, to)) return Fail(c);
        if (to < from) return Fail(code::kOutOfRange);
        head = Playhead{true, from, to, nowMs_, kFramesPerSecond};
        return Answer({});
    }
    if (verb == "set") {
        const std::string what = Join(rest, 0);
        if (what.rfind("time format ", 0) != 0 || rest.size() != 3) return Fail(code::kUnrecognizedKeyword);
        const std::string format = Lower(rest[2]);
        if (format == "tmsf") cd_.format = TimeFormat::Tmsf;
        else if (format == "msf") cd_.format = TimeFormat::Msf;
        else if (format == "milliseconds" || format == "ms") cd_.format = TimeFormat::Milliseconds;
        else return Fail(code::kBadTimeFormat);
        return Answer({});
    }
    if (verb == "info") {
        if (Join(rest, 0) != "product") return Fail(code::kUnrecognizedKeyword);
        return Answer(product_);
    }

    // status
    const std::string item = Join(rest, 0);
    const int64_t now = head.At(nowMs_);
    if (item == "mode") return Answer(head.playing ? "playing" : "stopped");
    if (item == "current track") return Answer(std::to_string(TrackAt(now)));
    if (item == "number of tracks") return Answer(std::to_string(disc_->size()));
    if (item == "position") return Answer(FormatCd(now));
    if (rest.size() == 3 && item.rfind("position track ", 0) == 0) {
        const std::string& number = rest[2];
        const bool negative = !number.empty() && number[0] == '-';
        if (!AllDigits(negative ? number.substr(1) : number)) return Fail(code::kBadInteger);
        const int64_t track = std::stoll(number);
        if (track < 1 || track > static_cast<int64_t>(disc_->size())) return Fail(code::kOutOfRange);
        return Answer(FormatCd(TrackStart(static_cast<int32_t>(track))));
    }
    return Fail(code::kUnrecognizedKeyword);
}

fw::MediaResult SimMedia::FileCommand(FileDevice& device, const std::string& alias,
                                      const std::string& verb, const std::vector<std::string>& rest) {
    Settle();
    Playhead& head = device.head;
    if (verb == "close") {
        devices_.erase(alias);
        return Answer({});
    }
    if (verb == "stop") {
        head.position = head.At(nowMs_);
        head.playing = false;
        return Answer({});
    }
    if (verb == "play") {
        std::optional<std::string> fromText, toText;
        if (int32_t c = PlayRange(rest, fromText, toText)) return Fail(c);
        if (std::find(lost_.begin(), lost_.end(), device.path) != lost_.end()) return Fail(code::kFileRead);
        int64_t from = head.At(nowMs_), to = device.lengthMs;
        for (auto [text, value] : {std::pair{&fromText, &from}, std::pair{&toText, &to}}) {
            if (!*text) continue;
            if (!AllDigits(**text)) return Fail(code::kBadInteger);
            *value = std::stoll(**text);
            if (*value > device.lengthMs) return Fail(code::kOutOfRange);
        }
        if (to < from) return Fail(code::kOutOfRange);
        head = Playhead{true, from, to, nowMs_, 1000};
        return Answer({});
    }
    if (verb == "status") {
        const std::string item = Join(rest, 0);
        if (item == "mode") return Answer(head.playing ? "playing" : "stopped");
        if (item == "position") return Answer(std::to_string(head.At(nowMs_)));
        if (item == "length") return Answer(std::to_string(device.lengthMs));
        return Fail(code::kUnrecognizedKeyword);
    }
    return Fail(code::kUnrecognizedCommand);
}

// --- Error texts and the sound player --------------------------------------------------

std::optional<std::string> SimMedia::ErrorText(int32_t c, uint32_t /*capacity*/) {
    auto it = errorTexts_.find(c);
    if (it == errorTexts_.end()) return std::nullopt;
    return it->second;
}

void SimMedia::PlaySoundFile(const std::optional<std::string>& path, uint32_t flags) {
    sounds_.push_back({path, flags});
    constexpr uint32_t kLoop = 8;
    if (!path) looping_.reset();
    else if (waveDevices_ > 0 && (flags & kLoop)) looping_ = path;
}

}  // namespace music::sim
