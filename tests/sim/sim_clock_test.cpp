// Timers on the virtual clock at their exact times, and when queued events
// are handled.
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

TEST_F(SimTest, StartingARunningTimerRestartsItsInterval)
{
    TestForm& form = sim.Start<TestForm>();
    form.tmrFast.Enabled(false);
    sim.Advance(60);
    sim.StartTimer(form.tmrSlow, 100); // due at 100, now at 160
    sim.Advance(150);
    EXPECT_EQ(script.events, (Events{"slow@160"}));
}

TEST_F(SimTest, ClicksWaitForEventHandlingAndDueTimersFireInsideDoEvents)
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
