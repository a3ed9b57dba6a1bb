// Owns one pixman_region32_t: initialised on construction, finalised on
// destruction. Movable (the struct is a box and a data pointer, so it moves
// by copying the bytes and emptying the source), not copyable: copies go
// through pixman_region32_copy, which can fail and must be checked.
#pragma once

#include <pixman.h>

class PixmanRegion {
public:
    PixmanRegion() { pixman_region32_init(&region_); }
    // The rectangle [x1, x2) x [y1, y2); empty when x2 <= x1 or y2 <= y1.
    PixmanRegion(int x1, int y1, int x2, int y2)
    {
        if (x2 > x1 && y2 > y1)
            pixman_region32_init_rect(&region_, x1, y1, unsigned(x2) - unsigned(x1),
                                      unsigned(y2) - unsigned(y1));
        else
            pixman_region32_init(&region_);
    }
    ~PixmanRegion() { pixman_region32_fini(&region_); }
    PixmanRegion(const PixmanRegion&) = delete;
    PixmanRegion& operator=(const PixmanRegion&) = delete;
    PixmanRegion(PixmanRegion&& other) noexcept : region_(other.region_)
    {
        pixman_region32_init(&other.region_);
    }
    PixmanRegion& operator=(PixmanRegion&& other) noexcept
    {
        if (this != &other) {
            pixman_region32_fini(&region_);
            region_ = other.region_;
            pixman_region32_init(&other.region_);
        }
        return *this;
    }

    pixman_region32_t* get() { return &region_; }
    const pixman_region32_t* get() const { return &region_; }

private:
    pixman_region32_t region_;
};
