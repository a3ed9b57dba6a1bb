#include "tests/e2e/desktop_scene.h"

#include <algorithm>
#include <climits>
#include <sstream>

bool IsFigureBrown(uint32_t pixel)
{
    const int r = int(pixel >> 16) & 0xFF, g = int(pixel >> 8) & 0xFF, b = int(pixel) & 0xFF;
    return r > g && g >= b && r - b >= 30;
}

FigureScan ScanFigures(const Screenshot& shot, const Box& band)
{
    FigureScan scan;
    scan.bounds = Box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            const uint32_t pixel = shot.At(x, y);
            if (pixel == 0)
                ++scan.black;
            if (!IsFigureBrown(pixel))
                continue;
            ++scan.brown;
            if (x < band.left || x >= band.right || y < band.top || y >= band.bottom)
                ++scan.outside;
            scan.bounds.left = std::min(scan.bounds.left, x);
            scan.bounds.top = std::min(scan.bounds.top, y);
            scan.bounds.right = std::max(scan.bounds.right, x + 1);
            scan.bounds.bottom = std::max(scan.bounds.bottom, y + 1);
        }
    return scan;
}

Box TitleBarBand(const Box& frame)
{
    constexpr int kCell = 64, kOverlap = 12;
    return Box{frame.left, frame.top - kCell + kOverlap, frame.right, frame.top + kOverlap};
}

std::optional<std::pair<int, int>> InteriorFigurePixel(const Screenshot& shot, int margin)
{
    for (int y = margin; y < shot.height - margin; ++y)
        for (int x = margin; x < shot.width - margin; ++x) {
            bool inside = true;
            for (int dy = -margin; dy <= margin && inside; ++dy)
                for (int dx = -margin; dx <= margin && inside; ++dx)
                    inside = IsFigureBrown(shot.At(x + dx, y + dy));
            if (inside)
                return std::make_pair(x, y);
        }
    return std::nullopt;
}

std::optional<std::pair<int, int>> ClearPoint(const Screenshot& shot, const Box& band,
                                              uint32_t colour, int margin)
{
    const int top = std::max(band.top, 0) + margin, bottom = std::min(band.bottom, shot.height) - margin;
    const int left = std::max(band.left, 0) + margin, right = std::min(band.right, shot.width) - margin;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            bool clear = true;
            for (int dy = -margin; dy <= margin && clear; ++dy)
                for (int dx = -margin; dx <= margin && clear; ++dx)
                    clear = shot.At(x + dx, y + dy) == colour;
            if (clear)
                return std::make_pair(x, y);
        }
    return std::nullopt;
}

SampleWindow::SampleWindow(const XSession& session, const std::string& title,
                           const std::string& geometry, const std::string& colour)
    : process_({WALKERS_SAMPLE_WINDOW, "--title", title, "--geometry", geometry, "--colour",
                colour},
               session.Environment())
{
    WaitUntil([this] { return process_.Output().find("window ") != std::string::npos; },
              std::chrono::seconds(10));
    std::istringstream output(process_.Output());
    std::string word;
    unsigned long id = 0;
    if (output >> word >> id && word == "window")
        id_ = Window(id);
}

int SampleWindow::Presses() const
{
    std::istringstream output(process_.Output());
    std::string line;
    int presses = 0;
    while (std::getline(output, line))
        presses += line.rfind("press ", 0) == 0;
    return presses;
}

std::unique_ptr<Process> StartWalkers(const XSession& session)
{
    return std::make_unique<Process>(std::vector<std::string>{WALKERS_BINARY},
                                     session.Environment());
}
