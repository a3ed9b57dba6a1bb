// Sends pixels to the server inside requests: a picture once when it is
// first drawn, and, when a window's drawing is more than pictures under
// their outlines, the image's pixels inside the shape. Converts 0x00RRGGBB
// to the server's pixel format when that differs, and cuts a put too large
// for one request into bands of rows.
#pragma once

#include <cstdint>
#include <pixman.h>
#include <vector>
#include <xcb/xcb.h>

class TiledImage;
class X11Connection;

class X11PixelUpload {
public:
    explicit X11PixelUpload(X11Connection& x);
    ~X11PixelUpload();
    X11PixelUpload(const X11PixelUpload&) = delete;
    X11PixelUpload& operator=(const X11PixelUpload&) = delete;

    // Puts top-down 0x00RRGGBB rows, `stride` pixels apart, each pixel
    // enlarged to `scale` x `scale`, with their top-left corner at (x, y) of
    // `target` (in the target's pixels), which has the form windows' depth.
    void Put(xcb_drawable_t target, int x, int y, int width, int height, const uint32_t* xrgb,
             int stride, int scale = 1);
    // Puts the image's pixels inside `area` (within the image's bounds and,
    // enlarged `scale` times, the target's) at the same place in `target`,
    // a rectangle at a time.
    void PutArea(xcb_drawable_t target, const TiledImage& image, const pixman_region32_t& area,
                 int scale);
    // 0x00RRGGBB as the server's pixel value.
    uint32_t PixelOf(uint32_t xrgb) const;

    uint64_t PixelsSent() const { return pixels_sent_; }
    uint64_t PutRequests() const { return put_requests_; }

private:
    // The rows in the server's format, `bytes_per_row` apart, into `rows_`.
    void Convert(int width, int height, const uint32_t* xrgb, int stride);
    void Send(xcb_drawable_t target, int x, int y, int width, int height, const uint8_t* rows);

    X11Connection& x_;
    xcb_gcontext_t gc_;
    uint32_t alpha_ = 0;        // the alpha bits, all set: opaque
    bool direct_ = false;       // 0x00RRGGBB words are the server's own format
    uint32_t masks_[3] = {};    // red, green, blue
    int bits_per_pixel_ = 32;
    int bytes_per_row_ = 0;     // of the last conversion
    std::vector<uint32_t> read_;     // an area's pixels read from the image
    std::vector<uint32_t> enlarged_; // pixels enlarged for a scaled screen
    std::vector<uint8_t> rows_;      // pixels in the server's format

    uint64_t pixels_sent_ = 0;
    uint64_t put_requests_ = 0;
};
