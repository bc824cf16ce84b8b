#include "framework/codepage.h"

#include <windows.h>

#include <string>

namespace fw {
namespace {
std::wstring Widen(std::string_view text, UINT cp) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), w.data(), n);
    return w;
}
std::string Narrow(const std::wstring& w, UINT cp) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}
}  // namespace

std::string Utf8ToCp932(std::string_view utf8) { return Narrow(Widen(utf8, CP_UTF8), 932); }
std::string Cp932ToUtf8(std::string_view sjis) { return Narrow(Widen(sjis, 932), CP_UTF8); }

}  // namespace fw
