// Building RGNDATA from rectangles and reading a region back through the
// Windows calls themselves, for tests that compile against the project's
// gdi32 and against Windows' own.
#pragma once

#include <array>
#include <cstring>
#include <ostream>
#include <vector>

#include "platform/winapi.h"

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

using Box = std::array<long, 4>; // left, top, right, bottom

inline Box BoxOf(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

inline std::vector<Box> BoxesOf(const std::vector<RECT>& rects)
{
    std::vector<Box> boxes;
    for (const RECT& rect : rects)
        boxes.push_back(BoxOf(rect));
    return boxes;
}

// A header and `rects` in one buffer, 8-byte aligned as RGNDATA is.
struct RegionBytes {
    std::vector<unsigned long long> storage;
    RGNDATA* data() { return reinterpret_cast<RGNDATA*>(storage.data()); }
    DWORD size = 0;
};

inline RegionBytes RegionBytesOf(const std::vector<RECT>& rects)
{
    RegionBytes bytes;
    bytes.size = DWORD(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    bytes.storage.assign(bytes.size / 8 + 1, 0);
    RGNDATA* data = bytes.data();
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = DWORD(rects.size());
    data->rdh.nRgnSize = DWORD(rects.size() * sizeof(RECT));
    if (!rects.empty())
        std::memcpy(data->Buffer, rects.data(), rects.size() * sizeof(RECT));
    return bytes;
}

inline HRGN RegionOfRects(const std::vector<RECT>& rects)
{
    RegionBytes bytes = RegionBytesOf(rects);
    return ExtCreateRegion(nullptr, bytes.size, bytes.data());
}

// The rectangles as GetRegionData lists them: y-x banded.
inline std::vector<Box> BoxesOf(HRGN region)
{
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER))
        return {};
    std::vector<unsigned long long> storage(size / 8 + 1);
    RGNDATA* data = reinterpret_cast<RGNDATA*>(storage.data());
    if (GetRegionData(region, size, data) != size)
        return {};
    std::vector<Box> boxes;
    for (DWORD i = 0; i < data->rdh.nCount; ++i) {
        RECT rect;
        std::memcpy(&rect, data->Buffer + i * sizeof(RECT), sizeof rect);
        boxes.push_back(BoxOf(rect));
    }
    return boxes;
}

inline Box BoxOf(HRGN region)
{
    RECT rect = {-1, -1, -1, -1};
    GetRgnBox(region, &rect);
    return BoxOf(rect);
}
