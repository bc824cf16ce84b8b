// Text at the system boundary: the program's UTF-8 to and from the UTF-16 of the wide
// functions, or to and from another code page through UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace fw::win {

std::wstring Widen(std::string_view text, UINT codePage = CP_UTF8);
std::string Narrow(std::wstring_view wide, UINT codePage = CP_UTF8);

}  // namespace fw::win
