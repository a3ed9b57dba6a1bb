// What the server draws from its own copies: the pictures the form windows
// draw, each uploaded once as a pixmap with a 1-bit mask of its outline and
// a graphics context that holds the mask, and a recorded batch of them
// drawn into a window's background pixmap, so that a tick sends two small
// requests a picture and no pixel.
//
// A picture's outline is the clip it was first drawn under. Drawing it under
// that clip moved to where it lands is exactly a copy through its mask;
// under any other clip it is not, and the window draws into its client
// image instead.
#pragma once

#include <cstdint>
#include <memory>
#include <pixman.h>
#include <unordered_map>
#include <vector>
#include <xcb/xcb.h>

#include "platform/user32_gdi32/pixman_region.h"

class Picture;
class X11Connection;
class X11PixelUpload;

class X11ServerDrawing {
public:
    struct Entry {
        int width = 0, height = 0;  // the program's pixels; on the server, times the scale
        std::vector<uint32_t> xrgb; // for drawing into a client image
        PixmanRegion outline;       // in the picture's own coordinates
        xcb_pixmap_t pixels = XCB_NONE;
        xcb_pixmap_t mask = XCB_NONE;
        xcb_gcontext_t gc = XCB_NONE; // clipped by the mask
        mutable int clip_x = 0, clip_y = 0; // the mask's origin as the server has it
    };
    // A picture recorded at a place, in the program's pixels.
    struct Stamp {
        const Entry* picture;
        int x, y;
        bool operator==(const Stamp&) const = default;
    };
    // A clear and the pictures drawn after it, in order.
    struct Batch {
        uint32_t clear_xrgb = 0;
        std::vector<Stamp> stamps;
        bool operator==(const Batch&) const = default;
    };

    X11ServerDrawing(X11Connection& x, X11PixelUpload& upload);
    ~X11ServerDrawing();
    X11ServerDrawing(const X11ServerDrawing&) = delete;
    X11ServerDrawing& operator=(const X11ServerDrawing&) = delete;

    // The server's copy of `picture` when `clip` (window coordinates) is its
    // outline with the picture's corner at (x, y); uploads it on first use.
    // Null when the clip is another one, or the picture cannot be kept.
    const Entry* Match(const Picture& picture, const pixman_region32_t& clip, int x, int y);
    // The batch drawn into `target` within `extents` (the program's
    // pixels): the clear colour under all of it (a shape may hold more than
    // the pictures), then each picture that reaches it through its outline.
    void Draw(const Batch& batch, xcb_drawable_t target, const pixman_box32_t& extents);
    // Copies `box` (the program's pixels) of `from` to the same place in
    // `to`, without exposure events.
    void Copy(xcb_drawable_t from, xcb_drawable_t to, const pixman_box32_t& box);

    std::size_t Count() const { return entries_.size(); }
    uint64_t PictureCopies() const { return picture_copies_; }

private:
    std::unique_ptr<Entry> Upload(const Picture& picture, const pixman_region32_t& outline);
    void CopyPicture(const Entry& entry, xcb_drawable_t target, int x, int y);

    X11Connection& x_;
    X11PixelUpload& upload_;
    xcb_gcontext_t gc_;          // fills and copies
    uint32_t foreground_ = 0;    // gc_'s, as the server has it
    std::unordered_map<uint64_t, std::unique_ptr<Entry>> entries_; // by Picture::Id
    uint64_t picture_copies_ = 0;
};
