// The stored art is exactly what the art tool draws, so it can always be
// drawn again and reviewed as code.
#include <cstdlib>

#include <gtest/gtest.h>

#include "test_files.h"

namespace {

namespace fs = std::filesystem;

uint32_t Crc32(const uint8_t* p, size_t n)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

uint32_t Big32(const std::vector<uint8_t>& d, size_t at)
{
    return uint32_t(d[at]) << 24 | d[at + 1] << 16 | d[at + 2] << 8 | d[at + 3];
}

TEST(ArtTool, RedrawsTheStoredFilesByteForByte)
{
    fs::path dir = ScratchDir("art");
    std::string command = std::string("\"") + WALKERS_FRAME_ART + "\" \"" + dir.string() + "\" >\"" +
                          (dir / "log.txt").string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);

    std::vector<fs::path> stored;
    for (int k = 0; k < 13; ++k) stored.push_back(FramePath(k));
    stored.push_back(fs::path(WALKERS_FRAMES_DIR) / "contact_sheet.png");
    stored.push_back(fs::path(WALKERS_ICONS_DIR) / "walkers.ico");
    stored.push_back(fs::path(WALKERS_ICONS_DIR) / "walkers_small.ico");
    stored.push_back(fs::path(WALKERS_ICONS_DIR) / "window.ico");
    for (const fs::path& file : stored) {
        fs::path drawn = dir / file.parent_path().filename() / file.filename();
        auto want = ReadBytes(file);
        EXPECT_FALSE(want.empty()) << file;
        EXPECT_TRUE(ReadBytes(drawn) == want) << file.filename() << " differs from a fresh drawing";
    }
    fs::remove_all(dir);
}

TEST(ArtTool, ContactSheetIsAWellFormedPng)
{
    auto d = ReadBytes(fs::path(WALKERS_FRAMES_DIR) / "contact_sheet.png");
    const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GT(d.size(), 8u);
    ASSERT_TRUE(std::equal(signature, signature + 8, d.begin()));
    std::vector<std::string> chunks;
    for (size_t at = 8; at + 12 <= d.size();) {
        uint32_t length = Big32(d, at);
        ASSERT_LE(at + 12 + length, d.size());
        chunks.emplace_back(d.begin() + at + 4, d.begin() + at + 8);
        EXPECT_EQ(Crc32(&d[at + 4], length + 4), Big32(d, at + 8 + length)) << chunks.back();
        if (chunks.back() == "IHDR") {
            EXPECT_EQ(Big32(d, at + 8), 13u * (256 + 4) + 4) << "13 frames at 4x between bars";
            EXPECT_EQ(Big32(d, at + 12), 256u + 8);
        }
        at += 12 + length;
    }
    EXPECT_EQ(chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
}

} // namespace
