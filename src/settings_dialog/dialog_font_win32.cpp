#include "settings_dialog/dialog_font_win32.h"

#include "framework/conversions.h"
#include "framework/window_win32.h"
#include "settings_dialog/layout.h"

#include <cwchar>

namespace dialog {

namespace {
struct Wanted {
    const wchar_t* face;
    bool found;
};

int CALLBACK NoteFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM param) {
    auto* wanted = reinterpret_cast<Wanted*>(param);
    // The mapper may list a substitute under another name; only the face itself counts.
    if (_wcsicmp(lf->lfFaceName, wanted->face) == 0) {
        wanted->found = true;
        return 0;
    }
    return 1;
}
}  // namespace

bool FontFaceInstalled(const std::wstring& face) {
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    HDC dc = GetDC(nullptr);
    if (!dc) return false;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    Wanted wanted{face.c_str(), false};
    EnumFontFamiliesExW(dc, &lf, NoteFace, reinterpret_cast<LPARAM>(&wanted), 0);
    ReleaseDC(nullptr, dc);
    return wanted.found;
}

const std::wstring& DialogFontFace() {
    static const std::wstring face = [] {
        const std::wstring first = fw::win::Widen(kFontFace);
        if (FontFaceInstalled(first)) return first;
        for (const wchar_t* f : {L"MS UI Gothic", L"Meiryo UI", L"Yu Gothic UI", L"IPAPGothic", L"Noto Sans CJK JP"})
            if (FontFaceInstalled(f)) return std::wstring(f);
        return first;  // nothing better installed: the mapper chooses
    }();
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
