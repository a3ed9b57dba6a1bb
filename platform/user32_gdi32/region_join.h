// The union of many regions in one pass over all their bands. A batch of
// stamps unions a dozen outlines into one region; formed pair by pair, the
// growing union would be walked again at every stamp.
#pragma once

#include <pixman.h>
#include <span>

// Sets `out` to the union of `parts`, in pixman's canonical form (the form
// pixman's own union gives). False when memory ran out; `out` is then empty.
bool JoinRegions(std::span<const pixman_region32_t* const> parts, pixman_region32_t* out);
