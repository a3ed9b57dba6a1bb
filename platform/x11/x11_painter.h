// Sends pixels to the server inside requests: a picture once when it is
// first drawn, and, when the window's drawing is more than pictures under
// their outlines, the image's pixels inside the shape. Converts 0x00RRGGBB
// to the server's pixel format when that differs.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>
#include <pixman.h>
#include <vector>

class TiledImage;
class X11Connection;

class X11Painter {
public:
    explicit X11Painter(X11Connection& x);
    ~X11Painter();
    X11Painter(const X11Painter&) = delete;
    X11Painter& operator=(const X11Painter&) = delete;

    // Puts top-down 0x00RRGGBB rows, `stride` pixels apart, each pixel
    // enlarged to `scale` x `scale`, with their top-left corner at (x, y) of
    // `target` (in the target's pixels).
    void Put(Drawable target, int x, int y, int width, int height, const uint32_t* xrgb,
             int stride, int scale = 1);
    // Puts the image's pixels inside `area` (within the image's bounds and,
    // enlarged `scale` times, the target's) at the same place in `target`,
    // a rectangle at a time.
    void PutArea(Drawable target, const TiledImage& image, const pixman_region32_t& area,
                 int scale);
    // 0x00RRGGBB as the server's pixel value.
    unsigned long PixelOf(uint32_t xrgb) const;

    uint64_t PixelsSent() const { return pixels_sent_; }
    uint64_t PutRequests() const { return put_requests_; }

private:
    X11Connection& x_;
    GC gc_;
    XImage* image_; // the layout template, pointed at each put's pixels
    unsigned long alpha_ = 0; // the alpha bits, all set: opaque
    bool direct_ = false; // 0x00RRGGBB words are the server's own format
    unsigned long masks_[3] = {}; // red, green, blue
    std::vector<uint32_t> read_;   // an area's pixels read from the image
    std::vector<uint32_t> enlarged_;  // pixels enlarged for a scaled screen
    std::vector<uint32_t> converted_; // pixels in another format

    uint64_t pixels_sent_ = 0;
    uint64_t put_requests_ = 0;
};
