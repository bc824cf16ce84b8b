// libFuzzer target: the settings codec and the number conversions on arbitrary bytes.
// Beyond not crashing, a write must read back and must leave other keys alone.
#include "framework/conversions.h"
#include "startup/ini_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    // The first line is the value to write, the rest the file.
    size_t nl = input.find('\n');
    std::string value = nl == std::string::npos ? input : input.substr(0, nl);
    std::string file = nl == std::string::npos ? std::string() : input.substr(nl + 1);

    fw::LeadingNumber(input);
    if (auto v = fw::ParseNumber(value)) {
        fw::ToInt16(fw::Floor(*v));
        fw::ToInt32(*v);
    }

    std::string before = startup::IniRead(file, "Section", "other");
    std::string written = startup::IniWrite(file, "Section", "key", value);
    std::string back = startup::IniRead(written, "Section", "key");
    // What was written reads back (blanks trimmed, one pair of quotes dropped, cut).
    std::string expected = value.substr(0, value.find_first_of("\r\n"));
    size_t b = expected.find_first_not_of(" \t\v\f\x1a");
    expected = b == std::string::npos ? std::string() : expected.substr(b);
    size_t e = expected.find_last_not_of(" \t\v\f\x1a");
    expected = e == std::string::npos ? std::string() : expected.substr(0, e + 1);
    if (expected.size() >= 2 && (expected[0] == '"' || expected[0] == '\'') && expected.back() == expected[0])
        expected = expected.substr(1, expected.size() - 2);
    if (expected.size() <= 200 && back != expected) std::abort();
    if (startup::IniRead(written, "Section", "other") != before) std::abort();
    return 0;
}
