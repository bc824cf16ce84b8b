#include "framework/conversions.h"
#include "framework/ports.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    struct Case { double in, out; } cases[] = {
        {10.5, 10}, {11.5, 12}, {0.5, 0}, {1.5, 2}, {-0.5, -0}, {-1.5, -2}, {-2.5, -2},
        {2.4999, 2}, {2.5001, 3}, {-3.5, -4}, {32767.5, 32768}, {0, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(fw::RoundHalfEven(c.in), c.out) << c.in;
}

TEST(Rounding, Int16ReportsOverflowInsteadOfWrapping) {
    EXPECT_EQ(fw::ToInt16(32767.4).value(), 32767);
    EXPECT_FALSE(fw::ToInt16(32767.5).has_value());  // rounds to 32768
    EXPECT_EQ(fw::ToInt16(-32768.5).value(), -32768); // halves to even stays in range
    EXPECT_FALSE(fw::ToInt16(-32769).has_value());
    EXPECT_FALSE(fw::ToInt16(NAN).has_value());
    EXPECT_FALSE(fw::ToInt16(INFINITY).has_value());
    EXPECT_EQ(fw::ToInt32(2147483647.0).value(), 2147483647);
    EXPECT_FALSE(fw::ToInt32(2147483648.0).has_value());
    EXPECT_EQ(fw::ToUInt32(4294967295.0).value(), 4294967295u);
    EXPECT_FALSE(fw::ToUInt32(4294967296.0).has_value());
    EXPECT_FALSE(fw::ToUInt32(-1).has_value());
}

TEST(LeadingNumber, ReadsTheNumberATextBeginsWith) {
    struct Case { const char* in; double out; } cases[] = {
        {"1234", 1234}, {" 1234", 1234}, {"1 2 3", 123}, {"234", 234}, {"12abc", 12},
        {"abc", 0}, {"", 0}, {"-3.5", -3.5}, {"+7", 7}, {"3.14.15", 3.14}, {"1e3", 1000},
        {"1D2", 100}, {"2e", 2}, {"2e+", 2}, {"&H10", 16}, {"&O17", 15}, {"&HFFFF", -1},
        {"Error:-1", 0}, {"\t\n42", 42}, {".5", 0.5}, {"-", 0}, {"4294967295", 4294967295.0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(fw::LeadingNumber(c.in), c.out) << c.in;
}

TEST(ParseNumber, AcceptsWholeNumbersOnly) {
    struct Case { const char* in; bool ok; double out; } cases[] = {
        {"300", true, 300}, {" 300", true, 300}, {" 3 ", true, 3}, {"12.9", true, 12.9},
        {"-3.5", true, -3.5}, {"+4", true, 4}, {"1,000", true, 1000}, {"1,0,0", true, 100},
        {"2.5e1", true, 25}, {"1E-2", true, 0.01}, {".5", true, 0.5}, {"5.", true, 5},
        {"&H1F", true, 31}, {"abc", false, 0}, {"", false, 0}, {"   ", false, 0},
        {"12abc", false, 0}, {",5", false, 0}, {"1e", false, 0}, {"1.2.3", false, 0},
        {"- 5", true, -5}, {"1e999", false, 0}, {".", false, 0}, {"+", false, 0},
    };
    for (const auto& c : cases) {
        auto v = fw::ParseNumber(c.in);
        EXPECT_EQ(v.has_value(), c.ok) << c.in;
        if (v && c.ok) {
            EXPECT_DOUBLE_EQ(*v, c.out) << c.in;
        }
    }
}

TEST(ParseNumber, FollowsTheUsersSeparators) {
    fw::NumberFormat german{",", "."};
    EXPECT_DOUBLE_EQ(fw::ParseNumber("2,5", german).value(), 2.5);
    EXPECT_DOUBLE_EQ(fw::ParseNumber("1.000,5", german).value(), 1000.5);
}

// The separators as the system reports them for the user.
struct FakeLocale : fw::LocalePort {
    std::string decimal, group;
    FakeLocale(std::string d, std::string g) : decimal(std::move(d)), group(std::move(g)) {}
    std::string DecimalSeparator() override { return decimal; }
    std::string GroupSeparator() override { return group; }
};

TEST(ParseNumber, SeparatorsComeFromTheUsersLocale) {
    struct Case { const char* decimal; const char* group; const char* in; std::optional<double> out; } cases[] = {
        {",", ".", "12,9", 12.9},
        {",", ".", "1.000,5", 1000.5},
        {",", ".", "12.9", 129},               // a group separator there
        {",", "\u00a0", "1\u00a02,5", 12.5},   // separators of more than one byte
        {"\u066b", "\u066c", "3\u066b5", 3.5},
        {"", "", "2.5", 2.5},                  // none given: the usual ones
        {",", ",", "1,5", 1.5},                // one sign for both: it is the decimal one
        {",", "", "1,000", 1.0},
        {"5", "0", "150", 150},                // digits cannot separate
    };
    for (const auto& c : cases) {
        FakeLocale locale(c.decimal, c.group);
        EXPECT_EQ(fw::ParseNumber(c.in, fw::UserNumberFormat(locale)), c.out) << c.in << " " << c.decimal;
    }
}

TEST(NumberText, NumberFormHasALeadingBlankUnlessNegative) {
    EXPECT_EQ(fw::NumberForm(300), " 300");
    EXPECT_EQ(fw::NumberForm(0), " 0");
    EXPECT_EQ(fw::NumberForm(-3), "-3");
    EXPECT_EQ(fw::DecimalText(300), "300");
    EXPECT_EQ(fw::DecimalText(-32768), "-32768");
}

TEST(Text, SubstringsByOneBasedPosition) {
    EXPECT_EQ(fw::Mid("/p 1234", 4), "1234");
    EXPECT_EQ(fw::Mid("/p1234", 4), "234");
    EXPECT_EQ(fw::Mid("/s", 2, 1), "s");
    EXPECT_EQ(fw::Mid("s", 2, 1), "");
    EXPECT_EQ(fw::Mid("", 4), "");
    EXPECT_EQ(fw::Right("song.mp3", 3), "mp3");
    EXPECT_EQ(fw::Right("ab", 3), "ab");
    EXPECT_EQ(fw::UpperAscii("SONG.Wav"), "SONG.WAV");
    // Positions count characters, not the bytes of their UTF-8 form.
    EXPECT_EQ(fw::Mid("／p 1234", 4), "1234");
    EXPECT_EQ(fw::Mid("／s", 2, 1), "s");
    EXPECT_EQ(fw::Mid("あいう", 2, 1), "い");
    EXPECT_EQ(fw::Mid("あいう", 3), "う");
    EXPECT_EQ(fw::Mid("あ", 2), "");
    EXPECT_EQ(fw::Right("曲.ｍｐ３", 3), "ｍｐ３");
}

}  // namespace
