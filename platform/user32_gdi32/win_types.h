// Win32's types and structures, laid out as Win32 lays them out (LONG and
// DWORD are 32 bits even where long is 64). The Windows build compiles this
// header beside <windows.h> and checks every layout against it.
#pragma once

#include <cstdint>

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef unsigned int UINT;
typedef int INT;
typedef float FLOAT;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef uintptr_t ULONG_PTR;
typedef DWORD COLORREF;

#define WALKERS_DECLARE_HANDLE(name)                                                               \
    struct name##__ {                                                                              \
        int unused;                                                                                \
    };                                                                                             \
    typedef struct name##__* name

WALKERS_DECLARE_HANDLE(HWND);
WALKERS_DECLARE_HANDLE(HDC);
WALKERS_DECLARE_HANDLE(HRGN);
WALKERS_DECLARE_HANDLE(HBRUSH);
WALKERS_DECLARE_HANDLE(HBITMAP);
typedef void* HGDIOBJ;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *LPRECT;
typedef const RECT* LPCRECT;

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT;

typedef struct _RGNDATAHEADER {
    DWORD dwSize;
    DWORD iType;
    DWORD nCount;
    DWORD nRgnSize;
    RECT rcBound;
} RGNDATAHEADER;

typedef struct _RGNDATA {
    RGNDATAHEADER rdh;
    char Buffer[1];
} RGNDATA, *LPRGNDATA;

typedef struct tagXFORM {
    FLOAT eM11;
    FLOAT eM12;
    FLOAT eM21;
    FLOAT eM22;
    FLOAT eDx;
    FLOAT eDy;
} XFORM;

typedef struct tagLOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
} LOGBRUSH;
