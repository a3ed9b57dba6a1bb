// The program's one random source: reals uniform in [0, 1) from a fixed
// initial state, the same sequence on every build and every platform.
#pragma once

#include <cstdint>

double Rnd();

// Back to the initial state, as at program start (tests start each run so).
void ResetRandomSource();
