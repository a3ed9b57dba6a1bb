#include <gtest/gtest.h>

#include "platform/user32_gdi32/gdi32_internals.h"
#include "platform/user32_gdi32/tiled_image.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_form_window.h"
#include "platform/toolkit/toolkit.h"
#include "rgn/canvas_state.h"
#include "rgn/frm_RGN_Picture.h"
#include "rgn/mod_RGN_UserFunction.h"
#include "rgn/shape_table.h"
#include "tests/rgn/canvas_form.h"
#include "tests/support/region_reading.h"

namespace {

using gdi32_internals::Kind;
using gdi32_internals::LiveObjects;

class CanvasTest : public ::testing::Test {
protected:
    CanvasTest() : canvas(toolkit::Instance<CanvasForm>()) { canvas.LoadForm(); }
    ~CanvasTest() override { toolkit::EndRun(); }

    uint32_t CanvasPixel(int x, int y)
    {
        return sim.FormWindow(canvas.hwnd())->Image().Pixel(x, y);
    }
    const pixman_region32_t* WindowRegion() { return sim.FormWindow(canvas.hwnd())->RegionArea(); }
    static uint32_t PicturePixel(int shape, int x, int y)
    {
        return DefaultInstance<frm_RGN_Picture>().pPicture(int16_t(shape)).GetPicture().Pixel(x, y);
    }
    static bool InShape(int shape, int x, int y)
    {
        HRGN region = RGN_CreateShapeRegion(shape, 0, 0);
        bool inside = PtInRegion(region, x, y);
        DeleteObject(region);
        return inside;
    }

    SimDesktop sim;
    CanvasForm& canvas;
};

TEST_F(CanvasTest, InitialisingPreparesTheFormAndBuildsTheTableOnce)
{
    ShapeTableBuilt = 0;
    RGN_InitCanvas(canvas, 1, -1, -1);
    EXPECT_EQ(canvas.Tag(), "0,1");
    EXPECT_EQ(canvas.Left(), 0);
    EXPECT_EQ(canvas.Top(), 0);
    EXPECT_TRUE(canvas.AutoRedraw());
    EXPECT_EQ(canvas.Width(), Screen.Width());
    EXPECT_EQ(canvas.Height(), RGN_FullScreenHeight());
    EXPECT_EQ(RGN_FullScreenHeight(), (1080 - 40) * 15); // work area: a maximised client and its caption
    EXPECT_EQ(ShapeTableBuilt, -1);
    EXPECT_EQ(ShapeTable[0].rdh.nCount, 14u);

    // Once built, the table is not built again.
    ShapeTable[0].rdh.nCount = 99;
    RGN_InitCanvas(canvas, 2.5, 3000, 1500);
    EXPECT_EQ(ShapeTable[0].rdh.nCount, 99u);
    EXPECT_EQ(canvas.Tag(), "0,2.5");
    EXPECT_EQ(canvas.Width(), 3000);
    EXPECT_EQ(canvas.Height(), 1500);
    RGN_BuildShapeTable();
}

TEST_F(CanvasTest, StampsSnapToPixelsAndAccumulateOneRegion)
{
    RGN_InitCanvas(canvas, 1, -1, -1);
    int32_t x = 100, y = -960;
    RGN_StampShape(0, canvas, x, y);
    EXPECT_EQ(x, 90);
    EXPECT_EQ(y, -960);
    CanvasState first = ReadCanvasState(canvas);
    EXPECT_EQ(first.mode_field, "1");
    HRGN first_region = RegionHandle(first.Region());
    ASSERT_NE(gdi32_internals::RegionOf(first_region), nullptr);

    int32_t x2 = 1500, y2 = 300;
    RGN_StampShape(4, canvas, x2, y2);
    CanvasState second = ReadCanvasState(canvas);
    HRGN accumulated = RegionHandle(second.Region());
    EXPECT_NE(accumulated, first_region);
    EXPECT_EQ(gdi32_internals::RegionOf(first_region), nullptr) << "the second stamp frees the first region";
    EXPECT_EQ(canvas.Tag(), NumberText(second.Region()) + ",1");
    EXPECT_EQ(LiveObjects(Kind::Region), 1u);

    // An expression passed for x keeps the caller's variable as it was.
    int32_t offset = 7;
    RGN_StampShape(1, canvas, offset + 0, y2);
    EXPECT_EQ(offset, 7);

    RGN_ApplyRegion(canvas);
    EXPECT_EQ(canvas.Tag(), "0,1");
    HRGN window_region = sim.FormWindow(canvas.hwnd())->Region();
    ASSERT_NE(gdi32_internals::RegionOf(window_region), nullptr) << "the window owns it now";
    // The window shows exactly the union of the stamped outlines.
    for (int k : {0, 4, 1}) {
        int dx = k == 0 ? 6 : k == 4 ? 100 : 0, dy = k == 0 ? -64 : 20;
        for (int py = 0; py < 64; ++py)
            for (int px = 0; px < 64; ++px)
                if (InShape(k, px, py)) {
                    ASSERT_TRUE(PtInRegion(window_region, px + dx, py + dy)) << k;
                }
    }
    int covered = 0;
    for (const Box& box : BoxesOf(window_region))
        covered += int((box[2] - box[0]) * (box[3] - box[1]));
    EXPECT_LE(covered, 1055 + 1338 + 1084);
    EXPECT_EQ(LiveObjects(Kind::Region), 1u);
    EXPECT_EQ(LiveObjects(Kind::Brush), 0u);

    // Applying with nothing stamped removes the window's region.
    RGN_ApplyRegion(canvas);
    EXPECT_EQ(sim.FormWindow(canvas.hwnd())->Region(), nullptr);
    EXPECT_EQ(canvas.Tag(), "0,1");
    EXPECT_EQ(LiveObjects(Kind::Region), 0u);
}

TEST_F(CanvasTest, ModeOnePaintsPicturesInsideOutlinesAndClearsOncePerBatch)
{
    RGN_InitCanvas(canvas, 1, -1, -1);
    const uint32_t back = 0xF0F0F0;
    // Something drawn before the batch is cleared by its first stamp.
    HRGN mark = CreateRectRgn(300, 300, 310, 310);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRgn(canvas.hdc(), mark, red);
    EXPECT_EQ(CanvasPixel(305, 305), 0xFF0000u);

    int32_t x = 0, y = 0;
    RGN_StampShape(0, canvas, x, y);
    EXPECT_EQ(CanvasPixel(305, 305), back);
    FillRgn(canvas.hdc(), mark, red);
    int32_t x2 = 300, y2 = 0; // 20 pixels right: overlaps the first figure
    RGN_StampShape(8, canvas, x2, y2);
    EXPECT_EQ(CanvasPixel(305, 305), 0xFF0000u) << "later stamps of a batch do not clear";
    DeleteObject(mark);
    DeleteObject(red);

    for (int py = 0; py < 64; ++py)
        for (int px = 0; px < 84; ++px) {
            bool in_later = px >= 20 && InShape(8, px - 20, py);
            bool in_earlier = px < 64 && InShape(0, px, py);
            uint32_t expected = in_later    ? PicturePixel(8, px - 20, py)
                                : in_earlier ? PicturePixel(0, px, py)
                                             : back;
            ASSERT_EQ(CanvasPixel(px, py), expected) << px << "," << py;
            ASSERT_NE(CanvasPixel(px, py), 0u) << "a picture's black background reached the canvas";
        }
    RGN_ApplyRegion(canvas);
}

TEST_F(CanvasTest, ModesOtherThanOneAndTwoOnlyAccumulate)
{
    for (CanvasMode mode : {CanvasMode(0), CanvasMode("walk")}) {
        RGN_InitCanvas(canvas, mode, -1, -1);
        HRGN mark = CreateRectRgn(0, 0, 64, 64);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRgn(canvas.hdc(), mark, red);
        int32_t x = 0, y = 0;
        RGN_StampShape(0, canvas, x, y);
        RGN_StampShape(2, canvas, x, y);
        EXPECT_EQ(CanvasPixel(30, 50), 0xFF0000u) << "nothing painted, never cleared";
        EXPECT_EQ(ReadCanvasState(canvas).mode_field, "0");
        RGN_ApplyRegion(canvas);
        EXPECT_EQ(canvas.Tag(), "0,0");
        EXPECT_TRUE(PtInRegion(sim.FormWindow(canvas.hwnd())->Region(), 30, 50));
        DeleteObject(mark);
        DeleteObject(red);
    }
}

TEST_F(CanvasTest, ModeTwoFillsTheOutlineAndSelectsTheCanvasBrushBack)
{
    RGN_InitCanvas(canvas, 2, -1, -1);
    canvas.BackColor(RGB(0, 128, 255));
    HBRUSH own = CreateSolidBrush(RGB(1, 2, 3));
    HGDIOBJ stock = SelectObject(canvas.hdc(), own);
    std::size_t brushes = LiveObjects(Kind::Brush);

    int32_t x = 0, y = 0;
    RGN_StampShape(3, canvas, x, y);
    int32_t x2 = 960, y2 = 0;
    RGN_StampShape(3, canvas, x2, y2, double(RGB(255, 255, 0)));
    for (int py = 0; py < 64; ++py)
        for (int px = 0; px < 64; ++px)
            if (InShape(3, px, py)) {
                ASSERT_EQ(CanvasPixel(px, py), 0x0080FFu); // BackColor, as 0x00RRGGBB
                ASSERT_EQ(CanvasPixel(px + 64, py), 0xFFFF00u);
            }
    EXPECT_EQ(LiveObjects(Kind::Brush), brushes) << "the stamp's brush is freed";
    EXPECT_EQ(SelectObject(canvas.hdc(), stock), own) << "the canvas's brush is selected back";
    RGN_ApplyRegion(canvas);
    DeleteObject(own);
    EXPECT_EQ(LiveObjects(Kind::Region), 1u);
}

TEST_F(CanvasTest, StampingAnUnpreparedCanvasIsARunTimeError)
{
    canvas.Tag("");
    int32_t x = 0, y = 0;
    EXPECT_THROW(RGN_StampShape(0, canvas, x, y), RuntimeError);
    EXPECT_THROW(RGN_ApplyRegion(canvas), RuntimeError);
}

TEST_F(CanvasTest, ConversionsAndTopmost)
{
    EXPECT_EQ(TwipToPixelX(-7), 0);
    EXPECT_EQ(TwipToPixelX(22.5), 1);
    EXPECT_EQ(TwipToPixelY(-960), -64);
    EXPECT_EQ(PixelToTwipX(12), 180);
    sim.SetTwipsPerPixel(7.5, 12);
    EXPECT_EQ(PixelToTwipX(101), 758); // 757.5 to even
    EXPECT_EQ(PixelToTwipY(12), 144);
    EXPECT_EQ(TwipToPixelX(757.5), 94); // 758 \ 8

    EXPECT_FALSE(canvas.Visible());
    RGN_SetTopmost(canvas, true);
    EXPECT_TRUE(sim.IsTopmost(canvas.hwnd()));
    EXPECT_FALSE(canvas.Visible()) << "true only raises";
    RGN_SetTopmost(canvas, false);
    EXPECT_TRUE(canvas.Visible());
}

} // namespace
