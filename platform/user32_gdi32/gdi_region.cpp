// Regions on pixman_region32_t.
//
// Invariant: a region is a list of non-overlapping rectangles, y-x banded
// (sorted by top, then by left; the rectangles of one band share top and
// bottom), with touching rectangles in a band joined and vertically
// touching bands of equal spans merged. pixman keeps this after every
// operation; it is also the order GetRegionData hands out, as Win32's does.
// An empty region additionally has an all-zero box (SettleRegion), so that
// GetRgnBox reports 0,0,0,0 and two empty regions are equal. Debug builds
// check the invariant after every change.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "platform/user32_gdi32/gdi_objects.h"
#include "platform/user32_gdi32/region_join.h"
#include "platform/user32_gdi32/region_memo.h"
#include "platform/user32_gdi32/win_calls.h"

int RegionType(const pixman_region32_t* region)
{
    switch (pixman_region32_n_rects(region)) {
    case 0:
        return NULLREGION;
    case 1:
        return SIMPLEREGION;
    default:
        return COMPLEXREGION;
    }
}

int SettleRegion(pixman_region32_t* region)
{
    if (!pixman_region32_not_empty(region))
        pixman_region32_clear(region);
#ifndef NDEBUG
    if (!pixman_region32_selfcheck(region))
        std::abort();
#endif
    return RegionType(region);
}

pixman_region32_t* GdiRegion::Formed()
{
    if (unjoined.empty())
        return region.get();
    std::vector<const pixman_region32_t*> parts{region.get()};
    for (const auto& part : unjoined)
        parts.push_back(part->get());
    PixmanRegion joined;
    if (!JoinRegions(parts, joined.get()))
        return nullptr;
    region = std::move(joined);
    unjoined.clear();
    SettleRegion(region.get());
    return region.get();
}

namespace {

pixman_region32_t* Lookup(HRGN handle)
{
    GdiRegion* region = gdi_handles::FindAs<GdiRegion>(handle);
    return region ? region->Formed() : nullptr;
}

// A region waits with at most this many parts, so that forming it stays a
// short sweep however long a program keeps adding to it unread.
constexpr std::size_t kMostUnjoined = 32;

// What is formed of a region becomes a part that other regions can share.
void Share(GdiRegion& region)
{
    if (pixman_region32_not_empty(region.region.get()))
        region.unjoined.push_back(std::make_shared<const PixmanRegion>(std::move(region.region)));
}

// The pieces a region's value is the union of, as it stands.
void AddPieces(const GdiRegion& region, std::vector<const pixman_region32_t*>& pieces)
{
    if (pixman_region32_not_empty(region.region.get()))
        pieces.push_back(region.region.get());
    for (const auto& part : region.unjoined)
        pieces.push_back(part->get());
}

// Whether some corner pixel of `box` lies in none of the pieces: then their
// union is no rectangle. (Outlines seldom fill their corners.)
bool MissesACorner(const std::vector<const pixman_region32_t*>& pieces, const pixman_box32_t& box)
{
    const int32_t xs[2] = {box.x1, box.x2 - 1}, ys[2] = {box.y1, box.y2 - 1};
    for (int32_t x : xs)
        for (int32_t y : ys)
            if (std::none_of(pieces.begin(), pieces.end(), [&](const pixman_region32_t* piece) {
                    return pixman_region32_contains_point(piece, x, y, nullptr);
                }))
                return true;
    return false;
}

// Makes `dest` the union of `a` and `b` (either may be `dest`) without
// forming it. CombineRgn must still tell the union's type; when a corner of
// the pieces' common box is missing, it is complex. When the type cannot be
// told that cheaply, nothing is deferred and nothing is changed.
std::optional<int> DeferUnion(GdiRegion& dest, GdiRegion& a, GdiRegion& b)
{
    if (a.unjoined.size() + b.unjoined.size() + 2 > kMostUnjoined)
        return std::nullopt;
    std::vector<const pixman_region32_t*> pieces;
    AddPieces(a, pieces);
    if (&b != &a)
        AddPieces(b, pieces);

    int type = NULLREGION;
    if (pieces.size() == 1) {
        type = RegionType(pieces.front());
    } else if (pieces.size() > 1) {
        pixman_box32_t box = *pixman_region32_extents(pieces.front());
        for (const pixman_region32_t* piece : pieces) {
            const pixman_box32_t* extents = pixman_region32_extents(piece);
            box = {std::min(box.x1, extents->x1), std::min(box.y1, extents->y1),
                   std::max(box.x2, extents->x2), std::max(box.y2, extents->y2)};
        }
        if (!MissesACorner(pieces, box))
            return std::nullopt;
        type = COMPLEXREGION;
    }
    Share(a);
    if (&b != &a)
        Share(b);
    std::vector<std::shared_ptr<const PixmanRegion>> parts = a.unjoined;
    if (&b != &a)
        parts.insert(parts.end(), b.unjoined.begin(), b.unjoined.end());
    dest.region = PixmanRegion();
    dest.unjoined = std::move(parts);
    return type;
}

HRGN Adopt(std::unique_ptr<GdiRegion> region)
{
    SettleRegion(region->region.get());
    return static_cast<HRGN>(gdi_handles::Insert(std::move(region)));
}

// Win32 rounds transformed coordinates half up.
bool RoundToLong(double value, int32_t* out)
{
    const double rounded = std::floor(value + 0.5);
    if (!(rounded >= std::numeric_limits<int32_t>::min() &&
          rounded <= std::numeric_limits<int32_t>::max()))
        return false; // out of range, or NaN
    *out = int32_t(rounded);
    return true;
}

// Maps a rectangle's four corners through a transform that keeps rectangles
// upright (scales, mirrors, quarter turns, translations) and takes the box
// they span, as GDI's polygon of those corners would fill it.
bool TransformBox(const XFORM& xform, const RECT& rect, pixman_box32_t* box)
{
    const double xs[2] = {double(rect.left), double(rect.right)};
    const double ys[2] = {double(rect.top), double(rect.bottom)};
    int32_t x1 = std::numeric_limits<int32_t>::max(), y1 = x1;
    int32_t x2 = std::numeric_limits<int32_t>::min(), y2 = x2;
    for (double x : xs)
        for (double y : ys) {
            int32_t tx, ty;
            if (!RoundToLong(x * xform.eM11 + y * xform.eM21 + xform.eDx, &tx) ||
                !RoundToLong(x * xform.eM12 + y * xform.eM22 + xform.eDy, &ty))
                return false;
            x1 = std::min(x1, tx), x2 = std::max(x2, tx);
            y1 = std::min(y1, ty), y2 = std::max(y2, ty);
        }
    *box = {x1, y1, x2, y2};
    return true;
}

bool IsIdentity(const XFORM& xform)
{
    return xform.eM11 == 1 && xform.eM12 == 0 && xform.eM21 == 0 && xform.eM22 == 1 &&
           xform.eDx == 0 && xform.eDy == 0;
}

bool KeepsRectanglesUpright(const XFORM& xform)
{
    return (xform.eM12 == 0 && xform.eM21 == 0) || (xform.eM11 == 0 && xform.eM22 == 0);
}

} // namespace

// Refused: no data, a header smaller than RGNDATAHEADER, or fewer bytes than
// the header and nCount rectangles take. The type is not checked: Windows
// has ignored it since XP, and a region must come out the same on both.
// Without a transform, empty and inverted rectangles are skipped. With one,
// GDI fills the polygon of each rectangle's mapped corners, so an inverted
// rectangle counts as its upright self. Only transforms that keep rectangles
// upright are taken; any other rotation or a shear would need polygons,
// which nothing here draws, so it fails (NULL) rather than giving a region
// that differs from Windows'.
HRGN ExtCreateRegion(const XFORM* xform, DWORD count, const RGNDATA* data)
{
    if (!data || data->rdh.dwSize < sizeof(RGNDATAHEADER))
        return nullptr;
    const uint64_t needed = sizeof(RGNDATAHEADER) + uint64_t(data->rdh.nCount) * sizeof(RECT);
    if (count < needed)
        return nullptr;
    if (xform && !KeepsRectanglesUpright(*xform))
        return nullptr;

    const bool identity = xform && IsIdentity(*xform);
    // Without a transform and under the identity, inverted rectangles differ.
    static RegionMemo plain_lists, identity_lists;
    RegionMemo* memo = !xform ? &plain_lists : identity ? &identity_lists : nullptr;
    const std::span<const std::byte> list(reinterpret_cast<const std::byte*>(data->Buffer),
                                          std::size_t(data->rdh.nCount) * sizeof(RECT));
    if (const pixman_region32_t* known = memo ? memo->Find(list) : nullptr) {
        auto region = std::make_unique<GdiRegion>();
        if (!pixman_region32_copy(region->region.get(), const_cast<pixman_region32_t*>(known)))
            return nullptr;
        return Adopt(std::move(region));
    }

    std::vector<pixman_box32_t> boxes;
    boxes.reserve(data->rdh.nCount);
    const char* bytes = data->Buffer;
    for (DWORD i = 0; i < data->rdh.nCount; ++i) {
        RECT rect;
        std::memcpy(&rect, bytes + i * sizeof(RECT), sizeof rect);
        pixman_box32_t box{rect.left, rect.top, rect.right, rect.bottom};
        if (identity) // what mapping the corners through it gives, without the arithmetic
            box = {std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
                   std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)};
        else if (xform && !TransformBox(*xform, rect, &box))
            return nullptr;
        if (box.x1 < box.x2 && box.y1 < box.y2)
            boxes.push_back(box);
    }

    auto region = std::make_unique<GdiRegion>();
    pixman_region32_t* target = region->region.get();
    pixman_region32_fini(target);
    if (!pixman_region32_init_rects(target, boxes.data(), int(boxes.size()))) {
        pixman_region32_init(target);
        return nullptr;
    }
    if (memo)
        memo->Remember(list, *target);
    return Adopt(std::move(region));
}

// Win32 orders the corners, so CreateRectRgn(10, 10, 0, 0) is 0,0-10,10.
HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    auto region = std::make_unique<GdiRegion>();
    region->region = PixmanRegion(std::min(left, right), std::min(top, bottom),
                                  std::max(left, right), std::max(top, bottom));
    return Adopt(std::move(region));
}

// An offset that would carry the region past 32-bit coordinates fails and
// leaves it alone (GDI wraps round into nonsense; pixman would break it).
int OffsetRgn(HRGN handle, int x, int y)
{
    pixman_region32_t* region = Lookup(handle);
    if (!region)
        return ERROR;
    const pixman_box32_t* box = pixman_region32_extents(region);
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    if (pixman_region32_not_empty(region) &&
        (int64_t(box->x1) + x < kMin || int64_t(box->x2) + x > kMax ||
         int64_t(box->y1) + y < kMin || int64_t(box->y2) + y > kMax))
        return ERROR;
    pixman_region32_translate(region, x, y);
    return SettleRegion(region);
}

int CombineRgn(HRGN dest_handle, HRGN src1_handle, HRGN src2_handle, int mode)
{
    if (mode == RGN_OR) {
        GdiRegion* dest = gdi_handles::FindAs<GdiRegion>(dest_handle);
        GdiRegion* a = gdi_handles::FindAs<GdiRegion>(src1_handle);
        GdiRegion* b = gdi_handles::FindAs<GdiRegion>(src2_handle);
        if (!dest || !a || !b)
            return ERROR;
        if (const std::optional<int> type = DeferUnion(*dest, *a, *b))
            return *type;
    }
    pixman_region32_t* dest = Lookup(dest_handle);
    pixman_region32_t* src1 = Lookup(src1_handle);
    if (!dest || !src1)
        return ERROR;
    if (mode == RGN_COPY)
        return pixman_region32_copy(dest, src1) ? SettleRegion(dest) : ERROR;

    pixman_region32_t* src2 = Lookup(src2_handle);
    if (!src2)
        return ERROR;
    bool done = false;
    switch (mode) {
    case RGN_AND:
        done = pixman_region32_intersect(dest, src1, src2);
        break;
    case RGN_OR:
        done = pixman_region32_union(dest, src1, src2);
        break;
    case RGN_DIFF:
        done = pixman_region32_subtract(dest, src1, src2);
        break;
    case RGN_XOR: {
        // Both differences first: dest may be either source.
        PixmanRegion only1, only2;
        done = pixman_region32_subtract(only1.get(), src1, src2) &&
               pixman_region32_subtract(only2.get(), src2, src1) &&
               pixman_region32_union(dest, only1.get(), only2.get());
        break;
    }
    default:
        return ERROR;
    }
    return done ? SettleRegion(dest) : ERROR;
}

int GetRgnBox(HRGN handle, LPRECT rect)
{
    pixman_region32_t* region = Lookup(handle);
    if (!region || !rect)
        return ERROR;
    const pixman_box32_t* box = pixman_region32_extents(region);
    *rect = {box->x1, box->y1, box->x2, box->y2};
    return RegionType(region);
}

// As Win32: with no buffer, the size needed; with one too small, 0;
// otherwise the header, the rectangles, and the size used.
DWORD GetRegionData(HRGN handle, DWORD count, LPRGNDATA data)
{
    pixman_region32_t* region = Lookup(handle);
    if (!region)
        return 0;
    int n = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(region, &n);
    const DWORD rects_size = DWORD(n) * sizeof(RECT);
    const DWORD needed = sizeof(RGNDATAHEADER) + rects_size;
    if (!data)
        return needed;
    if (count < needed)
        return 0;

    const pixman_box32_t* box = pixman_region32_extents(region);
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = DWORD(n);
    data->rdh.nRgnSize = rects_size;
    data->rdh.rcBound = {box->x1, box->y1, box->x2, box->y2};
    for (int i = 0; i < n; ++i) {
        const RECT rect{boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2};
        std::memcpy(data->Buffer + i * sizeof(RECT), &rect, sizeof rect);
    }
    return needed;
}

BOOL PtInRegion(HRGN handle, int x, int y)
{
    const pixman_region32_t* region = Lookup(handle);
    return region && pixman_region32_contains_point(region, x, y, nullptr);
}

BOOL EqualRgn(HRGN a, HRGN b)
{
    const pixman_region32_t* region_a = Lookup(a);
    const pixman_region32_t* region_b = Lookup(b);
    return region_a && region_b && pixman_region32_equal(region_a, region_b);
}

namespace gdi32_internals {

const pixman_region32_t* RegionOf(HRGN handle) { return Lookup(handle); }

} // namespace gdi32_internals
