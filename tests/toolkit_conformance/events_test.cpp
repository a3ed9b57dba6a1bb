// Events inside handlers on every backend: DoEvents handles the clicks
// pending there, and forms unload one another while code walks Forms or
// refuses to unload.
#include "tests/toolkit_conformance/toolkit_fixture.h"

namespace {

TEST_F(ToolkitTest, DoEventsInAHandlerHandlesThePendingClick)
{
    script.on_load = [](TestForm& form) { form.tmrFast.Enabled(false); };
    // The second click unloads the form under the tick that is running.
    script.on_click = [](TestForm& form) {
        if (g_script->Count("click") == 2)
            Unload(form);
    };
    script.on_slow = [this](TestForm& form) {
        desktop->Click(form, 5, 5);
        DoEvents();
        g_script->Log(form.IsLoaded() ? "after DoEvents" : "unloaded inside DoEvents");
        form.tmrSlow.Enabled(false);
        form.tmrSlow.Enabled(true);
    };
    ASSERT_EQ(desktop->Run<TestForm>(), 0);
    EXPECT_EQ(script.events, (Events{"slow", "click", "after DoEvents", "slow", "click",
                                     "query 1 frmTest", "unloaded inside DoEvents"}));
}

TEST_F(ToolkitTest, AHandlerMayUnloadEveryFormWhileWalkingForms)
{
    script.on_load = [](TestForm& form) {
        form.tmrFast.Enabled(false);
        DefaultInstance<SideForm>().tmrSide.Enabled(false);
    };
    // Unloading the first form unloads the other from its QueryUnload: the
    // walk then comes to a form that is already gone.
    script.on_query_unload = [](Form& form, int&, int) {
        if (form.Name() == "frmTest")
            Unload(toolkit::Instance<SideForm>());
    };
    script.on_slow = [](TestForm&) {
        const std::vector<Form*> forms = Forms();
        g_script->Log(std::to_string(forms.size()) + " loaded");
        for (Form* form : forms) {
            Unload(*form);
            g_script->Log("unloaded " + form->Name());
        }
        g_script->Log(std::to_string(Forms().size()) + " loaded");
    };
    ASSERT_EQ(desktop->Run<TestForm>(), 0);
    EXPECT_EQ(script.events, (Events{"slow", "2 loaded", "query 1 frmTest", "query 1 frmSide",
                                     "unloaded frmTest", "unloaded frmSide", "0 loaded"}));
}

TEST_F(ToolkitTest, ARefusedUnloadKeepsTheFormAndItsTimers)
{
    script.on_load = [](TestForm& form) { form.tmrSlow.Enabled(false); };
    script.on_fast = [](TestForm& form) {
        Unload(form);
        g_script->Log(form.IsLoaded() ? "kept" : "gone");
    };
    // Refused; then refused while asking again from inside, which is the
    // same unload: it neither asks twice nor overrules the answer; then
    // accepted.
    script.on_query_unload = [](Form& form, int& cancel, int) {
        const int asked = g_script->Count("query 1 frmTest");
        if (asked >= 2)
            Unload(form);
        cancel = asked < 3;
    };
    ASSERT_EQ(desktop->Run<TestForm>(), 0);
    EXPECT_EQ(script.events, (Events{"fast", "query 1 frmTest", "kept", "fast", "query 1 frmTest",
                                     "kept", "fast", "query 1 frmTest", "gone"}));
}

} // namespace
