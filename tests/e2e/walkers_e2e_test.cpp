// The program itself on a virtual desktop with a window manager, driven the
// way a person would (xdotool) and judged from real screenshots.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <algorithm>
#include <csignal>
#include <random>
#include <thread>

#include "tests/e2e/desktop_scene.h"

namespace {

using namespace std::chrono_literals;

// The sanitized build starts slowly; once running, the deadlines below are
// what a person would notice.
constexpr auto kStartup = 15s;
constexpr auto kFollow = 1s;

std::string Text(Window window) { return std::to_string(window); }

class WalkersOnDesktop : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(session.Ready()) << "no virtual X server"; }

    // The last screenshot of a failed test, for a look afterwards.
    void TearDown() override
    {
        if ((HasFailure() || std::getenv("WALKERS_E2E_SAVE")) && !last.pixels.empty()) {
            const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
            last.Save(std::string("/tmp/walkers-e2e-") + test->name() + ".ppm");
        }
    }

    // Activates a window through the window manager and waits until it is
    // the foreground window.
    bool Activate(Window window)
    {
        session.Xdotool({"windowactivate", Text(window)});
        return WaitUntil([&] { return session.ActiveWindow() == window; }, 5s);
    }

    // Whether every figure on screen stands on `window`'s title bar, and
    // there are figures. Every screenshot also must show no black.
    bool OnTitleBar(Window window)
    {
        const Box band = TitleBarBand(session.Frame(window));
        last = session.Capture();
        const FigureScan scan = ScanFigures(last, band);
        black_seen += scan.black;
        return scan.brown > 200 && scan.outside == 0;
    }

    bool WaitOnTitleBar(Window window, std::chrono::milliseconds timeout)
    {
        return WaitUntil([&] { return OnTitleBar(window); }, timeout);
    }

    // Brings Form1 to the front so that the figures hold still on
    // `window`'s title bar. Form1 may come to the front in the middle of a
    // tick, which then places the figures on Form1 itself, above the
    // screen's top edge: then `window` comes to the front and Form1 again.
    bool FreezeOn(Window window)
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (!Activate(window) || !WaitOnTitleBar(window, 2s) || !Activate(FormOne()))
                continue;
            std::this_thread::sleep_for(300ms);
            if (OnTitleBar(window))
                return true;
        }
        return false;
    }

    Window FormOne()
    {
        Window form = None;
        WaitUntil([&] { return (form = session.FindWindow("Form1")) != None; }, kStartup);
        return form;
    }

    XSession session;
    Screenshot last;
    int black_seen = 0;
};

TEST_F(WalkersOnDesktop, FiguresStandOnTheFocusedTitleBarAndFollowTheWindow)
{
    SampleWindow first(session, "first", "500x300+80+420");
    SampleWindow second(session, "second", "600x260+560+160");
    ASSERT_TRUE(first.Ready() && second.Ready());
    ASSERT_TRUE(Activate(second.Id()));
    auto walkers = StartWalkers(session);
    EXPECT_TRUE(WaitOnTitleBar(second.Id(), kStartup)) << "figures never reached the title bar";
    // Starting did not take the foreground from the window walked on.
    EXPECT_EQ(session.ActiveWindow(), second.Id());

    ASSERT_TRUE(Activate(first.Id()));
    EXPECT_TRUE(WaitOnTitleBar(first.Id(), kFollow)) << "did not move to the newly focused window";

    session.Xdotool({"windowmove", Text(first.Id()), "300", "560"});
    EXPECT_TRUE(WaitUntil([&] { return session.Frame(first.Id()).top > 500; }, 2s));
    EXPECT_TRUE(WaitOnTitleBar(first.Id(), kFollow)) << "did not follow the window's move";

    EXPECT_EQ(black_seen, 0) << "the pictures' black background showed";
    EXPECT_TRUE(walkers->Running());
}

TEST_F(WalkersOnDesktop, FiguresFreezeWhileTheirOwnWindowIsInFront)
{
    SampleWindow sample(session, "sample", "600x300+300+300");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    auto walkers = StartWalkers(session);
    ASSERT_TRUE(WaitOnTitleBar(sample.Id(), kStartup));

    ASSERT_TRUE(FreezeOn(sample.Id()));
    const Screenshot before = session.Capture();
    std::this_thread::sleep_for(700ms);
    const Screenshot after = session.Capture();
    EXPECT_EQ(before.pixels, after.pixels) << "figures moved while Form1 was in front";
    EXPECT_GT(ScanFigures(after, Box{0, 0, after.width, after.height}).brown, 200);

    // In front again: they walk again.
    ASSERT_TRUE(Activate(sample.Id()));
    EXPECT_TRUE(WaitUntil(
        [&] {
            const Screenshot a = session.Capture();
            std::this_thread::sleep_for(150ms);
            return a.pixels != session.Capture().pixels;
        },
        2s));
    last = after;
}

TEST_F(WalkersOnDesktop, ClickOnAFigureEndsTheProgram)
{
    SampleWindow sample(session, "sample", "600x300+300+300");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    auto walkers = StartWalkers(session);
    ASSERT_TRUE(WaitOnTitleBar(sample.Id(), kStartup));
    // Holding still while Form1 is in front, they are easy to hit.
    ASSERT_TRUE(FreezeOn(sample.Id()));
    const auto target = InteriorFigurePixel(last, 2);
    ASSERT_TRUE(target.has_value());
    session.Xdotool({"mousemove", std::to_string(target->first), std::to_string(target->second),
                     "click", "1"});
    const auto status = walkers->Wait(5s);
    ASSERT_TRUE(status.has_value()) << "still running after a click on a figure";
    EXPECT_EQ(*status, 0) << walkers->Errors();
    // A run with nothing wrong says nothing, not even a warning from Xlib.
    EXPECT_EQ(walkers->Errors(), "");
}

TEST_F(WalkersOnDesktop, ClickBetweenFiguresReachesTheWindowBelow)
{
    // `below` lies behind the band where the figures stand on `sample`.
    SampleWindow below(session, "below", "900x160+150+200", "C0C0E0");
    SampleWindow sample(session, "sample", "600x300+300+400");
    ASSERT_TRUE(below.Ready() && sample.Ready() && Activate(sample.Id()));
    auto walkers = StartWalkers(session);
    ASSERT_TRUE(WaitOnTitleBar(sample.Id(), kStartup));
    ASSERT_TRUE(FreezeOn(sample.Id()));

    // A point of `below` inside the figures' band, clear of every figure.
    const Box band = TitleBarBand(session.Frame(sample.Id()));
    const Box under = session.Frame(below.Id());
    const std::optional<std::pair<int, int>> target = ClearPoint(
        last, Box{band.left, band.top, band.right, std::min(band.bottom, under.bottom)}, 0xC0C0E0, 4);
    ASSERT_TRUE(target.has_value());
    session.Xdotool({"mousemove", std::to_string(target->first), std::to_string(target->second),
                     "click", "1"});
    EXPECT_TRUE(WaitUntil([&] { return below.Presses() > 0; }, 3s))
        << "the click between the figures did not reach the window below";
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(walkers->Running());
}

TEST_F(WalkersOnDesktop, SurvivesWindowsComingAndGoingAsFastAsTheyCan)
{
    SampleWindow sample(session, "sample", "500x300+200+300");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    auto walkers = StartWalkers(session);
    ASSERT_TRUE(WaitOnTitleBar(sample.Id(), kStartup));

    std::mt19937 random(7);
    auto coordinate = [&](int limit) { return std::to_string(random() % unsigned(limit)); };
    const auto end = std::chrono::steady_clock::now() + 20s;
    int round = 0;
    while (std::chrono::steady_clock::now() < end && walkers->Running()) {
        // A window comes, is renamed, moved and activated, and goes at once,
        // often while the program is asking about it.
        SampleWindow passing(session, "passing " + std::to_string(round),
                             "300x120+" + coordinate(900) + "+" + coordinate(600));
        if (passing.Ready()) {
            const std::string id = Text(passing.Id());
            session.Xdotool({"windowactivate", "--sync", id, "set_window", "--name",
                             "renamed " + std::to_string(round), id, "windowmove", id,
                             coordinate(900), coordinate(600)});
            if (round % 3 == 0)
                session.Xdotool({"windowkill", id});
        }
        session.Xdotool({"windowactivate", Text(sample.Id()), "windowmove", Text(sample.Id()),
                         coordinate(700), std::to_string(100 + random() % 400)});
        ++round;
    }
    ASSERT_TRUE(walkers->Running()) << walkers->Errors();
    EXPECT_GT(round, 20);
    // And it still works.
    ASSERT_TRUE(Activate(sample.Id()));
    EXPECT_TRUE(WaitOnTitleBar(sample.Id(), 2s));
}

TEST_F(WalkersOnDesktop, KeepsWorkingWhenTheWindowManagerExitsAndComesBack)
{
    SampleWindow sample(session, "sample", "600x300+300+300");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    auto walkers = StartWalkers(session);
    ASSERT_TRUE(WaitOnTitleBar(sample.Id(), kStartup));

    // Killed outright: its properties stay behind on the root.
    session.StopWindowManager(SIGKILL);
    session.Xdotool({"windowfocus", Text(sample.Id())});
    EXPECT_TRUE(WaitOnTitleBar(sample.Id(), 2s)) << "lost without a window manager";
    ASSERT_TRUE(walkers->Running());

    session.StartWindowManager();
    ASSERT_TRUE(Activate(sample.Id()));
    EXPECT_TRUE(WaitOnTitleBar(sample.Id(), 2s)) << "lost after the window manager came back";
    EXPECT_TRUE(walkers->Running());
    EXPECT_EQ(black_seen, 0);
}

// A window no window manager stacks (a menu, a tooltip, another overlay)
// mapped over the figures: they come back on top of it.
TEST_F(WalkersOnDesktop, FiguresComeBackAboveAnUnmanagedWindowOverThem)
{
    SampleWindow sample(session, "sample", "600x300+300+300");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    auto walkers = StartWalkers(session);
    ASSERT_TRUE(WaitOnTitleBar(sample.Id(), kStartup));

    const Box band = TitleBarBand(session.Frame(sample.Id()));
    Display* display = session.display();
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = WhitePixel(display, DefaultScreen(display));
    const Window cover = XCreateWindow(
        display, DefaultRootWindow(display), band.left, band.top,
        unsigned(band.right - band.left), unsigned(band.bottom - band.top), 0, CopyFromParent,
        InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(display, cover);
    XSync(display, False);
    EXPECT_TRUE(WaitOnTitleBar(sample.Id(), 2s)) << "the figures stayed under the window";
    XDestroyWindow(display, cover);
    XSync(display, False);
    EXPECT_TRUE(walkers->Running());
}

TEST_F(WalkersOnDesktop, LosingTheXServerEndsItWithStatusOne)
{
    SampleWindow sample(session, "sample", "600x300+300+300");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    auto walkers = StartWalkers(session);
    ASSERT_TRUE(WaitOnTitleBar(sample.Id(), kStartup));
    session.KillServer();
    const auto status = walkers->Wait(5s);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1);
    EXPECT_NE(walkers->Errors().find("lost the connection to the X display"), std::string::npos)
        << walkers->Errors();
}

TEST(WalkersWithoutWindowManager, FiguresStandOnTheFocusedWindowsTopEdge)
{
    XSession::Options options;
    options.window_manager = false;
    XSession session(options);
    ASSERT_TRUE(session.Ready());
    SampleWindow sample(session, "sample", "600x300+300+300");
    ASSERT_TRUE(sample.Ready());
    session.Xdotool({"windowfocus", "--sync", Text(sample.Id())});
    auto walkers = StartWalkers(session);
    const Box band = TitleBarBand(session.Frame(sample.Id()));
    EXPECT_EQ(band.bottom, 300 + 12);
    Screenshot shot;
    EXPECT_TRUE(WaitUntil(
        [&] {
            shot = session.Capture();
            const FigureScan scan = ScanFigures(shot, band);
            return scan.brown > 200 && scan.outside == 0 && scan.black == 0;
        },
        kStartup));
    EXPECT_TRUE(walkers->Running());
}

TEST(WalkersWithoutDisplay, EndsWithStatusTwoAndSaysWhy)
{
    for (const char* display : {"", ":59999"}) {
        Process walkers({WALKERS_BINARY}, {{"DISPLAY", display}, {"WAYLAND_DISPLAY", ""}});
        const auto status = walkers.Wait(10s);
        ASSERT_TRUE(status.has_value()) << "DISPLAY=" << display;
        EXPECT_EQ(*status, 2) << "DISPLAY=" << display;
        const std::string errors = walkers.Errors();
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find(*display ? "cannot open the X display" : "X11 display (DISPLAY)"),
                  std::string::npos)
            << errors;
        if (!*display) {
            EXPECT_NE(errors.find("Wayland compositor"), std::string::npos) << errors;
        }
    }
}

// A screen set to 192 dpi enlarges the program twice, by whole pixels: the
// figures stand on the title bar at twice their size, each of their pixels
// a 2x2 square.
TEST_F(WalkersOnDesktop, OnA192DpiScreenTheFiguresAreTwiceAsLargeAndStillCrisp)
{
    const std::string resources = "Xft.dpi:\t192\n";
    XChangeProperty(session.display(), DefaultRootWindow(session.display()),
                    XInternAtom(session.display(), "RESOURCE_MANAGER", False), XA_STRING, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                    int(resources.size()));
    XSync(session.display(), False);
    SampleWindow sample(session, "sample", "700x300+300+400");
    ASSERT_TRUE(sample.Ready() && Activate(sample.Id()));
    auto walkers = StartWalkers(session);

    // The cells' bottom 12 rows overlap the frame's top edge, in the
    // program's pixels: 24 on the screen, give or take the odd pixel the
    // halving of the frame's place loses.
    const Box frame = session.Frame(sample.Id());
    const Box band{frame.left - 1, frame.top - 2 * 64 + 2 * 12 - 2, frame.right, frame.top + 2 * 12};
    FigureScan scan;
    EXPECT_TRUE(WaitUntil([&] {
        last = session.Capture();
        scan = ScanFigures(last, band);
        return scan.brown > 800 && scan.outside == 0 && scan.bounds.bottom - scan.bounds.top > 64;
    }, kStartup)) << scan.brown << " figure pixels, " << scan.outside << " outside the band, "
                  << scan.bounds.bottom - scan.bounds.top << " rows tall";
    for (int y = 0; y + 1 < last.height; y += 2)
        for (int x = 0; x + 1 < last.width; x += 2) {
            if (!IsFigureBrown(last.At(x, y)) && !IsFigureBrown(last.At(x + 1, y + 1)))
                continue;
            ASSERT_TRUE(last.At(x + 1, y) == last.At(x, y) && last.At(x, y + 1) == last.At(x, y) &&
                        last.At(x + 1, y + 1) == last.At(x, y))
                << "the figure's pixel at " << x << "," << y << " is not a 2x2 square";
        }
}

} // namespace
