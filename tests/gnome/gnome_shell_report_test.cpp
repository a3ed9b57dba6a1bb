// What walkers' GNOME Shell extension reports, turned into the probe's
// answers: the window's handle, its title and its frame in the program's
// pixels, for the kinds of window the shell has; and reports no shell
// sends, dropped.
#include <gtest/gtest.h>

#include "platform/focus/gnome_shell_report.h"
#include "platform/shared/focused_window_answers.h"

namespace {

struct Answers {
    HWND handle = nullptr;
    std::string title;
    bool placed = false;
    RECT rect{};
};

// As the X11 overlay on Xwayland asks: root pixels, divided by `scale`.
Answers Ask(const GnomeShellReport& report, int scale = 1)
{
    bool malformed = true;
    const std::optional<FocusedWindow> focused = FocusedOfReport(report, malformed);
    EXPECT_FALSE(malformed);
    Answers answers;
    answers.handle = focused_answers::Handle(focused);
    char title[128] = "unchanged";
    focused_answers::Title(focused, answers.handle, title, int(sizeof title));
    answers.title = title;
    answers.placed = focused_answers::Rect(focused, answers.handle, 0, 0, scale, &answers.rect);
    return answers;
}

TEST(GnomeShellReport, BecomesTheProbesAnswersForEveryKindOfWindow)
{
    // An X11 program through Xwayland: the frame includes Mutter's title bar.
    const Answers x11 = Ask({.id = 7, .title = "xterm", .x = 100, .y = 150, .width = 300, .height = 237, .x11 = true});
    EXPECT_EQ(x11.handle, reinterpret_cast<HWND>(uintptr_t(7)));
    EXPECT_EQ(x11.title, "xterm");
    ASSERT_TRUE(x11.placed);
    EXPECT_EQ(x11.rect.left, 100);
    EXPECT_EQ(x11.rect.top, 150);
    EXPECT_EQ(x11.rect.right, 400);
    EXPECT_EQ(x11.rect.bottom, 387);

    // Without decorations and without a title: the window itself, titled "".
    const Answers bare = Ask({.id = 8, .title = "", .x = 0, .y = 0, .width = 1280, .height = 720, .x11 = false});
    EXPECT_NE(bare.handle, nullptr);
    EXPECT_EQ(bare.title, "");
    EXPECT_EQ(bare.rect.right, 1280);

    // On a second output left of the first, on a doubled screen: the
    // program's pixels, rounded towards the top left.
    const Answers left = Ask({.id = 9, .title = "left", .x = -1279, .y = 41, .width = 600, .height = 401, .x11 = false}, 2);
    EXPECT_EQ(left.rect.left, -640);
    EXPECT_EQ(left.rect.top, 20);
    EXPECT_EQ(left.rect.right, -340);
    EXPECT_EQ(left.rect.bottom, 221);

    // A long title is cut to the probe's buffer.
    const Answers long_title = Ask({.id = 10, .title = std::string(300, 'x'), .x = 0, .y = 0, .width = 10, .height = 10, .x11 = false});
    EXPECT_EQ(long_title.title.size(), 127u);
}

TEST(GnomeShellReport, NoWindowIsNoneAndWhatNoShellSendsIsDropped)
{
    bool malformed = true;
    EXPECT_FALSE(FocusedOfReport({.id = 0, .title = "", .x = 0, .y = 0, .width = 0, .height = 0, .x11 = false}, malformed));
    EXPECT_FALSE(malformed) << "no focused window is a report like any other";

    for (const GnomeShellReport& odd : {
             GnomeShellReport{.id = 1, .title = "t", .x = 0, .y = 0, .width = 0, .height = 10, .x11 = false},
             GnomeShellReport{.id = 1, .title = "t", .x = 0, .y = 0, .width = 10, .height = -5, .x11 = false},
             GnomeShellReport{.id = 1, .title = "t", .x = 2'000'000'000, .y = 0, .width = 10, .height = 10, .x11 = false},
             GnomeShellReport{.id = 1, .title = "t", .x = 0, .y = 0, .width = 2'147'483'000, .height = 10, .x11 = false},
             GnomeShellReport{.id = 1, .title = std::string(100'000, 'x'), .x = 0, .y = 0, .width = 10, .height = 10, .x11 = false},
         }) {
        EXPECT_FALSE(FocusedOfReport(odd, malformed));
        EXPECT_TRUE(malformed) << odd.x << "," << odd.y << " " << odd.width << "x" << odd.height;
    }
}

} // namespace
