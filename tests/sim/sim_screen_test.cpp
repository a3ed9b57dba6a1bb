// What a person would see, the screen's metrics, and a fresh world per desktop.
#include "platform/user32_gdi32/gdi32_internals.h"
#include "platform/sim/sim_palette.h"
#include "platform/toolkit/bmp24.h"
#include "tests/sim/sim_fixture.h"

namespace {

std::vector<LONG> Sides(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;

Picture GreenPicture()
{
    Bmp24 bmp = Bmp24::Blank();
    for (int y = 0; y < bmp.height; ++y)
        for (int x = 0; x < bmp.width; ++x)
            bmp.SetPixel(x, y, Rgb{0, 255, 0});
    const std::vector<uint8_t> file = EncodeBmp24(bmp);
    return Picture::FromBmp(file);
}

} // namespace

TEST_F(SimTest, AScreenshotShowsAFormOnlyInsideItsRegion)
{
    const HWND editor = sim.AddWindow("Editor", RECT{0, 0, 800, 600});
    TestForm& form = sim.Start<TestForm>(); // at (100, 100), 200 x 100
    const HWND own = form.hwnd();
    form.BackColor(0x0000FF); // red, as a COLORREF
    form.Cls();
    EXPECT_EQ(sim.Capture().CountColor(RECT{100, 100, 300, 200}, kRed), 200 * 100);
    // Not topmost, the form is hidden by the editor brought forward.
    sim.SetForeground(editor);
    EXPECT_FALSE(sim.Capture().ChangedBounds());

    ASSERT_TRUE(SetWindowPos(own, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    // An L: a foot sticking out to the left below the top part.
    HRGN shape = CreateRectRgn(10, 10, 50, 40);
    HRGN foot = CreateRectRgn(0, 30, 20, 45);
    CombineRgn(shape, shape, foot, RGN_OR);
    DeleteObject(foot);
    ASSERT_NE(SetWindowRgn(own, shape, TRUE), 0);

    SimScreenshot shot = sim.Capture();
    EXPECT_EQ(shot.CountColor(shot.Whole(), kRed), 40 * 30 + 20 * 15 - 10 * 10);
    ASSERT_TRUE(shot.ChangedBounds());
    EXPECT_EQ(Sides(*shot.ChangedBounds()), (std::vector<LONG>{100, 110, 150, 145}));
    // Off the region the editor shows through: its frame, title and client.
    EXPECT_EQ(shot.Pixel(105, 105), sim_palette::kClient);
    EXPECT_EQ(shot.Pixel(0, 0), sim_palette::kFrame);
    EXPECT_EQ(shot.Pixel(5, 10), sim_palette::kActiveTitle);
    EXPECT_EQ(shot.Pixel(900, 700), sim_palette::kDesktop);

    // A picture is drawn through the clip selected into the form's DC.
    ASSERT_NE(SetWindowRgn(own, nullptr, TRUE), 0);
    HRGN left_half = CreateRectRgn(0, 0, 32, 64);
    SelectClipRgn(form.hdc(), left_half);
    DeleteObject(left_half);
    form.PaintPicture(GreenPicture(), 0, 0);
    shot = sim.Capture();
    EXPECT_EQ(shot.CountColor(shot.Whole(), kGreen), 32 * 64);
    EXPECT_EQ(shot.CountColor(shot.Whole(), kRed), 200 * 100 - 32 * 64);
    EXPECT_EQ(Sides(*shot.ChangedBounds()), (std::vector<LONG>{100, 100, 300, 200}));

    form.Hide();
    EXPECT_FALSE(sim.Capture().ChangedBounds());
}

TEST(SimDesktopScreen, MetricsFollowTheScreenAndCanBeSet)
{
    SimDesktop sim;
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 23);
    EXPECT_EQ(GetSystemMetrics(SM_CYFULLSCREEN), 1080 - 40 - 23);
    EXPECT_EQ(GetSystemMetrics(999), 0);
    EXPECT_EQ(Screen.Width(), 1920 * 15);

    sim.SetScreenSize(1280, 720);
    sim.SetTaskbarHeight(48);
    sim.SetSystemMetric(SM_CYCAPTION, 30);
    EXPECT_EQ(GetSystemMetrics(SM_CYFULLSCREEN), 720 - 48 - 30);
    EXPECT_EQ(sim.CallCounts().system_metrics, 6);

    // A form's window is placed in pixels of the current twips per pixel.
    TestScript script;
    g_script = &script;
    sim.SetTwipsPerPixel(7.5f, 12);
    EXPECT_EQ(Screen.Width(), 9600);
    EXPECT_EQ(Screen.Height(), 8640);
    TestForm& form = sim.Start<TestForm>();
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(form.hwnd(), &rect));
    EXPECT_EQ(Sides(rect), (std::vector<LONG>{200, 125, 600, 250}));
    toolkit::EndRun();
    g_script = nullptr;
}

TEST(SimDesktopWorld, EachDesktopStartsAFreshWorld)
{
    double first_random = 0;
    {
        SimDesktop old;
        first_random = Rnd();
        old.AddWindow("Old", RECT{0, 0, 10, 10});
        old.Advance(500);
        Rnd();
    }
    SimDesktop sim;
    EXPECT_EQ(sim.Now(), 0);
    EXPECT_TRUE(sim.ZOrder().empty());
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_EQ(Rnd(), first_random);
}
