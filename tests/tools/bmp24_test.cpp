#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/toolkit/bmp24.h"

namespace {

Bmp24 Pattern()
{
    Bmp24 p = Bmp24::Blank();
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) p.SetPixel(x, y, {uint8_t(x * 4), uint8_t(y * 4), uint8_t(x ^ y)});
    return p;
}

void Put32(std::vector<uint8_t>& file, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) file[at + i] = uint8_t(v >> (8 * i));
}

TEST(Bmp24, EncodesTheStoredLayoutAndRoundTrips)
{
    Bmp24 picture = Pattern();
    picture.SetPixel(0, 0, {10, 20, 30}); // top left as displayed
    std::vector<uint8_t> file = EncodeBmp24(picture);
    ASSERT_EQ(file.size(), 12342u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(file[10], 54);  // pixels right after the headers
    EXPECT_EQ(file[28], 24);  // bits per pixel
    EXPECT_EQ(file[34] | file[35] << 8, 12288);
    // The top row is stored last, blue first.
    const size_t top_left = 54 + 63 * 192;
    EXPECT_EQ(file[top_left], 30);
    EXPECT_EQ(file[top_left + 1], 20);
    EXPECT_EQ(file[top_left + 2], 10);

    std::string error;
    auto decoded = DecodeBmp24(file, &error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(decoded->bgr_bottom_up, picture.bgr_bottom_up);
    EXPECT_EQ(decoded->Pixel(0, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(decoded->Pixel(63, 62), (Rgb{252, 248, 63 ^ 62}));
}

TEST(Bmp24, RejectsEachKindOfMalformedFile)
{
    const std::vector<uint8_t> good = EncodeBmp24(Pattern());
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        const char* message; // a part of the error that names the fault
    };
    auto patched = [&](size_t at, uint32_t v, int bytes = 4) {
        std::vector<uint8_t> f = good;
        for (int i = 0; i < bytes; ++i) f[at + i] = uint8_t(v >> (8 * i));
        return f;
    };
    std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    std::vector<uint8_t> stub(good.begin(), good.begin() + 20);
    std::vector<uint8_t> wrong_total = good;
    Put32(wrong_total, 2, 12000);

    const std::vector<Case> cases = {
        {"header cut short", stub, "truncated"},
        {"pixels cut short", truncated, "truncated"},
        {"trailing bytes", longer, "wrong size"},
        {"not a BMP", patched(0, 'B' | 'A' << 8, 2), "BM"},
        {"file size field", wrong_total, "bfSize"},
        {"pixel offset", patched(10, 58), "bfOffBits"},
        {"info header size", patched(14, 108), "biSize"},
        {"width", patched(18, 32), "biWidth"},
        {"top-down rows", patched(22, uint32_t(-64)), "biHeight is -64"},
        {"planes", patched(26, 2, 2), "biPlanes"},
        {"depth", patched(28, 32, 2), "biBitCount"},
        {"compression", patched(30, 1), "biCompression"},
        {"image size", patched(34, 0), "biSizeImage"},
        {"palette", patched(46, 16), "biClrUsed"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(DecodeBmp24(c.file, &error)) << c.what;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    }
    EXPECT_FALSE(DecodeBmp24(truncated, nullptr)); // the message is optional
}

} // namespace
