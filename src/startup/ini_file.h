// The settings file's own INI codec. It works on the file's bytes (Shift-JIS) and
// follows the rules of the system's private-profile functions: section and key match
// without regard to ASCII case, blanks around key and value are ignored on reading, one
// pair of enclosing quotes is dropped on reading, values come back cut to 255 bytes.
// Writing changes only the one line it must (or adds it), leaves every other line and
// section byte for byte as it was, and ends the lines it writes with CRLF.
#pragma once

#include <string>
#include <string_view>

namespace startup {

// Longest value a read gives back, in bytes (the caller's buffer holds 256 with the NUL).
constexpr std::size_t kIniValueMax = 255;

// The value of key in section, or empty when the section or key is missing.
std::string IniRead(std::string_view content, std::string_view section, std::string_view key);

// The content with key in section set to value; creates the section (at the end) and
// the key (after the section's last entry) when they are missing.
std::string IniWrite(std::string_view content, std::string_view section, std::string_view key,
                     std::string_view value);

}  // namespace startup
