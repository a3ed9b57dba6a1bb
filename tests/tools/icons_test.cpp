#include <set>

#include <gtest/gtest.h>

#include "test_files.h"

namespace {

uint32_t U32(const std::vector<uint8_t>& d, size_t at)
{
    return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | uint32_t(d[at + 3]) << 24;
}
uint32_t U16(const std::vector<uint8_t>& d, size_t at) { return d[at] | d[at + 1] << 8; }
size_t RowBytes(int width, int bits) { return (size_t(width) * bits + 31) / 32 * 4; }

struct Entry {
    int size, colours, bits;
    uint32_t bytes, offset;
};

// Checks the directory and each image's header; returns the entries.
std::vector<Entry> ParseIco(const std::vector<uint8_t>& d)
{
    std::vector<Entry> entries;
    EXPECT_GE(d.size(), 6u);
    if (d.size() < 6) return entries;
    EXPECT_EQ(U16(d, 0), 0u);
    EXPECT_EQ(U16(d, 2), 1u);
    uint32_t next = 6 + 16 * U16(d, 4);
    for (uint32_t i = 0; i < U16(d, 4); ++i) {
        size_t e = 6 + 16 * i;
        Entry entry{d[e], d[e + 2], int(U16(d, e + 6)), U32(d, e + 8), U32(d, e + 12)};
        EXPECT_EQ(d[e + 1], d[e]) << "square";
        EXPECT_EQ(U16(d, e + 4), 1u) << "planes";
        EXPECT_EQ(entry.offset, next) << "images follow one another";
        next += entry.bytes;
        size_t palette = entry.bits < 8 ? size_t{4} << entry.bits : 0;
        EXPECT_EQ(entry.bytes, 40 + palette + (RowBytes(entry.size, entry.bits) + RowBytes(entry.size, 1)) * entry.size);
        EXPECT_LE(size_t(entry.offset) + entry.bytes, d.size());
        if (size_t(entry.offset) + 40 > d.size()) break;
        size_t h = entry.offset;
        EXPECT_EQ(U32(d, h), 40u);
        EXPECT_EQ(U32(d, h + 4), uint32_t(entry.size));
        EXPECT_EQ(U32(d, h + 8), uint32_t(entry.size * 2)) << "colour and mask stacked";
        EXPECT_EQ(U16(d, h + 14), uint32_t(entry.bits));
        EXPECT_EQ(U32(d, h + 16), 0u) << "uncompressed";
        entries.push_back(entry);
    }
    EXPECT_EQ(next, d.size());
    return entries;
}

bool MaskBit(const std::vector<uint8_t>& d, const Entry& e, int x, int y)
{
    size_t palette = e.bits < 8 ? size_t{4} << e.bits : 0;
    size_t mask = e.offset + 40 + palette + RowBytes(e.size, e.bits) * e.size;
    size_t row = mask + RowBytes(e.size, 1) * (e.size - 1 - y);
    return (d[row + x / 8] >> (7 - x % 8)) & 1;
}

TEST(Icons, AppIconIsAnArchWithHalfTransparentEdges)
{
    auto d = ReadBytes(std::filesystem::path(WALKERS_ICONS_DIR) / "walkers.ico");
    auto entries = ParseIco(d);
    ASSERT_EQ(entries.size(), 1u);
    const Entry& e = entries[0];
    EXPECT_EQ(e.size, 32);
    EXPECT_EQ(e.bits, 32);
    std::set<int> alphas;
    int opaque_brown = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            size_t at = e.offset + 40 + ((31 - y) * 32 + x) * 4;
            int b = d[at], g = d[at + 1], r = d[at + 2], a = d[at + 3];
            alphas.insert(a);
            EXPECT_EQ(MaskBit(d, e, x, y), a == 0) << x << "," << y;
            opaque_brown += a == 255 && r > g && g > b;
        }
    EXPECT_EQ(alphas, (std::set<int>{0, 128, 255}));
    EXPECT_GT(opaque_brown, 60);
    // An arch: open underneath in the middle, covered above it.
    size_t centre = e.offset + 40 + ((31 - 22) * 32 + 16) * 4;
    EXPECT_EQ(d[centre + 3], 0);
}

TEST(Icons, WindowIconHasThreeDepthsOfAWindowWithCyanCaption)
{
    auto d = ReadBytes(std::filesystem::path(WALKERS_ICONS_DIR) / "window.ico");
    auto entries = ParseIco(d);
    ASSERT_EQ(entries.size(), 3u);
    const int want[3][3] = {{32, 2, 1}, {32, 16, 4}, {16, 16, 4}};
    for (int i = 0; i < 3; ++i) {
        const Entry& e = entries[i];
        EXPECT_EQ(e.size, want[i][0]);
        EXPECT_EQ(e.colours, want[i][1]);
        EXPECT_EQ(e.bits, want[i][2]);
        EXPECT_TRUE(MaskBit(d, e, 0, 0)) << "transparent corner";
        EXPECT_FALSE(MaskBit(d, e, e.size / 2, e.size / 2)) << "opaque window";
        if (e.bits != 4) continue;
        auto colour = [&](int x, int y) {
            size_t pixels = e.offset + 40 + 64;
            uint8_t byte = d[pixels + RowBytes(e.size, 4) * (e.size - 1 - y) + x / 2];
            size_t quad = e.offset + 40 + 4 * size_t(x % 2 ? byte & 15 : byte >> 4);
            return Rgb{d[quad + 2], d[quad + 1], d[quad]};
        };
        EXPECT_EQ(colour(e.size / 2, e.size / 2 + 2), (Rgb{255, 255, 255}));
        EXPECT_EQ(colour(e.size / 4, e.size == 32 ? 6 : 3), (Rgb{0, 255, 255}));
    }
}

} // namespace
