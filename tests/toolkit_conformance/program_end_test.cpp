// How a run ends on every backend: End without unload events, a run-time
// error with its message and status 1, and the message box, modal for the
// program's own events.
#include "tests/toolkit_conformance/toolkit_fixture.h"

namespace {

TEST_F(ToolkitTest, EndStopsAtOnceWithoutUnloadEvents)
{
    script.on_load = [](TestForm& form) {
        form.tmrSlow.Enabled(false);
        DefaultInstance<SideForm>().tmrSide.Enabled(false);
    };
    script.on_fast = [](TestForm&) {
        End();
        g_script->Log("after End");
    };
    EXPECT_EQ(desktop->Run<TestForm>(), 0);
    EXPECT_EQ(script.events, (Events{"fast"}));
    EXPECT_TRUE(Forms().empty());
}

TEST_F(ToolkitTest, ARunTimeErrorEndsWithItsMessageAndStatus1)
{
    script.on_load = [](TestForm& form) { form.tmrSlow.Enabled(false); };
    script.on_fast = [](TestForm&) { RaiseOverflow(); };
    EXPECT_EQ(desktop->Run<TestForm>(), 1);
    EXPECT_EQ(script.events, (Events{"fast"}));

    // From a click, queued while the form loads.
    script = TestScript();
    script.on_load = [this](TestForm& form) {
        form.tmrSlow.Enabled(false);
        form.tmrFast.Enabled(false);
        desktop->Click(form, 1, 1);
    };
    script.on_click = [](TestForm&) { RaiseSubscriptOutOfRange(); };
    EXPECT_EQ(desktop->Run<TestForm>(), 1);
    EXPECT_EQ(script.events, (Events{"click"}));

    // From the start-up form's Load: the program ends before it starts.
    script = TestScript();
    script.on_load = [](TestForm&) { RaiseDivisionByZero(); };
    EXPECT_EQ(desktop->Run<TestForm>(), 1);
    EXPECT_TRUE(script.events.empty());

    const std::vector<std::string>& messages = desktop->Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], RuntimeError(6, "Overflow").Message());
    EXPECT_TRUE(messages[1].starts_with("Run-time error '9'")) << messages[1];
    EXPECT_TRUE(messages[2].starts_with("Run-time error '11'")) << messages[2];
}

TEST_F(ToolkitTest, TheMessageBoxIsModalForTheProgramsOwnEvents)
{
    desktop->ShowMessageBoxes();
    script.on_load = [](TestForm& form) { form.tmrSlow.Enabled(false); };
    script.on_fast = [this](TestForm& form) {
        const int ticks = g_script->Count("fast");
        if (ticks == 1) {
            desktop->Click(form, 5, 5);
            MsgBox("Hello from the first tick");
            g_script->Log("dismissed");
        } else if (ticks == 3) {
            Unload(form);
        }
    };
    EXPECT_EQ(desktop->Run<TestForm>(), 0);

    EXPECT_EQ(desktop->Messages(), (std::vector<std::string>{"Hello from the first tick"}));
    EXPECT_EQ(desktop->BoxesDismissed(), 1); // titled Project1, as the version block names it
    // The user read the box for a while: the timer was due many times and
    // the click was pending, yet no handler ran until it was dismissed.
    ASSERT_GE(script.events.size(), 2u);
    EXPECT_EQ(Events(script.events.begin(), script.events.begin() + 2),
              (Events{"fast", "dismissed"}));
    EXPECT_EQ(script.Count("fast"), 3);
    EXPECT_EQ(script.events.back(), "query 1 frmTest");
}

} // namespace
