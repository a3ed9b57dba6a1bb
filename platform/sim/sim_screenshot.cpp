#include "platform/sim/sim_screenshot.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

// Forms change little of the screen, so the scans compare whole rows with
// memcmp first and look at single pixels only on rows that differ.

namespace {
constexpr uint32_t kOffScreen = 0xFFFFFFFF;
}

SimScreenshot::SimScreenshot(int width, int height, SimPixels seen, SimPixels without_forms)
    : width_(width), height_(height), seen_(std::move(seen)),
      without_forms_(std::move(without_forms))
{
}

uint32_t SimScreenshot::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return kOffScreen;
    return SeenRow(y)[x];
}

uint32_t SimScreenshot::PixelWithoutForms(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return kOffScreen;
    return UnchangedRow(y)[x];
}

RECT SimScreenshot::Clip(const RECT& area) const
{
    return RECT{std::max(area.left, LONG{0}), std::max(area.top, LONG{0}),
                std::min(area.right, LONG(width_)), std::min(area.bottom, LONG(height_))};
}

int SimScreenshot::CountColor(const RECT& area, uint32_t color) const
{
    const RECT r = Clip(area);
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        count += int(std::count(SeenRow(y) + r.left, SeenRow(y) + r.right, color));
    return count;
}

int SimScreenshot::CountChanged(const RECT& area) const
{
    const RECT r = Clip(area);
    if (r.left >= r.right)
        return 0;
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        const uint32_t* seen = SeenRow(y);
        const uint32_t* unchanged = UnchangedRow(y);
        const size_t bytes = sizeof(uint32_t) * (r.right - r.left);
        if (std::memcmp(seen + r.left, unchanged + r.left, bytes) == 0)
            continue;
        for (int x = r.left; x < r.right; ++x)
            count += seen[x] != unchanged[x];
    }
    return count;
}

std::optional<RECT> SimScreenshot::ChangedBounds() const
{
    std::optional<RECT> bounds;
    for (int y = 0; y < height_; ++y) {
        const uint32_t* seen = SeenRow(y);
        const uint32_t* unchanged = UnchangedRow(y);
        if (std::memcmp(seen, unchanged, sizeof(uint32_t) * width_) == 0)
            continue;
        int first = 0;
        while (seen[first] == unchanged[first])
            ++first;
        int last = width_ - 1;
        while (seen[last] == unchanged[last])
            --last;
        if (!bounds)
            bounds = RECT{first, y, last + 1, y + 1};
        bounds->left = std::min(bounds->left, LONG(first));
        bounds->right = std::max(bounds->right, LONG(last + 1));
        bounds->bottom = y + 1;
    }
    return bounds;
}

bool SimScreenshot::WritePpm(const std::string& path) const
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        return false;
    std::fprintf(file.get(), "P6\n%d %d\n255\n", width_, height_);
    std::vector<unsigned char> row(size_t(width_) * 3);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const uint32_t p = SeenRow(y)[x];
            row[size_t(x) * 3] = (p >> 16) & 0xFF;
            row[size_t(x) * 3 + 1] = (p >> 8) & 0xFF;
            row[size_t(x) * 3 + 2] = p & 0xFF;
        }
        if (std::fwrite(row.data(), 1, row.size(), file.get()) != row.size())
            return false;
    }
    return true;
}
