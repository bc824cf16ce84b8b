// The Win32 side of two things the system may not give: a DLL's functions, and a file
// that can be written but not replaced.
#include "framework/adapters_win32.h"
#include "music/media_port_win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

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

}  // namespace
