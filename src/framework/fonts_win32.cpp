#include "framework/fonts_win32.h"

#include <cwchar>
#include <map>

namespace fw::win {
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

std::wstring ResolveFontFace(const std::wstring& requested) {
    static const wchar_t* const kFallbacks[] = {L"MS UI Gothic", L"Meiryo UI", L"Yu Gothic UI", L"IPAPGothic",
                                                L"Noto Sans CJK JP"};
    static std::map<std::wstring, std::wstring> resolved;
    auto it = resolved.find(requested);
    if (it != resolved.end()) return it->second;
    std::wstring face = requested;
    if (!FontFaceInstalled(requested)) {
        for (const wchar_t* f : kFallbacks) {
            if (FontFaceInstalled(f)) {
                face = f;
                break;
            }
        }
    }
    resolved.emplace(requested, face);
    return face;
}

}  // namespace fw::win
