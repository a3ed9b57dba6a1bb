// One walker tick with nine walkers on the simulated desktop: the probe,
// nine stamps (region, union, clipped picture) and the apply.
#include <benchmark/benchmark.h>

#include "platform/sim/sim_desktop.h"
#include "tests/app/form1_walker_state.h"

static void BM_TickWithNineWalkers(benchmark::State& state)
{
    SimDesktop sim;
    sim.AddWindow("Alpha", RECT{0, 300, 1920, 800});
    Form1& form = sim.Start<Form1>();
    sim.Advance(50);
    Form1Inspector walkers{form};
    walkers.Count() = 9;
    for (auto _ : state)
        sim.Advance(50);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TickWithNineWalkers);

BENCHMARK_MAIN();
