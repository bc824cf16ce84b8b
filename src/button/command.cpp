// The Command button's properties, its first-use rule and its property bag.
#include "button/command.h"

#include <limits>

namespace button {

namespace {

// Persisted keys. Defaults written as text are converted to the entry's type on reading,
// and compare equal to the same number on writing.
constexpr std::string_view kKeyEnabled = "Enabled";
constexpr std::string_view kKeyCaption = "Caption";
constexpr std::string_view kKeyFirstRun = "FirstRun";
constexpr std::string_view kKeyFont = "Font";
constexpr std::string_view kKeyFontColour = "FontColour";
constexpr std::string_view kKeyVisible = "Visible";

const BagValue kDefaultFirstRun = std::string("1");
const BagValue kDefaultFontColour = std::string("0");
const BagValue kDefaultVisible = std::string("1");

}  // namespace

FontSpec DesignFont() {
    FontSpec f;
    f.faceName = "ＭＳ Ｐゴシック";
    f.sizePoints = 9.75;
    f.weight = 400;
    f.charset = 128;
    return f;
}

bool IsCaptionColour(uint32_t colour) {
    const uint32_t kind = colour >> 24;
    if (kind == 0x00) return true;                             // red, green, blue
    if (kind == 0x80) return (colour & 0xFFFFFFu) <= 30;       // a system colour index
    return false;
}

Command::Command(FacePainter& painter, CommandSite& site) : painter_(painter), site_(site) {
    caption_.font = DesignFont();
    // The label as laid out; the surface starts opaque.
    painter_.SetCaptionText(caption_.text);
    painter_.SetCaptionFont(caption_.font);
    painter_.SetCaptionColour(caption_.colour);
    painter_.PlaceCaption(caption_.top, caption_.left, caption_.width);
    painter_.SetBackStyle(backStyle_);
}

void Command::Initialize() {
    fields_.faceState = kStateNormal;
    watch_.enabled = true;
    watch_.intervalMs = 100;
    site_.SetPointerWatch(watch_.enabled, watch_.intervalMs);
}

uint8_t Command::Visible() {
    if (backStyle_ == 0) return 0;
    RefreshLook();
    return 255;
}

void Command::SetVisible(uint8_t value) {
    if (value != 0) {
        ApplyBackStyle(1);
        RefreshLook();
    } else {
        ApplyBackStyle(0);
    }
    site_.PropertyChanged(kKeyVisible);
}

uint32_t Command::FontColour() {
    const uint32_t colour = caption_.colour;
    RefreshLook();
    return colour;
}

void Command::SetFontColour(uint32_t colour) {
    const bool accepted = ApplyCaptionColour(colour);
    RefreshLook();
    if (accepted) site_.PropertyChanged(kKeyFontColour);
}

bool Command::Enabled() {
    if (fields_.firstRun == 0) {
        RefreshLook();  // still disabled here, so this draws nothing
        fields_.firstRun = 1;
        fields_.enabled = true;
    }
    const bool value = fields_.enabled;
    ApplyEnabled();
    return value;
}

void Command::SetEnabled(bool value) {
    fields_.enabled = value;
    site_.PropertyChanged(kKeyEnabled);
    ApplyEnabled();
}

void Command::SetCaption(const std::string& text) {
    ApplyCaptionText(text);
    site_.PropertyChanged(kKeyCaption);
}

void Command::SetFont(const FontSpec& font) {
    ApplyCaptionFont(font);
    site_.PropertyChanged(kKeyFont);
}

// Each entry stands alone: one of the wrong type or out of range is skipped and leaves
// its property as it was.
void Command::ReadProperties(const PropertyBag& bag, const FontSpec& ambientFont) {
    if (auto v = BagBoolean(bag.Read(kKeyEnabled, true))) fields_.enabled = *v;
    if (auto v = BagText(bag.Read(kKeyCaption, std::string(kCaptionDefault)))) ApplyCaptionText(*v);
    if (auto v = BagFont(bag.Read(kKeyFont, ambientFont))) ApplyCaptionFont(*v);
    if (auto v = BagInteger(bag.Read(kKeyFirstRun, kDefaultFirstRun), 0, 255)) {
        fields_.firstRun = static_cast<uint8_t>(*v);
    }
    if (auto v = BagInteger(bag.Read(kKeyFontColour, kDefaultFontColour), std::numeric_limits<int32_t>::min(),
                            std::numeric_limits<int32_t>::max())) {
        ApplyCaptionColour(static_cast<uint32_t>(static_cast<int32_t>(*v)));
    }
    if (auto v = BagInteger(bag.Read(kKeyVisible, kDefaultVisible), -32768, 32767)) ApplyBackStyle(*v);
    RefreshLook();
}

void Command::WriteProperties(PropertyBag& bag, const FontSpec& ambientFont) {
    bag.Write(kKeyEnabled, fields_.enabled, true);
    bag.Write(kKeyCaption, caption_.text, std::string(kCaptionDefault));
    bag.Write(kKeyFirstRun, static_cast<int32_t>(fields_.firstRun), kDefaultFirstRun);
    bag.Write(kKeyFont, caption_.font, ambientFont);
    bag.Write(kKeyFontColour, static_cast<int32_t>(caption_.colour), kDefaultFontColour);
    bag.Write(kKeyVisible, static_cast<int32_t>(backStyle_), kDefaultVisible);
    RefreshLook();
}

bool Command::ApplyCaptionColour(uint32_t colour) {
    if (!IsCaptionColour(colour) || !painter_.SetCaptionColour(colour)) return false;
    caption_.colour = colour;
    return true;
}

void Command::ApplyCaptionText(const std::string& text) {
    caption_.text = text;
    painter_.SetCaptionText(text);
}

void Command::ApplyCaptionFont(const FontSpec& font) {
    caption_.font = font;
    painter_.SetCaptionFont(font);
}

bool Command::ApplyBackStyle(int64_t style) {
    if (style != 0 && style != 1) return false;  // a surface is either opaque or transparent
    backStyle_ = static_cast<uint8_t>(style);
    painter_.SetBackStyle(backStyle_);
    return true;
}

}  // namespace button
