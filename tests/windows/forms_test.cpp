// Form windows on the real user32: their styles and placement, clicks
// through a window region and only whole ones, and the close command.
#include "tests/windows/win32_fixture.h"

namespace {

using Rect = std::vector<LONG>;

Rect RectOf(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

void ShowTopmost(HWND window)
{
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

// A press and a release of the left button at screen pixel (x, y), as the
// user's mouse would make them.
void ClickAt(int x, int y)
{
    SetCursorPos(x, y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
}

void PostPress(HWND window, int x, int y)
{
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}

void PostRelease(HWND window, int x, int y)
{
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

TEST_F(Win32Test, ABorderlessFormIsAToolPopupAndASizableOneAnOverlappedWindow)
{
    InstallBackend(&backend);
    TestForm& form = DefaultInstance<TestForm>();
    const HWND own = form.hwnd();
    EXPECT_FALSE(IsWindowVisible(own)); // loaded by reference: hidden

    const LONG style = GetWindowLongA(own, GWL_STYLE);
    const LONG extended = GetWindowLongA(own, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_SYSMENU), 0);
    EXPECT_TRUE(extended & WS_EX_TOOLWINDOW); // no taskbar button
    EXPECT_FALSE(extended & WS_EX_APPWINDOW);

    char title[64] = {};
    GetWindowTextA(own, title, sizeof title);
    EXPECT_STREQ(title, "frmTest caption");
    form.Caption("Walkers");
    GetWindowTextA(own, title, sizeof title);
    EXPECT_STREQ(title, "Walkers");

    // 1500 twips at 15 twips a pixel (Wine's 96 dpi); the client area
    // starts at the window's corner, so a window region lines up with it.
    EXPECT_EQ(Screen.TwipsPerPixelX(), 15.0f);
    RECT rect{};
    GetWindowRect(own, &rect);
    EXPECT_EQ(RectOf(rect), (Rect{100, 100, 300, 200}));
    POINT corner{0, 0};
    ClientToScreen(own, &corner);
    EXPECT_EQ(corner.x, 100);
    EXPECT_EQ(corner.y, 100);
    form.Left(0);
    form.Width(Screen.Width());
    GetWindowRect(own, &rect);
    EXPECT_EQ(RectOf(rect), (Rect{0, 100, GetSystemMetrics(SM_CXSCREEN), 200}));

    form.Show();
    EXPECT_TRUE(IsWindowVisible(own));
    EXPECT_TRUE(form.Visible());
    form.Hide();
    EXPECT_FALSE(IsWindowVisible(own));

    SideForm& side = DefaultInstance<SideForm>();
    const LONG side_style = GetWindowLongA(side.hwnd(), GWL_STYLE);
    EXPECT_EQ(side_style & WS_OVERLAPPEDWINDOW, LONG(WS_OVERLAPPEDWINDOW));
    EXPECT_FALSE(side_style & WS_POPUP);
    EXPECT_FALSE(GetWindowLongA(side.hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(IsWindowVisible(side.hwnd()));
    EXPECT_EQ(Forms(), (std::vector<Form*>{&form, &side}));
}

TEST_F(Win32Test, OnlyAClickInsideTheWindowRegionReachesTheForm)
{
    static HWND own = nullptr;
    script.on_load = [](TestForm& form) {
        own = form.hwnd();
        ASSERT_TRUE(SetWindowRgn(own, CreateRectRgn(10, 10, 50, 50), TRUE));
        ShowTopmost(own);
    };
    script.on_fast = [](TestForm&) {
        const int n = g_script->Count("fast");
        if (n == 2)
            ClickAt(100 + 120, 100 + 20); // on the window's rectangle, off its region
        if (n == 6)
            ClickAt(100 + 20, 100 + 20);
    };
    script.on_click = [](TestForm& form) {
        Unload(form); // destroys the window whose message is being handled
        g_script->Log("unloaded");
    };
    ASSERT_EQ(RunStartup<TestForm>(), 0);

    EXPECT_EQ(script.Count("click"), 1);
    EXPECT_GT(script.IndexOf("click"), script.IndexOf("fast", 6));
    EXPECT_EQ(script.events.back(), "unloaded");
    EXPECT_FALSE(IsWindow(own));
    EXPECT_TRUE(Forms().empty());
}

TEST_F(Win32Test, APressReleasedOffTheWindowIsNoClick)
{
    script.on_load = [](TestForm& form) { form.tmrFast.Enabled(false); };
    script.on_slow = [](TestForm& form) {
        PostPress(form.hwnd(), 5, 5);
        PostRelease(form.hwnd(), -5, 5);
        PostPress(form.hwnd(), 5, 5);
        PostRelease(form.hwnd(), 6, 7);
        DoEvents();
        Unload(form);
    };
    ASSERT_EQ(RunStartup<TestForm>(), 0);
    EXPECT_EQ(script.events, (Events{"slow", "click", "query 1 frmTest"}));
}

TEST_F(Win32Test, TheCloseCommandAsksQueryUnloadWhichMayRefuse)
{
    script.on_fast = [](TestForm& form) {
        const int n = g_script->Count("fast");
        if (n == 1 || n == 3)
            PostMessageA(form.hwnd(), WM_CLOSE, 0, 0);
    };
    script.on_query_unload = [](Form&, int& cancel, int) {
        if (g_script->Count("query 0 frmTest") == 1)
            cancel = 1;
    };
    ASSERT_EQ(RunStartup<TestForm>(), 0);

    EXPECT_EQ(script.Count("query 0 frmTest"), 2); // 0: the window's close command
    // Refused, the window lived on; accepted, the program ended there.
    EXPECT_GE(script.Count("fast"), 3);
    EXPECT_EQ(script.events.back(), "query 0 frmTest");
}

} // namespace
