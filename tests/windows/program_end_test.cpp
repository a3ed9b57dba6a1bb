// How a run ends on the Win32 backend: End, run-time errors thrown through
// the window procedures, and the message box that reports them.
#include <algorithm>

#include "tests/windows/win32_fixture.h"

namespace {

TEST_F(Win32Test, EndStopsAtOnceWithoutUnloadEvents)
{
    static HWND own = nullptr;
    script.on_load = [](TestForm& form) {
        own = form.hwnd();
        DefaultInstance<SideForm>();
    };
    script.on_fast = [](TestForm&) {
        End();
        g_script->Log("after End");
    };
    EXPECT_EQ(RunStartup<TestForm>(), 0);
    EXPECT_EQ(script.events, (Events{"fast"}));
    EXPECT_FALSE(IsWindow(own));
    EXPECT_TRUE(Forms().empty());
}

TEST_F(Win32Test, ARunTimeErrorFromATimerOrAClickEndsWithItsMessageAndStatus1)
{
    script.on_fast = [](TestForm&) { RaiseOverflow(); };
    EXPECT_EQ(RunStartup<TestForm>(), 1);
    EXPECT_EQ(script.events, (Events{"fast"}));
    ASSERT_EQ(backend.messages.size(), 1u);
    EXPECT_NE(backend.messages[0].find("'6'"), std::string::npos) << backend.messages[0];

    script = TestScript();
    backend.messages.clear();
    script.on_load = [](TestForm& form) {
        form.tmrFast.Enabled(false);
        form.tmrSlow.Enabled(false);
        PostMessageA(form.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
        PostMessageA(form.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    };
    script.on_click = [](TestForm&) { RaiseSubscriptOutOfRange(); };
    EXPECT_EQ(RunStartup<TestForm>(), 1);
    EXPECT_EQ(script.events, (Events{"click"}));
    ASSERT_EQ(backend.messages.size(), 1u);
    EXPECT_NE(backend.messages[0].find("'9'"), std::string::npos) << backend.messages[0];
}

// What the message box showed, read from the box itself.
struct SeenBox {
    bool found = false;
    std::vector<std::string> texts; // the box's title, then its controls'
};
SeenBox seen;

BOOL CALLBACK CollectText(HWND child, LPARAM)
{
    char text[256] = {};
    GetWindowTextA(child, text, sizeof text);
    seen.texts.push_back(text);
    return TRUE;
}

// Runs inside the message box's own loop: reads the box and dismisses it.
void CALLBACK DismissMessageBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND box = FindWindowA("#32770", "Project1");
    if (!box)
        return;
    KillTimer(nullptr, timer);
    seen.found = true;
    EnumChildWindows(box, CollectText, 0);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST_F(Win32Test, TheMessageBoxIsModalForTheProgramsOwnEvents)
{
    Win32Backend shown; // the real MessageBoxA
    seen = SeenBox();
    script.on_fast = [](TestForm&) {
        if (g_script->Count("fast") == 1) {
            SetTimer(nullptr, 0, 300, DismissMessageBox);
            throw RuntimeError(6, "Overflow");
        }
    };
    EXPECT_EQ(RunStartup<TestForm>(shown), 1);

    ASSERT_TRUE(seen.found);
    const std::string message = RuntimeError(6, "Overflow").Message();
    EXPECT_NE(std::find(seen.texts.begin(), seen.texts.end(), message), seen.texts.end());
    // The timers kept running under the box, but reached no handler.
    EXPECT_EQ(script.events, (Events{"fast"}));
}

} // namespace
