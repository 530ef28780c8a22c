#include <gtest/gtest.h>

#include "framework/gdiplus_session.h"
#include "res/resource_ids.h"
#include "ui/layered_background_dialog.h"
#include "ui/png_image.h"
#include "ui/ui_scale.h"

namespace {

class PngImageTest : public ::testing::Test {
protected:
    fw::GdiplusSession gdiplus;
};

TEST_F(PngImageTest, PicturesHaveTheirSizes) {
    ASSERT_TRUE(gdiplus.IsStarted());
    struct Picture {
        int id;
        UINT width;
        UINT height;
    };
    const Picture pictures[] = {{IDB_MAIN_BACKGROUND, 780, 340}, {IDB_MESSAGE_BOX_FRAME, 384, 198},
                                {IDB_PROGRESS_FILL, 520, 6},     {IDB_CLOSE, 24, 24},
                                {IDB_CLOSE_HOT, 24, 24},         {IDB_MINIMIZE, 24, 24},
                                {IDB_MINIMIZE_HOT, 24, 24},      {IDB_BUTTON_HIGHLIGHT, 137, 47},
                                {IDB_BUTTON_HIGHLIGHT_HOT, 137, 47}, {IDB_BUTTON_DARK, 137, 47},
                                {IDB_BUTTON_DARK_HOT, 137, 47}};
    for (const Picture& p : pictures) {
        auto image = LoadPngImage(p.id);
        EXPECT_EQ(image->GetWidth(), p.width) << p.id;
        EXPECT_EQ(image->GetHeight(), p.height) << p.id;
    }
}

TEST_F(PngImageTest, CutOutIsThatPieceOfThePicture) {
    auto whole = LoadPngBitmap(IDB_MESSAGE_BOX_FRAME, 0, 0, 0, 0);
    auto piece = LoadPngBitmap(IDB_MESSAGE_BOX_FRAME, 20, 18, 344, 162);
    ASSERT_EQ(piece->GetWidth(), 344u);
    ASSERT_EQ(piece->GetHeight(), 162u);
    EXPECT_EQ(piece->GetPixelFormat(), whole->GetPixelFormat());
    for (int y : {0, 80, 161}) {
        for (int x : {0, 100, 343}) {
            Gdiplus::Color a, b;
            piece->GetPixel(x, y, &a);
            whole->GetPixel(x + 20, y + 18, &b);
            EXPECT_EQ(a.GetValue(), b.GetValue()) << x << "," << y;
        }
    }
    // The frame's inner area is opaque: the content window paints it without holes.
    for (int y = 0; y < 162; y += 7) {
        for (int x = 0; x < 344; x += 7) {
            Gdiplus::Color c;
            piece->GetPixel(x, y, &c);
            ASSERT_EQ(c.GetA(), 255) << x << "," << y;
        }
    }
}

TEST_F(PngImageTest, MissingPictureIsEmptyAndHarmless) {
    auto image = LoadPngImage(9999);
    EXPECT_EQ(image->GetWidth(), 0u);
    EXPECT_EQ(image->GetHeight(), 0u);
    auto piece = LoadPngBitmap(9999, 1, 1, 5, 5);
    EXPECT_EQ(piece->GetWidth(), 0u);

    CLayeredBackgroundDialog dialog(9999, nullptr);
    EXPECT_EQ(dialog.m_nWidth, 0);
    EXPECT_EQ(dialog.m_nHeight, 0);
    dialog.UpdateLayered();  // before the window exists: ignored
    ASSERT_TRUE(dialog.Create());
    dialog.UpdateLayered();  // no picture: stays undrawn
    EXPECT_FALSE(dialog.m_bUpdating);
}

TEST_F(PngImageTest, LayeredWindowTakesTheScaledPictureSize) {
    OverrideUiScaleInputs(120, 1920);
    {
        CLayeredBackgroundDialog dialog(IDB_MAIN_BACKGROUND, nullptr);
        EXPECT_EQ(dialog.m_nWidth, 975);
        EXPECT_EQ(dialog.m_nHeight, 425);
        dialog.m_nAlpha = 0;  // invisible while the test runs
        ASSERT_TRUE(dialog.Create());
        const RECT r = dialog.GetWindowRect();
        EXPECT_EQ(r.right - r.left, 975);
        EXPECT_EQ(r.bottom - r.top, 425);
        EXPECT_TRUE(::GetWindowLongPtrW(dialog.Hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
        dialog.ShowCentered();
        const RECT c = dialog.GetWindowRect();
        RECT desktop;
        ::GetWindowRect(::GetDesktopWindow(), &desktop);
        EXPECT_EQ(c.left, desktop.right / 2 - 975 / 2);
        EXPECT_EQ(c.top, desktop.bottom / 2 - 425 / 2);
    }
    OverrideUiScaleInputs(96, 1920);
}

}  // namespace
