// The conformance DC on the project's own gdi32: an image DC over a tiled
// image, which the DC does not own, so it is kept here until FreeTestDC.
#include <map>
#include <memory>

#include "platform/user32_gdi32/gdi32_internals.h"
#include "platform/user32_gdi32/tiled_image.h"
#include "tests/conformance/test_dc.h"

namespace {

std::map<HDC, std::unique_ptr<TiledImage>>& Images()
{
    static std::map<HDC, std::unique_ptr<TiledImage>> images;
    return images;
}

} // namespace

HDC MakeTestDC(int width, int height)
{
    auto image = std::make_unique<TiledImage>(width, height, 0x000000);
    HDC dc = gdi32_internals::CreateImageDC(image.get());
    if (dc)
        Images()[dc] = std::move(image);
    return dc;
}

void FreeTestDC(HDC dc)
{
    gdi32_internals::DeleteImageDC(dc);
    Images().erase(dc);
}

bool OnWine() { return false; }
