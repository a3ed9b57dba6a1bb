#include "rgn/shape_table.h"

#include "platform/toolkit/toolkit.h"
#include "rgn/mod_RGN_Data.h"

FixedArray<ShapeRecord, 0, 13> ShapeTable;
FixedArray<UserShapeRecord, 0, 7> UserShapeTable;
int16_t ShapeTableBuilt = 0;

void RGN_BuildShapeTable()
{
    RGN_LoadShape0();
    RGN_LoadShape1();
    RGN_LoadShape2();
    RGN_LoadShape3();
    RGN_LoadShape4();
    RGN_LoadShape5();
    RGN_LoadShape6();
    RGN_LoadShape7();
    RGN_LoadShape8();
    RGN_LoadShape9();
    RGN_LoadShape10();
    RGN_LoadShape11();
    RGN_LoadShape12();
}

namespace {

HRGN CreateRegionFrom(const RGNDATAHEADER& header)
{
    static const XFORM identity{1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
    // An unfilled record has a zero header and asks for 0 bytes: no region.
    DWORD bytes = header.nRgnSize + header.dwSize;
    return ExtCreateRegion(&identity, bytes, reinterpret_cast<const RGNDATA*>(&header));
}

} // namespace

HRGN RGN_CreateShapeRegion(double shape_index, double x, double y)
{
    // The user table is chosen before rounding, so 9999.6 selects slot 10000
    // of the shape table, which is out of range.
    HRGN region;
    if (shape_index >= 10000)
        region = CreateRegionFrom(UserShapeTable[RoundToInt32(shape_index - 10000)].rdh);
    else
        region = CreateRegionFrom(ShapeTable[RoundToInt32(shape_index)].rdh);

    if (!region) {
        MsgBox("It failed in reading of region data.");
        End();
    }
    if (x != 0 || y != 0) {
        int32_t dx = IntDiv(x, Screen.TwipsPerPixelX());
        int32_t dy = IntDiv(y, Screen.TwipsPerPixelY());
        OffsetRgn(region, dx, dy);
    }
    return region;
}
