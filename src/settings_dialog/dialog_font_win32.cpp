#include "settings_dialog/dialog_font_win32.h"

#include "framework/conversions.h"
#include "framework/window_win32.h"
#include "settings_dialog/layout.h"


namespace dialog {

const std::wstring& DialogFontFace() {
    static const std::wstring face = fw::win::ResolveFontFace(fw::win::Widen(kFontFace));
    return face;
}

HFONT CreateDialogFont(bool underline) {
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    LOGFONTW lf{};
    // 9.75 point is 13 pixels at 96 dpi.
    lf.lfHeight = -static_cast<LONG>(fw::RoundHalfEven(kFontPoints * (dpi > 0 ? dpi : 96) / 72.0));
    lf.lfWeight = FW_NORMAL;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    const std::wstring& face = DialogFontFace();
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

}  // namespace dialog
