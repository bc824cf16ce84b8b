// Button Gallery: every face of the Command button side by side, in the dialog's two
// sizes, plus one live button of each size. The end-to-end tests screenshot it and drive
// the live buttons with the real pointer.
//
//   button_gallery.exe [LOG]
//
// LOG, when given, first receives one line per button, "button NAME LEFT TOP WIDTH
// HEIGHT" in screen pixels, then "ready", then "click NAME" for every Click of a live
// button.
#include "button/command_win32.h"
#include "framework/window_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using button::Command;
using button::CommandControl;

// The faces, each reached through the button's own handlers, as a user would reach them.
// The shown buttons are never initialized, so no pointer watch takes them back to Normal.
struct Face {
    const wchar_t* label;
    const char* name;
    std::function<void(Command&)> reach;
};

const std::vector<Face>& Faces() {
    static const std::vector<Face> faces = {
        // Focus in and out starts the state machine without Initialize.
        {L"Normal", "Normal", [](Command& c) { c.OnFocusGained(); c.OnFocusLost(); }},
        {L"HighLight", "HighLight", [](Command& c) { c.OnFocusGained(); c.OnFocusLost(); c.OnMouseMove(0, 0); }},
        // Hover, then the press brings the focus.
        {L"Pressed", "Pressed",
         [](Command& c) {
             c.OnFocusGained();
             c.OnFocusLost();
             c.OnMouseMove(0, 0);
             c.OnFocusGained();
             c.OnMouseDown(button::kLeftButton, 0);
         }},
        {L"Selected", "Selected", [](Command& c) { c.OnFocusGained(); }},
        {L"HighLightSelect", "HighLightSelect", [](Command& c) { c.OnFocusGained(); c.OnMouseMove(0, 0); }},
        {L"Disable", "Disable", [](Command& c) { c.SetEnabled(false); }},
    };
    return faces;
}

constexpr int kColumnWidth = 100;
constexpr int kMargin = 10;
constexpr int kLargeTop = 30, kSmallTop = 70;
constexpr COLORREF kBackground = RGB(0x80, 0x80, 0x80);

class Gallery final : public fw::win::Window {
public:
    explicit Gallery(std::FILE* log) : log_(log) {}

    bool Open() {
        const int columns = static_cast<int>(Faces().size()) + 1;
        RECT rc{0, 0, kMargin * 2 + columns * kColumnWidth, kSmallTop + 21 + kMargin};
        const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
        AdjustWindowRect(&rc, style, FALSE);
        if (!Create(L"FlutteraButtonGallery", 0, L"Button Gallery", style, 0, 0, rc.right - rc.left,
                    rc.bottom - rc.top, nullptr, nullptr, LoadCursor(nullptr, IDC_ARROW), nullptr,
                    CreateSolidBrush(kBackground))) {
            return false;
        }
        const auto& stored = button::DialogCommands();
        int column = 0;
        for (const Face& f : Faces()) {
            AddButton(stored[1], column, kLargeTop, std::string(f.name) + "81x25", &f);
            AddButton(stored[2], column, kSmallTop, std::string(f.name) + "29x21", &f);
            ++column;
        }
        AddButton(stored[1], column, kLargeTop, "Live81x25", nullptr);
        AddButton(stored[2], column, kSmallTop, "Live29x21", nullptr);
        ShowWindow(hwnd(), SW_SHOW);
        UpdateWindow(hwnd());
        for (const auto& b : buttons_) {
            RECT r{};
            GetWindowRect(b.control->hwnd(), &r);
            Log("button " + b.name + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top));
        }
        Log("ready");
        return true;
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
            case WM_PAINT: OnPaint(); return 0;
            case WM_DESTROY: PostQuitMessage(0); return 0;
            default: return Default(msg, wp, lp);
        }
    }

private:
    struct Entry {
        std::string name;
        std::unique_ptr<CommandControl> control;
    };

    void AddButton(const button::StoredCommand& stored, int column, int top, const std::string& name,
                   const Face* face) {
        Entry e{name, std::make_unique<CommandControl>()};
        CommandControl& c = *e.control;
        const int left = kMargin + column * kColumnWidth;
        if (!c.CreateStored(hwnd(), stored, left, top)) return;
        if (face) {
            face->reach(c.core());
            // Shown only: the pointer and the focus leave it as it is.
            EnableWindow(c.hwnd(), FALSE);
        } else {
            c.SetOnClick([this, name] { Log("click " + name); });
            c.Initialize();
        }
        buttons_.push_back(std::move(e));
    }

    void OnPaint() {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd(), &ps);
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
        int column = 0;
        for (const Face& f : Faces()) {
            TextOutW(dc, kMargin + column * kColumnWidth, 8, f.label, static_cast<int>(wcslen(f.label)));
            ++column;
        }
        TextOutW(dc, kMargin + column * kColumnWidth, 8, L"Live", 4);
        SelectObject(dc, old);
        EndPaint(hwnd(), &ps);
    }

    void Log(const std::string& line) {
        if (!log_) return;
        std::fprintf(log_, "%s\n", line.c_str());
        std::fflush(log_);
    }

    std::FILE* log_;
    std::vector<Entry> buttons_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::FILE* log = nullptr;
    if (argv && argc > 1) log = _wfopen(argv[1], L"w");
    if (argv) LocalFree(argv);

    Gallery gallery(log);
    if (!gallery.Open()) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (log) std::fclose(log);
    return 0;
}
