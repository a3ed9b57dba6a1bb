// Number text: the canvas Tag's two fields and the probe's edge texts are
// read with NumericValue, written with NumberText. Any text reads as a
// number or raises the overflow error, and every number written reads back
// as itself.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/toolkit/numbers.h"
#include "platform/toolkit/runtime_error.h"
#include "rgn/canvas_state.h"

namespace {

void CheckRoundTrip(double value)
{
    const std::string text = NumberText(value);
    if (NumericValue(text) != value)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string tag(reinterpret_cast<const char*>(data), size);
    // As the canvas reads its Tag: cut at the first comma.
    const std::size_t comma = tag.find(',');
    const CanvasState state{tag.substr(0, comma),
                            comma == std::string::npos ? std::string() : tag.substr(comma + 1)};
    for (const std::string* field : {&state.region_field, &state.mode_field}) {
        try {
            const double value = NumericValue(*field);
            if (!std::isfinite(value))
                std::abort(); // never handed on: an overflow is raised instead
            CheckRoundTrip(value);
            RegionHandle(value); // a 32-bit handle, or the overflow error
        } catch (const RuntimeError& error) {
            if (error.Number() != 6)
                std::abort(); // only an overflow may come of it
        }
    }
    return 0;
}
