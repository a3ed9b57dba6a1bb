// The regions built lately from lists of rectangles, by the bytes of the
// list. The walkers build each of a dozen outlines from the same list twice
// a stamp; a list seen before becomes a copy of its region instead of a
// sort and merge of its rectangles. A few lists are kept, the oldest
// forgotten first, so the memory stays small whatever is built.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "platform/user32_gdi32/pixman_region.h"

class RegionMemo {
public:
    static constexpr std::size_t kLists = 16;

    // The region remembered for `list`, or nullptr.
    const pixman_region32_t* Find(std::span<const std::byte> list) const;
    // Remembers a copy of `region` for `list`; false if the copy failed.
    bool Remember(std::span<const std::byte> list, const pixman_region32_t& region);

private:
    struct Entry {
        std::vector<std::byte> list;
        PixmanRegion region;
        bool used = false;
    };
    std::array<Entry, kLists> entries_;
    std::size_t next_ = 0; // the next one to be written over
};
