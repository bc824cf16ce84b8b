// What the settings dialog shows and changes, without the window: the values the
// controls take at load, what a click on each control does, the file chooser and the
// petal bar, and the save. It works on the settings record it is given, in place; the
// Windows side puts the values into the controls and forwards the user's actions.
#pragma once

#include "framework/conversions.h"
#include "framework/file_port.h"
#include "settings_dialog/layout.h"
#include "startup/settings.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dialog {

inline constexpr const char* kHomePage = "https://fluttera.example.jp/";

// The petal bar.
inline constexpr int kPetalMin = 0;
inline constexpr int kPetalMax = 500;
inline constexpr int kPetalSmallStep = 10;
inline constexpr int kPetalPageStep = 50;
inline constexpr int kPetalBarStart = 100;  // what the bar holds until load sets it

inline constexpr const char* kUnsavableFileName =
    "このファイルの名前は保存できません。\n名前にほかの文字を使ったファイルを選んでください。";

// What the user is told when "設定" could not write the settings file: the file, the
// reason, and what can be done.
std::string SaveFailureText(const std::string& file, const startup::SaveResult& result);

// The open-file request of the "..." button. The filter is one description and one
// pattern, each ending in NUL, the list ending in a second NUL.
struct OpenFileRequest {
    std::string filter;
    std::string title;
    uint32_t filterIndex = 0;
    uint32_t fileBufferChars = 255;
    uint32_t fileTitleBufferChars = 255;
    uint32_t flags = 0;
};
const OpenFileRequest& MusicFileRequest();

// Text for a label that shows it unchanged: an ampersand would otherwise mark the next
// character as an accelerator, so each one is doubled.
std::string LabelText(std::string_view text);

// The track list's text for a track number: empty for 0, plain digits otherwise
// (a negative number keeps its minus sign).
std::string TrackText(int16_t track);

// The track number saved for a text typed into or picked from the track list: a whole
// number text rounded to the nearest integer (halves to even), 0 for anything that is
// not a number, the previous number when it does not fit 16 bits.
int16_t TrackFromText(std::string_view text, int16_t previous, const fw::NumberFormat& numbers = {});

// What the window does after a click on a control.
enum class ClickAction {
    None,             // the control does nothing when clicked
    Close,            // "ｷｬﾝｾﾙ"
    SaveAndClose,     // "設定"
    ChooseMusicFile,  // "...": the open-file dialog
    ShowMusicKind,    // an option was chosen: the indicators change
    OpenHomePage,     // the link
};

class DialogModel {
public:
    // Numbers typed into the track list are read with the user's separators.
    DialogModel(startup::SaverSettings& settings, fw::FilePort& files, std::string programFolder,
                fw::NumberFormat numbers = {});

    // Puts the settings into the controls' values.
    void Load();

    // A click on the control: an option (indicator or caption) chooses its music kind
    // here; what else the click asks is the window's to carry out.
    ClickAction Click(ControlId control);

    // An option (indicator or caption) was clicked: index is its music kind. An index
    // that no option has changes nothing.
    void SelectMusicKind(int index);

    // The open-file dialog returned: result as the call returned it, fileBuffer the
    // whole buffer (the path runs up to its first NUL). 0 is a cancel or a failure.
    // A path the settings file cannot hold is taken in its short form when that one
    // fits; otherwise the previous choice stays and a notice for the user is left.
    void ChooseMusicFile(int32_t result, std::string_view fileBuffer);

    // What the user must be told, once; empty when nothing.
    std::string TakeNotice() { return std::exchange(notice_, std::string()); }

    // The petal bar moved: to an absolute value (thumb, ends) or by steps (arrows,
    // track). The value stays inside the bar's range; the label follows.
    void ScrollTo(int value);
    void ScrollLines(int steps) { ScrollTo(scrollValue_ + steps * kPetalSmallStep); }
    void ScrollPages(int steps) { ScrollTo(scrollValue_ + steps * kPetalPageStep); }

    // "設定": takes the track number from the track list's text and writes all four
    // settings. False when the file could not be written: the file is as it was, and a
    // notice says why.
    bool SaveSettings(std::string_view trackText);

    // The controls' values.
    int ScrollValue() const { return scrollValue_; }
    const std::string& PetalLabel() const { return petalLabel_; }
    bool IndicatorChosen(int index) const;
    const std::string& TrackListText() const { return trackText_; }
    static const std::vector<std::string>& TrackEntries();
    const std::string& FileCaption() const { return fileCaption_; }
    std::string FileLabelText() const { return LabelText(fileCaption_); }

private:
    void ShowMusicKind(int kind);

    startup::SaverSettings& settings_;
    fw::FilePort& files_;
    std::string programFolder_;
    fw::NumberFormat numbers_;

    int scrollValue_ = kPetalBarStart;
    std::string petalLabel_ = "9999";
    std::array<bool, music::kMusicKinds> chosen_{};
    std::string trackText_;
    std::string fileCaption_;
    std::string notice_;
};

}  // namespace dialog
