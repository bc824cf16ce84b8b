// Watches another program's resources from outside: finds the window with the caption
// given, then writes a line every `interval` seconds for `seconds` seconds with the
// process's GDI and USER objects (GetGuiResources), its handle count and its private and
// working-set memory. Usage: proc_watch CAPTION OUTPUT SECONDS INTERVAL
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <cstdlib>

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) return 2;
    const int seconds = _wtoi(argv[3]), interval = _wtoi(argv[4]);
    HWND window = nullptr;
    for (int i = 0; i < 600 && !window; ++i) {
        window = FindWindowW(nullptr, argv[1]);
        if (!window) Sleep(100);
    }
    if (!window) return 3;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return 4;
    FILE* out = _wfopen(argv[2], L"w");
    if (!out) return 5;
    std::fprintf(out, "seconds gdi_objects user_objects handles private_bytes working_set\n");
    for (int t = 0; t <= seconds; t += interval) {
        PROCESS_MEMORY_COUNTERS_EX mem{};
        mem.cb = sizeof(mem);
        GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&mem), sizeof(mem));
        DWORD handles = 0;
        GetProcessHandleCount(process, &handles);
        std::fprintf(out, "%d %lu %lu %lu %lu %lu\n", t, GetGuiResources(process, GR_GDIOBJECTS),
                     GetGuiResources(process, GR_USEROBJECTS), handles, static_cast<unsigned long>(mem.PrivateUsage),
                     static_cast<unsigned long>(mem.WorkingSetSize));
        std::fflush(out);
        if (t + interval <= seconds) Sleep(static_cast<DWORD>(interval) * 1000);
    }
    std::fclose(out);
    return 0;
}
