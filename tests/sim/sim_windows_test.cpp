// Windows on the simulated desktop: z-order, foreground, clicks, and what
// the user32 calls report.
#include <cstring>

#include "platform/sim/sim_form_window.h"
#include "tests/sim/sim_fixture.h"

using Handles = std::vector<HWND>;

namespace {

void MakeTopmostAndShow(HWND window)
{
    ASSERT_TRUE(SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW));
}

} // namespace

TEST_F(SimTest, AClickGoesToTheTopVisibleWindowUnderIt)
{
    const HWND editor = sim.AddWindow("Editor", RECT{0, 0, 800, 600});
    TestForm& form = sim.Start<TestForm>(); // at (100, 100), 200 x 100
    const HWND own = form.hwnd();
    MakeTopmostAndShow(own);
    ASSERT_NE(SetWindowRgn(own, CreateRectRgn(10, 10, 50, 50), TRUE), 0);
    sim.SetForeground(nullptr);

    sim.Click(120, 120); // inside the region
    sim.Advance(0);
    EXPECT_EQ(script.events, (Events{"click@0"}));
    EXPECT_EQ(sim.Foreground(), own);

    sim.Click(170, 170); // on the form's rectangle, off its region
    sim.Click(900, 700); // on the bare desktop
    sim.Advance(0);
    EXPECT_EQ(script.events.size(), 1u);
    EXPECT_EQ(sim.ClicksReceivedBy(editor), 1);
    EXPECT_EQ(sim.Foreground(), editor);

    // Without a region the whole window takes clicks; hidden, none.
    ASSERT_NE(SetWindowRgn(own, nullptr, TRUE), 0);
    sim.Click(170, 170);
    sim.Advance(0);
    EXPECT_EQ(script.events.size(), 2u);
    form.Hide();
    sim.Click(120, 120);
    sim.Advance(0);
    EXPECT_EQ(script.events.size(), 2u);
    EXPECT_EQ(sim.ClicksReceivedBy(editor), 2);
}

TEST_F(SimTest, ZOrderFollowsForegroundAndTopmost)
{
    const HWND alpha = sim.AddWindow("Alpha", RECT{10, 20, 410, 320});
    const HWND beta = sim.AddWindow("Beta", RECT{50, 60, 650, 460});
    EXPECT_EQ(sim.Foreground(), beta);
    EXPECT_EQ(sim.ZOrder(), (Handles{beta, alpha}));
    sim.SetForeground(alpha);
    EXPECT_EQ(sim.ZOrder(), (Handles{alpha, beta}));

    TestForm& form = sim.Start<TestForm>();
    const HWND own = form.hwnd();
    MakeTopmostAndShow(own);
    EXPECT_TRUE(sim.IsTopmost(own));
    sim.SetForeground(beta);
    EXPECT_EQ(sim.ZOrder(), (Handles{own, beta, alpha}));
    EXPECT_EQ(GetForegroundWindow(), beta);

    // The foreground window going away hands over to the top scripted one.
    sim.SetForeground(own);
    EXPECT_EQ(sim.ZOrder(), (Handles{own, beta, alpha}));
    sim.SetForeground(beta);
    sim.Close(beta);
    EXPECT_EQ(GetForegroundWindow(), alpha);
    sim.SetForeground(nullptr);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_EQ(sim.ZOrder(), (Handles{own, alpha}));

    // A flag-less SetWindowPos brings the form window to the top of its
    // band; positions other than top and topmost are refused.
    EXPECT_FALSE(SetWindowPos(own, reinterpret_cast<HWND>(1), 0, 0, 0, 0, SWP_NOMOVE));
    ASSERT_TRUE(SetWindowPos(own, HWND_TOP, 5, 6, 70, 80, 0));
    RECT placed{};
    ASSERT_TRUE(GetWindowRect(own, &placed));
    EXPECT_EQ((std::vector<LONG>{placed.left, placed.top, placed.right, placed.bottom}),
              (std::vector<LONG>{5, 6, 75, 86}));
}

TEST_F(SimTest, TheProbeCallsAnswerFromTheDesktopAndAreCounted)
{
    const HWND alpha = sim.AddWindow("Alpha", RECT{10, 20, 410, 320});
    const HWND beta = sim.AddWindow(std::string(200, 'b'), RECT{50, 60, 650, 460});
    TestForm& form = sim.Start<TestForm>();
    const HWND own = form.hwnd();
    sim.ResetCallCounts();

    EXPECT_EQ(GetForegroundWindow(), beta);
    char title[128];
    EXPECT_EQ(GetWindowTextA(beta, title, sizeof title), 127);
    EXPECT_EQ(std::strlen(title), 127u);
    char small[5];
    EXPECT_EQ(GetWindowTextA(alpha, small, sizeof small), 4);
    EXPECT_STREQ(small, "Alph");
    char untouched[8] = "keep";
    EXPECT_EQ(GetWindowTextA(reinterpret_cast<HWND>(0x7777), untouched, sizeof untouched), 0);
    EXPECT_STREQ(untouched, "keep");

    RECT rect{};
    ASSERT_TRUE(GetWindowRect(alpha, &rect));
    EXPECT_EQ((std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom}),
              (std::vector<LONG>{10, 20, 410, 320}));
    EXPECT_FALSE(GetWindowRect(reinterpret_cast<HWND>(0x7777), &rect));

    const SimCallCounts& counts = sim.CallCounts();
    EXPECT_EQ(counts.foreground_window, 1);
    EXPECT_EQ(counts.window_text, 3);
    EXPECT_EQ(counts.window_rect, 2);
    EXPECT_EQ(counts.Probes(), 6);

    // The form's own window in the foreground answers with its caption.
    form.Caption("Walkers");
    sim.SetForeground(own);
    EXPECT_EQ(GetWindowTextA(GetForegroundWindow(), title, sizeof title), 7);
    EXPECT_STREQ(title, "Walkers");
}
