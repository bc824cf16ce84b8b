// The preview window inside a host of this process: placed at (0, 0), sized to the host,
// showing the cherry-blossom picture at its own size, and gone with its host.
#include "saver/preview_window_win32.h"

#include "framework/window_win32.h"

#include <gtest/gtest.h>

namespace {

LRESULT CALLBACK HostProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

HWND MakeHost(int width, int height) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PreviewTestHost";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClassW(&wc);
    return CreateWindowExW(0, L"PreviewTestHost", L"host", WS_POPUP | WS_VISIBLE, 20, 20, width, height, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

void Pump(int ms) {
    DWORD end = GetTickCount() + ms;
    while (GetTickCount() < end) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) return;
            DispatchMessageW(&m);
        }
        Sleep(10);
    }
}

TEST(PreviewWindow, ShowsThePictureInsideItsHostAndEndsWithIt) {
    HWND host = MakeHost(152, 112);
    ASSERT_TRUE(host);
    startup::PreviewPlacement p;
    p.parent = static_cast<fw::WindowId>(reinterpret_cast<uintptr_t>(host));
    p.widthTwips = 152 * 15;
    p.heightTwips = 112 * 15;
    p.imageWidth = 152;
    p.imageHeight = 112;
    ASSERT_TRUE(saver::ShowPreviewWindow(p));

    HWND preview = FindWindowExW(host, nullptr, nullptr, L"Preview Window");
    ASSERT_TRUE(preview) << "no child window captioned Preview Window";
    EXPECT_TRUE(GetWindowLongW(preview, GWL_STYLE) & WS_CHILD);
    RECT r;
    GetWindowRect(preview, &r);
    RECT hr;
    GetWindowRect(host, &hr);
    EXPECT_EQ(r.left, hr.left);
    EXPECT_EQ(r.top, hr.top);
    EXPECT_EQ(r.right - r.left, 152);
    EXPECT_EQ(r.bottom - r.top, 112);

    // What it paints: sky at the top (blue above red), pink blossoms somewhere.
    Pump(200);
    HDC image = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 152, -112, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(image, bmp);
    SendMessageW(preview, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(image), PRF_CLIENT);
    GdiFlush();
    auto px = [&](int x, int y) { return static_cast<uint32_t*>(bits)[y * 152 + x]; };
    int sky = 0, pink = 0;
    for (int y = 0; y < 112; ++y)
        for (int x = 0; x < 152; ++x) {
            uint32_t c = px(x, y);
            int red = (c >> 16) & 255, green = (c >> 8) & 255, blue = c & 255;
            if (blue > red + 30 && blue > 120) ++sky;
            if (red > 200 && red > green + 30 && blue > green) ++pink;
        }
    SelectObject(image, old);
    DeleteObject(bmp);
    DeleteDC(image);
    EXPECT_GT(sky, 152 * 112 / 10) << "no sky in the preview picture";
    EXPECT_GT(pink, 152 * 112 / 50) << "no blossoms in the preview picture";

    // The host goes: so does the preview, and the program's loop is told to end.
    DestroyWindow(host);
    EXPECT_FALSE(IsWindow(preview));
    MSG m;
    bool quit = false;
    DWORD end = GetTickCount() + 2000;
    while (!quit && GetTickCount() < end) {
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            if (m.message == WM_QUIT) quit = true;
        Sleep(10);
    }
    EXPECT_TRUE(quit) << "the preview's end did not end the message loop";
}

}  // namespace
