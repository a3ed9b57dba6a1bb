// A form's persistent image on the real gdi32: a 32-bit top-down DIB section
// the size of the window behind a DC that stays the form's hdc, Cls that
// ignores the clip, PaintPicture that honours it, and repaints from it.
#include "platform/toolkit/bmp24.h"
#include "tests/windows/win32_fixture.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// 64 x 64: the top-left quarter red, the rest blue, so a picture drawn
// upside down or mirrored shows.
Picture QuarterPicture()
{
    Bmp24 bmp = Bmp24::Blank();
    for (int y = 0; y < Bmp24::kSide; ++y)
        for (int x = 0; x < Bmp24::kSide; ++x)
            bmp.SetPixel(x, y, x < 32 && y < 32 ? Rgb{255, 0, 0} : Rgb{0, 0, 255});
    return Picture::FromBmp(EncodeBmp24(bmp));
}

int CountPixels(HDC dc, int width, int height, COLORREF color)
{
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            count += GetPixel(dc, x, y) == color;
    return count;
}

TEST_F(Win32Test, TheImageIsADibSectionTheSizeOfTheWindowThatResizingKeeps)
{
    InstallBackend(&backend);
    TestForm& form = DefaultInstance<TestForm>();
    const HDC dc = form.hdc();
    EXPECT_EQ(GetObjectType(dc), DWORD(OBJ_MEMDC));
    DIBSECTION section{};
    ASSERT_EQ(GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof section, &section),
              int(sizeof section));
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
    EXPECT_EQ(section.dsBm.bmWidth, 200);
    EXPECT_EQ(section.dsBm.bmHeight, 100);
    // Top-down: the top row comes first in memory.
    SetPixel(dc, 1, 0, kRed);
    GdiFlush();
    EXPECT_EQ(static_cast<const uint32_t*>(section.dsBm.bmBits)[1], 0x00FF0000u);
    // A new image starts in the form's BackColor, the button face.
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0xF0, 0xF0, 0xF0));

    SetPixel(dc, 150, 90, kRed);
    form.Width(4500); // 300 pixels
    EXPECT_EQ(form.hdc(), dc);
    ASSERT_EQ(GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof section, &section),
              int(sizeof section));
    EXPECT_EQ(section.dsBm.bmWidth, 300);
    EXPECT_EQ(GetPixel(dc, 150, 90), kRed);
    EXPECT_EQ(GetPixel(dc, 250, 50), RGB(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(GetPixel(dc, 300, 50), CLR_INVALID);

    form.Height(1395); // 93 pixels: the marked pixel still fits
    EXPECT_EQ(GetPixel(dc, 150, 90), kRed);
    EXPECT_EQ(GetPixel(dc, 150, 93), CLR_INVALID);

    // Sized by someone else, as a window manager may, the window keeps an
    // image of its size.
    SetWindowPos(form.hwnd(), nullptr, 0, 0, 160, 95, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_EQ(GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof section, &section),
              int(sizeof section));
    EXPECT_EQ(section.dsBm.bmWidth, 160);
    EXPECT_EQ(section.dsBm.bmHeight, 95);
    EXPECT_EQ(GetPixel(dc, 150, 90), kRed);
}

TEST_F(Win32Test, ClsIgnoresTheClipAndPaintPictureHonoursIt)
{
    InstallBackend(&backend);
    TestForm& form = DefaultInstance<TestForm>();
    const HDC dc = form.hdc();
    HRGN clip = CreateRectRgn(18, 28, 50, 60);
    SelectClipRgn(dc, clip);
    DeleteObject(clip);

    form.BackColor(0x00123456);
    form.Cls();
    EXPECT_EQ(CountPixels(dc, 200, 100, 0x00123456), 200 * 100);

    // At (10, 20) pixels: the clip shows picture pixels 8 to 39 across and down.
    form.PaintPicture(QuarterPicture(), 150, 300);
    EXPECT_EQ(GetPixel(dc, 18, 28), kRed);
    EXPECT_EQ(GetPixel(dc, 41, 51), kRed);   // picture pixel (31, 31)
    EXPECT_EQ(GetPixel(dc, 42, 52), kBlue);  // picture pixel (32, 32)
    EXPECT_EQ(GetPixel(dc, 49, 29), kBlue);  // picture pixel (39, 9)
    EXPECT_EQ(GetPixel(dc, 12, 22), 0x00123456); // in the picture, off the clip
    EXPECT_EQ(CountPixels(dc, 200, 100, kRed) + CountPixels(dc, 200, 100, kBlue), 32 * 32);

    // A system colour is looked up.
    form.BackColor(int32_t(0x80000000u | COLOR_BTNFACE));
    form.Cls();
    EXPECT_EQ(GetPixel(dc, 0, 0), GetSysColor(COLOR_BTNFACE));
    SelectClipRgn(dc, nullptr);
}

TEST_F(Win32Test, TheWindowIsPaintedFromTheImageAndFollowsIt)
{
    InstallBackend(&backend);
    TestForm& form = DefaultInstance<TestForm>();
    form.Show();
    SetWindowPos(form.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump(200);
    // Drawn while shown, the picture reaches the window with the next
    // events, as drawing with AutoRedraw does.
    form.BackColor(0x00336699);
    form.Cls();
    form.PaintPicture(QuarterPicture(), 0, 0);
    Pump(200);

    HDC window = GetDC(form.hwnd());
    EXPECT_EQ(GetPixel(window, 5, 5), kRed);
    EXPECT_EQ(GetPixel(window, 40, 40), kBlue);
    EXPECT_EQ(GetPixel(window, 150, 50), COLORREF(0x00336699));
    ReleaseDC(form.hwnd(), window);
}

} // namespace
