#include "tools/outline/outline_rule.h"

#include <algorithm>
#include <sstream>
#include <utility>

namespace {

using Runs = std::vector<std::pair<int, int>>; // [start, end) per run

Runs RowRuns(int width, int y, const std::function<bool(int, int)>& filled)
{
    Runs runs;
    for (int x = 0; x < width;) {
        if (!filled(x, y)) {
            ++x;
            continue;
        }
        int start = x;
        while (x < width && filled(x, y)) ++x;
        runs.emplace_back(start, x);
    }
    return runs;
}

void EmitBand(const Runs& runs, int top, int bottom, ShapeOutline& out)
{
    for (auto [left, right] : runs) out.rects.push_back({left, top, right, bottom});
}

} // namespace

bool IsKeyColour(Rgb c)
{
    return c.r == 0 && c.g == 0 && c.b == 0;
}

ShapeOutline TraceOutline(int width, int height, const std::function<bool(int, int)>& filled)
{
    ShapeOutline out;
    Runs band;
    int band_top = 0;
    for (int y = 0; y <= height; ++y) {
        Runs row = y < height ? RowRuns(width, y, filled) : Runs{};
        if (row == band && !row.empty()) continue;
        EmitBand(band, band_top, y, out);
        band = std::move(row);
        band_top = y;
    }
    if (!out.rects.empty()) {
        out.bound = out.rects.front();
        for (const OutlineRect& r : out.rects) {
            out.bound.left = std::min(out.bound.left, r.left);
            out.bound.top = std::min(out.bound.top, r.top);
            out.bound.right = std::max(out.bound.right, r.right);
            out.bound.bottom = std::max(out.bound.bottom, r.bottom);
        }
    }
    return out;
}

ShapeOutline TraceOutline(const Bmp24& picture, const std::function<bool(Rgb)>& is_key)
{
    return TraceOutline(picture.width, picture.height,
                        [&](int x, int y) { return !is_key(picture.Pixel(x, y)); });
}

std::string EmitShapeSource(std::span<const ShapeOutline> outlines)
{
    auto rect = [](const OutlineRect& r) {
        std::ostringstream s;
        s << '{' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << '}';
        return s.str();
    };
    std::ostringstream s;
    s << "// Generated from the frame pictures by tools/outline; do not edit.\n"
      << "#include \"rgn/mod_RGN_Data.h\"\n"
      << "#include \"rgn/shape_table.h\"\n";
    for (size_t k = 0; k < outlines.size(); ++k) {
        const ShapeOutline& o = outlines[k];
        s << "\nvoid RGN_LoadShape" << k << "()\n{\n"
          << "    ShapeRecord& record = ShapeTable[" << k << "];\n"
          << "    record.rdh.dwSize = 32;\n"
          << "    record.rdh.iType = 1;\n"
          << "    record.rdh.nCount = " << o.rects.size() << ";\n"
          << "    record.rdh.nRgnSize = " << 16 * o.rects.size() << ";\n"
          << "    record.rdh.rcBound = " << rect(o.bound) << ";\n";
        for (size_t i = 0; i < o.rects.size(); ++i)
            s << "    record.Buffer[" << i << "] = " << rect(o.rects[i]) << ";\n";
        s << "}\n";
    }
    return s.str();
}
