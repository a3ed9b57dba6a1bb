// Timers on every backend: switching one off and on starts a fresh
// interval, a new interval replaces the running one, and an unloaded
// form's timer stays silent. The intervals leave wide margins, so that
// only the order of events is judged, never how long they took.
#include "tests/toolkit_conformance/toolkit_fixture.h"

namespace {

TEST_F(ToolkitTest, SwitchingATimerOffAndOnStartsAFreshInterval)
{
    // A 30 ms timer restarts a 300 ms one twenty times: the slow one could
    // fire only after the restarts stopped, not ten fast ticks in.
    script.on_load = [](TestForm& form) {
        form.tmrFast.Interval(30);
        form.tmrSlow.Interval(300);
    };
    script.on_fast = [](TestForm& form) {
        if (g_script->Count("fast") == 20) {
            form.tmrFast.Enabled(false);
            return;
        }
        form.tmrSlow.Enabled(false);
        form.tmrSlow.Enabled(true);
    };
    script.on_slow = [](TestForm& form) { Unload(form); };
    ASSERT_EQ(desktop->Run<TestForm>(), 0);
    Events expected(20, "fast");
    expected.insert(expected.end(), {"slow", "query 1 frmTest"});
    EXPECT_EQ(script.events, expected);

    // A new interval replaces the stored 100 ms at once: ten 30 ms ticks
    // pass before the first slow one.
    script = TestScript();
    script.on_load = [](TestForm& form) {
        form.tmrFast.Interval(30);
        form.tmrSlow.Interval(600);
    };
    script.on_fast = [](TestForm& form) {
        if (g_script->Count("fast") == 10)
            form.tmrFast.Enabled(false);
    };
    script.on_slow = [](TestForm& form) { Unload(form); };
    ASSERT_EQ(desktop->Run<TestForm>(), 0);
    expected.assign(10, "fast");
    expected.insert(expected.end(), {"slow", "query 1 frmTest"});
    EXPECT_EQ(script.events, expected);
}

TEST_F(ToolkitTest, AnUnloadedFormsTimerStaysSilent)
{
    script.on_load = [](TestForm& form) {
        form.tmrSlow.Enabled(false);
        DefaultInstance<SideForm>();
    };
    // Ten 40 ms ticks after the unload leave room for eight 50 ms ones;
    // half-way the side timer is switched off and on, which starts nothing
    // while its form is unloaded.
    script.on_fast = [](TestForm& form) {
        SideForm& side = toolkit::Instance<SideForm>();
        const int after = CountAfter("side unloaded", "fast");
        if (side.IsLoaded() && g_script->Count("side") >= 2) {
            Unload(side);
            g_script->Log("side unloaded");
        } else if (after == 5) {
            side.tmrSide.Enabled(false);
            side.tmrSide.Enabled(true);
        } else if (after == 10) {
            Unload(form);
        }
    };
    ASSERT_EQ(desktop->Run<TestForm>(), 0);

    ASSERT_NE(script.IndexOf("side unloaded"), -1);
    EXPECT_EQ(script.IndexOf("query 1 frmSide"), script.IndexOf("side unloaded") - 1);
    EXPECT_EQ(CountAfter("side unloaded", "side"), 0);
    EXPECT_EQ(script.events.back(), "query 1 frmTest");
}

} // namespace
