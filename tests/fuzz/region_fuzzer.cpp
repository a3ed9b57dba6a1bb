// The region calls with arbitrary rectangle lists and handles: the input is
// a little program of calls on a handful of handle slots, which may hold
// live regions, deleted ones, or numbers that were never handles. No call
// may crash or leak, and every region keeps its invariant (checked after
// each change in this debug build) and agrees with its own description.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/user32_gdi32/gdi32_internals.h"
#include "platform/user32_gdi32/win_calls.h"

namespace {

class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    template <typename T> T Take()
    {
        T value{};
        const size_t n = std::min(sizeof value, size_ - at_);
        std::memcpy(&value, data_ + at_, n);
        at_ += n;
        return value;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

constexpr int kSlots = 6;

// A region's description (box, data, points) agrees with itself.
void CheckRegion(HRGN region)
{
    RECT box{};
    const int type = GetRgnBox(region, &box);
    const DWORD needed = GetRegionData(region, 0, nullptr);
    if (type == ERROR || needed < sizeof(RGNDATAHEADER))
        std::abort();
    std::vector<char> buffer(needed);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (GetRegionData(region, needed, data) != needed)
        std::abort();
    const DWORD count = data->rdh.nCount;
    if ((type == NULLREGION) != (count == 0) || (type == SIMPLEREGION) != (count == 1))
        std::abort();
    for (DWORD i = 0; i < count; ++i) {
        RECT r;
        std::memcpy(&r, data->Buffer + i * sizeof(RECT), sizeof r);
        if (r.left >= r.right || r.top >= r.bottom || r.left < box.left || r.right > box.right ||
            r.top < box.top || r.bottom > box.bottom || !PtInRegion(region, r.left, r.top))
            std::abort();
    }
    // The region rebuilt from its own data is the same region.
    HRGN copy = ExtCreateRegion(nullptr, needed, data);
    if (!copy || !EqualRgn(copy, region))
        std::abort();
    DeleteObject(copy);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size)
{
    Bytes in(input, size);
    HRGN slots[kSlots] = {};
    std::vector<HRGN> live;
    auto handle = [&](uint8_t pick) -> HRGN {
        if (pick < 0xF0)
            return slots[pick % kSlots];
        // Numbers that were never handles, or were once.
        static const uintptr_t bogus[] = {0, 1, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000,
                                          uintptr_t(-1), 0x12345678};
        return reinterpret_cast<HRGN>(bogus[pick % 8]);
    };
    auto forget = [&](HRGN region) {
        for (HRGN& slot : slots)
            if (slot == region)
                slot = nullptr;
        std::erase(live, region);
    };
    auto keep = [&](uint8_t slot, HRGN region) {
        if (!region)
            return;
        live.push_back(region);
        slots[slot % kSlots] = region;
    };

    for (int step = 0; step < 64 && !in.Empty(); ++step) {
        const uint8_t call = in.Take<uint8_t>();
        switch (call % 7) {
        case 0: { // a rectangle list, with a header that may lie
            const uint8_t slot = in.Take<uint8_t>();
            const uint8_t rects = in.Take<uint8_t>() % 32;
            std::vector<char> block(sizeof(RGNDATAHEADER) + rects * sizeof(RECT));
            auto* data = reinterpret_cast<RGNDATA*>(block.data());
            data->rdh.dwSize = in.Take<uint8_t>() < 200 ? sizeof(RGNDATAHEADER) : in.Take<DWORD>();
            data->rdh.iType = RDH_RECTANGLES;
            data->rdh.nCount = in.Take<uint8_t>() < 220 ? rects : in.Take<DWORD>();
            for (int i = 0; i < rects; ++i) {
                // Small coordinates mostly, so rectangles meet; now and
                // then any 32-bit value.
                RECT r;
                const bool wide = in.Take<uint8_t>() > 240;
                for (LONG* v : {&r.left, &r.top, &r.right, &r.bottom})
                    *v = wide ? in.Take<int32_t>() : LONG(in.Take<int8_t>());
                std::memcpy(data->Buffer + std::size_t(i) * sizeof(RECT), &r, sizeof r);
            }
            // The byte count may say less than the block holds, never more:
            // the call cannot know a buffer's true size, as on Windows.
            const DWORD bytes = in.Take<uint8_t>() < 230
                                    ? DWORD(block.size())
                                    : std::min(DWORD(in.Take<uint8_t>()), DWORD(block.size()));
            XFORM xform{1, 0, 0, 1, 0, 0};
            const uint8_t transform = in.Take<uint8_t>() % 4;
            if (transform == 2)
                xform = XFORM{float(in.Take<int8_t>()) / 4, 0, 0, float(in.Take<int8_t>()) / 4,
                              float(in.Take<int16_t>()), float(in.Take<int16_t>())};
            else if (transform == 3)
                xform = XFORM{in.Take<float>(), in.Take<float>(), in.Take<float>(),
                              in.Take<float>(), in.Take<float>(), in.Take<float>()};
            keep(slot, ExtCreateRegion(transform == 0 ? nullptr : &xform, bytes, data));
            break;
        }
        case 1: {
            const uint8_t slot = in.Take<uint8_t>();
            keep(slot, CreateRectRgn(in.Take<int8_t>(), in.Take<int8_t>(), in.Take<int8_t>(),
                                     in.Take<int8_t>()));
            break;
        }
        case 2: {
            HRGN dest = handle(in.Take<uint8_t>());
            HRGN a = handle(in.Take<uint8_t>());
            HRGN b = handle(in.Take<uint8_t>());
            CombineRgn(dest, a, b, in.Take<uint8_t>() % 7);
            break;
        }
        case 3: {
            HRGN region = handle(in.Take<uint8_t>());
            const bool wide = in.Take<uint8_t>() > 200;
            OffsetRgn(region, wide ? in.Take<int32_t>() : in.Take<int8_t>(),
                      wide ? in.Take<int32_t>() : in.Take<int8_t>());
            break;
        }
        case 4: {
            HRGN region = handle(in.Take<uint8_t>());
            if (DeleteObject(region))
                forget(region);
            break;
        }
        case 5: {
            HRGN region = handle(in.Take<uint8_t>());
            RECT box{};
            GetRgnBox(region, &box);
            PtInRegion(region, in.Take<int8_t>(), in.Take<int8_t>());
            EqualRgn(region, handle(in.Take<uint8_t>()));
            const DWORD small = in.Take<uint8_t>();
            std::vector<char> buffer(small + 1);
            GetRegionData(region, small, reinterpret_cast<RGNDATA*>(buffer.data()));
            break;
        }
        case 6:
            if (!live.empty())
                CheckRegion(live[in.Take<uint8_t>() % live.size()]);
            break;
        }
    }
    for (HRGN region : live)
        if (!DeleteObject(region))
            std::abort();
    if (gdi32_internals::LiveObjects(gdi32_internals::Kind::Region) != 0)
        std::abort(); // every region made here was deleted here
    return 0;
}
