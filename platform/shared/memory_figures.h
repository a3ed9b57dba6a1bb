// The program's memory as its allocator and the kernel count it, for the
// statistics: resident memory alone cannot tell the program's own growth
// from the allocator's caches, or in a sanitized build from the
// sanitizer's bookkeeping (its quarantine and its record of every stack
// that allocated).
#pragma once

#include <cstdint>

struct MemoryFigures {
    uint64_t resident_bytes = 0; // pages of the process in memory
    uint64_t live_bytes = 0;     // allocated and not yet freed
    uint64_t heap_bytes = 0;     // what the allocator holds from the system
};

MemoryFigures CurrentMemoryFigures();
