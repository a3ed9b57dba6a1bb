#include "tests/app/walkers_fixture.h"

#include "platform/toolkit/toolkit.h"

namespace {

constexpr RECT kAlpha{200, 300, 1000, 800};

// A screen pixel inside the window region: a pixel of some figure.
std::optional<POINT> AFigurePixel(const pixman_region32_t* shown)
{
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(const_cast<pixman_region32_t*>(shown), &count);
    for (int i = 0; i < count; ++i)
        if (boxes[i].y1 >= 0)
            return POINT{boxes[i].x1, boxes[i].y1};
    return std::nullopt;
}

class WalkersClicks : public WalkersTest {
protected:
    void SetUp() override
    {
        alpha = sim.AddWindow("Alpha", kAlpha);
        Start();
        Tick(2);
    }
    HWND alpha = nullptr;
};

TEST_F(WalkersClicks, AClickOnAFigureEndsTheProgram)
{
    auto figure = AFigurePixel(ShownRegion());
    ASSERT_TRUE(figure);
    sim.Click(figure->x, figure->y);
    sim.Advance(0);
    EXPECT_TRUE(sim.Ended());
    EXPECT_EQ(sim.ExitStatus(), 0);
    EXPECT_TRUE(sim.Messages().empty());
    EXPECT_TRUE(Forms().empty());
    EXPECT_EQ(sim.ClicksReceivedBy(alpha), 0);
    EXPECT_EQ(sim.RunningTimers(), 0u);
    EXPECT_EQ(gdi32_internals::LiveObjects(gdi32_internals::Kind::Region), 0u);
    EXPECT_EQ(gdi32_internals::LiveObjects(gdi32_internals::Kind::DC), 0u);
    Tick(5); // nothing runs any more
    EXPECT_TRUE(sim.Ended());
}

TEST_F(WalkersClicks, AClickBetweenFiguresReachesTheWindowBelow)
{
    // Below the title bar the window region never reaches.
    sim.Click(600, 600);
    Tick();
    EXPECT_TRUE(sim.Running());
    EXPECT_EQ(sim.ClicksReceivedBy(alpha), 1);
    // Just above the figures' cells, too.
    sim.Click(600, kAlpha.top - 60);
    Tick();
    EXPECT_TRUE(sim.Running());
}

TEST_F(WalkersClicks, AClickHandledInsideATickEndsTheProgramSafely)
{
    int ticks_seen = 0;
    sim.DuringEventProcessing = [&] {
        // Inside a tick (its timer is off while it works), the apply has
        // just handed the new region to the window.
        if (!form->Timer1.Enabled() && ++ticks_seen == 3) {
            auto figure = AFigurePixel(ShownRegion());
            ASSERT_TRUE(figure);
            sim.Click(figure->x, figure->y);
        }
    };
    Tick(5);
    EXPECT_TRUE(sim.Ended());
    EXPECT_EQ(sim.ExitStatus(), 0);
    EXPECT_TRUE(sim.Messages().empty());
    EXPECT_EQ(sim.RunningTimers(), 0u) << "switching the timer on after the unload starts nothing";
    EXPECT_EQ(gdi32_internals::LiveObjects(gdi32_internals::Kind::Region), 0u);
}

} // namespace
