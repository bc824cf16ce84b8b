// Number and text conversions shared by every subsystem.
//
// The program's rules on numbers are those of a classic Windows run-time: integers
// come from floats by rounding halves to the even neighbour (or by floor where a rule
// says so), a text's "leading number" is read the forgiving way (blanks skipped,
// stops at the first character that cannot continue it), and a whole text converts
// only when all of it is a number. Out-of-range conversions are reported, never wrapped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fw {

// Largest integer not above x.
double Floor(double x);

// Nearest integer, halves to the even neighbour: 10.5 -> 10, 11.5 -> 12, -2.5 -> -2.
double RoundHalfEven(double x);

// A font's height for its size in points at dpi (96 when dpi is not positive), as a
// font request takes it: negative, the height of the characters without the leading.
// 9.75 point is -13 at 96 dpi.
int32_t FontHeightFromPoints(double points, int32_t dpi);

// Rounded (halves to even) and range-checked; empty when the value does not fit
// (or is not finite).
std::optional<int16_t> ToInt16(double x);
std::optional<int32_t> ToInt32(double x);
std::optional<uint32_t> ToUInt32(double x);

// The number a text begins with, 0 when it begins with none. Blanks, tabs and line
// breaks are skipped wherever they stand; an optional sign, digits, one decimal point
// and an exponent (E or D) are read; "&H" and "&O" start hexadecimal and octal
// integers. Reading stops at the first character that cannot continue the number.
double LeadingNumber(std::string_view text);

// Separators of the user's number format, as UTF-8 text (a locale may use more than
// one byte, a no-break space for one). The defaults are those of the Japanese (and
// English) locale; an empty group separator means no grouping.
struct NumberFormat {
    std::string decimal = ".";
    std::string group = ",";
};

class LocalePort;
// The user's separators, made safe to parse with: no decimal separator gives ".", and a
// group separator that is missing, holds a digit or equals the decimal one is not used.
NumberFormat UserNumberFormat(LocalePort& locale);

// The locale-aware conversion of a whole text: leading and trailing blanks, a sign,
// digit grouping in the integer part, a decimal fraction and an exponent are accepted,
// as are "&H"/"&O" integers; anything else makes it not a number.
std::optional<double> ParseNumber(std::string_view text, const NumberFormat& fmt = {});
inline bool IsNumber(std::string_view text, const NumberFormat& fmt = {}) {
    return ParseNumber(text, fmt).has_value();
}

// Decimal digits with a leading blank for zero and positive values, a minus sign for
// negative ones: 300 -> " 300", -3 -> "-3".
std::string NumberForm(long long value);

// Plain decimal digits: 300 -> "300", -3 -> "-3".
std::string DecimalText(long long value);

// ASCII upper-casing; bytes above 0x7F (multi-byte text) are left as they are.
std::string UpperAscii(std::string_view text);

// Positions and lengths count characters of the UTF-8 text, not bytes: a full-width
// "／" is one character, as it is to the user who typed it.
std::size_t CharCount(std::string_view text);

// Substring by 1-based character position; out-of-range positions give what exists.
std::string Mid(std::string_view text, std::size_t start1, std::size_t length = std::string_view::npos);

// The last n characters (fewer when the text is shorter).
std::string Right(std::string_view text, std::size_t n);

}  // namespace fw
