// Timers on the virtual clock, and event handling inside a handler.
#include <algorithm>
#include <iterator>

#include "tests/sim/sim_fixture.h"

TEST_F(SimTest, TimersFireAtTheirDueTimesTiesInStartOrder)
{
    sim.Start<TestForm>();
    sim.Advance(99);
    EXPECT_EQ(script.events, (Events{"fast@40", "fast@80"}));
    sim.Advance(1);
    EXPECT_EQ(script.events.back(), "slow@100");
    sim.Advance(100);
    // At 200 both are due: the slow timer started first.
    EXPECT_EQ(script.events, (Events{"fast@40", "fast@80", "slow@100", "fast@120", "fast@160",
                                     "slow@200", "fast@200"}));
    EXPECT_EQ(sim.Now(), 200);
}

TEST_F(SimTest, SwitchingATimerOffAndOnInAHandlerStartsAFreshInterval)
{
    script.on_fast = [](TestForm& form) {
        form.tmrFast.Enabled(false);
        form.tmrSlow.Enabled(false);
        form.tmrSlow.Enabled(true);
    };
    TestForm& form = sim.Start<TestForm>();
    sim.Advance(300);
    EXPECT_EQ(script.events, (Events{"fast@40", "slow@140", "slow@240"}));

    // Starting a running timer restarts its interval too: due at 340, now 400.
    script.events.clear();
    sim.StartTimer(form.tmrSlow, 100);
    sim.Advance(150);
    EXPECT_EQ(script.events, (Events{"slow@400"}));
}

TEST_F(SimTest, ATimerOnAnUnloadedFormNeverFires)
{
    script.on_load = [](TestForm&) { DefaultInstance<SideForm>(); };
    script.on_fast = [](TestForm&) {
        if (g_script->desktop->Now() == 80)
            Unload(toolkit::Instance<SideForm>());
    };
    sim.Start<TestForm>();
    sim.Advance(300);
    // It ticked while loaded, at 50, and never after the unload at 80.
    Events side_ticks;
    std::copy_if(script.events.begin(), script.events.end(), std::back_inserter(side_ticks),
                 [](const std::string& e) { return e.starts_with("side"); });
    EXPECT_EQ(side_ticks, (Events{"side@50"}));

    // Switching it on while its form is unloaded starts nothing.
    SideForm& side = toolkit::Instance<SideForm>();
    side.tmrSide.Enabled(false);
    side.tmrSide.Enabled(true);
    EXPECT_EQ(sim.RunningTimers(), 2u);
    script.events.clear();
    sim.Advance(100);
    EXPECT_EQ(script.events, (Events{"fast@320", "fast@360", "slow@400", "fast@400"}));
}

TEST_F(SimTest, ClicksWaitForEventHandlingAndDoEventsInATickHandlesThem)
{
    sim.Start<TestForm>();
    sim.Click(150, 150);
    EXPECT_TRUE(script.events.empty());
    sim.Advance(0);
    EXPECT_EQ(script.events, (Events{"click@0"}));

    script.events.clear();
    script.on_slow = [](TestForm&) {
        DoEvents();
        g_script->Log("after DoEvents");
    };
    sim.DuringEventProcessing = [this] {
        sim.Click(150, 150);
        sim.DuringEventProcessing = nullptr;
    };
    sim.Advance(200);
    // The click queued inside the first DoEvents is handled there; at 200
    // the fast timer, due too, fires inside the slow one's DoEvents.
    EXPECT_EQ(script.events,
              (Events{"fast@40", "fast@80", "slow@100", "click@100", "after DoEvents@100",
                      "fast@120", "fast@160", "slow@200", "fast@200", "after DoEvents@200"}));
    EXPECT_EQ(sim.EventProcessingCount(), 2);
}
