#include "tests/app/walkers_fixture.h"

#include <cmath>

#include "app/unload_other_forms.h"
#include "platform/toolkit/toolkit.h"
#include "rgn/frm_RGN_Picture.h"
#include "rgn/shape_table.h"

namespace {

struct Seed {
    int32_t count;
    int32_t x[10], frame[10], step[10], dir[10];
};

// What start-up draws, replayed from the random source's initial state.
Seed ReplayStartup()
{
    ResetRandomSource();
    Seed seed{};
    seed.count = int32_t(std::floor(7 * Rnd())) + 3;
    for (int i = 0; i < 10; ++i) {
        seed.x[i] = int32_t(std::floor(800 * Rnd())) * 15;
        seed.frame[i] = int32_t(std::floor(13 * Rnd()));
        seed.step[i] = int32_t(std::floor(40 * Rnd())) + 80;
        seed.dir[i] = int32_t(std::floor(2 * Rnd()));
    }
    return seed;
}

using WalkersStartup = WalkersTest;

TEST_F(WalkersStartup, SeedsTenWalkersAboveTheScreenWithFortyOneDraws)
{
    sim.SetForeground(nullptr);
    Start();
    Form1Inspector walkers = Walkers();
    double next_draw = Rnd();

    Seed expected = ReplayStartup(); // 1 + 4 x 10 draws
    EXPECT_EQ(next_draw, Rnd()) << "start-up takes exactly 41 draws";

    EXPECT_EQ(walkers.Count(), expected.count);
    EXPECT_GE(walkers.Count(), 3);
    EXPECT_LE(walkers.Count(), 9);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(walkers.X(i), expected.x[i]) << i;
        EXPECT_EQ(walkers.Y(i), -960) << i;
        EXPECT_EQ(walkers.Frame(i), expected.frame[i]) << i;
        EXPECT_EQ(walkers.Step(i), expected.step[i]) << i;
        EXPECT_EQ(walkers.Dir(i), expected.dir[i]) << i;
    }
    EXPECT_EQ(walkers.X(10), 0) << "slot 10 is never used";
    EXPECT_EQ(walkers.LastTitle(), "");
    EXPECT_EQ(form->Tag(), "0,1");
    EXPECT_EQ(form->Left(), 0);
    EXPECT_EQ(form->Width(), 1920 * 15);
    EXPECT_EQ(form->Height(), 1040 * 15);

    // Shown, topmost, with every figure just above the screen.
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(sim.IsTopmost(form->hwnd()));
    ASSERT_NE(ShownRegion(), nullptr);
    EXPECT_LT(pixman_region32_extents(ShownRegion())->y2, 1);
    EXPECT_FALSE(ChangedBounds()) << "nothing is visible before the first tick";
    EXPECT_TRUE(sim.Messages().empty());

    // The picture form was loaded by the first paint, and never shown.
    auto forms = Forms();
    ASSERT_EQ(forms.size(), 2u);
    EXPECT_EQ(forms[1]->Name(), "frm_RGN_Picture");
    EXPECT_FALSE(forms[1]->Visible());
}

TEST_F(WalkersStartup, EveryRunStartsTheSame)
{
    Start();
    Seed first{};
    first.count = Walkers().Count();
    for (int i = 0; i < 10; ++i)
        first.x[i] = Walkers().X(i), first.step[i] = Walkers().Step(i);
    toolkit::EndRun();

    SimDesktop again;
    Form1& second = again.Start<Form1>();
    Form1Inspector walkers{second};
    EXPECT_EQ(walkers.Count(), first.count);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(walkers.X(i), first.x[i]);
        EXPECT_EQ(walkers.Step(i), first.step[i]);
    }
}

TEST_F(WalkersStartup, WhileItsOwnWindowIsInFrontNothingShowsOrMoves)
{
    HWND alpha = sim.AddWindow("Alpha", RECT{200, 300, 1000, 800});
    (void)alpha;
    Start();
    sim.SetForeground(form->hwnd());
    sim.ResetCallCounts();
    Tick(20);
    EXPECT_FALSE(ChangedBounds());
    EXPECT_EQ(Walkers().LastTitle(), "");
    EXPECT_EQ(sim.CallCounts().foreground_window, 20) << "one probe call a frozen tick";
    EXPECT_EQ(sim.RunningTimers(), 1u) << "the frozen tick switches its timer back on";
}

TEST_F(WalkersStartup, UnloadingOtherFormsKeepsOnlyTheNamedOne)
{
    Start();
    ASSERT_EQ(Forms().size(), 2u);
    RGN_UnloadOtherForms("Form1");
    ASSERT_EQ(Forms().size(), 1u);
    EXPECT_EQ(Forms()[0], form);
    RGN_UnloadOtherForms("Form1"); // the only loaded form's name: nothing
    EXPECT_EQ(Forms().size(), 1u);
    EXPECT_TRUE(sim.Running());

    DefaultInstance<frm_RGN_Picture>(); // a reference loads it again, hidden
    EXPECT_EQ(Forms().size(), 2u);
    RGN_UnloadOtherForms("nobody"); // a name no form bears: all of them
    EXPECT_TRUE(Forms().empty());
    sim.Advance(0);
    EXPECT_TRUE(sim.Ended());
    EXPECT_EQ(sim.ExitStatus(), 0);
    EXPECT_EQ(gdi32_internals::LiveObjects(gdi32_internals::Kind::Region), 0u);
    EXPECT_EQ(gdi32_internals::LiveObjects(gdi32_internals::Kind::DC), 0u);
}

} // namespace
