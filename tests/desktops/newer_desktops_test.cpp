// The newer desktops in the Debian 13 root, run with what this machine
// built: KWin 6 and GNOME Shell 48 start headless there, native and X11
// GTK windows show with the title bar a person sees, screenshots and
// clicks work, and walkers follows a window on both (and ends when KWin
// goes). The scenarios of each desktop build on these sessions.
#include <gtest/gtest.h>

#include "tests/desktops/gnome48_session.h"
#include "tests/desktops/gtk_window.h"
#include "tests/desktops/kwin6_session.h"
#include "tests/desktops/test_root.h"
#include "tests/e2e/desktop_scene.h"

namespace {

using namespace std::chrono_literals;

constexpr uint32_t kGreen = 0x8FBF8F;
constexpr uint32_t kBlue = 0x5070C0;

// The box of `colour` in the shot (empty when none).
Box Find(const Screenshot& shot, uint32_t colour)
{
    Box box{shot.width, shot.height, 0, 0};
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.At(x, y) == colour) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box;
}

bool Empty(const Box& box) { return box.right <= box.left; }

void SaveOnFailure(const Screenshot& shot, const char* name)
{
    if (::testing::Test::HasFailure() && !shot.pixels.empty())
        shot.Save(std::string("/tmp/walkers-") + name + ".ppm");
}

} // namespace

TEST(NewerDesktops, WalkersRunsOnKWin6AboveAWindowWithKWinsTitleBar)
{
    Kwin6Session session({.xwayland = true});
    if (session.RootMissing())
        GTEST_SKIP() << session.Failure();
    ASSERT_EQ(session.Failure(), "");
    // A small X11 window (through KWin's Xwayland), then a native one that
    // KWin centres over it.
    GtkTestWindow::Options options;
    options.title = "X11 on KWin 6";
    options.colour = "5070C0";
    options.width = 200;
    options.height = 100;
    options.backend = "x11";
    std::map<std::string, std::string> x11_environment = session.Environment();
    x11_environment["DISPLAY"] = session.XWaylandDisplay();
    GtkTestWindow x11(options, x11_environment, session.Directory(), session.Prefix());
    ASSERT_TRUE(x11.WaitMapped()) << x11.process().Errors();
    EXPECT_NE(x11.Xid(), 0u);
    options.title = "walkers on KWin 6";
    options.colour = "8FBF8F";
    options.backend = "wayland";
    options.width = 500;
    options.height = 300;
    GtkTestWindow window(options, session.Environment(), session.Directory(), session.Prefix());
    ASSERT_TRUE(window.WaitMapped()) << window.process().Errors();
    EXPECT_TRUE(WaitUntil([&] { return window.HasKeyboard(); }, 5s));

    // KWin draws the title bar (GTK asks for it), as tall as the probe
    // expects, on KWin's black.
    Screenshot shot;
    Box client;
    ASSERT_TRUE(WaitUntil(
        [&] {
            shot = session.Capture();
            client = Find(shot, kGreen);
            return !Empty(client) && client.right - client.left == options.width;
        },
        5s));
    const int middle = (client.left + client.right) / 2;
    const int frame_top = client.top - Kwin6Session::kTitleBarHeight;
    ASSERT_GT(frame_top, 0);
    EXPECT_NE(shot.At(middle, frame_top), 0u) << "no title bar";
    EXPECT_EQ(shot.At(middle, frame_top - 1), 0u) << "a title bar taller than expected";

    // A click on the window reaches it, and it takes commands from the
    // test across the root's border.
    session.Click(middle, (client.top + client.bottom) / 2);
    EXPECT_TRUE(WaitUntil([&] { return window.Presses() == 1; }, 5s));
    EXPECT_TRUE(window.SetTitle("walkers on KWin 6, retitled"));

    // walkers, built here, runs inside the root with its overlay, its
    // figures on the active window's title bar.
    Process walkers(test_root::Inside({WALKERS_BINARY}), session.Environment());
    const Box band = TitleBarBand(Box{client.left, frame_top, client.right, client.bottom});
    EXPECT_TRUE(WaitUntil(
        [&] {
            shot = session.Capture();
            const FigureScan scan = ScanFigures(shot, band);
            return scan.brown > 200 && scan.outside == 0;
        },
        15s))
        << walkers.Errors();
    EXPECT_TRUE(walkers.Running());
    EXPECT_FALSE(window.LostKeyboard());

    session.Kill();
    const std::optional<int> status = walkers.Wait(10s);
    ASSERT_TRUE(status.has_value());
    EXPECT_NE(*status, 0);
    EXPECT_NE(walkers.Errors(), "");
    SaveOnFailure(shot, "kwin6");
}

TEST(NewerDesktops, WalkersFollowsAnX11WindowOnGnomeShell48WithTheModuleExtension)
{
    Gnome48Session session({.extensions = {{"walkers@walkers.github.io",
                                            WALKERS_GNOME_EXTENSION_MODULE}}});
    if (session.RootMissing())
        GTEST_SKIP() << session.Failure();
    ASSERT_EQ(session.Failure(), "");
    // A large native window first (GTK draws its title bar on GNOME), then
    // a smaller X11 one on Mutter's Xwayland, which takes the focus; both
    // are centred.
    GtkTestWindow::Options options;
    options.title = "native on GNOME Shell 48";
    options.width = 800;
    options.height = 500;
    GtkTestWindow native(options, session.Environment(), session.Directory(), session.Prefix());
    ASSERT_TRUE(native.WaitMapped()) << native.process().Errors();
    options.title = "X11 on GNOME Shell 48";
    options.colour = "5070C0";
    options.backend = "x11";
    options.width = 500;
    options.height = 300;
    GtkTestWindow x11(options, session.Environment(), session.Directory(), session.Prefix());
    ASSERT_TRUE(x11.WaitMapped()) << x11.process().Errors();
    EXPECT_NE(x11.Xid(), 0u);

    Screenshot shot;
    Box client;
    EXPECT_TRUE(WaitUntil(
        [&] {
            shot = session.Capture();
            client = Find(shot, kBlue);
            return shot.width == Gnome48Session::kWidth && !Empty(Find(shot, kGreen)) &&
                   client.right - client.left == options.width;
        },
        10s))
        << session.Log();

    // walkers, built here, runs inside the root: the X11 overlay on
    // Xwayland, the window from the ES-module form of its extension. The
    // figures stand above the X11 window's client area, on Mutter's
    // title bar.
    Process walkers(test_root::Inside({WALKERS_BINARY}), session.Environment());
    const Box band{client.left, client.top - 110, client.right, client.top};
    EXPECT_TRUE(WaitUntil(
        [&] {
            shot = session.Capture();
            const FigureScan scan = ScanFigures(shot, band);
            return scan.brown > 200 && scan.outside == 0;
        },
        20s))
        << walkers.Errors();
    EXPECT_TRUE(walkers.Running()) << walkers.Errors();
    SaveOnFailure(shot, "gnome48");
}
