#include "tests/app/walkers_fixture.h"

#include <cmath>
#include <set>

#include "platform/toolkit/toolkit.h"

namespace {

constexpr RECT kAlpha{200, 300, 1000, 800};

class WalkersOnAWindow : public WalkersTest {
protected:
    void SetUp() override
    {
        alpha = sim.AddWindow("Alpha", kAlpha);
        Start();
        Tick(); // the first tick sees the new title and re-seeds
    }
    // Puts walker i where a test wants it, without a re-seed on the next tick.
    void Place(int i, int32_t x, int32_t frame, int32_t step, int32_t dir)
    {
        Form1Inspector walkers = Walkers();
        walkers.X(i) = x;
        walkers.Frame(i) = frame;
        walkers.Step(i) = step;
        walkers.Dir(i) = dir;
    }
    int32_t Limit(const RECT& window) const { return (window.right - window.left - 64) * 15; }

    // Every changed pixel stands on the title bar: inside the window's
    // width, in the rows of cells whose bottom 12 rows overlap its top edge.
    void ExpectStandingOn(const RECT& window)
    {
        auto bounds = ChangedBounds();
        ASSERT_TRUE(bounds) << "no figure visible";
        EXPECT_GE(bounds->left, window.left);
        EXPECT_LE(bounds->right, window.right);
        EXPECT_GE(bounds->top, window.top - 52);
        EXPECT_LE(bounds->bottom, window.top + 12);
        const pixman_box32_t* shown = pixman_region32_extents(ShownRegion());
        EXPECT_GE(shown->y1, window.top - 52);
        EXPECT_LE(shown->y2, window.top + 12);
    }

    HWND alpha = nullptr;
};

TEST_F(WalkersOnAWindow, FiguresStandOnTheTitleBarOfTheWindowInFront)
{
    ExpectStandingOn(kAlpha);
    Form1Inspector walkers = Walkers();
    EXPECT_EQ(walkers.LastTitle(), "Alpha");
    for (int i = 0; i < walkers.Count(); ++i) {
        EXPECT_EQ(walkers.Y(i), (300 - 64 + 12) * 15);
        EXPECT_GE(walkers.X(i), 0);
        EXPECT_LE(walkers.X(i), Limit(kAlpha));
    }
    // Only the figures' own pixels are shown: never a picture's black.
    SimScreenshot shot = sim.Capture();
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = kAlpha.left; x < kAlpha.right; ++x)
            if (shot.Pixel(x, y) != shot.PixelWithoutForms(x, y)) {
                ASSERT_NE(shot.Pixel(x, y), 0u) << x << "," << y;
            }
    Tick(40);
    ExpectStandingOn(kAlpha);
}

TEST_F(WalkersOnAWindow, FramesCycleAndWalkersMoveOnNineOfThirteenTicks)
{
    const RECT wide{0, 300, 1920, 800};
    sim.SetWindowRect(alpha, wide);
    Walkers().Count() = 1;
    Place(0, 3000, 0, 100, 0);
    std::vector<int32_t> frames, xs;
    for (int t = 0; t < 13; ++t) {
        Tick();
        frames.push_back(Walkers().Frame(0));
        xs.push_back(Walkers().X(0));
    }
    EXPECT_EQ(frames, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0}));
    EXPECT_EQ(xs.back(), 3000 + 9 * 100);
    EXPECT_EQ(xs[2], 3000) << "frames 1 to 3 stand";
    EXPECT_EQ(xs[3], 3100) << "frame 4 is the first that moves";

    // Leftward it walks back the same way.
    Place(0, 3000, 3, 100, 1);
    Tick();
    EXPECT_EQ(Walkers().X(0), 2900);
}

TEST_F(WalkersOnAWindow, WalkersTurnExactlyAtBothEnds)
{
    Walkers().Count() = 3;
    const int32_t limit = Limit(kAlpha);
    Place(0, limit - 50, 3, 100, 0); // passes the right end
    Place(1, 50, 3, 80, 1);          // passes the left end
    Place(2, limit, 0, 100, 0);      // on a standing frame, exactly on the limit
    Tick();
    Form1Inspector walkers = Walkers();
    EXPECT_EQ(walkers.X(0), limit);
    EXPECT_EQ(walkers.Dir(0), 1);
    EXPECT_EQ(walkers.X(1), 0);
    EXPECT_EQ(walkers.Dir(1), 0);
    EXPECT_EQ(walkers.X(2), limit) << "reaching the limit is not passing it";
    EXPECT_EQ(walkers.Dir(2), 0);
}

TEST_F(WalkersOnAWindow, WalkersFollowTheWindowWhenItMovesOrShrinks)
{
    const RECT moved{600, 500, 1400, 900};
    sim.SetWindowRect(alpha, moved);
    Tick();
    ExpectStandingOn(moved);

    Walkers().Count() = 2;
    Place(0, Limit(moved), 0, 100, 0); // standing frames too are pulled in
    Place(1, 100, 0, 100, 1);
    const RECT shrunk{600, 500, 900, 900};
    sim.SetWindowRect(alpha, shrunk);
    Tick();
    EXPECT_EQ(Walkers().X(0), Limit(shrunk));
    EXPECT_EQ(Walkers().Dir(0), 1);
    ExpectStandingOn(shrunk);

    // Narrower than a figure: every walker stays at the left end.
    const RECT narrow{600, 500, 640, 900};
    sim.SetWindowRect(alpha, narrow);
    Tick(5);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Walkers().X(i), 0);
        EXPECT_EQ(Walkers().Dir(i), 0);
    }
    auto bounds = ChangedBounds();
    ASSERT_TRUE(bounds);
    EXPECT_GE(bounds->left, 600);
    EXPECT_LE(bounds->right, 600 + 64);
}

TEST_F(WalkersOnAWindow, ATitleChangeReseedsWithOnePlusThreeDrawsPerWalker)
{
    Form1Inspector walkers = Walkers();
    // Mid-window walkers keep their headings through the re-seed unless
    // they turn on that very tick.
    int32_t dirs[10];
    for (int i = 0; i < 10; ++i)
        dirs[i] = walkers.Dir(i);
    double before = Rnd();
    sim.SetTitle(alpha, "Alpha - changed");
    Tick();
    double after = Rnd();
    EXPECT_EQ(walkers.LastTitle(), "Alpha - changed");

    // Replay: 41 start-up draws, the first tick's, the test's draw, then
    // this tick's count and three per walker.
    ResetRandomSource();
    for (int i = 0; i < 41; ++i)
        Rnd();
    int32_t first_count = int32_t(std::floor(7 * Rnd())) + 3;
    for (int i = 0; i < 3 * first_count; ++i)
        Rnd();
    EXPECT_EQ(Rnd(), before);
    int32_t count = int32_t(std::floor(7 * Rnd())) + 3;
    EXPECT_EQ(walkers.Count(), count);
    for (int i = 0; i < 3 * count; ++i)
        Rnd();
    EXPECT_EQ(Rnd(), after) << "a re-seeding tick draws 1 + 3n values";
    for (int i = 0; i < count; ++i)
        if (walkers.X(i) > 0 && walkers.X(i) < Limit(kAlpha)) {
            EXPECT_EQ(walkers.Dir(i), dirs[i]) << "headings are not drawn anew: " << i;
        }

    // The same title again draws nothing.
    double quiet = Rnd();
    Tick(3);
    ResetRandomSource();
    for (int i = 0; i < 41 + 1 + 3 * first_count + 1 + 1 + 3 * count + 1; ++i)
        Rnd();
    EXPECT_EQ(Rnd(), quiet);
}

TEST_F(WalkersOnAWindow, OnlyTheActiveWalkersAreShown)
{
    const RECT wide{0, 300, 1920, 800};
    sim.SetWindowRect(alpha, wide);
    Walkers().Count() = 9;
    for (int i = 0; i < 10; ++i)
        Place(i, i * 200 * 15, 0, 80, 0); // 200 pixels apart, standing
    Tick();
    auto figures = [&] {
        std::set<int> cells;
        SimScreenshot shot = sim.Capture();
        for (int cell = 0; cell < 10; ++cell)
            if (shot.CountChanged(RECT{cell * 200, 0, cell * 200 + 64, 400}) > 0)
                cells.insert(cell);
        return cells;
    };
    EXPECT_EQ(figures(), (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    Walkers().Count() = 3;
    Tick();
    EXPECT_EQ(figures(), (std::set<int>{0, 1, 2}));
}

TEST_F(WalkersOnAWindow, AWindowTitledLikeOurOwnFreezesEverything)
{
    Tick(3);
    SimScreenshot before = sim.Capture();
    Form1Inspector walkers = Walkers();
    int32_t x0 = walkers.X(0), frame0 = walkers.Frame(0);
    HWND impostor = sim.AddWindow("Form1", RECT{1200, 600, 1800, 900});
    sim.ResetCallCounts();
    Tick(10);
    EXPECT_EQ(walkers.X(0), x0);
    EXPECT_EQ(walkers.Frame(0), frame0);
    EXPECT_EQ(walkers.LastTitle(), "Alpha");
    EXPECT_EQ(sim.CallCounts().foreground_window, 10);
    // The figures stay where they were.
    RECT area{kAlpha.left, kAlpha.top - 52, kAlpha.right, kAlpha.top + 12};
    EXPECT_EQ(sim.Capture().CountChanged(area), before.CountChanged(area));

    sim.SetForeground(alpha);
    Tick();
    EXPECT_NE(walkers.Frame(0), frame0);
    (void)impostor;
}

TEST_F(WalkersOnAWindow, WithoutAForegroundWindowTheyStackAtTheTopLeft)
{
    sim.SetForeground(nullptr);
    Tick();
    Form1Inspector walkers = Walkers();
    EXPECT_EQ(walkers.LastTitle(), "");
    for (int i = 0; i < walkers.Count(); ++i) {
        EXPECT_EQ(walkers.X(i), 0);
        EXPECT_EQ(walkers.Dir(i), 0);
        EXPECT_EQ(walkers.Y(i), 180 - 960);
    }
    auto bounds = ChangedBounds();
    if (bounds) { // only the lowest 12 rows of a cell reach the screen
        EXPECT_LE(bounds->right, 64);
        EXPECT_LE(bounds->bottom, 12);
    }
}

TEST_F(WalkersOnAWindow, ATickAsksTheProbeBetweenThreePlusFiveAndNineTimesPerWalker)
{
    for (int t = 0; t < 30; ++t) {
        if (t % 7 == 0)
            sim.SetTitle(alpha, "Alpha " + std::to_string(t));
        sim.ResetCallCounts();
        Tick();
        int n = Walkers().Count();
        int calls = sim.CallCounts().foreground_window;
        EXPECT_GE(calls, 3 + 5 * n);
        EXPECT_LE(calls, 3 + 9 * n);
        EXPECT_EQ(sim.CallCounts().window_text, calls);
        EXPECT_EQ(sim.CallCounts().window_rect, calls);
    }
}

} // namespace
