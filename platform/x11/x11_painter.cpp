#include "platform/x11/x11_painter.h"

#include <X11/Xutil.h>
#include <bit>

#include "platform/user32_gdi32/tiled_image.h"
#include "platform/x11/x11_connection.h"

namespace {

unsigned long ChannelValue(uint32_t byte, unsigned long mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const unsigned long value = bits <= 8 ? byte >> (8 - bits) : byte << (bits - 8);
    return value << shift;
}

} // namespace

X11Painter::X11Painter(X11Connection& x) : x_(x)
{
    Display* display = x_.display();
    gc_ = XCreateGC(display, x_.DepthDrawable(), 0, nullptr);
    XSetGraphicsExposures(display, gc_, False);
    Visual* visual = x_.visual();
    image_ = XCreateImage(display, visual, unsigned(x_.depth()), ZPixmap, 0, nullptr, 1, 1, 32, 0);
    masks_[0] = visual->red_mask;
    masks_[1] = visual->green_mask;
    masks_[2] = visual->blue_mask;
    const int native_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    // A window with an alpha channel shows only what is opaque.
    if (x_.HasAlpha())
        alpha_ = ~(masks_[0] | masks_[1] | masks_[2]) & 0xFFFFFFFFul;
    direct_ = visual->c_class == TrueColor && image_->bits_per_pixel == 32 &&
              masks_[0] == 0xFF0000 && masks_[1] == 0x00FF00 && masks_[2] == 0x0000FF &&
              image_->byte_order == native_order;
}

X11Painter::~X11Painter()
{
    image_->data = nullptr;
    XDestroyImage(image_);
    XFreeGC(x_.display(), gc_);
}

unsigned long X11Painter::PixelOf(uint32_t xrgb) const
{
    if (direct_)
        return (xrgb & 0xFFFFFFu) | alpha_;
    return ChannelValue((xrgb >> 16) & 0xFF, masks_[0]) | ChannelValue((xrgb >> 8) & 0xFF, masks_[1]) |
           ChannelValue(xrgb & 0xFF, masks_[2]) | alpha_;
}

void X11Painter::Put(Drawable target, int x, int y, int width, int height, const uint32_t* xrgb,
                     int stride, int scale)
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
    image_->width = width;
    image_->height = height;
    if (direct_ && alpha_ == 0) { // the rows go as they are
        image_->bytes_per_line = stride * 4;
        image_->data = reinterpret_cast<char*>(const_cast<uint32_t*>(xrgb));
    } else if (direct_) { // made opaque on the way
        image_->bytes_per_line = width * 4;
        converted_.resize(std::size_t(width) * std::size_t(height));
        image_->data = reinterpret_cast<char*>(converted_.data());
        for (int row = 0; row < height; ++row)
            for (int column = 0; column < width; ++column)
                converted_[std::size_t(row) * std::size_t(width) + std::size_t(column)] =
                    xrgb[std::size_t(row) * std::size_t(stride) + std::size_t(column)] |
                    uint32_t(alpha_);
    } else {
        image_->bytes_per_line = (width * image_->bits_per_pixel + 31) / 32 * 4;
        converted_.resize((std::size_t(image_->bytes_per_line) * std::size_t(height) + 3) / 4);
        image_->data = reinterpret_cast<char*>(converted_.data());
        for (int row = 0; row < height; ++row)
            for (int column = 0; column < width; ++column)
                XPutPixel(image_, column, row,
                          PixelOf(xrgb[std::size_t(row) * std::size_t(stride) + std::size_t(column)]));
    }
    // Xlib cuts a put too large for one request into several.
    XPutImage(x_.display(), target, gc_, image_, 0, 0, x, y, unsigned(width), unsigned(height));
    image_->data = nullptr;
    pixels_sent_ += uint64_t(width) * uint64_t(height);
    ++put_requests_;
}

void X11Painter::PutArea(Drawable target, const TiledImage& image, const pixman_region32_t& area,
                         int scale)
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
