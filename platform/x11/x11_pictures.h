// The pictures the form windows draw, kept on the server: each one uploaded
// once as a pixmap, with a 1-bit mask of its outline and a GC that holds the
// mask, so that drawing it again costs two small requests.
//
// A picture's outline is the clip it was first drawn under. Drawing it under
// that clip moved to where it lands is exactly a copy through its mask;
// under any other clip it is not, and the window draws into its client
// image instead.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/user32_gdi32/pixman_region.h"

class Picture;
class X11Connection;
class X11Painter;

class X11Pictures {
public:
    struct Entry {
        int width = 0, height = 0; // the program's pixels; on the server, times the scale
        std::vector<uint32_t> xrgb; // for drawing into a client image
        PixmanRegion outline;       // in the picture's own coordinates
        Pixmap pixels = None;
        Pixmap mask = None;
        GC gc = nullptr; // clipped by the mask
    };

    X11Pictures(X11Connection& x, X11Painter& painter) : x_(x), painter_(painter) {}
    ~X11Pictures();
    X11Pictures(const X11Pictures&) = delete;
    X11Pictures& operator=(const X11Pictures&) = delete;

    // The server's copy of `picture` when `clip` (window coordinates) is its
    // outline with the picture's corner at (x, y); uploads it on first use.
    // Null when the clip is another one, or the picture cannot be kept.
    const Entry* Match(const Picture& picture, const pixman_region32_t& clip, int x, int y);
    // Draws the picture through its mask with its corner at (x, y), in the
    // program's pixels.
    void Copy(const Entry& entry, Drawable target, int x, int y);

    std::size_t Count() const { return entries_.size(); }
    uint64_t Copies() const { return copies_; }

private:
    std::unique_ptr<Entry> Upload(const Picture& picture, const pixman_region32_t& outline);

    X11Connection& x_;
    X11Painter& painter_;
    std::unordered_map<uint64_t, std::unique_ptr<Entry>> entries_; // by Picture::Id
    uint64_t copies_ = 0;
};
