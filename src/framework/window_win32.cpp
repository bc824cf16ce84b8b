#include "framework/window_win32.h"

#include "framework/command_line.h"

namespace fw::win {

std::string ProgramFolder() {
    std::wstring path(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n);
    return fw::FolderOf(Narrow(path));
}

std::string CommandLineArguments() { return fw::ArgumentsOf(Narrow(GetCommandLineW())); }

namespace {
int TwipsPerPixel(int axis) {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, axis) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? 1440 / dpi : 15;
}
}  // namespace

int TwipsPerPixelX() { return TwipsPerPixel(LOGPIXELSX); }
int TwipsPerPixelY() { return TwipsPerPixel(LOGPIXELSY); }

void ProcessPendingMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

Window::~Window() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool Window::Create(const wchar_t* className, DWORD exStyle, const wchar_t* title, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId, HCURSOR cursor, HICON icon,
                    HBRUSH background, UINT classStyle) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof(wc);
        wc.style = classStyle;
        wc.lpfnWndProc = &Window::Proc;
        wc.hInstance = instance;
        wc.hCursor = cursor;
        wc.hIcon = icon;
        wc.hIconSm = icon;
        wc.hbrBackground = background;
        wc.lpszClassName = className;
        if (!RegisterClassExW(&wc)) return false;
    }
    HWND h = CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menuOrId, instance, this);
    return h != nullptr;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        self = static_cast<Window*>(cs->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT r = self->HandleMessage(msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return r;
}

RetainedPicture::~RetainedPicture() { Release(); }

void RetainedPicture::Release() {
    if (dc_) {
        if (old_) SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    old_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = 0;
}

bool RetainedPicture::Create(int width, int height) {
    Release();
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp || !bits) {  // a picture without memory cannot be drawn into
        if (bmp) DeleteObject(bmp);
        return false;
    }
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        DeleteObject(bmp);
        return false;
    }
    bitmap_ = bmp;
    dc_ = dc;
    old_ = SelectObject(dc_, bitmap_);
    bits_ = static_cast<uint32_t*>(bits);
    width_ = width;
    height_ = height;
    return true;
}

bool RetainedPicture::FromResource(HINSTANCE instance, int id) {
    HBITMAP loaded = static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!loaded) return false;
    BITMAP info{};
    GetObjectW(loaded, sizeof(info), &info);
    bool ok = Create(info.bmWidth, info.bmHeight);
    if (ok) {
        HDC src = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(src, loaded);
        BitBlt(dc_, 0, 0, width_, height_, src, 0, 0, SRCCOPY);
        SelectObject(src, old);
        DeleteDC(src);
    }
    DeleteObject(loaded);
    return ok;
}

}  // namespace fw::win
