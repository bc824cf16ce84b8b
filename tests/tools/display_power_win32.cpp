// Tells a window that the console's display changed state, as the system does when the
// display goes off, dims or comes back: WM_POWERBROADCAST / PBT_POWERSETTINGCHANGE with the
// setting written into the window's process (the message's parameter is not copied across).
//   display_power.exe CAPTION STATE     (STATE: 0 off, 1 on, 2 dimmed)
// Prints the window's handle (hexadecimal) first, so a test can match it in a trace.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        fwprintf(stderr, L"usage: display_power CAPTION STATE\n");
        return 2;
    }
    HWND window = FindWindowW(nullptr, argv[1]);
    if (!window) return 3;
    printf("%lx\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
    fflush(stdout);
    union {
        POWERBROADCAST_SETTING setting;
        unsigned char bytes[sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD)];
    } message{};
    // The console display state.
    message.setting.PowerSetting = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
    message.setting.DataLength = sizeof(DWORD);
    const DWORD state = wcstoul(argv[2], nullptr, 10);
    memcpy(message.setting.Data, &state, sizeof state);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return 4;
    void* there = VirtualAllocEx(process, nullptr, sizeof message, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!there || !WriteProcessMemory(process, there, &message, sizeof message, nullptr)) return 5;
    // Handled (the answer means nothing), or 6 when the window did not take it in time.
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(there),
                               SMTO_ABORTIFHUNG, 10000, &answer)
               ? 0
               : 6;
}
