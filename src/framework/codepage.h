// Conversion between the program's UTF-8 text and Shift-JIS (code page 932), the
// encoding of the settings file whatever the running system's code page is.
#pragma once

#include <string>
#include <string_view>

namespace fw {

// Characters that Shift-JIS cannot hold become '?', as the system's conversion does.
std::string Utf8ToCp932(std::string_view utf8);
// Bytes that are not valid Shift-JIS become a replacement character.
std::string Cp932ToUtf8(std::string_view sjis);

// True when the byte starts a two-byte Shift-JIS character.
inline bool IsCp932LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace fw
