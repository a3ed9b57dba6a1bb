// The user32 calls forward to the installed desktop and fail harmlessly
// without one or for a null window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/user32_gdi32/user32_desktop.h"
#include "platform/winapi.h"

namespace {

const HWND kWindow = reinterpret_cast<HWND>(uintptr_t(0x42));

// Keeps to the letter of the interface at its loosest: reports the whole
// title's length and fills the buffer without room for a NUL.
class SloppyDesktop : public User32Desktop {
public:
    HWND ForegroundWindow() override { return kWindow; }
    int WindowText(HWND hwnd, char* buffer, int max_count) override
    {
        if (hwnd != kWindow)
            return 0;
        std::memcpy(buffer, title.data(), std::min<std::size_t>(title.size(), max_count));
        return int(title.size());
    }
    bool WindowRect(HWND hwnd, RECT* rect) override
    {
        *rect = {-1, -1, -1, -1}; // scribbles even when it fails
        if (hwnd != kWindow)
            return false;
        *rect = {10, 20, 300, 400};
        return true;
    }
    int SystemMetric(int index) override { return index == SM_CXSCREEN ? 1920 : 0; }
    bool SetWindowRegion(HWND hwnd, HRGN region, bool) override
    {
        last_region = region;
        return hwnd == kWindow;
    }
    bool SetWindowPosition(HWND hwnd, HWND, int x, int, int, int, unsigned) override
    {
        last_x = x;
        return hwnd == kWindow;
    }

    std::string title = std::string(200, 'T');
    HRGN last_region = nullptr;
    int last_x = 0;
};

TEST(UserCalls, WithoutADesktopEverythingFailsQuietly)
{
    InstallUser32Desktop(nullptr);
    char buffer[8] = "keep";
    RECT rect = {1, 2, 3, 4};
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_EQ(GetWindowTextA(kWindow, buffer, 8), 0);
    EXPECT_STREQ(buffer, "keep");
    EXPECT_FALSE(GetWindowRect(kWindow, &rect));
    EXPECT_EQ(rect.right, 3);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 0);
    EXPECT_EQ(SetWindowRgn(kWindow, nullptr, TRUE), 0);
    EXPECT_FALSE(SetWindowPos(kWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE));
}

TEST(UserCalls, CallsReachTheInstalledDesktop)
{
    SloppyDesktop desktop;
    InstallUser32Desktop(&desktop);
    EXPECT_EQ(InstalledUser32Desktop(), &desktop);
    EXPECT_EQ(GetForegroundWindow(), kWindow);

    char title[128];
    EXPECT_EQ(GetWindowTextA(kWindow, title, sizeof title), 127);
    EXPECT_EQ(std::string(title), std::string(127, 'T'));
    std::memcpy(title, "before", 7);
    EXPECT_EQ(GetWindowTextA(nullptr, title, sizeof title), 0);
    EXPECT_STREQ(title, "before");

    RECT rect = {1, 2, 3, 4};
    EXPECT_FALSE(GetWindowRect(nullptr, &rect));
    EXPECT_FALSE(GetWindowRect(reinterpret_cast<HWND>(uintptr_t(7)), &rect));
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.bottom, 4);
    EXPECT_TRUE(GetWindowRect(kWindow, &rect));
    EXPECT_EQ(rect.bottom, 400);

    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    HRGN region = reinterpret_cast<HRGN>(uintptr_t(0x10005));
    EXPECT_NE(SetWindowRgn(kWindow, region, TRUE), 0);
    EXPECT_EQ(desktop.last_region, region);
    EXPECT_TRUE(SetWindowPos(kWindow, HWND_TOPMOST, 33, 0, 0, 0, SWP_NOSIZE));
    EXPECT_EQ(desktop.last_x, 33);
    InstallUser32Desktop(nullptr);
}

} // namespace
