// A program's run on the simulated desktop: who owns the window region, and
// the end that releases everything.
#include "platform/user32_gdi32/gdi32_internals.h"
#include "platform/sim/sim_form_window.h"
#include "tests/sim/sim_fixture.h"

namespace {

std::size_t Live(gdi32_internals::Kind kind) { return gdi32_internals::LiveObjects(kind); }

} // namespace

TEST_F(SimTest, TheWindowOwnsItsRegionAndTheEndReleasesEverything)
{
    const HWND editor = sim.AddWindow("Editor", RECT{0, 0, 800, 600});
    TestForm& form = sim.Start<TestForm>();
    const HWND own = form.hwnd();

    HRGN first = CreateRectRgn(0, 0, 10, 10);
    HRGN second = CreateRectRgn(0, 0, 20, 20);
    ASSERT_NE(SetWindowRgn(own, first, TRUE), 0);
    ASSERT_NE(SetWindowRgn(own, second, TRUE), 0);
    EXPECT_EQ(GetObjectType(first), 0u); // the window deleted the one it had
    EXPECT_EQ(Live(gdi32_internals::Kind::Region), 1u);

    // Refused: a handle that is not a region, and another program's window.
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(SetWindowRgn(own, reinterpret_cast<HRGN>(brush), TRUE), 0);
    EXPECT_EQ(GetObjectType(brush), DWORD(OBJ_BRUSH));
    EXPECT_EQ(sim.FormWindow(own)->Region(), second);
    HRGN spare = CreateRectRgn(0, 0, 5, 5);
    EXPECT_EQ(SetWindowRgn(editor, spare, TRUE), 0);
    EXPECT_EQ(GetObjectType(spare), DWORD(OBJ_REGION));
    DeleteObject(spare);
    DeleteObject(brush);

    ASSERT_NE(SetWindowRgn(own, nullptr, TRUE), 0);
    EXPECT_EQ(GetObjectType(second), 0u);
    ASSERT_NE(SetWindowRgn(own, CreateRectRgn(0, 0, 30, 30), TRUE), 0);

    script.on_click = [](TestForm&) { End(); };
    sim.Click(110, 110); // inside the last region
    sim.Advance(1000);
    EXPECT_TRUE(sim.Ended());
    EXPECT_EQ(sim.ExitStatus(), 0);
    EXPECT_EQ(script.events, (Events{"click@0"}));
    EXPECT_EQ(Live(gdi32_internals::Kind::Region), 0u);
    EXPECT_EQ(Live(gdi32_internals::Kind::DC), 0u);
    EXPECT_EQ(Live(gdi32_internals::Kind::Brush), 0u);
    EXPECT_EQ(sim.ZOrder(), std::vector<HWND>{editor});
    EXPECT_EQ(sim.RunningTimers(), 0u);
}

TEST_F(SimTest, TheProgramEndsWhenItsLastFormUnloads)
{
    script.on_slow = [](TestForm& form) { Unload(form); };
    sim.Start<TestForm>();
    EXPECT_TRUE(sim.Running());
    sim.Advance(500);
    EXPECT_EQ(script.events,
              (Events{"fast@40", "fast@80", "slow@100", "query 1 frmTest@100"}));
    EXPECT_TRUE(sim.Ended());
    EXPECT_EQ(sim.ExitStatus(), 0);
    EXPECT_TRUE(sim.ZOrder().empty());
}
