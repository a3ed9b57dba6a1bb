// A long run on the simulated desktop: a hundred thousand ticks with the
// title changing, clicks between the figures and the foreground coming and
// going, with no handle or image tile left behind. It has a CTest label of
// its own (soak): it takes about two minutes in the sanitized build.
#include <algorithm>

#include "tests/app/walkers_fixture.h"

namespace {

class WalkersSoak : public WalkersTest {
protected:
    void SetUp() override
    {
        alpha = sim.AddWindow("Alpha", RECT{200, 300, 1000, 800});
        Start();
        Tick(2);
    }
    HWND alpha = nullptr;
};

TEST_F(WalkersSoak, HandlesStayFlatOverAHundredThousandTicks)
{
    std::size_t most_tiles = 0;
    for (int t = 1; t <= 100000; ++t) {
        if (t % 997 == 0)
            sim.SetTitle(alpha, "Alpha " + std::to_string(t));
        if (t % 501 == 0)
            sim.Click(600, 600);
        if (t % 20011 == 0)
            sim.SetForeground(nullptr);
        if (t % 20011 == 7)
            sim.SetForeground(alpha);
        sim.Advance(kTick);
        ASSERT_TRUE(sim.Running()) << "tick " << t;
        if (t % 1000 == 0) {
            ASSERT_EQ(gdi32_internals::LiveObjects(gdi32_internals::Kind::Region), 1u) << "tick " << t;
            ASSERT_EQ(gdi32_internals::LiveObjects(gdi32_internals::Kind::Brush), 0u) << "tick " << t;
            most_tiles = std::max(most_tiles, sim.FormWindow(form->hwnd())->Image().TileCount());
        }
    }
    EXPECT_GT(sim.ClicksReceivedBy(alpha), 150);
    // The image keeps tiles only where this batch's figures are.
    EXPECT_LE(most_tiles, 9u * 4u);
}

} // namespace
