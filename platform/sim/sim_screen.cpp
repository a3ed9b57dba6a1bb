#include "platform/sim/sim_screen.h"

#include "platform/winapi.h"

int SimScreen::Metric(int index) const
{
    if (auto set = metric_overrides.find(index); set != metric_overrides.end())
        return set->second;
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
        return width;
    case SM_CYSCREEN:
        return height;
    case SM_CYCAPTION:
        return caption_height;
    case SM_CYFULLSCREEN:
        // The work area's client height: no taskbar, no caption.
        return height - taskbar_height - Metric(SM_CYCAPTION);
    default:
        return 0;
    }
}
