#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/outline/outline_rule.h"

namespace {

// Rows drawn from the top left: '#' figure, 'd' a nearly black figure pixel,
// anything else the key colour.
Bmp24 Drawn(const std::vector<std::string>& rows)
{
    Bmp24 p = Bmp24::Blank();
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x) {
            if (rows[y][x] == '#') p.SetPixel(int(x), int(y), {90, 60, 20});
            if (rows[y][x] == 'd') p.SetPixel(int(x), int(y), {4, 2, 0});
        }
    return p;
}

using R = OutlineRect;

TEST(OutlineRule, BandsGroupIdenticalRowsAndSplitOnChange)
{
    ShapeOutline o = TraceOutline(Drawn({
        "..##...###",  // two runs in one band of two rows
        "..##...###",
        "..##....##",  // the second run changes: a new band
        "..........",  // an empty row ends the band
        "..##....##",  // the same runs as before, but a band of its own
        ".#########",
    }));
    const std::vector<R> want = {{2, 0, 4, 2}, {7, 0, 10, 2}, {2, 2, 4, 3}, {8, 2, 10, 3},
                                 {2, 4, 4, 5}, {8, 4, 10, 5}, {1, 5, 10, 6}};
    EXPECT_EQ(o.rects, want);
    EXPECT_EQ(o.bound, (R{1, 0, 10, 6}));
}

TEST(OutlineRule, MatchesTheKeyExactlyAndReachesThePictureEdges)
{
    Bmp24 p = Drawn({"d"});
    p.SetPixel(63, 63, {0, 0, 1});
    ShapeOutline o = TraceOutline(p);
    EXPECT_EQ(o.rects, (std::vector<R>{{0, 0, 1, 1}, {63, 63, 64, 64}}));
    EXPECT_EQ(o.bound, (R{0, 0, 64, 64}));

    // A looser key would drop the nearly black pixel.
    auto dark = [](Rgb c) { return c.r <= 8 && c.g <= 8 && c.b <= 8; };
    EXPECT_EQ(TraceOutline(p, dark).rects.size(), 0u);
    EXPECT_EQ(TraceOutline(Bmp24::Blank()).bound, (R{0, 0, 0, 0}));
}

TEST(OutlineRule, EmitsOneLoaderPerRecord)
{
    ShapeOutline first{{{54, 40, 58, 41}, {38, 41, 60, 42}}, {38, 40, 60, 42}};
    ShapeOutline empty;
    const ShapeOutline outlines[] = {first, empty};
    EXPECT_EQ(EmitShapeSource(outlines),
              "// Generated from the frame pictures by tools/outline; do not edit.\n"
              "#include \"rgn/mod_RGN_Data.h\"\n"
              "#include \"rgn/shape_table.h\"\n"
              "\n"
              "void RGN_LoadShape0()\n"
              "{\n"
              "    ShapeRecord& record = ShapeTable[0];\n"
              "    record.rdh.dwSize = 32;\n"
              "    record.rdh.iType = 1;\n"
              "    record.rdh.nCount = 2;\n"
              "    record.rdh.nRgnSize = 32;\n"
              "    record.rdh.rcBound = {38, 40, 60, 42};\n"
              "    record.Buffer[0] = {54, 40, 58, 41};\n"
              "    record.Buffer[1] = {38, 41, 60, 42};\n"
              "}\n"
              "\n"
              "void RGN_LoadShape1()\n"
              "{\n"
              "    ShapeRecord& record = ShapeTable[1];\n"
              "    record.rdh.dwSize = 32;\n"
              "    record.rdh.iType = 1;\n"
              "    record.rdh.nCount = 0;\n"
              "    record.rdh.nRgnSize = 0;\n"
              "    record.rdh.rcBound = {0, 0, 0, 0};\n"
              "}\n");
}

} // namespace
