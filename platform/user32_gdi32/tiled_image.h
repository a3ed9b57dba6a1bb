// A form's persistent image, kept client-side in 64x64 tiles that exist only
// where something was drawn. A cleared screen-wide image costs no memory, so
// the memory and the work follow the figures, not the screen size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <pixman.h>
#include <unordered_map>

class TiledImage {
public:
    static constexpr int kTileSize = 64;

    // Drawing that the image's owner holds back because it shows it by other
    // means: drawn into the image before anything else reads or changes it.
    class Deferred {
    public:
        virtual void Settle(TiledImage& image) = 0;

    protected:
        ~Deferred() = default;
    };

    TiledImage(int width, int height, uint32_t background_xrgb);
    ~TiledImage();
    TiledImage(const TiledImage&) = delete;
    TiledImage& operator=(const TiledImage&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Keeps what was drawn inside the new bounds.
    void Resize(int width, int height);

    // Every pixel becomes `xrgb`; all tiles are dropped.
    void Clear(uint32_t xrgb);
    // Pixels inside `area` (clipped to the image) become `xrgb`.
    void Fill(const pixman_region32_t& area, uint32_t xrgb);
    // Copies a picture of top-down 0x00RRGGBB rows, `stride` pixels apart,
    // with its top-left corner at (x, y), only inside `clip` when it is not
    // null (SRCCOPY).
    void CopyPicture(const pixman_region32_t* clip, int x, int y, int width, int height,
                     const uint32_t* xrgb, int stride);

    uint32_t Pixel(int x, int y) const; // 0x00RRGGBB; the background outside tiles
    // Copies the rectangle into `out` (0x00RRGGBB rows of `out_stride` pixels).
    void Read(int x, int y, int width, int height, uint32_t* out, int out_stride) const;

    // The owner's held-back drawing, settled (and forgotten) on the next
    // read or change; null: none.
    void Defer(Deferred* deferred) { deferred_ = deferred; }

    uint32_t Background() const { return background_; }
    // Counts the calls that may have changed pixels: equal counts, equal
    // pixels, so a caller that showed the image can tell it is still shown.
    uint64_t Changes() const { return changes_; }
    std::size_t TileCount() const { return tiles_.size(); }

private:
    struct Tile;
    void Settle() const;
    Tile& TileAt(int tx, int ty);
    const Tile* FindTile(int tx, int ty) const;
    static uint64_t Key(int tx, int ty) { return (uint64_t(uint32_t(ty)) << 32) | uint32_t(tx); }

    int width_;
    int height_;
    uint32_t background_;
    uint64_t changes_ = 0;
    std::unordered_map<uint64_t, std::unique_ptr<Tile>> tiles_;
    mutable Deferred* deferred_ = nullptr;
};
