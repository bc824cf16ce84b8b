// The Command button's face on Windows: the state pictures, the gradient and the caption
// drawn into the retained face, and the face presented to the window.
#include "button/command_win32.h"

#include "framework/conversions.h"
#include "framework/fonts_win32.h"
#include "framework/scale.h"
#include "framework/system_dll_win32.h"
#include "resource_ids.h"

#include <array>
#include <cstddef>
#include <cwchar>
#include <memory>

namespace button {

namespace {

// The state pictures are always taken as 960 x 375 twips; each set is drawn for its DPI,
// so its pixels are that DPI's twips: 15 twips to the pixel of the 64 x 25 set, 7.5 to the
// pixel of the 128 x 50 one.
double PictureTwipsPerPixel(uint32_t dpi) { return fw::TwipsPerPixelAt(fw::kPictureDpis[fw::PictureSetFor(dpi)]); }

// The gradient vertices and rectangle are handed to the system as they are.
static_assert(sizeof(GradientVertex) == sizeof(TRIVERTEX), "vertex layout");
static_assert(offsetof(GradientVertex, x) == offsetof(TRIVERTEX, x), "vertex layout");
static_assert(offsetof(GradientVertex, y) == offsetof(TRIVERTEX, y), "vertex layout");
static_assert(offsetof(GradientVertex, red) == offsetof(TRIVERTEX, Red), "vertex layout");
static_assert(offsetof(GradientVertex, green) == offsetof(TRIVERTEX, Green), "vertex layout");
static_assert(offsetof(GradientVertex, blue) == offsetof(TRIVERTEX, Blue), "vertex layout");
static_assert(offsetof(GradientVertex, alpha) == offsetof(TRIVERTEX, Alpha), "vertex layout");
static_assert(sizeof(GradientRect) == sizeof(GRADIENT_RECT), "rectangle layout");

int ToPixels(double twips, double twipsPerPixel) {
    return static_cast<int>(fw::RoundHalfEven(twips / twipsPerPixel));
}

// A caption colour: red in the low byte, or 0x800000nn for system colour nn.
COLORREF ResolveColour(uint32_t colour) {
    if ((colour >> 24) == 0x80) return GetSysColor(static_cast<int>(colour & 0xFF));
    return static_cast<COLORREF>(colour & 0xFFFFFFu);
}

}  // namespace

const fw::win::RetainedPicture* CommandControl::StatePicture(FacePicture picture, uint32_t dpi) {
    // One set of six per picture DPI, each loaded when a button first draws at it.
    struct Pictures {
        std::array<fw::win::RetainedPicture, 6> pictures;
        std::array<bool, 6> loaded{};
        explicit Pictures(std::size_t set) {
            HINSTANCE instance = GetModuleHandleW(nullptr);
            const int first = IDB_BUTTON_NORMAL + static_cast<int>(set) * IDB_SCALED_SET_STEP;
            for (int i = 0; i < 6; ++i) loaded[i] = pictures[i].FromResource(instance, first + i);
        }
    };
    static_assert(IDB_BUTTON_DISABLE - IDB_BUTTON_NORMAL == static_cast<int>(FacePicture::Disable),
                  "the resources follow the order of the pictures");
    static std::array<std::unique_ptr<Pictures>, fw::kPictureSetCount> sets;
    const std::size_t set = fw::PictureSetFor(dpi);
    if (!sets[set]) sets[set] = std::make_unique<Pictures>(set);
    const Pictures& shared = *sets[set];
    const auto i = static_cast<size_t>(picture);
    if (i >= shared.pictures.size() || !shared.loaded[i]) return nullptr;
    return &shared.pictures[i];
}

void CommandControl::SetDpi(uint32_t dpi) {
    if (dpi == 0) dpi = fw::kLayoutDpi;
    if (dpi == dpi_) return;
    dpi_ = dpi;
    twipsPerPixel_ = fw::TwipsPerPixelAt(dpi);
    if (hasCaptionFont_) SetCaptionFont(captionFontSpec_);
    // A window that keeps its size is drawn again here; a new size redraws on WM_SIZE.
    if (hwnd()) core_->OnResize();
}

// --- FacePainter ---------------------------------------------------------------------

double CommandControl::InnerWidthTwips() const { return static_cast<double>(face_.width()) * twipsPerPixel_; }
double CommandControl::InnerHeightTwips() const { return static_cast<double>(face_.height()) * twipsPerPixel_; }

void CommandControl::Clear() {
    if (!face_.dc()) return;
    RECT rc{0, 0, face_.width(), face_.height()};
    FillRect(face_.dc(), &rc, GetSysColorBrush(COLOR_BTNFACE));
}

void CommandControl::GradientFill(const GradientVertexTable& vertices, uint32_t count, const GradientRect& rect) {
    if (!face_.dc()) return;
    std::array<TRIVERTEX, 3> v{};
    for (size_t i = 0; i < v.size(); ++i) {
        v[i].x = vertices[i].x;
        v[i].y = vertices[i].y;
        v[i].Red = vertices[i].red;
        v[i].Green = vertices[i].green;
        v[i].Blue = vertices[i].blue;
        v[i].Alpha = vertices[i].alpha;
    }
    GRADIENT_RECT r{rect.upperLeft, rect.lowerRight};
    const ULONG n = count < v.size() ? static_cast<ULONG>(count) : static_cast<ULONG>(v.size());
    // Without msimg32 the face keeps its plain colour, as when the call fails.
    static const auto gradientFill = fw::win::SystemFunction<decltype(&::GradientFill)>(L"msimg32.dll", "GradientFill");
    if (gradientFill) gradientFill(face_.dc(), v.data(), n, &r, 1, GRADIENT_FILL_RECT_V);
}

void CommandControl::CopyPicture(FacePicture picture, const TwipRect& source, const TwipRect& destination) {
    const fw::win::RetainedPicture* pic = StatePicture(picture, dpi_);
    if (!pic || !face_.dc()) return;
    const double from = PictureTwipsPerPixel(dpi_), to = twipsPerPixel_;
    StretchBlt(face_.dc(), ToPixels(destination.x, to), ToPixels(destination.y, to), ToPixels(destination.w, to),
               ToPixels(destination.h, to), pic->dc(), ToPixels(source.x, from), ToPixels(source.y, from),
               ToPixels(source.w, from), ToPixels(source.h, from), SRCCOPY);
}

void CommandControl::Refresh() { Present(); }

void CommandControl::SetBackStyle(uint8_t style) {
    backStyle_ = style;
    Present();
}

void CommandControl::SetCaptionText(const std::string& text) {
    captionText_ = fw::win::Widen(text);
    Present();
}

void CommandControl::SetCaptionFont(const FontSpec& font) {
    captionFontSpec_ = font;
    hasCaptionFont_ = true;
    LOGFONTW lf{};
    lf.lfHeight = fw::FontHeightFromPoints(font.sizePoints, static_cast<int32_t>(dpi_));
    lf.lfWeight = font.weight;
    lf.lfItalic = font.italic;
    lf.lfUnderline = font.underline;
    lf.lfStrikeOut = font.strikethrough;
    lf.lfCharSet = static_cast<BYTE>(font.charset);
    const std::wstring requested = fw::win::Widen(font.faceName);
    const std::wstring face = ResolveFontFace(requested);
    if (face != requested) lf.lfCharSet = DEFAULT_CHARSET;  // the stand-in's own script
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    HFONT made = CreateFontIndirectW(&lf);
    if (!made) return;
    if (captionFont_) DeleteObject(captionFont_);
    captionFont_ = made;
    Present();
}

bool CommandControl::SetCaptionColour(uint32_t colour) {
    captionColour_ = colour;
    Present();
    return true;
}

bool CommandControl::SetCaptionEnabled(bool enabled) {
    captionEnabled_ = enabled;
    Present();
    return true;
}

void CommandControl::PlaceCaption(double top, double left, double width) {
    captionTop_ = top;
    captionLeft_ = left;
    captionWidth_ = width;
    Present();
}

// --- Presenting ----------------------------------------------------------------------

void CommandControl::Present() {
    if (!presented_.dc()) return;
    HDC dc = presented_.dc();
    if (backStyle_ != 0) {
        BitBlt(dc, 0, 0, presented_.width(), presented_.height(), face_.dc(), 0, 0, SRCCOPY);
    } else {
        DrawBehind(dc);
    }
    DrawCaption(dc);
    if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void CommandControl::DrawBehind(HDC dc) const {
    // A transparent face shows the parent's client area where the control stands.
    RECT rc{0, 0, presented_.width(), presented_.height()};
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    HWND parent = hwnd() ? GetParent(hwnd()) : nullptr;
    if (!parent) return;
    POINT at{0, 0};
    MapWindowPoints(hwnd(), parent, &at, 1);
    POINT old{};
    SetViewportOrgEx(dc, -at.x, -at.y, &old);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

void CommandControl::DrawCaption(HDC dc) const {
    if (captionText_.empty()) return;
    // The label keeps its laid-out height; the core places only its top, left and width.
    const double height = core_ ? core_->caption().height : CaptionLabel{}.height;
    RECT rc;
    rc.left = ToPixels(captionLeft_, twipsPerPixel_);
    rc.top = ToPixels(captionTop_, twipsPerPixel_);
    rc.right = rc.left + ToPixels(captionWidth_, twipsPerPixel_);
    rc.bottom = rc.top + ToPixels(height, twipsPerPixel_);
    HGDIOBJ oldFont = captionFont_ ? SelectObject(dc, captionFont_) : nullptr;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const UINT format = DT_CENTER | DT_TOP | DT_SINGLELINE;
    const int len = static_cast<int>(captionText_.size());
    if (captionEnabled_) {
        SetTextColor(dc, ResolveColour(captionColour_));
        DrawTextW(dc, captionText_.c_str(), len, &rc, format);
    } else {
        // The system's greyed text: a light copy one pixel down and right, grey on top.
        RECT lit = rc;
        const int shift = fw::ScaleToDpi(1, dpi_);
        OffsetRect(&lit, shift, shift);
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        DrawTextW(dc, captionText_.c_str(), len, &lit, format);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, captionText_.c_str(), len, &rc, format);
    }
    SetBkMode(dc, oldMode);
    if (oldFont) SelectObject(dc, oldFont);
}

}  // namespace button
