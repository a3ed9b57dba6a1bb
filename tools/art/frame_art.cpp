// Draws the figure's 13 frame pictures, a contact sheet of them and the two
// icons. The output depends on nothing but this code, so running it again
// gives the same bytes; the tests hold the stored files to that.
//
//   frame_art FORMS_DIR    writes FORMS_DIR/frames/*.bmp, contact_sheet.png
//                          and FORMS_DIR/icons/*.ico

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "platform/toolkit/bmp24.h"
#include "tools/art/contact_sheet.h"
#include "tools/art/frame_fit.h"
#include "tools/art/icons.h"
#include "tools/art/poses.h"
#include "tools/art/tube_paint.h"
#include "tools/outline/outline_rule.h"

namespace fs = std::filesystem;

namespace {

// Stay well inside a shape record's 64 rectangles.
constexpr int kRectBudget = 56;

bool Write(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    if (!out) std::cerr << "frame_art: cannot write " << path.string() << "\n";
    return bool(out);
}

int DistinctColours(const Bmp24& picture)
{
    std::set<uint32_t> colours;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            Rgb c = picture.Pixel(x, y);
            if (!IsKeyColour(c)) colours.insert(uint32_t(c.r) << 16 | c.g << 8 | c.b);
        }
    return int(colours.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: frame_art FORMS_DIR\n";
        return 2;
    }
    const fs::path frames_dir = fs::path(argv[1]) / "frames";
    const fs::path icons_dir = fs::path(argv[1]) / "icons";
    fs::create_directories(frames_dir);
    fs::create_directories(icons_dir);

    std::vector<Bmp24> frames;
    std::vector<TubePose> tubes;
    for (int k = 0; k < kFrameCount; ++k) {
        const FrameDesign& design = FrameDesigns()[k];
        FittedFrame fit{design.tube, RestingSilhouette()};
        if (k > 0) {
            std::string error;
            auto fitted = FitFrame(design, kRectBudget, &error);
            if (!fitted) {
                std::cerr << "frame_art: frame " << k << " (" << design.pose << "): " << error << "\n";
                return 1;
            }
            fit = *fitted;
        }
        frames.push_back(PaintFrame(fit.mask, fit.tube, 0x5EED0000u + k));
        tubes.push_back(fit.tube);

        ShapeOutline outline = TraceOutline(frames.back());
        PixelBox box = fit.mask.Bounds();
        std::printf("frame %2d  %-32s pixels %4d (aim %4d)  rects %2zu  box %d,%d,%d,%d  colours %d  half width %.2f\n",
                    k, design.pose, fit.mask.Count(), design.pixels, outline.rects.size(), box.left,
                    box.top, box.right, box.bottom, DistinctColours(frames.back()), fit.tube.half_width);
        if (!(box == design.box) || outline.rects.size() > size_t(kMaxOutlineRects)) {
            std::cerr << "frame_art: frame " << k << " misses its box or has too many rectangles\n";
            return 1;
        }
        char name[32];
        std::snprintf(name, sizeof name, "frame%02d.bmp", k);
        if (!Write(frames_dir / name, EncodeBmp24(frames.back()))) return 1;
    }
    if (!Write(frames_dir / "contact_sheet.png", ContactSheetPng(frames, 4))) return 1;

    // The icon shows the tall arch, the pose that reads best that small.
    const IconImage app[] = {DrawAppIcon(tubes[4])};
    const IconImage window[] = {DrawWindowIcon(32, 1), DrawWindowIcon(32, 4), DrawWindowIcon(16, 4)};
    if (!Write(icons_dir / "walkers.ico", EncodeIco(app))) return 1;
    // The 16-pixel menu icon cannot be enlarged from the 32-pixel one: drawn
    // on its own, it stays out of the program's file icon.
    const IconImage small[] = {DrawAppIcon(tubes[4], 16)};
    if (!Write(icons_dir / "walkers_small.ico", EncodeIco(small))) return 1;
    if (!Write(icons_dir / "window.ico", EncodeIco(window))) return 1;
    return 0;
}
