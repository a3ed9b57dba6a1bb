// One walker tick with nine walkers on the simulated desktop: the probe,
// nine stamps (region, union, clipped picture) and the apply.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "tests/app/form1_walker_state.h"

namespace {

// A wide window in front, with nine walkers on its title bar.
struct NineWalkers {
    NineWalkers()
    {
        sim.AddWindow("Alpha", RECT{0, 300, 1920, 800});
        Form1& form = sim.Start<Form1>();
        sim.Advance(50);
        Form1Inspector{form}.Count() = 9;
    }
    SimDesktop sim;
};

} // namespace

static void BM_TickWithNineWalkers(benchmark::State& state)
{
    NineWalkers desktop;
    for (auto _ : state)
        desktop.sim.Advance(50);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TickWithNineWalkers);

// The same tick after the caches have been filled with other work, as on a
// real desktop, where the X server and the window manager run in between
// the program's ticks, twenty times a second.
static void BM_TickWithNineWalkersFromColdCaches(benchmark::State& state)
{
    NineWalkers desktop;
    std::vector<char> other_work(16 << 20);
    char round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::fill(other_work.begin(), other_work.end(), ++round);
        benchmark::DoNotOptimize(other_work.data());
        state.ResumeTiming();
        desktop.sim.Advance(50);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TickWithNineWalkersFromColdCaches);

BENCHMARK_MAIN();
