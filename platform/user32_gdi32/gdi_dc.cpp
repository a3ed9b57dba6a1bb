// Device contexts over a TiledImage: a clip region, a selected brush, and
// the drawing calls that go through them.
#include "platform/user32_gdi32/colorref.h"
#include "platform/user32_gdi32/gdi_objects.h"
#include "platform/user32_gdi32/tiled_image.h"
#include "platform/user32_gdi32/win_calls.h"

namespace {

GdiDc* Lookup(HDC handle) { return gdi_handles::FindAs<GdiDc>(handle); }

} // namespace

namespace gdi32_internals {

HDC CreateImageDC(TiledImage* image)
{
    if (!image)
        return nullptr;
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    HDC handle = static_cast<HDC>(gdi_handles::Insert(std::make_unique<GdiDc>(image, white)));
    if (handle)
        gdi_handles::Select(white);
    return handle;
}

void DeleteImageDC(HDC handle)
{
    GdiDc* dc = Lookup(handle);
    if (!dc)
        return;
    const HBRUSH brush = dc->brush;
    gdi_handles::Erase(handle);
    gdi_handles::Deselect(brush); // deletes it if DeleteObject was waiting for this
}

TiledImage* ImageOf(HDC handle)
{
    GdiDc* dc = Lookup(handle);
    return dc ? dc->image : nullptr;
}

const pixman_region32_t* ClipOf(HDC handle)
{
    GdiDc* dc = Lookup(handle);
    return dc && dc->clip ? dc->clip->get() : nullptr;
}

void CopyPicture(HDC handle, int x, int y, int width, int height, const uint32_t* xrgb, int stride)
{
    GdiDc* dc = Lookup(handle);
    if (!dc || !xrgb)
        return;
    dc->image->CopyPicture(dc->clip ? dc->clip->get() : nullptr, x, y, width, height, xrgb, stride);
}

void Clear(HDC handle, COLORREF color)
{
    if (GdiDc* dc = Lookup(handle))
        dc->image->Clear(XrgbFromColorref(color));
}

} // namespace gdi32_internals

// The DC keeps its own copy: the caller may change or delete its region.
// As GDI, the result is the complexity of the new clip itself.
int SelectClipRgn(HDC handle, HRGN region_handle)
{
    GdiDc* dc = Lookup(handle);
    if (!dc)
        return ERROR;
    if (!region_handle) {
        dc->clip.reset();
        return SIMPLEREGION;
    }
    const pixman_region32_t* region = gdi32_internals::RegionOf(region_handle);
    if (!region)
        return ERROR;
    auto clip = std::make_unique<PixmanRegion>();
    if (!pixman_region32_copy(clip->get(), region))
        return ERROR;
    dc->clip = std::move(clip);
    return RegionType(dc->clip->get());
}

// 1 and a copy of the clip in `region`; 0 with no clip; -1 on a bad handle.
int GetClipRgn(HDC handle, HRGN region_handle)
{
    GdiDc* dc = Lookup(handle);
    if (!dc)
        return -1;
    if (!dc->clip)
        return 0;
    GdiRegion* region = gdi_handles::FindAs<GdiRegion>(region_handle);
    pixman_region32_t* target = region ? region->Formed() : nullptr;
    if (!target || !pixman_region32_copy(target, dc->clip->get()))
        return -1;
    SettleRegion(target);
    return 1;
}

// A brush: the previous brush, or null for a bad handle. A region: as
// SelectClipRgn, its result cast to a handle, as GDI does.
HGDIOBJ SelectObject(HDC handle, HGDIOBJ object)
{
    GdiDc* dc = Lookup(handle);
    if (!dc)
        return nullptr;
    GdiObject* selected = gdi_handles::Find(object);
    if (!selected)
        return nullptr;
    switch (selected->kind) {
    case gdi32_internals::Kind::Brush: {
        const HBRUSH previous = dc->brush;
        gdi_handles::Select(object);
        dc->brush = static_cast<HBRUSH>(object);
        gdi_handles::Deselect(previous);
        return previous;
    }
    case gdi32_internals::Kind::Region:
        return reinterpret_cast<HGDIOBJ>(
            intptr_t(SelectClipRgn(handle, static_cast<HRGN>(object))));
    case gdi32_internals::Kind::DC:
        break;
    }
    return nullptr;
}

BOOL FillRgn(HDC handle, HRGN region_handle, HBRUSH brush_handle)
{
    GdiDc* dc = Lookup(handle);
    const pixman_region32_t* region = gdi32_internals::RegionOf(region_handle);
    const GdiBrush* brush = gdi_handles::FindAs<GdiBrush>(brush_handle);
    if (!dc || !region || !brush)
        return FALSE;
    if (brush->hollow)
        return TRUE;
    if (!dc->clip) {
        dc->image->Fill(*region, XrgbFromColorref(brush->color));
        return TRUE;
    }
    PixmanRegion area;
    if (!pixman_region32_intersect(area.get(), region, dc->clip->get()))
        return FALSE;
    dc->image->Fill(*area.get(), XrgbFromColorref(brush->color));
    return TRUE;
}

// Outside the image: CLR_INVALID. The clip region does not matter here, as
// with GDI's own memory DCs.
COLORREF GetPixel(HDC handle, int x, int y)
{
    GdiDc* dc = Lookup(handle);
    if (!dc || x < 0 || y < 0 || x >= dc->image->Width() || y >= dc->image->Height())
        return CLR_INVALID;
    return ColorrefFromXrgb(dc->image->Pixel(x, y));
}
