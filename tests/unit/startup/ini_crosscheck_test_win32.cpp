// Our settings-file codec against the system's private-profile functions, on the same
// files. Where they are meant to differ, the difference is pinned here.
#include "framework/codepage.h"
#include "startup/ini_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string TempPath(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << bytes;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string SystemRead(const std::string& content, const std::string& section, const std::string& key) {
    std::string path = TempPath("fluttera_xcheck_read.ini");
    WriteBytes(path, content);
    char buf[256];
    memset(buf, 0, sizeof buf);
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buf, 256, path.c_str());
    DeleteFileA(path.c_str());
    return std::string(buf);
}

std::string SystemWrite(const std::string& content, bool exists, const std::string& section, const std::string& key,
                        const std::string& value) {
    std::string path = TempPath("fluttera_xcheck_write.ini");
    DeleteFileA(path.c_str());
    if (exists) WriteBytes(path, content);
    WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());  // flush the system's cache
    std::string out = ReadBytes(path);
    DeleteFileA(path.c_str());
    return out;
}

const char* const kReadFiles[] = {
    "[Section]\r\nkey=value\r\n",
    "[SECTION]\r\nKEY=Value\r\n",
    "  [Section]  \r\n  key  =  value with blanks  \r\n",
    "[Section]\nkey=lf file\n",
    "[Section]\r\nkey=\"quoted\"\r\n",
    "[Section]\r\nkey='single'\r\n",
    "[Section]\r\nkey=\"open\r\n",
    "[Section]\r\nkey=a=b\r\n",
    "[Other]\r\nkey=no\r\n[Section]\r\nkey=yes\r\n",
    "[Section]\r\nkey=first\r\nkey=second\r\n",
    "[Section]\r\n[Other]\r\nkey=no\r\n",
    "[Section]\r\nkeyx=1\r\n",
    "[Section]\r\nkey=last line without break",
    "",
};

TEST(IniCrossCheck, ReadsMatchTheSystem) {
    for (const char* content : kReadFiles)
        for (const char* key : {"key", "KEY", "Key"})
            EXPECT_EQ(startup::IniRead(content, "Section", key), SystemRead(content, "Section", key))
                << content << " / " << key;
}

TEST(IniCrossCheck, LongValuesAreCutAlike) {
    std::string content = "[Section]\r\nkey=" + std::string(400, 'v') + "\r\n";
    EXPECT_EQ(startup::IniRead(content, "Section", "key"), SystemRead(content, "Section", "key"));
    EXPECT_EQ(startup::IniRead(content, "Section", "key").size(), 255u);
}

struct WriteCase {
    const char* name;
    const char* before;
    bool exists;
    const char* key;
    const char* value;
};

const WriteCase kWrites[] = {
    {"new file", "", false, "key", "300"},
    {"new section", "[Other]\r\na=1\r\n", true, "key", "v"},
    {"replace a key", "[Section]\r\nkey=old\r\nother=1\r\n", true, "key", "new"},
    {"replace, mixed case", "[SECTION]\r\nKey=old\r\n", true, "key", "new"},
    {"new key in a section", "[Section]\r\na=1\r\n[Other]\r\nb=2\r\n", true, "key", "v"},
    {"unknown keys and other sections kept", "[Section]\r\nzz=9\r\nkey=1\r\n[Other]\r\nq=3\r\n", true, "key", "2"},
    {"empty value", "[Section]\r\nkey=abc\r\n", true, "key", ""},
    {"long value", "", false, "key", "0123456789012345678901234567890123456789012345678901234567890123456789"},
};

TEST(IniCrossCheck, WritesReadBackAsTheSystemsDo) {
    for (const auto& c : kWrites) {
        std::string ours = startup::IniWrite(c.exists ? c.before : "", "Section", c.key, c.value);
        std::string theirs = SystemWrite(c.before, c.exists, "Section", c.key, c.value);
        for (const char* key : {"key", "a", "b", "zz", "q", "other"})
            for (const char* section : {"Section", "Other"})
                EXPECT_EQ(SystemRead(ours, section, key), SystemRead(theirs, section, key))
                    << c.name << ": [" << section << "] " << key;
    }
}

TEST(IniCrossCheck, SimpleWritesMatchByteForByte) {
    for (int i : {0, 1, 2, 3, 6}) {
        const auto& c = kWrites[i];
        EXPECT_EQ(startup::IniWrite(c.exists ? c.before : "", "Section", c.key, c.value),
                  SystemWrite(c.before, c.exists, "Section", c.key, c.value))
            << c.name;
    }
}

TEST(IniCrossCheck, LeadingBlankOfTheNumberFormStaysInOurFile) {
    // Windows keeps the blank in " 300"; this system's writer strips it. The settings
    // file keeps it, as the program's number form writes it.
    std::string ours = startup::IniWrite("", "Section", "key", " 300");
    EXPECT_EQ(ours, "[Section]\r\nkey= 300\r\n");
    std::string theirs = SystemWrite("", false, "Section", "key", " 300");
    if (theirs != ours) {
        EXPECT_EQ(theirs, "[Section]\r\nkey=300\r\n");
    }
    // Either way both read back as 300.
    EXPECT_EQ(SystemRead(ours, "Section", "key"), "300");
}

TEST(IniCrossCheck, ShiftJisKeysMatchUnderTheJapaneseCodePage) {
    if (GetACP() != 932) GTEST_SKIP() << "needs the Japanese ANSI code page (LC_ALL=ja_JP.UTF-8)";
    const std::string key = fw::Utf8ToCp932("BGMﾘﾋﾟｰﾄ");
    const std::string petals = fw::Utf8ToCp932("花びらの数");
    std::string ours = startup::IniWrite("", "Section", petals, " 300");
    ours = startup::IniWrite(ours, "Section", key, " 3");
    EXPECT_EQ(SystemRead(ours, "Section", petals), "300");
    EXPECT_EQ(SystemRead(ours, "Section", key), "3");
    std::string theirs = SystemWrite(ours, true, "Section", key, "12");
    EXPECT_EQ(startup::IniRead(theirs, "Section", key), "12");
    EXPECT_EQ(startup::IniRead(theirs, "Section", petals), "300");
}

}  // namespace
