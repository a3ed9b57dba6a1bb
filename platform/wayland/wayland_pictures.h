// The pictures a form window drew since its last clear, when each was drawn
// under its own outline: which picture, where, in the order drawn. Such a
// window can be shown as the pictures themselves, each kept by the
// compositor in a buffer of its own that is moved rather than repainted.
//
// A picture's outline is the clip it was first drawn under (within the
// picture); drawn again under that clip moved to where it lands, it is the
// same stamp. Under any other clip it is not, and the window draws it into
// its image instead.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/user32_gdi32/pixman_region.h"

class Picture;

struct WaylandPicture {
    uint64_t id = 0;
    int width = 0, height = 0;
    std::vector<uint32_t> xrgb; // top-down rows
    PixmanRegion outline;       // in the picture's own pixels
};

struct WaylandStamp {
    const WaylandPicture* picture = nullptr;
    int x = 0, y = 0; // the picture's corner, window pixels
};

class WaylandPictures {
public:
    // The kept copy of `picture` when `clip` (window pixels) is its outline
    // with its corner at (x, y); null otherwise.
    const WaylandPicture* Match(const Picture& picture, const pixman_region32_t& clip, int x,
                                int y);

private:
    std::unordered_map<uint64_t, std::unique_ptr<WaylandPicture>> pictures_; // by Picture::Id
};

// Whether `shape` is exactly the union of the stamps' outlines, so that the
// stamps show all of it and nothing else.
bool StampsCover(const std::vector<WaylandStamp>& stamps, const pixman_region32_t& shape);
