#include "settings_dialog/dialog_model.h"

#include "framework/conversions.h"

#include <algorithm>

namespace dialog {

const OpenFileRequest& MusicFileRequest() {
    static const OpenFileRequest request{
        std::string("BGMﾌｧｲﾙ (MP3 WAV)\0*.MP3;*.WAV\0\0", sizeof("BGMﾌｧｲﾙ (MP3 WAV)\0*.MP3;*.WAV\0\0") - 1),
        "ﾌｧｲﾙを選択",
    };
    return request;
}

std::string LabelText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '&') out += '&';
    }
    return out;
}

std::string SaveFailureText(const std::string& file, const startup::SaveResult& result) {
    std::string reason;
    switch (result.problem) {
    case startup::SaveProblem::FolderNotWritable:
        reason = "このフォルダーにはファイルを書き込めません。\n書き込めるフォルダーに Fluttera.scr を置いてください。";
        break;
    case startup::SaveProblem::DiskFull: reason = "ディスクがいっぱいです。"; break;
    case startup::SaveProblem::FileReadOnly: reason = "ファイルが読み取り専用になっています。"; break;
    case startup::SaveProblem::FileInUse: reason = "ファイルがほかのプログラムで使われています。"; break;
    case startup::SaveProblem::AccessDenied: reason = "このファイルを書き換える権限がありません。"; break;
    case startup::SaveProblem::None:
    case startup::SaveProblem::Other:
        reason = "ファイルを書き込めませんでした（エラー " + std::to_string(result.error) + "）。";
        break;
    }
    return "設定を保存できませんでした。\n\nファイル: " + file + "\n理由: " + reason +
           "\n\n原因を取り除いてから、もう一度「設定」を押してください。"
           "「ｷｬﾝｾﾙ」で閉じると、変更は保存されません。";
}

std::string TrackText(int16_t track) { return track == 0 ? std::string() : fw::DecimalText(track); }

int16_t TrackFromText(std::string_view text, int16_t previous, const fw::NumberFormat& numbers) {
    auto number = fw::ParseNumber(text, numbers);
    if (!number) return 0;
    return fw::ToInt16(*number).value_or(previous);
}

DialogModel::DialogModel(startup::SaverSettings& settings, fw::FilePort& files, std::string programFolder,
                         fw::NumberFormat numbers)
    : settings_(settings), files_(files), programFolder_(std::move(programFolder)), numbers_(std::move(numbers)) {}

void DialogModel::Load() {
    // A stored count the bar cannot hold leaves the bar where it was; the label still
    // shows the stored number.
    if (settings_.PetalCount >= kPetalMin && settings_.PetalCount <= kPetalMax) scrollValue_ = settings_.PetalCount;
    petalLabel_ = fw::DecimalText(settings_.PetalCount);
    ShowMusicKind(settings_.MusicKind);
    trackText_ = TrackText(settings_.MusicRepeat);
    fileCaption_ = settings_.MusicFile;
}

void DialogModel::ShowMusicKind(int kind) {
    chosen_.fill(false);
    if (kind >= 0 && kind < music::kMusicKinds) chosen_[static_cast<std::size_t>(kind)] = true;
}

ClickAction DialogModel::Click(ControlId control) {
    if (const auto kind = OptionMusicKind(control)) {
        SelectMusicKind(*kind);
        return ClickAction::ShowMusicKind;
    }
    switch (control) {
    case ControlId::CancelButton: return ClickAction::Close;
    case ControlId::SetButton: return ClickAction::SaveAndClose;
    case ControlId::FileButton: return ClickAction::ChooseMusicFile;
    case ControlId::HomePageLink: return ClickAction::OpenHomePage;
    default: return ClickAction::None;
    }
}

void DialogModel::SelectMusicKind(int index) {
    if (index < 0 || index >= music::kMusicKinds) return;
    ShowMusicKind(index);
    settings_.MusicKind = static_cast<int16_t>(index);
}

void DialogModel::ChooseMusicFile(int32_t result, std::string_view fileBuffer) {
    if (result <= 0) return;
    std::string path(fileBuffer.substr(0, fileBuffer.find('\0')));
    if (!startup::SurvivesSettingsFile(path)) {
        auto shortPath = files_.ShortPath(path);
        if (!shortPath || !startup::SurvivesSettingsFile(*shortPath)) {
            notice_ = kUnsavableFileName;
            return;
        }
        path = *shortPath;
    }
    settings_.MusicFile = path;
    fileCaption_ = settings_.MusicFile;
}

void DialogModel::ScrollTo(int value) {
    scrollValue_ = std::clamp(value, kPetalMin, kPetalMax);
    petalLabel_ = fw::DecimalText(scrollValue_);
}

bool DialogModel::SaveSettings(std::string_view trackText) {
    settings_.MusicRepeat = TrackFromText(trackText, settings_.MusicRepeat, numbers_);
    const startup::SaveResult result =
        startup::WriteSettings(files_, programFolder_, static_cast<int16_t>(scrollValue_), settings_);
    if (result.ok()) return true;
    notice_ = SaveFailureText(startup::SettingsFilePath(programFolder_), result);
    return false;
}

bool DialogModel::IndicatorChosen(int index) const {
    return index >= 0 && index < music::kMusicKinds && chosen_[static_cast<std::size_t>(index)];
}

const std::vector<std::string>& DialogModel::TrackEntries() {
    static const std::vector<std::string> entries = [] {
        std::vector<std::string> e{""};
        for (int i = 1; i <= 30; ++i) e.push_back(std::to_string(i));
        return e;
    }();
    return entries;
}

}  // namespace dialog
