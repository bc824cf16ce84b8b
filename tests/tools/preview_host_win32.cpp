// A stand-in for the Display control panel's little monitor, for the end-to-end tests:
// opens a 152 x 112 host window and writes its handle to the file named by its first
// argument; every 100 ms it reports the child windows it holds to that file's ".children"
// companion, and once a file named by its second argument appears, it destroys the host.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

std::wstring g_report;
std::wstring g_stop;
HWND g_host = nullptr;

BOOL CALLBACK ListChild(HWND child, LPARAM lp) {
    auto* f = reinterpret_cast<FILE*>(lp);
    wchar_t caption[128] = L"";
    GetWindowTextW(child, caption, 128);
    RECT r, hr;
    GetWindowRect(child, &r);
    GetWindowRect(g_host, &hr);
    fwprintf(f, L"%ls|%ld|%ld|%ld|%ld|%d\n", caption, r.left - hr.left, r.top - hr.top, r.right - r.left,
             r.bottom - r.top, (GetWindowLongW(child, GWL_STYLE) & WS_CHILD) ? 1 : 0);
    return TRUE;
}

LRESULT CALLBACK HostProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_TIMER) {
        FILE* f = _wfopen((g_report + L".children").c_str(), L"w");
        if (f) {
            EnumChildWindows(h, ListChild, reinterpret_cast<LPARAM>(f));
            fclose(f);
        }
        if (GetFileAttributesW(g_stop.c_str()) != INVALID_FILE_ATTRIBUTES) DestroyWindow(h);
        return 0;
    }
    if (m == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) return 2;
    g_report = argv[1];
    g_stop = argv[2];
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"FlutteraPreviewHost";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClassW(&wc);
    g_host = CreateWindowExW(0, wc.lpszClassName, L"Preview Host", WS_POPUP | WS_VISIBLE, 40, 40, 152, 112, nullptr,
                             nullptr, instance, nullptr);
    SetTimer(g_host, 1, 100, nullptr);
    FILE* f = _wfopen(g_report.c_str(), L"w");
    if (!f) return 3;
    fprintf(f, "%lu\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(g_host)));
    fclose(f);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
    Sleep(3000);  // stays a while after the host is gone, like the control panel
    return 0;
}
