#include "framework/codepage.h"

#include "framework/text_win32.h"

namespace fw {

std::string Utf8ToCp932(std::string_view utf8) { return win::Narrow(win::Widen(utf8), 932); }
std::string Cp932ToUtf8(std::string_view sjis) { return win::Narrow(win::Widen(sjis, 932)); }

}  // namespace fw
