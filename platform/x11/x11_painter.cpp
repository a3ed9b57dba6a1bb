#include "platform/x11/x11_painter.h"

#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#include "platform/user32_gdi32/tiled_image.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_rectangles.h"
#include "platform/x11/x11_shm_segment.h"

namespace {

// Two halves of 256 KiB: a tick's figures need a fifth of one or less.
constexpr std::size_t kSegmentBytes = 512 * 1024;
constexpr std::size_t kHalfBytes = kSegmentBytes / 2;

unsigned long ChannelValue(uint32_t byte, unsigned long mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const unsigned long value = bits <= 8 ? byte >> (8 - bits) : byte << (bits - 8);
    return value << shift;
}

// Where a coordinate lands in a tile that repeats every `size` pixels.
int Wrap(int value, int size)
{
    const int wrapped = value % size;
    return wrapped < 0 ? wrapped + size : wrapped;
}

} // namespace

X11Painter::X11Painter(X11Connection& x) : x_(x)
{
    Display* display = x_.display();
    gc_ = XCreateGC(display, x_.root(), 0, nullptr);
    Visual* visual = x_.visual();
    image_ = XCreateImage(display, visual, unsigned(x_.depth()), ZPixmap, 0, nullptr, 1, 1, 32, 0);
    bits_per_pixel_ = image_->bits_per_pixel;
    masks_[0] = visual->red_mask;
    masks_[1] = visual->green_mask;
    masks_[2] = visual->blue_mask;
    const int native_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    direct_ = visual->c_class == TrueColor && bits_per_pixel_ == 32 && masks_[0] == 0xFF0000 &&
              masks_[1] == 0x00FF00 && masks_[2] == 0x0000FF && image_->byte_order == native_order;

    if (std::getenv("WALKERS_X11_NO_SHM"))
        return; // for measuring plain requests against shared memory
    auto segment = std::make_unique<X11ShmSegment>(x_, kSegmentBytes);
    if (!segment->Valid())
        return;
    shm_image_ = XShmCreateImage(display, visual, unsigned(x_.depth()), ZPixmap,
                                 segment->Info().shmaddr, &segment->Info(), 1, 1);
    if (!shm_image_ || shm_image_->bits_per_pixel != bits_per_pixel_)
        return;
    completion_target_ = XCreatePixmap(display, x_.root(), 1, 1, unsigned(x_.depth()));
    completion_gc_ = XCreateGC(display, completion_target_, 0, nullptr);
    halves_[0].base = 0;
    halves_[1].base = kHalfBytes;
    segment_ = std::move(segment);
}

X11Painter::~X11Painter()
{
    Display* display = x_.display();
    if (shm_image_) {
        shm_image_->data = nullptr;
        XDestroyImage(shm_image_);
    }
    if (completion_gc_)
        XFreeGC(display, completion_gc_);
    if (completion_target_ != None)
        XFreePixmap(display, completion_target_);
    segment_.reset();
    image_->data = nullptr;
    XDestroyImage(image_);
    XFreeGC(display, gc_);
}

int X11Painter::BytesPerLine(int width) const { return (width * bits_per_pixel_ + 31) / 32 * 4; }

bool X11Painter::Handled(const Half& half) const
{
    return LastKnownRequestProcessed(x_.display()) >= half.last_put;
}

void X11Painter::Paint(Drawable target, int tile_width, int tile_height,
                       const pixman_box32_t* boxes, int count, const TiledImage& image,
                       const pixman_region32_t& clip)
{
    if (count <= 0 || tile_width <= 0 || tile_height <= 0)
        return;
    // A half the server has finished reading starts over from its beginning.
    if (segment_ && Handled(halves_[current_])) {
        halves_[current_].used = 0;
        halves_[current_].ended = false;
    }

    pieces_.clear();
    for (int i = 0; i < count; ++i) {
        const int width = boxes[i].x2 - boxes[i].x1;
        const int height = boxes[i].y2 - boxes[i].y1;
        if (width <= 0 || height <= 0)
            continue;
        // Cut along the tile's edges: each piece lands in one place.
        for (int y = 0; y < height;) {
            const int ty = Wrap(boxes[i].y1 + y, tile_height);
            const int rows = std::min(height - y, tile_height - ty);
            for (int x = 0; x < width;) {
                const int tx = Wrap(boxes[i].x1 + x, tile_width);
                const int columns = std::min(width - x, tile_width - tx);
                pieces_.push_back(Piece{tx, ty, columns, rows, tx - (boxes[i].x1 + x),
                                        ty - (boxes[i].y1 + y)});
                x += columns;
            }
            y += rows;
        }
    }

    // The pieces that the wrap shifts alike go under one clip.
    std::stable_sort(pieces_.begin(), pieces_.end(), [](const Piece& a, const Piece& b) {
        return a.shift_y != b.shift_y ? a.shift_y < b.shift_y : a.shift_x < b.shift_x;
    });
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
        const Piece& piece = pieces_[i];
        if (i == 0 || piece.shift_x != pieces_[i - 1].shift_x ||
            piece.shift_y != pieces_[i - 1].shift_y)
            SetClip(clip, piece.shift_x, piece.shift_y);
        PutPiece(target, piece, image);
    }
    if (segment_)
        halves_[current_].last_put = NextRequest(x_.display()) - 1;
}

// The clip, moved to where the pixels land.
void X11Painter::SetClip(const pixman_region32_t& clip, int shift_x, int shift_y)
{
    XRectanglesOf(clip, clip_rectangles_);
    // Banded rectangles stay banded when moved.
    XSetClipRectangles(x_.display(), gc_, shift_x, shift_y, clip_rectangles_.data(),
                       int(clip_rectangles_.size()), YXBanded);
}

void X11Painter::PutPiece(Drawable target, const Piece& piece, const TiledImage& image)
{
    const int width = piece.width;
    // Where the piece's pixels are in the image.
    const int image_x = piece.x - piece.shift_x, image_y = piece.y - piece.shift_y;
    pixels_sent_ += uint64_t(width) * piece.height;
    const int bytes_per_line = BytesPerLine(width);
    // Tall pieces go in bands that fit a half.
    const int band = std::max(1, int(kHalfBytes / std::size_t(bytes_per_line)));
    for (int row = 0; row < piece.height; row += band) {
        const int rows = std::min(band, piece.height - row);
        ++put_requests_;
        std::size_t offset = 0;
        if (segment_ && Reserve(std::size_t(bytes_per_line) * rows, offset)) {
            Fetch(image, image_x, image_y + row, width, rows, segment_->Data() + offset,
                  bytes_per_line);
            shm_image_->data = segment_->Info().shmaddr + offset;
            shm_image_->width = width;
            shm_image_->height = rows;
            shm_image_->bytes_per_line = bytes_per_line;
            XShmPutImage(x_.display(), target, gc_, shm_image_, 0, 0, piece.x, piece.y + row,
                         unsigned(width), unsigned(rows), False);
            continue;
        }
        request_pixels_.resize(std::size_t(bytes_per_line / 4) * rows);
        Fetch(image, image_x, image_y + row, width, rows,
              reinterpret_cast<uint8_t*>(request_pixels_.data()), bytes_per_line);
        image_->data = reinterpret_cast<char*>(request_pixels_.data());
        image_->width = width;
        image_->height = rows;
        image_->bytes_per_line = bytes_per_line;
        XPutImage(x_.display(), target, gc_, image_, 0, 0, piece.x, piece.y + row,
                  unsigned(width), unsigned(rows));
        image_->data = nullptr;
    }
}

bool X11Painter::Reserve(std::size_t bytes, std::size_t& offset)
{
    if (bytes > kHalfBytes)
        return false;
    Half* half = &halves_[current_];
    if (half->used + bytes > kHalfBytes) {
        if (!half->ended)
            EndHalf(*half);
        Half& other = halves_[1 - current_];
        if (!Handled(other))
            return false;
        current_ = 1 - current_;
        other.used = 0;
        other.ended = false;
        half = &other;
    }
    offset = half->base + half->used;
    half->used += bytes;
    return true;
}

// The half is full: it is free again once the server has handled this
// one-pixel put, which reports with an event when it has.
void X11Painter::EndHalf(Half& half)
{
    shm_image_->data = segment_->Info().shmaddr + half.base;
    shm_image_->width = 1;
    shm_image_->height = 1;
    shm_image_->bytes_per_line = BytesPerLine(1);
    XShmPutImage(x_.display(), completion_target_, completion_gc_, shm_image_, 0, 0, 0, 0, 1, 1,
                 True);
    half.last_put = NextRequest(x_.display()) - 1;
    half.ended = true;
}

void X11Painter::Fetch(const TiledImage& image, int x, int y, int width, int height,
                       uint8_t* target, int bytes_per_line)
{
    if (direct_) { // rows of 32-bit words: the image reads straight into them
        image.Read(x, y, width, height, reinterpret_cast<uint32_t*>(target), bytes_per_line / 4);
        return;
    }
    fetched_.resize(std::size_t(width) * height);
    image.Read(x, y, width, height, fetched_.data(), width);
    char* saved = image_->data;
    image_->data = reinterpret_cast<char*>(target);
    image_->width = width;
    image_->height = height;
    image_->bytes_per_line = bytes_per_line;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            const uint32_t rgb = fetched_[std::size_t(row) * width + column];
            const unsigned long pixel = ChannelValue((rgb >> 16) & 0xFF, masks_[0]) |
                                        ChannelValue((rgb >> 8) & 0xFF, masks_[1]) |
                                        ChannelValue(rgb & 0xFF, masks_[2]);
            XPutPixel(image_, column, row, pixel);
        }
    image_->data = saved;
}
