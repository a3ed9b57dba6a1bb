// The probe of the foreground window, asked directly: one question per call,
// answered from the desktop as it is at that moment.
#include <gtest/gtest.h>

#include "app/active_window_probe.h"
#include "platform/sim/sim_desktop.h"

namespace {

TEST(ProbeTest, AnswersEachModeAsTextAndTheWrappersAsWholeTwips)
{
    SimDesktop sim;
    sim.AddWindow("Editor", RECT{-8, -8, 1288, 1032}); // maximised: beyond the top-left corner

    EXPECT_EQ(RGN_ActiveWindowInfo(0), "Editor");
    EXPECT_EQ(RGN_ActiveWindowInfo(1), "-120");
    EXPECT_EQ(RGN_ActiveWindowInfo(2), "-120");
    EXPECT_EQ(RGN_ActiveWindowInfo(3), "19320");
    EXPECT_EQ(RGN_ActiveWindowInfo(4), "15480");
    EXPECT_EQ(RGN_ActiveWindowInfo(5), "");
    EXPECT_EQ(RGN_ActiveWindowInfo(-1), "");
    EXPECT_EQ(ActiveWindowTitle(), "Editor");
    EXPECT_EQ(ActiveWindowLeft(), -120);
    EXPECT_EQ(ActiveWindowTop(), -120);
    EXPECT_EQ(ActiveWindowRight(), 19320);
    // Every call asks afresh, whatever the mode.
    EXPECT_EQ(sim.CallCounts().foreground_window, 11);
    EXPECT_EQ(sim.CallCounts().window_text, 11);
    EXPECT_EQ(sim.CallCounts().window_rect, 11);
}

TEST(ProbeTest, FractionalFactorsRoundHalvesToEven)
{
    SimDesktop sim;
    sim.SetTwipsPerPixel(7.5f, 7.5f);
    sim.AddWindow("Half", RECT{101, 103, 103, 200});

    EXPECT_EQ(RGN_ActiveWindowInfo(1), "757.5");
    EXPECT_EQ(RGN_ActiveWindowInfo(2), "772.5");
    EXPECT_EQ(ActiveWindowLeft(), 758);
    EXPECT_EQ(ActiveWindowTop(), 772);
    EXPECT_EQ(ActiveWindowRight(), 772);
}

TEST(ProbeTest, EmptyTitlesMissingWindowsAndSwitchesBetweenCalls)
{
    SimDesktop sim;
    // No foreground window: empty text and zero edges.
    EXPECT_EQ(ActiveWindowTitle(), "");
    EXPECT_EQ(ActiveWindowLeft(), 0);
    EXPECT_EQ(ActiveWindowRight(), 0);

    // A window without a title still has its true edges.
    const HWND untitled = sim.AddWindow("", RECT{10, 20, 110, 220});
    EXPECT_EQ(ActiveWindowTitle(), "");
    EXPECT_EQ(ActiveWindowLeft(), 150);
    EXPECT_EQ(ActiveWindowTop(), 300);
    EXPECT_EQ(ActiveWindowRight(), 1650);

    // The user switches windows between two calls: each call tells of the
    // window in front at its own moment.
    const HWND other = sim.AddWindow("Other", RECT{500, 40, 900, 400});
    EXPECT_EQ(ActiveWindowTitle(), "Other");
    sim.SetForeground(untitled);
    EXPECT_EQ(ActiveWindowLeft(), 150);
    sim.SetForeground(other);
    EXPECT_EQ(ActiveWindowLeft(), 7500);
}

} // namespace
