// The clock the event loops and rate guards measure time by.
#pragma once

#include <cstdint>

// Monotonic time in nanoseconds (CLOCK_MONOTONIC: no system call).
int64_t MonotonicNanoseconds();
