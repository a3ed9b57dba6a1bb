// Compiled by the Windows build only: the project's own declarations of the
// Win32 structures, beside <windows.h>'s, must agree field for field, so
// the region data the logic builds means the same on every platform.
#include <cstddef>
#include <cstdint>
#include <windows.h>

namespace own {
#include "platform/user32_gdi32/win_types.h"
}

#define SAME_LAYOUT(type, field)                                                         \
    static_assert(offsetof(own::type, field) == offsetof(::type, field), #type "." #field); \
    static_assert(sizeof(own::type::field) == sizeof(::type::field), #type "." #field)

static_assert(sizeof(own::RECT) == sizeof(::RECT));
SAME_LAYOUT(RECT, left);
SAME_LAYOUT(RECT, top);
SAME_LAYOUT(RECT, right);
SAME_LAYOUT(RECT, bottom);

static_assert(sizeof(own::RGNDATAHEADER) == sizeof(::RGNDATAHEADER));
SAME_LAYOUT(RGNDATAHEADER, dwSize);
SAME_LAYOUT(RGNDATAHEADER, iType);
SAME_LAYOUT(RGNDATAHEADER, nCount);
SAME_LAYOUT(RGNDATAHEADER, nRgnSize);
SAME_LAYOUT(RGNDATAHEADER, rcBound);

static_assert(sizeof(own::RGNDATA) == sizeof(::RGNDATA));
SAME_LAYOUT(RGNDATA, rdh);
SAME_LAYOUT(RGNDATA, Buffer);

static_assert(sizeof(own::XFORM) == sizeof(::XFORM));
SAME_LAYOUT(XFORM, eM11);
SAME_LAYOUT(XFORM, eM12);
SAME_LAYOUT(XFORM, eM21);
SAME_LAYOUT(XFORM, eM22);
SAME_LAYOUT(XFORM, eDx);
SAME_LAYOUT(XFORM, eDy);

static_assert(sizeof(own::LOGBRUSH) == sizeof(::LOGBRUSH));
SAME_LAYOUT(LOGBRUSH, lbStyle);
SAME_LAYOUT(LOGBRUSH, lbColor);
SAME_LAYOUT(LOGBRUSH, lbHatch);

static_assert(sizeof(own::POINT) == sizeof(::POINT));
static_assert(sizeof(own::LONG) == sizeof(::LONG) && sizeof(own::DWORD) == sizeof(::DWORD));
static_assert(sizeof(own::COLORREF) == sizeof(::COLORREF) && sizeof(own::HGDIOBJ) == sizeof(::HGDIOBJ));
