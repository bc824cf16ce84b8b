// The program's entry: hands start-up its Win32 side and lets it pick the mode.
#include "app/platform_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    static app::Platform platform;
    app::Run(platform);
}
