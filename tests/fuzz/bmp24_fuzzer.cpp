// The BMP reader: any bytes are a picture or a reason why not, and a
// picture it accepts writes back to a file that reads as the same picture.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "platform/toolkit/bmp24.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string error;
    const auto picture = DecodeBmp24(std::span<const uint8_t>(data, size), &error);
    if (!picture) {
        if (error.empty())
            std::abort(); // a refusal always says why
        return 0;
    }
    const auto again = DecodeBmp24(EncodeBmp24(*picture), nullptr);
    if (!again || again->bgr_bottom_up != picture->bgr_bottom_up)
        std::abort();
    return 0;
}
