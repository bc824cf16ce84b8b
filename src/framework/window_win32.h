// The small window framework of the Windows side: text conversion at the system
// boundary, a window base class that hands each message to a named handler, retained
// pictures (off-screen bitmaps that keep their content while covered), and message
// processing for loops that run flat out.
#pragma once

#include "framework/text_win32.h"

#include <windows.h>

#include <string>

namespace fw::win {

// The folder that holds the running program, without a trailing separator except at a
// drive root.
std::string ProgramFolder();

// The argument text of this process's command line, without the program's own path.
std::string CommandLineArguments();

// The screen's twips per pixel (15 at 96 dpi).
int TwipsPerPixelX();
int TwipsPerPixelY();

// Runs every pending message of this thread and returns.
void ProcessPendingMessages();

// A window whose messages go to virtual handlers. The object must outlive its window.
class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }

    // Registers (once) a class of this name and creates the window.
    bool Create(const wchar_t* className, DWORD exStyle, const wchar_t* title, DWORD style, int x, int y,
                int width, int height, HWND parent = nullptr, HMENU menuOrId = nullptr,
                HCURSOR cursor = LoadCursor(nullptr, IDC_ARROW), HICON icon = nullptr,
                HBRUSH background = nullptr, UINT classStyle = 0);

protected:
    // The default sends everything to DefWindowProc.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
};

// An off-screen 32-bit picture with its own device context: drawing into it keeps its
// content; the window paints from it.
class RetainedPicture {
public:
    RetainedPicture() = default;
    RetainedPicture(const RetainedPicture&) = delete;
    RetainedPicture& operator=(const RetainedPicture&) = delete;
    ~RetainedPicture();

    // (Re)creates a width x height picture, filled black. False when it cannot be made.
    bool Create(int width, int height);
    // Takes a bitmap loaded from the resources as the picture.
    bool FromResource(HINSTANCE instance, int id);

    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    int width() const { return width_; }
    int height() const { return height_; }
    uint32_t* bits() const { return bits_; }  // top-down rows, 0x00RRGGBB, or null

private:
    void Release();
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
    int width_ = 0, height_ = 0;
};

}  // namespace fw::win
