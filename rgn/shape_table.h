// The shape table: the walkers' outlines as rectangle lists, stored in the
// layout ExtCreateRegion reads, filled once by the generated loaders.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/toolkit/fixed_array.h"
#include "platform/winapi.h"

struct ShapeRecord {
    RGNDATAHEADER rdh;
    RECT Buffer[64];
};

struct UserShapeRecord {
    RGNDATAHEADER rdh;
    RECT Buffer[15];
};

static_assert(offsetof(ShapeRecord, Buffer) == sizeof(RGNDATAHEADER));
static_assert(offsetof(UserShapeRecord, Buffer) == sizeof(RGNDATAHEADER));

// Slots 0 to 12 hold the 13 walker shapes; slot 13 is never filled.
extern FixedArray<ShapeRecord, 0, 13> ShapeTable;
// Addressed by shape indexes 10000 to 10007; nothing fills it.
extern FixedArray<UserShapeRecord, 0, 7> UserShapeTable;
// 0 while the table is unbuilt, -1 once built.
extern int16_t ShapeTableBuilt;

void RGN_BuildShapeTable();

// A new region of the shape with the cell's corner at (x, y) twips, moved by
// whole pixels; the caller owns it. A shape whose data makes no region shows
// the region-data message and ends the program.
HRGN RGN_CreateShapeRegion(double shape_index, double x, double y);
