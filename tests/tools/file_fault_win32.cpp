// A helper of the end-to-end tests of the settings dialog, run under Wine beside it.
//   file_fault hold FILE REPORT   opens FILE for reading and writing without sharing, as
//                                 another program may; writes "held" (or "error N") to
//                                 REPORT and keeps the file until REPORT is deleted.
//   file_fault box CAPTION OWNER REPORT
//                                 finds a message box (class #32770) with that caption whose
//                                 owner window has the caption OWNER (a file chooser too), and
//                                 writes the texts of its controls, one a line, in UTF-8, to
//                                 REPORT; exit status 3 when there is none, 0 when the report
//                                 is written, and any other status when this tool itself
//                                 failed.
//   file_fault name CAPTION OWNER TEXT
//                                 puts TEXT into the name field of such a file chooser, as
//                                 typing it would leave it, and presses Open; statuses as
//                                 for box, 4 when the field held something else, 5 when it has
//                                 no name field.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The one status that means "no such box": a failure of the tool never reads as that.
constexpr int kNoBox = 3;

bool Report(const wchar_t* path, const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), n, nullptr, nullptr);
    FILE* f = _wfopen(path, L"wb");
    if (!f) return false;
    const bool written = fwrite(utf8.data(), 1, utf8.size(), f) == utf8.size();
    return fclose(f) == 0 && written;
}

int Hold(const wchar_t* file, const wchar_t* report) {
    HANDLE h = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        Report(report, L"error " + std::to_wstring(GetLastError()));
        return 1;
    }
    Report(report, L"held");
    while (GetFileAttributesW(report) != INVALID_FILE_ATTRIBUTES) Sleep(100);
    CloseHandle(h);
    return 0;
}

struct Search {
    const wchar_t* caption;
    const wchar_t* owner;
    HWND found = nullptr;
    HWND field = nullptr;
};

std::wstring TextOf(HWND w) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
    return text;
}

BOOL CALLBACK FindBox(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    wchar_t cls[64] = L"";
    GetClassNameW(w, cls, 64);
    HWND owner = GetWindow(w, GW_OWNER);
    if (wcscmp(cls, L"#32770") == 0 && TextOf(w) == s->caption && owner && TextOf(owner) == s->owner) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

// A control's text as the control itself holds it (an edit's typed text too), which
// GetWindowText does not ask another process's window for.
BOOL CALLBACK AddText(HWND w, LPARAM lp) {
    auto* texts = reinterpret_cast<std::wstring*>(lp);
    wchar_t text[1024] = L"";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied))
        copied = 0;
    *texts += std::wstring(text, copied) + L"\n";
    return TRUE;
}

int Box(const wchar_t* caption, const wchar_t* owner, const wchar_t* report) {
    Search s{caption, owner};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&s));
    if (!s.found) return kNoBox;
    std::wstring texts;
    EnumChildWindows(s.found, AddText, reinterpret_cast<LPARAM>(&texts));
    return Report(report, texts) ? 0 : 1;
}

// The chooser's name field is an edit (edt1) or the edit inside a combo box (cmb13), which
// alone takes text set on it.
BOOL CALLBACK FindNameField(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    wchar_t cls[16] = L"";
    GetClassNameW(w, cls, 16);
    if (_wcsicmp(cls, L"Edit") != 0) return TRUE;
    for (HWND at = w; at && at != s->found; at = GetParent(at)) {
        const int id = GetDlgCtrlID(at);
        if (id == 0x480 || id == 0x47c) {  // edt1, cmb13
            s->field = w;
            return FALSE;
        }
    }
    return TRUE;
}

int Name(const wchar_t* caption, const wchar_t* owner, const wchar_t* text) {
    Search s{caption, owner};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&s));
    if (!s.found) return kNoBox;
    EnumChildWindows(s.found, FindNameField, reinterpret_cast<LPARAM>(&s));
    if (!s.field) return 5;
    // Set and read back while the chooser waits on these calls, then Open pressed on the
    // chooser itself: nothing depends on the keyboard's map or on which window has the focus.
    // Wine's chooser may take the name of an existing file at once, as if Open were pressed:
    // gone after the name was set, it took that name.
    DWORD_PTR done = 0;
    if (!SendMessageTimeoutW(s.field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000, &done))
        return 1;
    wchar_t held[1024] = L"";
    if (!SendMessageTimeoutW(s.field, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(held), SMTO_NORMAL, 10000, &done))
        return IsWindow(s.found) ? 1 : 0;
    if (wcscmp(held, text) != 0) return 4;
    return PostMessageW(s.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0) || !IsWindow(s.found) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && wcscmp(argv[1], L"hold") == 0) return Hold(argv[2], argv[3]);
    if (argc == 5 && wcscmp(argv[1], L"box") == 0) return Box(argv[2], argv[3], argv[4]);
    if (argc == 5 && wcscmp(argv[1], L"name") == 0) return Name(argv[2], argv[3], argv[4]);
    fwprintf(stderr, L"usage: file_fault hold FILE REPORT | box CAPTION OWNER REPORT | name CAPTION OWNER TEXT\n");
    return 2;
}
