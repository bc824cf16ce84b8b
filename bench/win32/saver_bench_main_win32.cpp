// Fluttera_bench.scr: the program with a pass counter watching the saver (pass_stats.txt).
#include "app/platform_win32.h"
#include "pass_stats_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    static app::Platform platform;
    static bench::PassStats stats;
    platform.watcher = &stats;
    app::Run(platform);
}
