// The settings dialog's drawing against the real GDI: the font it picks, and the labels,
// frames and option pictures drawn over a retained background without covering it.
#include "framework/window_win32.h"
#include "settings_dialog/dialog_font_win32.h"
#include "settings_dialog/layout.h"
#include "settings_dialog/surface_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

namespace {

using dialog::ControlSpec;
using dialog::WindowlessControl;

constexpr uint32_t kFill = 0x406080;  // a background no control draws in

uint32_t Pixel(const fw::win::RetainedPicture& p, int x, int y) {
    return p.bits()[static_cast<size_t>(y) * static_cast<size_t>(p.width()) + static_cast<size_t>(x)] & 0xFFFFFF;
}

uint32_t FromColorRef(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

class DialogSurface : public ::testing::Test {
protected:
    void SetUp() override {
        fonts_.normal = dialog::CreateDialogFont(false);
        fonts_.underlined = dialog::CreateDialogFont(true);
        ASSERT_TRUE(panel_.Create(429, 113));
        GdiFlush();
        for (int i = 0; i < panel_.width() * panel_.height(); ++i) panel_.bits()[i] = kFill;
        option_.Create(12, 12);
        GdiFlush();
        for (int i = 0; i < 144; ++i) option_.bits()[i] = 0x2C60D1;
    }
    void TearDown() override {
        DeleteObject(fonts_.normal);
        DeleteObject(fonts_.underlined);
    }
    void Draw(const std::vector<WindowlessControl>& controls) {
        dialog::DrawWindowless(panel_.dc(), controls, "Pic_1", fonts_);
        GdiFlush();
    }
    // Pixels inside the box that are no longer the background.
    int Drawn(const ControlSpec& c) {
        int n = 0;
        for (int y = c.top; y < c.top + c.height; ++y)
            for (int x = c.left; x < c.left + c.width; ++x) n += Pixel(panel_, x, y) != kFill;
        return n;
    }

    dialog::LabelFonts fonts_;
    fw::win::RetainedPicture panel_;
    fw::win::RetainedPicture option_;
};

TEST(DialogFont, AnInstalledFaceAtThirteenPixels) {
    EXPECT_FALSE(dialog::FontFaceInstalled(L"No Such Face Fluttera"));
    EXPECT_FALSE(dialog::FontFaceInstalled(L""));
    // Whatever the system has: the face asked for, or an installed fallback.
    const std::wstring& face = dialog::DialogFontFace();
    HFONT font = dialog::CreateDialogFont(true);
    ASSERT_NE(font, nullptr);
    LOGFONTW lf{};
    ASSERT_NE(GetObjectW(font, sizeof(lf), &lf), 0);
    EXPECT_EQ(lf.lfFaceName, face);
    EXPECT_EQ(lf.lfHeight, -13);  // 9.75 point at 96 dpi
    EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_TRUE(lf.lfUnderline);
    DeleteObject(font);
}

TEST_F(DialogSurface, FramesAreOnePixelOutlines) {
    const ControlSpec& frame = *dialog::FindControl("Shape", 2);
    Draw({{&frame, L"", nullptr}});
    const uint32_t line = FromColorRef(GetSysColor(COLOR_WINDOWTEXT));
    const int right = frame.left + frame.width - 1, bottom = frame.top + frame.height - 1;
    for (int x = frame.left; x <= right; ++x) {
        EXPECT_EQ(Pixel(panel_, x, frame.top), line) << x;
        EXPECT_EQ(Pixel(panel_, x, bottom), line) << x;
        if (x > frame.left && x < right) {
            EXPECT_EQ(Pixel(panel_, x, frame.top + 1), kFill) << x;  // not filled
        }
    }
    for (int y = frame.top; y <= bottom; ++y) {
        EXPECT_EQ(Pixel(panel_, frame.left, y), line) << y;
        EXPECT_EQ(Pixel(panel_, right, y), line) << y;
    }
    EXPECT_EQ(Pixel(panel_, right + 1, frame.top + 5), kFill);
    EXPECT_EQ(Pixel(panel_, frame.left + 5, bottom + 1), kFill);
}

TEST_F(DialogSurface, LabelsLetTheBackgroundShowThrough) {
    const ControlSpec& heading = *dialog::FindControl("lbl", 1);
    Draw({{&heading, L"BGM", nullptr}});
    const int drawn = Drawn(heading);
    EXPECT_GT(drawn, 20);                                // the letters
    EXPECT_LT(drawn, heading.width * heading.height / 4);  // and nothing behind them
    // Black text, centred: the left and right quarters stay empty.
    int left = 0, right = 0;
    for (int y = heading.top; y < heading.top + heading.height; ++y)
        for (int x = 0; x < heading.width / 4; ++x) {
            left += Pixel(panel_, heading.left + x, y) != kFill;
            right += Pixel(panel_, heading.left + heading.width - 1 - x, y) != kFill;
        }
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 0);
    bool black = false;
    for (int y = heading.top; y < heading.top + heading.height; ++y)
        for (int x = heading.left; x < heading.left + heading.width; ++x) black |= Pixel(panel_, x, y) == 0;
    EXPECT_TRUE(black);
}

TEST_F(DialogSurface, FileBoxHasABorderAndCutsTextThatDoesNotFit) {
    const ControlSpec& box = *dialog::FindControl("lbl_Fname");
    std::wstring path = L"C:\\Music";
    for (int i = 0; i < 20; ++i) path += L"\\folder" + std::to_wstring(i);
    Draw({{&box, path, nullptr}});
    const uint32_t border = FromColorRef(GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(Pixel(panel_, box.left, box.top + 10), border);
    EXPECT_EQ(Pixel(panel_, box.left + box.width - 1, box.top + 10), border);
    EXPECT_EQ(Pixel(panel_, box.left + 100, box.top + box.height - 1), border);
    // Nothing is drawn outside the box, however long the path.
    for (int x = box.left; x < box.left + box.width; ++x) {
        EXPECT_EQ(Pixel(panel_, x, box.top + box.height), kFill) << x;
        EXPECT_EQ(Pixel(panel_, x, box.top - 1), kFill) << x;
    }
    // Two lines of text: ink in the upper and in the lower half of the box.
    auto inkInRows = [&](int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = box.left + 1; x < box.left + box.width - 1; ++x) n += Pixel(panel_, x, y) != kFill;
        return n;
    };
    EXPECT_GT(inkInRows(box.top + 1, box.top + 16), 30);
    EXPECT_GT(inkInRows(box.top + 16, box.top + box.height - 1), 30);
}

TEST_F(DialogSurface, OptionsShowTheirPictureAtItsOwnSize) {
    const ControlSpec& image = *dialog::FindControl("Img_BGM", 1);
    Draw({{&image, L"", &option_}, {dialog::FindControl("Img_BGM", 0), L"", nullptr}});
    EXPECT_EQ(Pixel(panel_, image.left, image.top), 0x2C60D1u);
    EXPECT_EQ(Pixel(panel_, image.left + 11, image.top + 11), 0x2C60D1u);
    EXPECT_EQ(Pixel(panel_, image.left + 12, image.top + 12), kFill);  // the image is 13 x 13, the picture 12 x 12
    EXPECT_EQ(Drawn(*dialog::FindControl("Img_BGM", 0)), 0);        // no picture, nothing drawn
}

TEST_F(DialogSurface, OnlyTheControlsOfThatParentAreDrawn) {
    Draw({{dialog::FindControl("lbl_URL"), L"https://fluttera.example.jp/", nullptr},
          {dialog::FindControl("lbl", 7), L"Fluttera 1.0", nullptr}});
    for (int i = 0; i < panel_.width() * panel_.height(); ++i) ASSERT_EQ(panel_.bits()[i] & 0xFFFFFF, kFill);
}

}  // namespace
