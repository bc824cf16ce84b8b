#include "startup/ini_file.h"

#include <gtest/gtest.h>

namespace {

using startup::IniRead;
using startup::IniWrite;

TEST(IniRead, MatchingTrimmingAndQuotes) {
    struct Case { const char* content; const char* section; const char* key; const char* value; } cases[] = {
        {"[Section]\r\nkey=value\r\n", "Section", "key", "value"},
        {"[SECTION]\r\nKEY=value\r\n", "section", "Key", "value"},           // case ignored
        {"  [Section]  \r\n  key  =  value  \r\n", "Section", "key", "value"},  // blanks ignored
        {"[ Section ]\nkey=v\n", "Section", "key", "v"},                      // LF file, blanks in brackets
        {"[Section]\r\nkey=\"quoted value\"\r\n", "Section", "key", "quoted value"},
        {"[Section]\r\nkey='single'\r\n", "Section", "key", "single"},
        {"[Section]\r\nkey=\"\"x\"\"\r\n", "Section", "key", "\"x\""},       // one pair only
        {"[Section]\r\nkey=\"open\r\n", "Section", "key", "\"open"},         // no pair, kept
        {"[Section]\r\nkey=\"\r\n", "Section", "key", "\""},
        {"[Section]\r\nkey=\"mixed'\r\n", "Section", "key", "\"mixed'"},
        {"[Section]\r\nkey=a=b\r\n", "Section", "key", "a=b"},               // first '=' splits
        {"[Other]\r\nkey=no\r\n[Section]\r\nkey=yes\r\n", "Section", "key", "yes"},
        {"[Section]\r\nkey=first\r\nkey=second\r\n", "Section", "key", "first"},
        {"[Section]\r\nkey=one\r\n[Section]\r\nkey=two\r\n", "Section", "key", "one"},
        {"[Section]\r\n[Other]\r\nkey=no\r\n", "Section", "key", ""},         // key of another section
        {"key=top\r\n[Section]\r\n", "Section", "key", ""},                  // before any section
        {"[Section]\r\nkeyx=1\r\n", "Section", "key", ""},
        {"[Section]\r\n;key=comment\r\n", "Section", "key", ""},
        {"[Section]\r\nkey\r\n", "Section", "key", ""},                       // no '='
        {"", "Section", "key", ""},
        {"[Section]\r\nkey=last line without break", "Section", "key", "last line without break"},
        {"[Section]\rkey=cr only\r", "Section", "key", ""},                  // a lone CR does not end a line
        {"[Sec]tion]\r\nkey=v\r\n", "Sec]tion", "key", "v"},                 // the last ']' closes
    };
    for (const auto& c : cases) EXPECT_EQ(IniRead(c.content, c.section, c.key), c.value) << c.content;
}

TEST(IniRead, DoubleByteTrailBytesAreNotCaseFolded) {
    // 0x83 0x61 and 0x83 0x41 are different katakana; an ASCII fold of the trail byte
    // would wrongly make them the same key.
    EXPECT_EQ(IniRead("[S]\r\n\x83\x61=1\r\n", "S", "\x83\x41"), "");
    EXPECT_EQ(IniRead("[S]\r\n\x83\x61=1\r\n", "S", "\x83\x61"), "1");
}

TEST(IniWrite, CreatesReplacesAndKeepsEverythingElse) {
    struct Case { const char* name; const char* before; const char* key; const char* value; const char* after; } cases[] = {
        {"new file", "", "key", " 300", "[Section]\r\nkey= 300\r\n"},
        {"new section after others", "[Other]\r\na=1\r\n", "key", "v", "[Other]\r\na=1\r\n[Section]\r\nkey=v\r\n"},
        {"new section, file without final break", "[Other]\r\na=1", "key", "v",
         "[Other]\r\na=1\r\n[Section]\r\nkey=v\r\n"},
        {"replace in place", "[Section]\r\nkey=old\r\nother=1\r\n", "key", "new",
         "[Section]\r\nkey=new\r\nother=1\r\n"},
        {"replace keeps the key's spelling and indent", "[Section]\r\n  KEY = old  \r\n", "key", "x",
         "[Section]\r\n  KEY=x\r\n"},
        {"replace in an LF file keeps LF", "[Section]\nkey=old\nz=1\n", "key", "new", "[Section]\nkey=new\nz=1\n"},
        {"add after the last entry, before blank lines", "[Section]\r\na=1\r\n\r\n[Other]\r\nb=2\r\n", "key", "v",
         "[Section]\r\na=1\r\nkey=v\r\n\r\n[Other]\r\nb=2\r\n"},
        {"add to a section at the end without a break", "[Section]\r\na=1", "key", "v", "[Section]\r\na=1\r\nkey=v\r\n"},
        {"add to an empty section", "[Section]\r\n[Other]\r\n", "key", "v", "[Section]\r\nkey=v\r\n[Other]\r\n"},
        {"mixed case section", "[SECTION]\r\nKey=1\r\n", "key", "2", "[SECTION]\r\nKey=2\r\n"},
        {"empty value ends at the equals sign", "[Section]\r\nkey=abc\r\n", "key", "", "[Section]\r\nkey=\r\n"},
        {"a line break cannot plant keys", "", "key", "a\r\n[Evil]\r\nx=1", "[Section]\r\nkey=a\r\n"},
        {"comments and unknown keys kept", "; note\r\n[Section]\r\n;c\r\nzz=9\r\n", "key", "1",
         "; note\r\n[Section]\r\n;c\r\nzz=9\r\nkey=1\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(IniWrite(c.before, "Section", c.key, c.value), c.after) << c.name;
}

TEST(IniWrite, WhatIsWrittenReadsBack) {
    std::string content;
    const std::string values[] = {" 300", "-3", "", "C:\\a b\\c.mp3", "x=y", std::string(255, 'z')};
    for (const std::string& v : values) {
        content = IniWrite(content, "Section", "k", v);
        std::string expected = v;
        while (!expected.empty() && expected.front() == ' ') expected.erase(0, 1);  // read trims blanks
        EXPECT_EQ(IniRead(content, "Section", "k"), expected);
    }
}

}  // namespace
