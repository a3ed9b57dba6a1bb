// Build step: turns the 13 frame pictures into the C++ source that loads the
// shape records. Any bad picture stops the build with a message naming it.
//
//   outline_tool OUTPUT.cpp frame00.bmp ... frame12.bmp

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "platform/toolkit/bmp24.h"
#include "tools/outline/outline_rule.h"

namespace {

constexpr int kFrameCount = 13;

int Fail(const std::string& what)
{
    std::cerr << "outline_tool: " << what << "\n";
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 + kFrameCount)
        return Fail("usage: outline_tool OUTPUT.cpp followed by the " +
                    std::to_string(kFrameCount) + " frame pictures in order");

    std::vector<ShapeOutline> outlines;
    for (int k = 0; k < kFrameCount; ++k) {
        const std::string path = argv[2 + k];
        std::ifstream in(path, std::ios::binary);
        if (!in) return Fail(path + ": cannot open");
        std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        std::string error;
        auto picture = DecodeBmp24(bytes, &error);
        if (!picture) return Fail(path + ": " + error);
        outlines.push_back(TraceOutline(*picture));
        size_t count = outlines.back().rects.size();
        if (count > size_t{kMaxOutlineRects})
            return Fail(path + ": outline needs " + std::to_string(count) +
                        " rectangles, a shape record holds " + std::to_string(kMaxOutlineRects));
    }

    const std::string output = argv[1];
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out << EmitShapeSource(outlines);
    out.close();
    if (!out) {
        std::remove(output.c_str()); // a half-written source must not look current
        return Fail(output + ": cannot write");
    }
    return 0;
}
