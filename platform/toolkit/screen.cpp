#include "platform/toolkit/screen.h"

#include "platform/toolkit/backend.h"
#include "platform/toolkit/numbers.h"

const ScreenObject Screen;

int32_t ScreenObject::Width() const
{
    Backend& desktop = InstalledBackend();
    return RoundToInt32(double(desktop.ScreenWidthPixels()) * desktop.TwipsPerPixelX());
}

int32_t ScreenObject::Height() const
{
    Backend& desktop = InstalledBackend();
    return RoundToInt32(double(desktop.ScreenHeightPixels()) * desktop.TwipsPerPixelY());
}

float ScreenObject::TwipsPerPixelX() const { return InstalledBackend().TwipsPerPixelX(); }
float ScreenObject::TwipsPerPixelY() const { return InstalledBackend().TwipsPerPixelY(); }
