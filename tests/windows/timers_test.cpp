// Timers on SetTimer, measured by the real clock: they fire every interval,
// never early, a restart starts a fresh interval, and an unloaded form's
// timer stays silent.
#include <algorithm>

#include "tests/windows/win32_fixture.h"

namespace {

// A timer may be late (the system is busy) but never early; allow the
// clock's own granularity.
constexpr long kSlack = 10;

TEST_F(Win32Test, TimersFireEveryIntervalEachOnItsOwnClock)
{
    script.on_slow = [](TestForm& form) {
        if (g_script->Count("slow") == 3)
            Unload(form);
    };
    ASSERT_EQ(RunStartup<TestForm>(), 0);

    EXPECT_EQ(script.Count("slow"), 3);
    EXPECT_GE(script.TimeOf("slow", 1), 100 - kSlack);
    EXPECT_GE(script.TimeOf("slow", 3), 300 - kSlack);
    EXPECT_GE(script.TimeOf("fast", 1), 40 - kSlack);
    EXPECT_LT(script.TimeOf("fast", 1), script.TimeOf("slow", 1));
    // Seven 40 ms intervals fit in 300 ms; a busy machine may merge some.
    EXPECT_GE(script.Count("fast"), 5);
    EXPECT_LE(script.Count("fast"), 8);
    // Nothing reaches the form after it unloaded.
    EXPECT_EQ(Events(script.events.end() - 2, script.events.end()), (Events{"slow", "query 1"}));
}

TEST_F(Win32Test, SwitchingATimerOffAndOnStartsAFreshInterval)
{
    script.on_fast = [](TestForm& form) {
        form.tmrFast.Enabled(false);
        form.tmrSlow.Enabled(false);
        form.tmrSlow.Enabled(true);
    };
    script.on_slow = [](TestForm& form) {
        if (g_script->Count("slow") == 2)
            Unload(form);
    };
    ASSERT_EQ(RunStartup<TestForm>(), 0);

    EXPECT_EQ(script.events, (Events{"fast", "slow", "slow", "query 1"}));
    const long restarted = script.TimeOf("fast");
    EXPECT_GE(script.TimeOf("slow", 1) - restarted, 100 - kSlack);
    EXPECT_GE(script.TimeOf("slow", 2) - restarted, 200 - kSlack);

    // A new interval replaces the running one at once.
    script = TestScript();
    script.on_load = [](TestForm& form) { form.tmrSlow.Interval(300); };
    script.on_fast = [](TestForm& form) { form.tmrFast.Enabled(false); };
    script.on_slow = [](TestForm& form) { Unload(form); };
    ASSERT_EQ(RunStartup<TestForm>(), 0);
    EXPECT_EQ(script.events, (Events{"fast", "slow", "query 1"}));
    EXPECT_GE(script.TimeOf("slow"), 300 - kSlack);
}

TEST_F(Win32Test, AnUnloadedFormsTimerNeverFires)
{
    script.on_load = [](TestForm&) { DefaultInstance<SideForm>(); };
    script.on_fast = [](TestForm&) {
        if (g_script->Count("fast") != 3)
            return;
        SideForm& side = toolkit::Instance<SideForm>();
        Unload(side);
        g_script->Log("side unloaded");
        // Switching it on while its form is unloaded starts nothing.
        side.tmrSide.Enabled(false);
        side.tmrSide.Enabled(true);
    };
    script.on_slow = [](TestForm& form) {
        if (g_script->Count("slow") == 4)
            Unload(form);
    };
    ASSERT_EQ(RunStartup<TestForm>(), 0);

    const auto unloaded = std::find(script.events.begin(), script.events.end(), "side unloaded");
    ASSERT_NE(unloaded, script.events.end());
    EXPECT_GE(std::count(script.events.begin(), unloaded, "side"), 1);
    EXPECT_EQ(std::count(unloaded, script.events.end(), "side"), 0);
    EXPECT_EQ(script.Count("slow"), 4);
}

} // namespace
