// The preview window: a child of the Display control panel's little monitor,
// showing one still picture of cherry blossoms at its own size from the top-left corner.
// The process lives while the window does.
#include "saver/preview_window_win32.h"

#include "framework/adapters_win32.h"
#include "framework/window_win32.h"
#include "resource_ids.h"

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>

namespace saver {
namespace {

constexpr UINT_PTR kHostWatch = 1;
constexpr UINT kHostWatchMs = 250;

// Decodes the JPEG stored in the resources into a retained picture of its own size.
bool LoadPreviewPicture(fw::win::RetainedPicture& out) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(instance, MAKEINTRESOURCEW(IDR_PREVIEW_JPEG), MAKEINTRESOURCEW(RT_JPEG_DATA));
    if (!res) return false;
    DWORD size = SizeofResource(instance, res);
    HGLOBAL data = LoadResource(instance, res);
    const void* bytes = data ? LockResource(data) : nullptr;
    if (!bytes || size == 0) return false;

    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy) return false;
    memcpy(GlobalLock(copy), bytes, size);
    GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream))) {
        GlobalFree(copy);
        return false;
    }
    IPicture* picture = nullptr;
    HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(hr) || !picture) return false;

    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture->get_Width(&hmWidth);
    picture->get_Height(&hmHeight);
    HDC screen = GetDC(nullptr);
    const int width = MulDiv(hmWidth, GetDeviceCaps(screen, LOGPIXELSX), 2540);
    const int height = MulDiv(hmHeight, GetDeviceCaps(screen, LOGPIXELSY), 2540);
    ReleaseDC(nullptr, screen);
    bool ok = out.Create(width, height);
    if (ok) {
        // Picture coordinates run bottom-up in HIMETRIC.
        ok = SUCCEEDED(picture->Render(out.dc(), 0, 0, width, height, 0, hmHeight, hmWidth, -hmHeight, nullptr));
    }
    picture->Release();
    return ok;
}

class PreviewWindow final : public fw::win::Window {
public:
    bool Show(const startup::PreviewPlacement& p) {
        host_ = fw::win::ToHwnd(p.parent);
        // Loaded as a borderless window, then made a child of the host: WS_CHILD added
        // (the popup bit goes, as a window cannot be both).
        if (!Create(L"FlutteraPreview", 0, fw::win::Widen(startup::kPreviewCaption).c_str(),
                    WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0, nullptr, nullptr, LoadCursor(nullptr, IDC_ARROW),
                    nullptr, GetSysColorBrush(COLOR_BTNFACE)))
            return false;
        const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd(), GWL_STYLE));
        SetWindowLongW(hwnd(), GWL_STYLE, static_cast<LONG>((style & ~WS_POPUP) | WS_CHILD));
        SetParent(hwnd(), host_);
        const int tx = fw::win::TwipsPerPixelX(), ty = fw::win::TwipsPerPixelY();
        MoveWindow(hwnd(), 0, 0, p.widthTwips / tx, p.heightTwips / ty, FALSE);
        imageWidth_ = p.imageWidth;
        imageHeight_ = p.imageHeight;
        loaded_ = LoadPreviewPicture(picture_);
        ShowWindow(hwnd(), SW_SHOWNORMAL);
        // A host in another process may go without telling its children.
        SetTimer(hwnd(), kHostWatch, kHostWatchMs, nullptr);
        return true;
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd(), &ps);
            Paint(dc);
            EndPaint(hwnd(), &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wp));
            return 0;
        case WM_TIMER:
            if (wp == kHostWatch && !IsWindow(host_)) DestroyWindow(hwnd());
            return 0;
        case WM_DESTROY:
            GetWindow(hwnd(), GW_OWNER);
            PostMessageW(hwnd(), WM_CLOSE, 0, 0);
            PostQuitMessage(0);  // the only window of the process: the program ends
            return 0;
        }
        return Default(msg, wp, lp);
    }

private:
    void Paint(HDC dc) {
        RECT client;
        GetClientRect(hwnd(), &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        if (!loaded_) return;
        // Img_Prev: at (0, 0), never stretched, clipped to the image control's size.
        const int w = imageWidth_ < picture_.width() ? imageWidth_ : picture_.width();
        const int h = imageHeight_ < picture_.height() ? imageHeight_ : picture_.height();
        BitBlt(dc, 0, 0, w, h, picture_.dc(), 0, 0, SRCCOPY);
    }

    HWND host_ = nullptr;
    fw::win::RetainedPicture picture_;
    bool loaded_ = false;
    int imageWidth_ = 0, imageHeight_ = 0;
};

}  // namespace

bool ShowPreviewWindow(const startup::PreviewPlacement& placement) {
    static PreviewWindow window;
    return window.Show(placement);
}

}  // namespace saver
