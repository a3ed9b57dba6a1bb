// Sends pixels to the server: box by box, under a clip, through a small
// MIT-SHM segment where the server can share memory with us, else inside
// the requests themselves.
//
// The segment is used in two halves. A half is written over only once the
// server is known to have handled every put that read from it: Xlib learns
// the last request handled from each event and reply, and when a half fills
// up a one-pixel put into a private pixmap asks for a completion event, so
// that the news comes even when nothing else does. A rectangle that finds
// both halves still in use goes inside a request instead; nothing ever
// waits for the server.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>
#include <memory>
#include <pixman.h>
#include <vector>

class TiledImage;
class X11Connection;
class X11ShmSegment;

class X11Painter {
public:
    explicit X11Painter(X11Connection& x);
    ~X11Painter();
    X11Painter(const X11Painter&) = delete;
    X11Painter& operator=(const X11Painter&) = delete;

    // Puts the pixels of `image` inside `boxes` and inside `clip` into
    // `target`, whose contents repeat every `tile_width` x `tile_height`
    // pixels (a window's background tile): a rectangle at (x, y) lands at
    // (x mod tile_width, y mod tile_height), cut where it crosses the tile's
    // edge. The pixels are read from the image straight into the shared
    // segment.
    //
    // The clip (y-x banded, in the boxes' coordinates, no taller or wider
    // than the tile) lets a few large boxes around it cost a few puts, not
    // one per rectangle. It goes with each distinct shift that the tile's
    // wrap gives a piece, one request each.
    void Paint(Drawable target, int tile_width, int tile_height, const pixman_box32_t* boxes,
               int count, const TiledImage& image, const pixman_region32_t& clip);

    bool UsesSharedMemory() const { return segment_ != nullptr; }
    uint64_t PixelsSent() const { return pixels_sent_; }
    uint64_t PutRequests() const { return put_requests_; }

private:
    struct Half {
        std::size_t base = 0;
        std::size_t used = 0;
        unsigned long last_put = 0; // the serial of the last put reading it
        bool ended = false;         // a completion was asked for since it filled
    };

    struct Piece {
        int x, y, width, height; // where it lands in the target
        int shift_x, shift_y;    // from where its pixels are to where they land
    };

    void SetClip(const pixman_region32_t& clip, int shift_x, int shift_y);
    void PutPiece(Drawable target, const Piece& piece, const TiledImage& image);
    bool Reserve(std::size_t bytes, std::size_t& offset);
    void EndHalf(Half& half);
    bool Handled(const Half& half) const;
    // The image's pixels of a rectangle, in the server's format.
    void Fetch(const TiledImage& image, int x, int y, int width, int height, uint8_t* target,
               int bytes_per_line);
    int BytesPerLine(int width) const;

    X11Connection& x_;
    GC gc_;
    GC completion_gc_ = nullptr; // never clipped, so that the completion put lands
    std::vector<Piece> pieces_;
    std::vector<XRectangle> clip_rectangles_;
    XImage* image_ = nullptr; // the layout template, pointed at each piece's pixels
    bool direct_ = false;     // 0x00RRGGBB words are the server's own format
    int bits_per_pixel_ = 32;
    unsigned long masks_[3] = {}; // red, green, blue
    std::vector<uint32_t> request_pixels_; // words, so that a row of any format lines up
    std::vector<uint32_t> fetched_; // pixels on their way to another format

    std::unique_ptr<X11ShmSegment> segment_;
    XImage* shm_image_ = nullptr;
    Pixmap completion_target_ = None;
    Half halves_[2];
    int current_ = 0;

    uint64_t pixels_sent_ = 0;
    uint64_t put_requests_ = 0;
};
