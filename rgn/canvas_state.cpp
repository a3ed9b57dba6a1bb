#include "rgn/canvas_state.h"

#include <cstdint>

#include "platform/toolkit/toolkit.h"

double CanvasState::Region() const { return NumericValue(region_field); }
double CanvasState::Mode() const { return NumericValue(mode_field); }

CanvasState ReadCanvasState(const Form& canvas)
{
    const std::string& tag = canvas.Tag();
    std::size_t comma = tag.find(',');
    if (comma == std::string::npos)
        throw RuntimeError(5, "Invalid procedure call or argument");
    return {tag.substr(0, comma), tag.substr(comma + 1)};
}

double RegionNumber(HRGN region)
{
    return static_cast<double>(static_cast<int32_t>(reinterpret_cast<intptr_t>(region)));
}

HRGN RegionHandle(double number)
{
    return reinterpret_cast<HRGN>(static_cast<intptr_t>(RoundToInt32(number)));
}
