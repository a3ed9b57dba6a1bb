// The tiled image: a 64x64 tile of plain 0x00RRGGBB pixels exists only where
// something was drawn (a fill in the background colour makes none);
// everywhere else a pixel is the background colour.
#include "platform/user32_gdi32/tiled_image.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/user32_gdi32/pixman_region.h"

// A tile remembers the box it was drawn on since the last clear, so a clear
// to the same colour restores just that box and keeps the tile for the next
// batch, which usually draws in the same places.
struct TiledImage::Tile {
    explicit Tile(uint32_t xrgb) { std::fill(std::begin(pixels), std::end(pixels), xrgb); }
    uint32_t* Row(int y) { return pixels + y * kTileSize; }
    const uint32_t* Row(int y) const { return pixels + y * kTileSize; }

    void Touch(int x1, int y1, int x2, int y2)
    {
        drawn_x1 = std::min(drawn_x1, x1), drawn_y1 = std::min(drawn_y1, y1);
        drawn_x2 = std::max(drawn_x2, x2), drawn_y2 = std::max(drawn_y2, y2);
    }
    bool Drawn() const { return drawn_x1 < drawn_x2; }
    void Restore(uint32_t xrgb)
    {
        for (int y = drawn_y1; y < drawn_y2; ++y)
            std::fill(Row(y) + drawn_x1, Row(y) + drawn_x2, xrgb);
        drawn_x1 = drawn_y1 = kTileSize;
        drawn_x2 = drawn_y2 = 0;
    }

    uint32_t pixels[kTileSize * kTileSize];
    int drawn_x1 = kTileSize, drawn_y1 = kTileSize, drawn_x2 = 0, drawn_y2 = 0;
};

namespace {

constexpr int kTile = TiledImage::kTileSize;

// A piece of a drawing: the part of one rectangle that falls in one tile.
struct Piece {
    int tx, ty;                                  // the tile
    int x1, y1, x2, y2;                          // in image coordinates
    int left() const { return x1 - tx * kTile; } // in tile coordinates
    int right() const { return x2 - tx * kTile; }
    int row(int y) const { return y - ty * kTile; }
};

// Cuts every rectangle of `area`, clipped to the image, along tile edges.
template <class Visit>
void ForEachPiece(const pixman_region32_t& area, int width, int height, Visit visit)
{
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(&area, &count);
    for (int i = 0; i < count; ++i) {
        const int x1 = std::max(boxes[i].x1, 0), x2 = std::min(boxes[i].x2, width);
        const int y1 = std::max(boxes[i].y1, 0), y2 = std::min(boxes[i].y2, height);
        if (x1 >= x2 || y1 >= y2)
            continue;
        for (int ty = y1 / kTile; ty <= (y2 - 1) / kTile; ++ty)
            for (int tx = x1 / kTile; tx <= (x2 - 1) / kTile; ++tx)
                visit(Piece{tx, ty, std::max(x1, tx * kTile), std::max(y1, ty * kTile),
                            std::min(x2, (tx + 1) * kTile), std::min(y2, (ty + 1) * kTile)});
    }
}

int Clamp(int64_t value) { return int(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

} // namespace

TiledImage::TiledImage(int width, int height, uint32_t background_xrgb)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      background_(background_xrgb & 0xFFFFFFu)
{
}

TiledImage::~TiledImage() = default;

// Forgotten before it runs, so that its own drawing goes straight in.
void TiledImage::Settle() const
{
    if (Deferred* deferred = deferred_) {
        deferred_ = nullptr;
        deferred->Settle(const_cast<TiledImage&>(*this));
    }
}

TiledImage::Tile& TiledImage::TileAt(int tx, int ty)
{
    std::unique_ptr<Tile>& tile = tiles_[Key(tx, ty)];
    if (!tile)
        tile = std::make_unique<Tile>(background_);
    return *tile;
}

const TiledImage::Tile* TiledImage::FindTile(int tx, int ty) const
{
    auto it = tiles_.find(Key(tx, ty));
    return it == tiles_.end() ? nullptr : it->second.get();
}

// Whatever lies outside the new bounds goes back to the background, so that
// growing again later shows background there, not old drawings.
void TiledImage::Resize(int width, int height)
{
    Settle();
    ++changes_;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    for (auto it = tiles_.begin(); it != tiles_.end();) {
        const int tx = int(uint32_t(it->first)), ty = int(uint32_t(it->first >> 32));
        const int keep_w = std::clamp(width_ - tx * kTile, 0, kTile);
        const int keep_h = std::clamp(height_ - ty * kTile, 0, kTile);
        if (keep_w == 0 || keep_h == 0) {
            it = tiles_.erase(it);
            continue;
        }
        Tile& tile = *it->second;
        for (int y = 0; y < kTile; ++y)
            std::fill(tile.Row(y) + (y < keep_h ? keep_w : 0), tile.Row(y) + kTile, background_);
        ++it;
    }
}

// Tiles not drawn on since the previous clear are freed, so the memory
// follows the last batch of drawings, never the places drawn on long ago.
void TiledImage::Clear(uint32_t xrgb)
{
    Settle();
    ++changes_;
    xrgb &= 0xFFFFFFu;
    if (xrgb != background_) {
        tiles_.clear();
        background_ = xrgb;
        return;
    }
    for (auto it = tiles_.begin(); it != tiles_.end();) {
        if (!it->second->Drawn()) {
            it = tiles_.erase(it);
            continue;
        }
        it->second->Restore(background_);
        ++it;
    }
}

void TiledImage::Fill(const pixman_region32_t& area, uint32_t xrgb)
{
    Settle();
    ++changes_;
    xrgb &= 0xFFFFFFu;
    ForEachPiece(area, width_, height_, [&](const Piece& p) {
        // A missing tile is background already.
        if (xrgb == background_ && !FindTile(p.tx, p.ty))
            return;
        Tile& tile = TileAt(p.tx, p.ty);
        tile.Touch(p.left(), p.row(p.y1), p.right(), p.row(p.y2 - 1) + 1);
        for (int y = p.y1; y < p.y2; ++y)
            std::fill(tile.Row(p.row(y)) + p.left(), tile.Row(p.row(y)) + p.right(), xrgb);
    });
}

void TiledImage::CopyPicture(const pixman_region32_t* clip, int x, int y, int width, int height,
                             const uint32_t* xrgb, int stride)
{
    Settle();
    if (width <= 0 || height <= 0 || !xrgb)
        return;
    ++changes_;
    PixmanRegion area(x, y, Clamp(int64_t(x) + width), Clamp(int64_t(y) + height));
    if (clip && !pixman_region32_intersect(area.get(), area.get(), clip))
        return;
    ForEachPiece(*area.get(), width_, height_, [&](const Piece& p) {
        Tile& tile = TileAt(p.tx, p.ty);
        tile.Touch(p.left(), p.row(p.y1), p.right(), p.row(p.y2 - 1) + 1);
        for (int py = p.y1; py < p.y2; ++py) {
            const uint32_t* source = xrgb + (int64_t(py) - y) * stride + (int64_t(p.x1) - x);
            std::copy(source, source + (p.x2 - p.x1), tile.Row(p.row(py)) + p.left());
        }
    });
}

uint32_t TiledImage::Pixel(int x, int y) const
{
    Settle();
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return background_;
    const Tile* tile = FindTile(x / kTile, y / kTile);
    return tile ? tile->Row(y % kTile)[x % kTile] : background_;
}

void TiledImage::Read(int x, int y, int width, int height, uint32_t* out, int out_stride) const
{
    Settle();
    if (width <= 0 || height <= 0 || !out)
        return;
    auto fill = [&](int x1, int y1, int x2, int y2) {
        for (int row = y1; row < y2; ++row)
            std::fill(out + (std::ptrdiff_t(row) - y) * out_stride + (std::ptrdiff_t(x1) - x),
                      out + (std::ptrdiff_t(row) - y) * out_stride + (std::ptrdiff_t(x2) - x),
                      background_);
    };
    const int64_t right = int64_t(x) + width, bottom = int64_t(y) + height;
    if (x < 0 || y < 0 || right > width_ || bottom > height_) // partly outside the image
        for (int row = 0; row < height; ++row)
            std::fill(out + std::ptrdiff_t(row) * out_stride,
                      out + std::ptrdiff_t(row) * out_stride + width, background_);
    // Each piece once: from its tile, or the background where there is none.
    PixmanRegion wanted(x, y, Clamp(right), Clamp(bottom));
    ForEachPiece(*wanted.get(), width_, height_, [&](const Piece& p) {
        const Tile* tile = FindTile(p.tx, p.ty);
        if (!tile)
            return fill(p.x1, p.y1, p.x2, p.y2);
        for (int py = p.y1; py < p.y2; ++py) {
            const uint32_t* source = tile->Row(p.row(py));
            std::copy(source + p.left(), source + p.right(),
                      out + (std::ptrdiff_t(py) - y) * out_stride + (std::ptrdiff_t(p.x1) - x));
        }
    });
}
