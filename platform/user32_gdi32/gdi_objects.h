// The GDI objects behind the handles, and the one table that hands out and
// checks those handles. Shared by the gdi_*.cpp files only.
//
// The table is not locked: the program draws from one thread.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/user32_gdi32/gdi32_internals.h"
#include "platform/user32_gdi32/pixman_region.h"
#include "platform/user32_gdi32/win_constants.h"

class TiledImage;

struct GdiObject {
    explicit GdiObject(gdi32_internals::Kind kind_) : kind(kind_) {}
    virtual ~GdiObject() = default;

    const gdi32_internals::Kind kind;
    // How many DCs have it selected. DeleteObject on a selected object only
    // marks it; the last deselection deletes it (as GDI does).
    int selections = 0;
    bool delete_pending = false;
};

// Unions wait until something looks at the region: its value is `region`
// joined with every part in `unjoined`. A batch of stamps then joins all its
// outlines in one pass (see region_join.h). Parts are shared, never changed:
// a union keeps hold of its operands' parts instead of copying them.
struct GdiRegion final : GdiObject {
    static constexpr gdi32_internals::Kind kKind = gdi32_internals::Kind::Region;
    GdiRegion() : GdiObject(kKind) {}
    // The region, with what waits joined in first; null when memory ran out.
    pixman_region32_t* Formed();

    PixmanRegion region;
    std::vector<std::shared_ptr<const PixmanRegion>> unjoined;
};

struct GdiBrush final : GdiObject {
    static constexpr gdi32_internals::Kind kKind = gdi32_internals::Kind::Brush;
    GdiBrush(bool hollow_, COLORREF color_) : GdiObject(kKind), hollow(hollow_), color(color_) {}
    const bool hollow; // BS_NULL: paints nothing
    const COLORREF color;
};

struct GdiDc final : GdiObject {
    static constexpr gdi32_internals::Kind kKind = gdi32_internals::Kind::DC;
    GdiDc(TiledImage* image_, HBRUSH brush_) : GdiObject(kKind), image(image_), brush(brush_) {}
    TiledImage* const image;
    std::unique_ptr<PixmanRegion> clip; // null: no clip
    HBRUSH brush;                       // selected; never null
};

namespace gdi_handles {

// Stores the object and returns its new handle; null when the table is full.
HGDIOBJ Insert(std::unique_ptr<GdiObject> object);
// Stock objects: in the table for good, never counted, never deleted.
HGDIOBJ InsertStock(std::unique_ptr<GdiObject> object);

// The live object behind a handle; null for a stale, forged or null handle.
GdiObject* Find(const void* handle);
template <class T>
T* FindAs(const void* handle)
{
    GdiObject* object = Find(handle);
    return object && object->kind == T::kKind ? static_cast<T*>(object) : nullptr;
}

// Frees the object; its handle becomes stale. Stock objects stay.
void Erase(const void* handle);

// A DC taking and giving back its selected object; the last deselection of
// an object marked by DeleteObject deletes it.
void Select(const void* handle);
void Deselect(const void* handle);

} // namespace gdi_handles

// NULLREGION, SIMPLEREGION or COMPLEXREGION.
int RegionType(const pixman_region32_t* region);

// Brings a region to its canonical form after a change (an empty region has
// an all-zero box, so two empty regions compare equal) and checks pixman's
// invariant in debug builds. Returns NULLREGION, SIMPLEREGION or COMPLEXREGION.
int SettleRegion(pixman_region32_t* region);
