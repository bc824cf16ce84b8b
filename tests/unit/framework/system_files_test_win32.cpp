// The Win32 side of what the system may not give: a DLL's functions, a file that can be
// written but not replaced, and a move over a file that is there.
#include "framework/adapters_win32.h"
#include "music/media_port_win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

TEST(SystemDll, WithoutItsDllTheMusicIsSilentAndNothingFails) {
    music::Win32MediaPort port(L"no-such-winmm.dll");
    EXPECT_EQ(port.Send("open cdaudio alias cd", 0).code, MCIERR_CANNOT_LOAD_DRIVER);
    EXPECT_EQ(port.Send("status cd mode", 128).reply, "");
    EXPECT_EQ(port.ErrorText(MCIERR_CANNOT_LOAD_DRIVER, 128), std::nullopt);
    EXPECT_EQ(port.WaveOutDeviceCount(), 0);
    port.PlaySoundFile(std::string("C:\\none.wav"), 0);
}

TEST(Files, WritingInPlaceLeavesExactlyTheNewBytes) {
    char folder[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
    const std::string path = std::string(folder) + "fluttera-in-place.ini";
    fw::win::Files files;
    std::remove(path.c_str());
    EXPECT_EQ(files.WriteInPlace(path, "x"), fw::kErrorFileNotFound);
    std::ofstream(path, std::ios::binary) << "a longer first content";
    for (const std::string bytes : {"short", "", "longer than the first content, and then some"}) {
        EXPECT_EQ(files.WriteInPlace(path, bytes), fw::kFileDone);
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);
    }
    std::remove(path.c_str());
}

// A backup is put back only by a move that never replaces: the file may have come back
// meanwhile.
TEST(Files, AMoveNeverReplacesAFileAndAMissingOneIsNotFound) {
    char folder[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
    const std::string from = std::string(folder) + "fluttera-move-" + std::to_string(GetCurrentProcessId());
    const std::string to = from + ".ini";
    fw::win::Files files;
    EXPECT_EQ(files.Find(to), fw::kErrorFileNotFound);
    std::ofstream(from, std::ios::binary) << "backup";
    std::ofstream(to, std::ios::binary) << "newer";
    EXPECT_EQ(files.Move(from, to), fw::kErrorAlreadyExists);
    EXPECT_EQ(files.ReadAll(to), "newer");
    std::remove(to.c_str());
    EXPECT_EQ(files.Move(from, to), fw::kFileDone);
    EXPECT_EQ(files.ReadAll(to), "backup");
    EXPECT_EQ(files.Find(from), fw::kErrorFileNotFound);
    std::remove(to.c_str());
}

}  // namespace
