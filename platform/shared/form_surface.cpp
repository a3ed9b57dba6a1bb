#include "platform/shared/form_surface.h"

#include <algorithm>

#include "platform/toolkit/picture.h"
#include "platform/toolkit/system_colors.h"
#include "platform/user32_gdi32/colorref.h"
#include "platform/user32_gdi32/gdi32_internals.h"

FormSurface::FormSurface(int width, int height, uint32_t background_xrgb)
    : image_(std::max(0, width), std::max(0, height), background_xrgb),
      dc_(gdi32_internals::CreateImageDC(&image_))
{
}

FormSurface::~FormSurface()
{
    if (region_)
        DeleteObject(region_);
    gdi32_internals::DeleteImageDC(dc_);
}

void FormSurface::Resize(int width, int height)
{
    image_.Resize(std::max(0, width), std::max(0, height));
}

void FormSurface::Clear(COLORREF color) { gdi32_internals::Clear(dc_, color); }

void FormSurface::DrawPicture(const Picture& picture, int x, int y)
{
    if (picture.Empty())
        return;
    gdi32_internals::CopyPicture(dc_, x, y, picture.Width(), picture.Height(),
                                 picture.TopDownXrgb(), picture.Width());
}

const pixman_region32_t* FormSurface::RegionArea() const
{
    return region_ ? gdi32_internals::RegionOf(region_) : nullptr;
}

bool FormSurface::AdoptRegion(HRGN region)
{
    if (region && !gdi32_internals::RegionOf(region))
        return false;
    if (region != region_) {
        if (region_)
            DeleteObject(region_);
        region_ = region;
    }
    return true;
}

uint32_t XrgbOfBackColor(int32_t back_color)
{
    if (back_color < 0)
        return kButtonFace;
    return XrgbFromColorref(COLORREF(back_color));
}
