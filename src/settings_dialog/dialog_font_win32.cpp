#include "settings_dialog/dialog_font_win32.h"

#include "button/command.h"
#include "framework/conversions.h"
#include "framework/dpi_win32.h"
#include "framework/window_win32.h"

namespace dialog {

const std::wstring& DialogFontFace() {
    static const std::wstring face = fw::win::ResolveFontFace(fw::win::Widen(button::DesignFont().faceName));
    return face;
}

HFONT CreateDialogFont(bool underline, uint32_t dpi) {
    // The labels use the form's font, the one its buttons take as their ambient font.
    const button::FontSpec font = button::DesignFont();
    if (dpi == 0) dpi = fw::win::SystemDpi();
    LOGFONTW lf{};
    lf.lfHeight = fw::FontHeightFromPoints(font.sizePoints, static_cast<int32_t>(dpi));
    lf.lfWeight = font.weight;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfCharSet = static_cast<BYTE>(font.charset);
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    const std::wstring& face = DialogFontFace();
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

}  // namespace dialog
