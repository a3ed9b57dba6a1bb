// Writes the program's menu icons for the freedesktop icon theme at build
// time, enlarged by whole pixels from the drawn icons.
//
//   hicolor_icons OUT_DIR APP_ID ICON.ico...
//                 writes OUT_DIR/NxN/apps/APP_ID.png for every theme size

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/art/ico_reader.h"
#include "tools/art/icon_sizes.h"
#include "tools/art/png_writer.h"

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::cerr << "usage: hicolor_icons OUT_DIR APP_ID ICON.ico...\n";
        return 2;
    }
    const fs::path out_dir = argv[1];
    const std::string app_id = argv[2];

    std::vector<IconImage> drawn;
    for (int i = 3; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        std::string error;
        std::optional<IconImage> image = DecodeIco32(bytes, &error);
        if (!image) {
            std::cerr << "hicolor_icons: " << argv[i] << ": " << error << "\n";
            return 1;
        }
        drawn.push_back(*image);
    }

    for (int size : HicolorSizes()) {
        const IconImage icon = IconAtSize(drawn, size);
        if (icon.size != size) {
            std::cerr << "hicolor_icons: no drawn icon enlarges to " << size << " pixels\n";
            return 1;
        }
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        const fs::path dir = out_dir / name / "apps";
        fs::create_directories(dir);
        const std::vector<uint8_t> png = EncodePngRgba(size, size, RgbaBytes(icon));
        std::ofstream out(dir / (app_id + ".png"), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
        out.close();
        if (!out) {
            std::cerr << "hicolor_icons: cannot write " << (dir / (app_id + ".png")).string() << "\n";
            return 1;
        }
    }
    return 0;
}
