// The settings dialog's window and controls as data: the Windows side creates the
// controls from this table, and the tests hold the table to the intended layout.
// Coordinates are 96-dpi pixels relative to the parent's client area.
#pragma once

#include "framework/ports.h"
#include "framework/scale.h"
#include "music/music_kind.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dialog {

inline constexpr int kClientWidth = 465;
inline constexpr int kClientHeight = 191;
inline constexpr uint8_t kBackGrey = 128;  // red, green and blue; hidden by the gradient

// Each control of the dialog by what it is, and the form that holds them all. The
// designer's names ("Cmd_Set", "Img_BGM(1)") are data of the table below.
enum class ControlId {
    Form,
    TextureStrip,     // Pic_Mbl, the holder of the panel's texture
    CancelButton,     // Cmd_Can
    SetButton,        // Cmd_Set
    Panel,            // Pic_1
    FileButton,       // Cmd_BGM, "..."
    PetalBar,         // HS_Fast
    TrackList,        // BGM_Repeat
    PetalCountLabel,  // lbl_Fast
    PetalHeading,     // lbl(4)
    PetalFrame,       // Shape(2)
    MusicFrame,       // Shape(6)
    MusicHeading,     // lbl(1)
    FileNameBox,      // lbl_Fname
    CdIndicator,      // Img_BGM(1)
    CdCaption,        // lbl_BGM(1)
    NoneIndicator,    // Img_BGM(0)
    NoneCaption,      // lbl_BGM(0)
    FileIndicator,    // Img_BGM(2)
    FileCaption,      // lbl_BGM(2)
    RepeatHeading,    // lbl(2)
    Credit,           // lbl(7)
    HomePageLink,     // lbl_URL
    OptionOffPicture, // Img_Ra(0)
    OptionOnPicture,  // Img_Ra(1)
};

enum class ControlKind { PictureBox, Button, ScrollBar, ComboBox, Label, Shape, Image };

// Which stored picture a control shows from the start.
enum class Picture { None, Texture, OptionOff, OptionOn };

enum ControlFlag : uint32_t {
    kHidden = 1u << 0,       // never visible
    kTransparent = 1u << 1,  // what lies behind shows through
    kCentred = 1u << 2,      // text centred
    kBlackText = 1u << 3,
    kWhiteText = 1u << 4,
    kWindowText = 1u << 5,   // text or line in the system window-text colour
    kUnderlined = 1u << 6,
    kBorder = 1u << 7,       // single-line border
    kSunkenEdge = 1u << 8,   // the platform's client edge
    kClickable = 1u << 9,
    kHandCursor = 1u << 10,  // pointing hand while the mouse is over it
    kAutoSize = 1u << 11,    // sized to its picture or its text
    kContainer = 1u << 12,   // parent of other controls
    kWordWrap = 1u << 13,    // text breaks into as many lines as fit
};

inline constexpr int kNoIndex = -1;  // a control outside any indexed group
inline constexpr int kNoTab = -1;    // takes no focus and has no tab index

struct ControlSpec {
    ControlId id;
    const char* name;      // the designer's name
    int index;             // position in its indexed group, or kNoIndex
    ControlKind kind;
    ControlId parentId;    // ControlId::Form for the controls on the form
    int left, top, width, height;
    const char* caption;   // initial text ("" for none)
    int tabIndex;          // kNoTab for controls without one
    uint32_t flags;
    Picture picture;
    const char* parent = nullptr;  // the parent's designer name, nullptr for the form
};

// All controls in the dialog's control order (the order the buttons are initialised in).
const std::vector<ControlSpec>& Controls();

// The control of that identity, or nullptr (the form has no row).
const ControlSpec* FindControl(ControlId id);
// The control of that designer's name and group index, or nullptr.
const ControlSpec* FindControl(std::string_view name, int index = kNoIndex);
// A parent by its designer's name, nullptr for the form; empty for a name no control has.
std::optional<ControlId> ParentNamed(const char* name);

// The music kind an option stands for (its indicator or its caption, in a row); empty
// for every other control.
std::optional<int16_t> OptionMusicKind(ControlId id);

// The control's place and size on a screen of `dpi`: the table's 96-dpi rectangle scaled.
fw::LayoutRect ScaledRect(const ControlSpec& c, uint32_t dpi);

// "Img_BGM(1)" for grouped controls, the plain name otherwise.
std::string FullName(const ControlSpec& c);

// Where the dialog's outer window stands on the screen: centred across, and a third of
// the free height from the top. Negative when the screen is smaller than the window.
fw::Point PlaceWindow(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

}  // namespace dialog
