#include "platform/shared/memory_figures.h"

#include <cstddef>
#include <cstdio>
#include <malloc.h>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WALKERS_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define WALKERS_ADDRESS_SANITIZER 1
#endif

#ifdef WALKERS_ADDRESS_SANITIZER
// The sanitizer runtime's own figures (its header is not installed with
// every compiler).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
extern "C" std::size_t __sanitizer_get_heap_size();
#endif

namespace {

uint64_t ResidentBytes()
{
    std::FILE* file = std::fopen("/proc/self/statm", "r");
    if (!file)
        return 0;
    unsigned long long size = 0, resident = 0;
    const bool read = std::fscanf(file, "%llu %llu", &size, &resident) == 2;
    std::fclose(file);
    return read ? resident * uint64_t(sysconf(_SC_PAGESIZE)) : 0;
}

} // namespace

MemoryFigures CurrentMemoryFigures()
{
    MemoryFigures figures;
    figures.resident_bytes = ResidentBytes();
#ifdef WALKERS_ADDRESS_SANITIZER
    // The sanitizer's allocator replaces the C library's.
    figures.live_bytes = __sanitizer_get_current_allocated_bytes();
    figures.heap_bytes = __sanitizer_get_heap_size();
#else
    const struct mallinfo2 info = mallinfo2();
    figures.live_bytes = info.uordblks + info.hblkhd;
    figures.heap_bytes = info.arena + info.hblkhd;
#endif
    return figures;
}
