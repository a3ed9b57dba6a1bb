// One ARGB8888 buffer in shared memory, and what it holds. The compositor
// reads it until it releases it: only then may it be drawn into again.
#pragma once

#include <cstdint>
#include <functional>
#include <wayland-client.h>

#include "platform/user32_gdi32/pixman_region.h"

class WaylandShmBuffer {
public:
    // Valid() tells whether the memory and the buffer could be made.
    WaylandShmBuffer(wl_shm* shm, int width, int height);
    ~WaylandShmBuffer();
    WaylandShmBuffer(const WaylandShmBuffer&) = delete;
    WaylandShmBuffer& operator=(const WaylandShmBuffer&) = delete;

    bool Valid() const { return buffer_ != nullptr; }
    wl_buffer* Buffer() const { return buffer_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    uint32_t* Row(int y) { return pixels_ + std::size_t(y) * std::size_t(width_); }
    bool Busy() const { return busy_; }
    void MarkBusy() { busy_ = true; }
    void Released()
    {
        busy_ = false;
        if (on_release)
            on_release();
    }
    std::function<void()> on_release;
    // The opaque part of the buffer, in buffer pixels; transparent elsewhere.
    PixmanRegion& Opaque() { return opaque_; }

private:
    wl_buffer* buffer_ = nullptr;
    uint32_t* pixels_ = nullptr;
    std::size_t size_ = 0;
    int width_;
    int height_;
    bool busy_ = false;
    PixmanRegion opaque_;
};
