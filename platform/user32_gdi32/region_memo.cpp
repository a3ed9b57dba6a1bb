#include "platform/user32_gdi32/region_memo.h"

#include <cstring>

const pixman_region32_t* RegionMemo::Find(std::span<const std::byte> list) const
{
    for (const Entry& entry : entries_)
        if (entry.used && entry.list.size() == list.size() &&
            (list.empty() || std::memcmp(entry.list.data(), list.data(), list.size()) == 0))
            return entry.region.get();
    return nullptr;
}

bool RegionMemo::Remember(std::span<const std::byte> list, const pixman_region32_t& region)
{
    Entry& entry = entries_[next_];
    next_ = (next_ + 1) % kLists;
    entry.used = false;
    if (!pixman_region32_copy(entry.region.get(), const_cast<pixman_region32_t*>(&region)))
        return false;
    entry.list.assign(list.begin(), list.end());
    entry.used = true;
    return true;
}
