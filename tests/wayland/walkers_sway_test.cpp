// The program itself on a headless sway, judged from real screenshots:
// the figures stand on the focused window's title bar and follow it, a
// click on a figure ends the program, clicks between them reach the window
// below, the keyboard focus stays where it was, and losing the compositor
// ends the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "tests/e2e/desktop_scene.h"
#include "tests/wayland/sway_session.h"

namespace {

using namespace std::chrono_literals;

// The sanitized build starts slowly; once running, the deadlines below are
// what a person would notice.
constexpr auto kStartup = 15s;
constexpr auto kFollow = 1s;

// sway's colours for the focused window's title bar and border.
bool IsFocusedFrame(uint32_t pixel) { return pixel == 0x285577 || pixel == 0x4C7899; }

// The focused window as a person sees it: the box around sway's focused
// title bar and border colours.
Box FocusedFrame(const Screenshot& shot)
{
    Box box{shot.width, shot.height, 0, 0};
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (IsFocusedFrame(shot.At(x, y))) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box;
}

class WalkersOnSway : public ::testing::Test {
protected:
    explicit WalkersOnSway(const std::string& config = "", bool xwayland = false)
        : session(config, xwayland)
    {
    }

    void SetUp() override { ASSERT_TRUE(session.Ready()) << "no headless sway"; }

    void TearDown() override
    {
        if ((HasFailure() || std::getenv("WALKERS_E2E_SAVE")) && !last.pixels.empty()) {
            const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
            last.Save(std::string("/tmp/walkers-sway-") + test->name() + ".ppm");
        }
    }

    // Whether there are figures, and all stand on the focused window's
    // title bar, whose top is at `top` when given.
    bool OnFocusedTitleBar(int top = -1)
    {
        last = session.Capture();
        if (last.pixels.empty())
            return false;
        frame = FocusedFrame(last);
        if (top >= 0 && frame.top != top)
            return false;
        scan = ScanFigures(last, TitleBarBand(frame));
        black_seen += scan.black;
        return scan.brown > 200 && scan.outside == 0;
    }

    bool WaitOnFocusedTitleBar(std::chrono::milliseconds timeout, int top = -1)
    {
        return WaitUntil([&] { return OnFocusedTitleBar(top); }, timeout);
    }

    SwaySession session;
    Screenshot last;
    Box frame{};
    FigureScan scan{};
    int black_seen = 0;

    // What the last look saw, for a failure's message.
    std::string Seen() const
    {
        return "frame " + std::to_string(frame.left) + "," + std::to_string(frame.top) + " - " +
               std::to_string(frame.right) + "," + std::to_string(frame.bottom) + "; figure pixels " +
               std::to_string(scan.brown) + ", outside the title bar " +
               std::to_string(scan.outside);
    }
};

class WalkersOnSwayWithGaps : public WalkersOnSway {
protected:
    // Room above a tiled window, so the figures on it are in sight.
    WalkersOnSwayWithGaps() : WalkersOnSway("gaps outer 100") {}
};

TEST_F(WalkersOnSwayWithGaps, FiguresStandOnATiledWindowAndThenOnItFloating)
{
    TestWindow window(session, "tiled", "8FBF8F");
    ASSERT_TRUE(window.Ready());
    auto walkers = StartWalkersOn(session);
    EXPECT_TRUE(WaitOnFocusedTitleBar(kStartup)) << Seen() << walkers->Errors();
    EXPECT_GE(frame.top, 90) << "the tiled window is not where the gaps put it";

    ASSERT_TRUE(session.Command("floating enable, border normal, resize set 500 300, move absolute position 300 250"));
    EXPECT_TRUE(WaitOnFocusedTitleBar(kFollow, 250)) << "did not follow the window floating: " << Seen();
    EXPECT_EQ(black_seen, 0) << "the pictures' black background showed";
    EXPECT_TRUE(walkers->Running()) << walkers->Errors();
}

TEST_F(WalkersOnSway, FollowTheFloatingWindowsMoveAndTheFocus)
{
    TestWindow first(session, "first", "8FBF8F");
    ASSERT_TRUE(first.Ready());
    ASSERT_TRUE(session.Command("floating enable, border normal, resize set 400 250, move absolute position 80 300"));
    TestWindow second(session, "second", "C0C0E0");
    ASSERT_TRUE(second.Ready());
    ASSERT_TRUE(session.Command("floating enable, border normal, resize set 400 200, move absolute position 560 150"));
    auto walkers = StartWalkersOn(session);
    EXPECT_TRUE(WaitOnFocusedTitleBar(kStartup, 150)) << Seen() << walkers->Errors();

    // sway tells nothing of a floating window's move: the figures find it,
    // move after move, from the trees each tick asks for.
    for (const int top : {400, 60, 330}) {
        ASSERT_TRUE(session.Command("move absolute position 540 " + std::to_string(top)));
        EXPECT_TRUE(WaitOnFocusedTitleBar(kFollow, top)) << "did not follow the move: " << Seen();
    }

    ASSERT_TRUE(session.Command("[title=\"^first$\"] focus"));
    EXPECT_TRUE(WaitOnFocusedTitleBar(kFollow, 300)) << "did not follow the focus: " << Seen();
    EXPECT_EQ(session.FocusedTitle(), "first");
    EXPECT_EQ(black_seen, 0);
    EXPECT_TRUE(walkers->Running()) << walkers->Errors();
}

// A floating window dragged by its title bar: sway tells no event of it,
// and walkers looks every few ticks on a desktop this small (at most 300 ms
// apart), and every tick once it saw the window move; the figures are
// there within kFollow.
TEST_F(WalkersOnSway, FollowAFloatingWindowDraggedWithTheMouse)
{
    TestWindow window(session, "dragged", "8FBF8F");
    ASSERT_TRUE(window.Ready());
    ASSERT_TRUE(session.Command("floating enable, border normal, resize set 500 250, move absolute position 100 300"));
    auto walkers = StartWalkersOn(session);
    ASSERT_TRUE(WaitOnFocusedTitleBar(kStartup, 300)) << Seen() << walkers->Errors();

    // Held low on the title bar, below the figures' feet.
    ASSERT_TRUE(session.Drag(500, 320, 760, 440));
    EXPECT_TRUE(WaitOnFocusedTitleBar(kFollow, 420)) << "did not follow the drag: " << Seen();
    EXPECT_EQ(frame.left, 360) << "the drag did not move the window as asked";
    EXPECT_TRUE(walkers->Running()) << walkers->Errors();
}

// A new title deals the figures anew along the same title bar.
TEST_F(WalkersOnSway, FiguresStayOnTheTitleBarThroughATitleChange)
{
    TestWindow window(session, "before", "8FBF8F", "after");
    ASSERT_TRUE(window.Ready());
    ASSERT_TRUE(session.Command("floating enable, border normal, resize set 600 250, move absolute position 200 250"));
    auto walkers = StartWalkersOn(session);
    ASSERT_TRUE(WaitOnFocusedTitleBar(kStartup, 250)) << walkers->Errors();
    window.Retitle();
    ASSERT_TRUE(WaitUntil([&] { return session.FocusedTitle() == "after"; }, 3s));
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(WaitOnFocusedTitleBar(kFollow, 250));
    EXPECT_TRUE(walkers->Running()) << walkers->Errors();
}

TEST_F(WalkersOnSway, ClickOnAFigureEndsTheProgram)
{
    TestWindow window(session, "sample", "8FBF8F", "Form1");
    ASSERT_TRUE(window.Ready());
    ASSERT_TRUE(session.Command("floating enable, border normal, resize set 600 300, "
                                "move absolute position 200 250"));
    auto walkers = StartWalkersOn(session);
    ASSERT_TRUE(WaitOnFocusedTitleBar(kStartup, 250)) << walkers->Errors();
    // A window in front titled like their own makes the figures hold still:
    // easy to hit.
    window.Retitle();
    ASSERT_TRUE(WaitUntil([&] { return session.FocusedTitle() == "Form1"; }, 3s));
    ASSERT_TRUE(WaitUntil(
        [&] {
            const Screenshot before = session.Capture();
            std::this_thread::sleep_for(200ms);
            last = session.Capture();
            return before.pixels == last.pixels;
        },
        3s))
        << "the figures did not hold still";
    const auto target = InteriorFigurePixel(last, 3);
    ASSERT_TRUE(target.has_value());
    ASSERT_TRUE(session.Click(target->first, target->second));
    const auto status = walkers->Wait(5s);
    ASSERT_TRUE(status.has_value()) << "still running after a click on a figure";
    EXPECT_EQ(*status, 0) << walkers->Errors();
    EXPECT_EQ(window.Presses(), 0) << "the click on a figure reached the window below";
}

TEST_F(WalkersOnSway, ClickBetweenFiguresReachesTheWindowBelowAndKeyboardStays)
{
    // `below` lies behind the band where the figures stand on `sample`.
    TestWindow below(session, "below", "C0C0E0");
    ASSERT_TRUE(below.Ready());
    ASSERT_TRUE(session.Command("floating enable, border normal, resize set 900 200, move absolute position 60 100"));
    TestWindow sample(session, "sample", "8FBF8F");
    ASSERT_TRUE(sample.Ready());
    ASSERT_TRUE(session.Command("floating enable, border normal, resize set 600 250, move absolute position 200 260"));
    auto walkers = StartWalkersOn(session);
    ASSERT_TRUE(WaitOnFocusedTitleBar(kStartup, 260)) << walkers->Errors();
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(sample.LostKeyboard()) << "walkers took the keyboard focus";

    // A point of `below` in the figures' band, clear of every figure.
    last = session.Capture();
    const Box band = TitleBarBand(FocusedFrame(last));
    std::optional<std::pair<int, int>> target;
    for (int y = band.top + 8; y < band.bottom - 8 && !target; ++y)
        for (int x = band.left + 8; x < band.right - 8 && !target; ++x) {
            bool clear = true;
            for (int dy = -8; dy <= 8 && clear; ++dy)
                for (int dx = -8; dx <= 8 && clear; ++dx)
                    clear = last.At(x + dx, y + dy) == 0xC0C0E0;
            if (clear)
                target = std::make_pair(x, y);
        }
    ASSERT_TRUE(target.has_value());
    ASSERT_TRUE(session.Click(target->first, target->second));
    EXPECT_TRUE(WaitUntil([&] { return below.Presses() > 0; }, 3s))
        << "the click between the figures did not reach the window below";
    EXPECT_TRUE(WaitUntil([&] { return session.FocusedTitle() == "below"; }, 3s))
        << "the window clicked did not take the focus";
    EXPECT_TRUE(walkers->Running()) << walkers->Errors();
}

class WalkersOnAScaledOutput : public WalkersOnSway {
protected:
    WalkersOnAScaledOutput() : WalkersOnSway("output HEADLESS-1 scale 2") {}
};

// At scale 2 the output's 1024x640 pixels show 512x320 logical ones: the
// figures keep their logical size on the title bar, and each of their
// pixels is a 2x2 block of one colour, not a smoothed enlargement.
TEST_F(WalkersOnAScaledOutput, FiguresAreEnlargedByWholePixels)
{
    TestWindow window(session, "sample", "8FBF8F");
    ASSERT_TRUE(window.Ready());
    ASSERT_TRUE(session.Command("floating enable, border normal, resize set 300 150, "
                                "move absolute position 100 120"));
    auto walkers = StartWalkersOn(session);
    auto on_title_bar = [&] {
        last = session.Capture();
        if (last.width != SwaySession::kWidth)
            return false;
        frame = FocusedFrame(last);
        // The band of the figures' 64-pixel cells, in screen pixels.
        const Box band{frame.left, frame.top - 2 * (64 - 12), frame.right, frame.top + 2 * 12};
        scan = ScanFigures(last, band);
        return frame.top == 240 && scan.brown > 800 && scan.outside == 0;
    };
    ASSERT_TRUE(WaitUntil(on_title_bar, kStartup)) << Seen() << walkers->Errors();
    int blocks = 0, mixed = 0;
    for (int y = 0; y + 1 < last.height; y += 2)
        for (int x = 0; x + 1 < last.width; x += 2) {
            const uint32_t pixel = last.At(x, y);
            if (!IsFigureBrown(pixel))
                continue;
            ++blocks;
            if (last.At(x + 1, y) != pixel || last.At(x, y + 1) != pixel ||
                last.At(x + 1, y + 1) != pixel)
                ++mixed;
        }
    EXPECT_GT(blocks, 200);
    EXPECT_EQ(mixed, 0) << "figure pixels not enlarged by whole pixels";
}

TEST_F(WalkersOnSway, LosingTheCompositorEndsItWithStatusOne)
{
    TestWindow window(session, "sample", "8FBF8F");
    ASSERT_TRUE(window.Ready());
    auto walkers = StartWalkersOn(session);
    ASSERT_TRUE(WaitUntil([&] { return walkers->Running() && OnFocusedTitleBar(); }, kStartup) ||
                walkers->Running());
    session.Kill();
    const auto status = walkers->Wait(5s);
    ASSERT_TRUE(status.has_value()) << "still running without its compositor";
    EXPECT_EQ(*status, 1);
    const std::string errors = walkers->Errors();
    EXPECT_NE(errors.find("lost the connection to the Wayland compositor"), std::string::npos)
        << errors;
}

class WalkersOnSwayWithXWayland : public WalkersOnSway {
protected:
    WalkersOnSwayWithXWayland() : WalkersOnSway("", true) {}
};

// Under sway the X display is XWayland, where the X11 overlay could not be
// shaped: asked for X11, walkers refuses in one line and shows nothing;
// left to choose with both displays set, it takes Wayland and follows
// native and X11 windows alike.
TEST_F(WalkersOnSwayWithXWayland, X11StepsAsideAndWaylandFollowsBothKindsOfWindow)
{
    TestWindow window(session, "native", "8FBF8F");
    ASSERT_TRUE(window.Ready());
    ASSERT_TRUE(session.Command("floating enable, border normal, resize set 500 250, "
                                "move absolute position 200 250"));
    const std::string display = session.XWaylandDisplay();
    ASSERT_FALSE(display.empty()) << "sway gave its programs no DISPLAY";
    std::map<std::string, std::string> both = session.Environment();
    both["DISPLAY"] = display;
    const Screenshot before = session.Capture();

    Process x11({WALKERS_BINARY, "--backend=x11"}, both);
    const auto refused = x11.Wait(20s);
    ASSERT_TRUE(refused.has_value()) << "the X11 backend kept running under XWayland";
    EXPECT_EQ(*refused, 2);
    const std::string message = x11.Errors();
    EXPECT_NE(message.find("XWayland"), std::string::npos) << message;
    EXPECT_NE(message.find("--backend=wayland"), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_TRUE(session.Capture().pixels == before.pixels) << "the refusal left something on screen";

    Process automatic({WALKERS_BINARY}, both);
    EXPECT_TRUE(WaitOnFocusedTitleBar(kStartup, 250)) << Seen() << automatic.Errors();

    // An X11 program through XWayland, in sway's tree like any window; in
    // one colour, since black would pass for the pictures' background.
    Process xlogo({"xlogo", "-geometry", "300x200", "-fg", "#C0C0E0", "-bg", "#C0C0E0"}, both);
    ASSERT_TRUE(WaitUntil([&] { return session.FocusedTitle() == "xlogo"; }, 10s))
        << "the X11 window did not take the focus: " << xlogo.Errors() << session.Tree();
    ASSERT_TRUE(session.Command("floating enable, border normal, resize set 400 200, "
                                "move absolute position 450 120"));
    EXPECT_TRUE(WaitOnFocusedTitleBar(kFollow, 120)) << "did not follow the X11 window: " << Seen();
    EXPECT_EQ(black_seen, 0);
    EXPECT_TRUE(automatic.Running()) << automatic.Errors();
}

// Without any desktop, or with a desktop the command line does not allow,
// the program says so in one line and ends with status 2.
TEST(WalkersWithoutADesktop, SaysSoAndEndsWithStatusTwo)
{
    const RunResult neither =
        RunToEnd({WALKERS_BINARY}, {{"WAYLAND_DISPLAY", ""}, {"DISPLAY", ""}});
    EXPECT_EQ(neither.status, 2);
    const RunResult no_wayland = RunToEnd({WALKERS_BINARY, "--backend=wayland"},
                                          {{"WAYLAND_DISPLAY", "walkers-none"}, {"DISPLAY", ""}});
    EXPECT_EQ(no_wayland.status, 2);
    const RunResult unknown = RunToEnd({WALKERS_BINARY, "--backend=mir"}, {});
    EXPECT_EQ(unknown.status, 2);
}

} // namespace
