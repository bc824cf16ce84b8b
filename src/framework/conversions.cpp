#include "framework/conversions.h"

#include "framework/ports.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace fw {

double Floor(double x) { return std::floor(x); }

double RoundHalfEven(double x) {
    if (!std::isfinite(x)) return x;
    double f = std::floor(x);
    double diff = x - f;
    if (diff < 0.5) return f;
    if (diff > 0.5) return f + 1.0;
    return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

int32_t FontHeightFromPoints(double points, int32_t dpi) {
    return -static_cast<int32_t>(RoundHalfEven(points * (dpi > 0 ? dpi : 96) / 72.0));
}

namespace {
template <typename T>
std::optional<T> RoundedInRange(double x) {
    if (!std::isfinite(x)) return std::nullopt;
    double r = RoundHalfEven(x);
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(r);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads an "&H" or "&O" integer starting after the '&'. Returns the value and moves pos.
// Values of up to 32 bits are taken as signed 32-bit, as the run-time does.
std::optional<double> ReadRadix(std::string_view t, std::size_t& pos, bool skipBlanks) {
    if (pos >= t.size()) return std::nullopt;
    char kind = t[pos];
    int base = 0;
    if (kind == 'h' || kind == 'H') base = 16;
    else if (kind == 'o' || kind == 'O') base = 8;
    else return std::nullopt;
    ++pos;
    unsigned long long v = 0;
    int digits = 0;
    while (pos < t.size()) {
        char c = t[pos];
        if (skipBlanks && IsBlank(c)) { ++pos; continue; }
        int d = HexValue(c);
        if (d < 0 || d >= base) break;
        if (v < (1ULL << 40)) v = v * base + d;
        ++digits;
        ++pos;
    }
    if (digits == 0) return std::nullopt;
    if (v <= 0xFFFFu) return static_cast<double>(static_cast<int16_t>(v));
    if (v <= 0xFFFFFFFFu) return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(v)));
    return std::nullopt;
}
}  // namespace

std::optional<int16_t> ToInt16(double x) { return RoundedInRange<int16_t>(x); }
std::optional<int32_t> ToInt32(double x) { return RoundedInRange<int32_t>(x); }
std::optional<uint32_t> ToUInt32(double x) { return RoundedInRange<uint32_t>(x); }

double LeadingNumber(std::string_view text) {
    std::string num;  // the number as read, blanks removed
    std::size_t pos = 0;
    auto skip = [&] { while (pos < text.size() && IsBlank(text[pos])) ++pos; };
    skip();
    if (pos < text.size() && text[pos] == '&') {
        ++pos;
        auto v = ReadRadix(text, pos, true);
        return v ? *v : 0.0;
    }
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        num += text[pos++];
    }
    bool digits = false, point = false;
    while (pos < text.size()) {
        char c = text[pos];
        if (IsBlank(c)) { ++pos; continue; }
        if (IsDigit(c)) { num += c; digits = true; ++pos; continue; }
        if (c == '.' && !point) { num += c; point = true; ++pos; continue; }
        break;
    }
    if (!digits) return 0.0;
    // Exponent: only taken when digits follow it.
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E' || text[pos] == 'd' || text[pos] == 'D')) {
        std::size_t save = pos;
        std::string exp = "e";
        ++pos;
        skip();
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) exp += text[pos++];
        bool expDigits = false;
        while (pos < text.size()) {
            char c = text[pos];
            if (IsBlank(c)) { ++pos; continue; }
            if (!IsDigit(c)) break;
            exp += c;
            expDigits = true;
            ++pos;
        }
        if (expDigits) num += exp;
        else pos = save;
    }
    double v = std::strtod(num.c_str(), nullptr);
    return v;
}

namespace {
// True when a non-empty separator stands at pos.
bool At(std::string_view t, std::size_t pos, const std::string& separator) {
    return !separator.empty() && t.compare(pos, separator.size(), separator) == 0;
}
bool HasDigit(std::string_view t) {
    for (char c : t)
        if (IsDigit(c)) return true;
    return false;
}
}  // namespace

NumberFormat UserNumberFormat(LocalePort& locale) {
    NumberFormat fmt;
    std::string decimal = locale.DecimalSeparator();
    std::string group = locale.GroupSeparator();
    if (!decimal.empty() && !HasDigit(decimal)) fmt.decimal = decimal;
    fmt.group = (HasDigit(group) || group == fmt.decimal) ? std::string() : group;
    return fmt;
}

std::optional<double> ParseNumber(std::string_view text, const NumberFormat& fmt) {
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
    std::string_view t = text.substr(b, e - b);
    if (t.empty()) return std::nullopt;

    std::size_t pos = 0;
    bool negative = false;
    if (t[pos] == '+' || t[pos] == '-') {
        negative = t[pos] == '-';
        ++pos;
        while (pos < t.size() && t[pos] == ' ') ++pos;
    }
    if (pos < t.size() && t[pos] == '&') {
        ++pos;
        auto v = ReadRadix(t, pos, false);
        if (!v || pos != t.size()) return std::nullopt;
        return negative ? -*v : *v;
    }

    std::string num;
    bool intDigits = false, fracDigits = false;
    while (pos < t.size()) {
        char c = t[pos];
        if (IsDigit(c)) { num += c; intDigits = true; ++pos; continue; }
        // A group separator is accepted between digits of the integer part only.
        if (intDigits && At(t, pos, fmt.group)) { pos += fmt.group.size(); continue; }
        break;
    }
    if (At(t, pos, fmt.decimal)) {
        num += '.';
        pos += fmt.decimal.size();
        while (pos < t.size() && IsDigit(t[pos])) { num += t[pos++]; fracDigits = true; }
    }
    if (!intDigits && !fracDigits) return std::nullopt;
    if (pos < t.size() && (t[pos] == 'e' || t[pos] == 'E' || t[pos] == 'd' || t[pos] == 'D')) {
        ++pos;
        std::string exp = "e";
        if (pos < t.size() && (t[pos] == '+' || t[pos] == '-')) exp += t[pos++];
        bool expDigits = false;
        while (pos < t.size() && IsDigit(t[pos])) { exp += t[pos++]; expDigits = true; }
        if (!expDigits) return std::nullopt;
        num += exp;
    }
    if (pos != t.size()) return std::nullopt;
    double v = std::strtod(num.c_str(), nullptr);
    if (!std::isfinite(v)) return std::nullopt;
    return negative ? -v : v;
}

std::string NumberForm(long long value) {
    return value < 0 ? DecimalText(value) : " " + DecimalText(value);
}

std::string DecimalText(long long value) { return std::to_string(value); }

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

namespace {
// Byte offset of the character after the first `chars` characters of UTF-8 text (the
// text's size when it has fewer). A stray continuation byte counts as a character of
// its own, so damaged text still moves forward.
std::size_t OffsetOfChar(std::string_view text, std::size_t chars) {
    std::size_t i = 0;
    for (std::size_t n = 0; n < chars && i < text.size(); ++n) {
        const bool lead = static_cast<unsigned char>(text[i]) >= 0xC0;
        ++i;
        for (int more = 0; lead && more < 3 && i < text.size() &&
                           (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80; ++more)
            ++i;
    }
    return i;
}
}  // namespace

std::size_t CharCount(std::string_view text) {
    std::size_t n = 0, i = 0;
    while (i < text.size()) {
        i += OffsetOfChar(text.substr(i), 1);
        ++n;
    }
    return n;
}

std::string Mid(std::string_view text, std::size_t start1, std::size_t length) {
    if (start1 == 0) start1 = 1;
    const std::size_t begin = OffsetOfChar(text, start1 - 1);
    if (begin >= text.size()) return std::string();
    std::string_view rest = text.substr(begin);
    if (length == std::string_view::npos) return std::string(rest);
    return std::string(rest.substr(0, OffsetOfChar(rest, length)));
}

std::string Right(std::string_view text, std::size_t n) {
    const std::size_t chars = CharCount(text);
    if (n >= chars) return std::string(text);
    return std::string(text.substr(OffsetOfChar(text, chars - n)));
}

}  // namespace fw
