#include "settings_dialog/layout.h"

#include "settings_dialog/dialog_model.h"
#include "fluttera_version.h"

namespace dialog {

namespace {
constexpr ControlId kPanel = ControlId::Panel;
constexpr uint32_t kLabel = kTransparent;

std::vector<ControlSpec> MakeControls() {
    using I = ControlId;
    using K = ControlKind;
    using P = Picture;
    std::vector<ControlSpec> controls{
        {I::TextureStrip, "Pic_Mbl", kNoIndex, K::PictureBox, I::Form, 12, 236, 556, 20, "",
         16, kHidden | kAutoSize, P::Texture},
        {I::CancelButton, "Cmd_Can", kNoIndex, K::Button, I::Form, 368, 148, 81, 25, "ｷｬﾝｾﾙ", 14, 0, P::None},
        {I::SetButton, "Cmd_Set", kNoIndex, K::Button, I::Form, 284, 148, 81, 25, "設定", 13, 0, P::None},
        {I::Panel, "Pic_1", kNoIndex, K::PictureBox, I::Form, 16, 16, 433, 117, "",
         0, kSunkenEdge | kContainer, P::None},
        {I::FileButton, "Cmd_BGM", kNoIndex, K::Button, kPanel, 120, 72, 29, 21, "...", 15, 0, P::None},
        {I::PetalBar, "HS_Fast", kNoIndex, K::ScrollBar, kPanel, 276, 36, 77, 17, "", 11, 0, P::None},
        {I::TrackList, "BGM_Repeat", kNoIndex, K::ComboBox, kPanel, 120, 32, 41, 20, "", 1, 0, P::None},
        {I::PetalCountLabel, "lbl_Fast", kNoIndex, K::Label, kPanel, 360, 40, 28, 13, "9999",
         12, kLabel | kAutoSize, P::None},
        {I::PetalHeading, "lbl", 4, K::Label, kPanel, 252, 12, 101, 17, "花びらの数",
         10, kLabel | kBlackText | kCentred, P::None},
        {I::PetalFrame, "Shape", 2, K::Shape, kPanel, 252, 8, 101, 21, "", kNoTab, kWindowText, P::None},
        {I::MusicFrame, "Shape", 6, K::Shape, kPanel, 8, 8, 101, 21, "", kNoTab, kWindowText, P::None},
        {I::MusicHeading, "lbl", 1, K::Label, kPanel, 8, 12, 101, 17, "BGM",
         7, kLabel | kBlackText | kCentred, P::None},
        {I::FileNameBox, "lbl_Fname", kNoIndex, K::Label, kPanel, 152, 72, 269, 33, "",
         6, kLabel | kBorder | kWindowText | kWordWrap, P::None},
        {I::CdIndicator, "Img_BGM", 1, K::Image, kPanel, 36, 36, 13, 13, "", kNoTab, kClickable, P::None},
        {I::CdCaption, "lbl_BGM", 1, K::Label, kPanel, 52, 36, 43, 13, "音楽CD", 3, kLabel | kClickable, P::None},
        {I::NoneIndicator, "Img_BGM", 0, K::Image, kPanel, 36, 56, 13, 13, "", kNoTab, kClickable, P::None},
        {I::NoneCaption, "lbl_BGM", 0, K::Label, kPanel, 52, 56, 23, 13, "無し", 5, kLabel | kClickable, P::None},
        {I::FileIndicator, "Img_BGM", 2, K::Image, kPanel, 36, 76, 13, 13, "", kNoTab, kClickable, P::None},
        {I::FileCaption, "lbl_BGM", 2, K::Label, kPanel, 52, 76, 60, 13, "MP3、WAV", 4, kLabel | kClickable, P::None},
        {I::RepeatHeading, "lbl", 2, K::Label, kPanel, 164, 36, 66, 13, "曲目をﾘﾋﾟｰﾄ", 2, kLabel, P::None},
        // The credit line above the link; the one control of the lower strip whose place
        // and words are ours to choose. Its version is the project's.
        {I::Credit, "lbl", 7, K::Label, I::Form, 16, 140, 207, 13,
         "Fluttera " FLUTTERA_VERSION_SHORT "  (C) Fluttera", 8, kLabel, P::None},
        {I::HomePageLink, "lbl_URL", kNoIndex, K::Label, I::Form, 16, 156, 207, 13, kHomePage, 9,
         kLabel | kWhiteText | kUnderlined | kHandCursor | kClickable, P::None},
        {I::OptionOffPicture, "Img_Ra", 0, K::Image, I::Form, 672, 28, 12, 12, "", kNoTab, 0, P::OptionOff},
        {I::OptionOnPicture, "Img_Ra", 1, K::Image, I::Form, 672, 44, 12, 12, "", kNoTab, 0, P::OptionOn},
    };
    // The parent's designer name, for whoever reads the table by name.
    for (ControlSpec& c : controls)
        for (const ControlSpec& p : controls)
            if (p.id == c.parentId) c.parent = p.name;
    return controls;
}
}  // namespace

const std::vector<ControlSpec>& Controls() {
    static const std::vector<ControlSpec> controls = MakeControls();
    return controls;
}

const ControlSpec* FindControl(ControlId id) {
    for (const ControlSpec& c : Controls())
        if (c.id == id) return &c;
    return nullptr;
}

const ControlSpec* FindControl(std::string_view name, int index) {
    for (const ControlSpec& c : Controls())
        if (name == c.name && c.index == index) return &c;
    return nullptr;
}

std::optional<ControlId> ParentNamed(const char* name) {
    if (!name) return ControlId::Form;
    if (const ControlSpec* c = FindControl(name)) return c->id;
    return std::nullopt;
}

std::optional<int16_t> OptionMusicKind(ControlId id) {
    switch (id) {
    case ControlId::NoneIndicator:
    case ControlId::NoneCaption: return music::kMusicNone;
    case ControlId::CdIndicator:
    case ControlId::CdCaption: return music::kMusicCd;
    case ControlId::FileIndicator:
    case ControlId::FileCaption: return music::kMusicFile;
    default: return std::nullopt;
    }
}

fw::LayoutRect ScaledRect(const ControlSpec& c, uint32_t dpi) {
    return fw::ScaleRect({c.left, c.top, c.width, c.height}, dpi);
}

std::string FullName(const ControlSpec& c) {
    std::string name = c.name;
    if (c.index != kNoIndex) name += "(" + std::to_string(c.index) + ")";
    return name;
}

fw::Point PlaceWindow(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
    // Whole-number division that drops the remainder toward zero, so a screen smaller
    // than the window puts the window partly off it: (-7) / 2 = -3.
    const long long freeW = static_cast<long long>(screenWidth) - windowWidth;
    const long long freeH = static_cast<long long>(screenHeight) - windowHeight;
    return {static_cast<int32_t>(freeW / 2), static_cast<int32_t>(freeH / 3)};
}

}  // namespace dialog
