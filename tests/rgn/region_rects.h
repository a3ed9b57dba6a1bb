// Reading regions back in tests, through the Windows calls themselves.
#pragma once

#include <ostream>
#include <vector>

#include "platform/winapi.h"
#include "tools/outline/outline_rule.h"

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

inline RECT ToRect(const OutlineRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// The region's rectangles as GetRegionData gives them: y-x banded.
inline std::vector<RECT> RegionRects(HRGN region)
{
    DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<char> data(size);
    auto* block = reinterpret_cast<RGNDATA*>(data.data());
    if (!size || GetRegionData(region, size, block) != size)
        return {};
    const RECT* rects = reinterpret_cast<const RECT*>(block->Buffer);
    return std::vector<RECT>(rects, rects + block->rdh.nCount);
}
