// Watches another program's resources from outside: finds the window with the caption
// given, then writes a line every `interval` seconds for `seconds` seconds with the
// process's GDI and USER objects (GetGuiResources), its handle count and its private,
// page-file and working-set memory. Wine answers 0 for the GDI objects and the handles,
// so the GDI objects are also counted in the process's shared GDI handle table, where
// Wine keeps them (24-byte entries, the type byte at offset 14; 0 for a free entry).
// Usage: proc_watch CAPTION OUTPUT SECONDS INTERVAL
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <vector>

#include <cstdio>
#include <cwchar>
#include <cstdlib>

namespace {

long WineGdiTableCount(HANDLE process) {
    PROCESS_BASIC_INFORMATION info{};
    ULONG got = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof(info), &got) != 0) return -1;
    const SIZE_T tableAt = sizeof(void*) == 4 ? 0x94 : 0xF8;  // PEB.GdiSharedHandleTable
    void* table = nullptr;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<char*>(info.PebBaseAddress) + tableAt, &table, sizeof(table),
                           &read) || !table)
        return -1;
    std::vector<unsigned char> entries(0x10000 * 24);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size(), &read)) return -1;
    long count = 0;
    for (size_t i = 0; i < 0x10000; ++i) count += entries[i * 24 + 14] != 0;
    return count;
}

}  // namespace

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
    std::fprintf(out, "seconds gdi_objects user_objects handles private_bytes pagefile_bytes working_set "
                      "gdi_table_entries\n");
    for (int t = 0; t <= seconds; t += interval) {
        PROCESS_MEMORY_COUNTERS_EX mem{};
        mem.cb = sizeof(mem);
        GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&mem), sizeof(mem));
        DWORD handles = 0;
        GetProcessHandleCount(process, &handles);
        std::fprintf(out, "%d %lu %lu %lu %lu %lu %lu %ld\n", t, GetGuiResources(process, GR_GDIOBJECTS),
                     GetGuiResources(process, GR_USEROBJECTS), handles, static_cast<unsigned long>(mem.PrivateUsage),
                     static_cast<unsigned long>(mem.PagefileUsage), static_cast<unsigned long>(mem.WorkingSetSize),
                     WineGdiTableCount(process));
        std::fflush(out);
        if (t + interval <= seconds) Sleep(static_cast<DWORD>(interval) * 1000);
    }
    std::fclose(out);
    return 0;
}
