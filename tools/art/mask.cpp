#include "tools/art/mask.h"

#include <algorithm>
#include <vector>

int Mask::Count() const
{
    return static_cast<int>(std::count(cells.begin(), cells.end(), uint8_t{1}));
}

PixelBox Mask::Bounds() const
{
    PixelBox box{kSide, kSide, 0, 0};
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            if (At(x, y)) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box.right == 0 ? PixelBox{} : box;
}

void FillEnclosedHoles(Mask& mask)
{
    std::array<uint8_t, Mask::kSide * Mask::kSide> outside{};
    std::vector<int> stack;
    auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= Mask::kSide || y >= Mask::kSide) return;
        int i = y * Mask::kSide + x;
        if (outside[i] || mask.cells[i]) return;
        outside[i] = 1;
        stack.push_back(i);
    };
    for (int i = 0; i < Mask::kSide; ++i) {
        visit(i, 0);
        visit(i, Mask::kSide - 1);
        visit(0, i);
        visit(Mask::kSide - 1, i);
    }
    while (!stack.empty()) {
        int i = stack.back();
        stack.pop_back();
        int x = i % Mask::kSide, y = i / Mask::kSide;
        visit(x - 1, y);
        visit(x + 1, y);
        visit(x, y - 1);
        visit(x, y + 1);
    }
    for (size_t i = 0; i < mask.cells.size(); ++i)
        if (!outside[i]) mask.cells[i] = 1;
}
