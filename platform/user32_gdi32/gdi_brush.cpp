// Brushes: solid colours and the null brush. The stock brushes live in the
// handle table for the life of the program.
#include <array>

#include "platform/user32_gdi32/gdi_objects.h"
#include "platform/user32_gdi32/win_calls.h"

namespace {

HGDIOBJ StockBrush(int index)
{
    static const std::array<HGDIOBJ, 3> stock = {
        gdi_handles::InsertStock(std::make_unique<GdiBrush>(false, RGB(255, 255, 255))),
        gdi_handles::InsertStock(std::make_unique<GdiBrush>(false, RGB(0, 0, 0))),
        gdi_handles::InsertStock(std::make_unique<GdiBrush>(true, 0)),
    };
    switch (index) {
    case WHITE_BRUSH:
        return stock[0];
    case BLACK_BRUSH:
        return stock[1];
    case NULL_BRUSH:
        return stock[2];
    default:
        return nullptr;
    }
}

} // namespace

HBRUSH CreateSolidBrush(COLORREF color)
{
    return static_cast<HBRUSH>(gdi_handles::Insert(std::make_unique<GdiBrush>(false, color)));
}

// A null brush is the stock one, as GDI hands out. Hatched and pattern
// brushes are not needed and fail.
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush)
{
    if (!brush)
        return nullptr;
    switch (brush->lbStyle) {
    case BS_SOLID:
        return CreateSolidBrush(brush->lbColor);
    case BS_NULL:
        return static_cast<HBRUSH>(StockBrush(NULL_BRUSH));
    default:
        return nullptr;
    }
}

HGDIOBJ GetStockObject(int index) { return StockBrush(index); }
