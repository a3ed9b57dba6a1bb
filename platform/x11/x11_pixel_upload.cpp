#include "platform/x11/x11_pixel_upload.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/user32_gdi32/tiled_image.h"
#include "platform/x11/x11_connection.h"

namespace {

uint32_t ChannelValue(uint32_t byte, uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const uint32_t value = bits <= 8 ? byte >> (8 - bits) : byte << (bits - 8);
    return value << shift;
}

// A PutImage request's own bytes before its pixels.
constexpr uint32_t kPutImageHeader = 24;

} // namespace

X11PixelUpload::X11PixelUpload(X11Connection& x) : x_(x), gc_(x.NewId())
{
    const uint32_t no_exposures = 0;
    xcb_create_gc(x_.Main(), gc_, x_.DepthDrawable(), XCB_GC_GRAPHICS_EXPOSURES, &no_exposures);
    const xcb_visualtype_t& visual = x_.VisualType();
    masks_[0] = visual.red_mask;
    masks_[1] = visual.green_mask;
    masks_[2] = visual.blue_mask;
    bits_per_pixel_ = x_.BitsPerPixel(x_.Depth());
    // A window with an alpha channel shows only what is opaque.
    if (x_.HasAlpha())
        alpha_ = ~(masks_[0] | masks_[1] | masks_[2]);
    const bool native_order = x_.ImageLsbFirst() == (std::endian::native == std::endian::little);
    direct_ = visual._class == XCB_VISUAL_CLASS_TRUE_COLOR && bits_per_pixel_ == 32 &&
              masks_[0] == 0xFF0000 && masks_[1] == 0x00FF00 && masks_[2] == 0x0000FF &&
              native_order;
}

X11PixelUpload::~X11PixelUpload() { xcb_free_gc(x_.Main(), gc_); }

uint32_t X11PixelUpload::PixelOf(uint32_t xrgb) const
{
    if (direct_)
        return (xrgb & 0xFFFFFFu) | alpha_;
    return ChannelValue((xrgb >> 16) & 0xFF, masks_[0]) |
           ChannelValue((xrgb >> 8) & 0xFF, masks_[1]) | ChannelValue(xrgb & 0xFF, masks_[2]) |
           alpha_;
}

void X11PixelUpload::Put(xcb_drawable_t target, int x, int y, int width, int height,
                         const uint32_t* xrgb, int stride, int scale)
{
    if (width <= 0 || height <= 0)
        return;
    if (scale > 1) { // each pixel becomes a square of whole pixels
        const int wide = width * scale;
        enlarged_.resize(std::size_t(wide) * std::size_t(height * scale));
        for (int row = 0; row < height * scale; ++row) {
            const uint32_t* source = xrgb + std::size_t(row / scale) * std::size_t(stride);
            uint32_t* out = enlarged_.data() + std::size_t(row) * std::size_t(wide);
            for (int column = 0; column < wide; ++column)
                out[column] = source[column / scale];
        }
        xrgb = enlarged_.data();
        width = wide;
        height *= scale;
        stride = wide;
    }
    if (direct_ && alpha_ == 0 && stride == width) { // the rows go as they are
        bytes_per_row_ = width * 4;
        Send(target, x, y, width, height, reinterpret_cast<const uint8_t*>(xrgb));
    } else {
        Convert(width, height, xrgb, stride);
        Send(target, x, y, width, height, rows_.data());
    }
    pixels_sent_ += uint64_t(width) * uint64_t(height);
    ++put_requests_;
}

// Each pixel in the server's format, in its byte order; rows padded to 32
// bits, which every server's ZPixmap scanline pad divides.
void X11PixelUpload::Convert(int width, int height, const uint32_t* xrgb, int stride)
{
    const int bytes = bits_per_pixel_ / 8;
    bytes_per_row_ = (width * bits_per_pixel_ + 31) / 32 * 4;
    rows_.assign(std::size_t(bytes_per_row_) * std::size_t(height), 0);
    const bool lsb = x_.ImageLsbFirst();
    for (int row = 0; row < height; ++row) {
        uint8_t* out = rows_.data() + std::size_t(row) * std::size_t(bytes_per_row_);
        const uint32_t* in = xrgb + std::size_t(row) * std::size_t(stride);
        for (int column = 0; column < width; ++column, out += bytes) {
            const uint32_t pixel = direct_ ? in[column] | alpha_ : PixelOf(in[column]);
            for (int i = 0; i < bytes; ++i)
                out[i] = uint8_t(pixel >> (8 * (lsb ? i : bytes - 1 - i)));
        }
    }
}

// A band of rows per request, as large as the server takes.
void X11PixelUpload::Send(xcb_drawable_t target, int x, int y, int width, int height,
                          const uint8_t* rows)
{
    const uint32_t room = x_.MaximumRequestBytes() - kPutImageHeader;
    const int band = std::max(1, int(room / uint32_t(bytes_per_row_)));
    for (int top = 0; top < height; top += band) {
        const int rows_now = std::min(band, height - top);
        const uint32_t length = uint32_t(rows_now) * uint32_t(bytes_per_row_);
        xcb_put_image(x_.Main(), XCB_IMAGE_FORMAT_Z_PIXMAP, target, gc_, uint16_t(width),
                      uint16_t(rows_now), int16_t(x), int16_t(y + top), 0, x_.Depth(), length,
                      rows + std::size_t(top) * std::size_t(bytes_per_row_));
        x_.WriteGate().Queued(kPutImageHeader + length);
    }
}

void X11PixelUpload::PutArea(xcb_drawable_t target, const TiledImage& image,
                             const pixman_region32_t& area, int scale)
{
    int count = 0;
    const pixman_box32_t* boxes =
        pixman_region32_rectangles(const_cast<pixman_region32_t*>(&area), &count);
    for (int i = 0; i < count; ++i) {
        const pixman_box32_t& box = boxes[i];
        const int width = box.x2 - box.x1, height = box.y2 - box.y1;
        read_.resize(std::size_t(width) * std::size_t(height));
        image.Read(box.x1, box.y1, width, height, read_.data(), width);
        Put(target, box.x1 * scale, box.y1 * scale, width, height, read_.data(), width, scale);
    }
}
