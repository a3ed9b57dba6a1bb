#include "tools/art/poses.h"

namespace {

// Straight and bowed poses tilt a little, the left end lower, like the
// resting pose; arches stand on both ends.
constexpr std::array<FrameDesign, kFrameCount> kDesigns = {{
    {"straight, lying at the bottom", {1, 40, 63, 61}, 1055,
     {{6, 52}, {23, 51}, {41, 50}, {58, 49}, 8.8}},
    {"slight upward bow", {1, 37, 63, 63}, 1084,
     {{6, 54.5}, {22, 43}, {42, 42}, {58, 52.5}, 8.8}},
    {"low arch", {2, 30, 63, 62}, 1151,
     {{7, 53}, {16, 30}, {46, 30}, {57, 51}, 8.8}},
    {"arch", {2, 22, 62, 59}, 1245,
     {{9, 50}, {12, 16}, {50, 16}, {55, 48}, 8.8}},
    {"tall arch, ends close together", {4, 14, 61, 55}, 1338,
     {{19, 48}, {2, 2}, {62, 2}, {45, 48}, 8.8}},
    {"arch, rising", {2, 9, 62, 46}, 1253,
     {{9, 37}, {12, 3}, {50, 3}, {55, 35}, 8.8}},
    {"arch, high", {2, 4, 63, 36}, 1152,
     {{7, 27}, {16, 4}, {46, 4}, {57, 25}, 8.8}},
    {"shallow arch at the top", {1, 3, 63, 28}, 1092,
     {{6, 19.5}, {22, 8}, {42, 7}, {58, 17.5}, 8.8}},
    {"straight, at the top", {1, 6, 63, 25}, 1047,
     {{6, 17}, {23, 16}, {41, 15}, {58, 14}, 8.8}},
    {"slight sag", {1, 12, 63, 36}, 1083,
     {{6, 21}, {22, 32}, {42, 31}, {58, 19}, 8.8}},
    {"V-shaped sag", {2, 19, 63, 49}, 1146,
     {{7, 27}, {30, 52}, {34, 52}, {57, 25}, 8.8}},
    {"V-shaped sag, lower", {2, 26, 63, 57}, 1152,
     {{7, 34}, {30, 60}, {34, 60}, {57, 32}, 8.8}},
    {"shallow sag near the bottom", {1, 34, 63, 59}, 1077,
     {{6, 43}, {22, 53}, {42, 52}, {58, 41}, 8.8}},
}};

// The resting pose's rows as rectangles, right and bottom exclusive.
constexpr PixelBox kRestingRects[] = {
    {54, 40, 58, 41}, {38, 41, 60, 42}, {18, 42, 61, 43}, {5, 43, 62, 44},
    {4, 44, 62, 45},  {3, 45, 63, 46},  {2, 46, 63, 51},  {1, 51, 63, 54},
    {2, 54, 62, 56},  {2, 56, 61, 57},  {3, 57, 59, 58},  {3, 58, 45, 59},
    {4, 59, 32, 60},  {4, 60, 19, 61},
};

} // namespace

const std::array<FrameDesign, kFrameCount>& FrameDesigns()
{
    return kDesigns;
}

Mask RestingSilhouette()
{
    Mask mask;
    for (const PixelBox& r : kRestingRects)
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) mask.Set(x, y, true);
    return mask;
}
