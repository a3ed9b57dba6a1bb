// The user32 and gdi32 calls, as the project provides them off Windows.
// Same names, same arguments, same results as Win32's.
#pragma once

#include "platform/user32_gdi32/win_constants.h"

// user32: answered by whichever desktop backend is installed
HWND GetForegroundWindow(void);
int GetWindowTextA(HWND hwnd, LPSTR buffer, int max_count);
BOOL GetWindowRect(HWND hwnd, LPRECT rect);
int GetSystemMetrics(int index);
int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw);
BOOL SetWindowPos(HWND hwnd, HWND insert_after, int x, int y, int cx, int cy, UINT flags);

// gdi32: regions, brushes and device contexts on pixman
HRGN ExtCreateRegion(const XFORM* xform, DWORD count, const RGNDATA* data);
HRGN CreateRectRgn(int left, int top, int right, int bottom);
int OffsetRgn(HRGN region, int x, int y);
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
int GetRgnBox(HRGN region, LPRECT rect);
DWORD GetRegionData(HRGN region, DWORD count, LPRGNDATA data);
BOOL PtInRegion(HRGN region, int x, int y);
BOOL EqualRgn(HRGN a, HRGN b);
int SelectClipRgn(HDC dc, HRGN region);
int GetClipRgn(HDC dc, HRGN region);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
HBRUSH CreateSolidBrush(COLORREF color);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HGDIOBJ GetStockObject(int index);
BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush);
COLORREF GetPixel(HDC dc, int x, int y);
BOOL DeleteObject(HGDIOBJ object);
DWORD GetObjectType(HGDIOBJ object);

#define WHITE_BRUSH 0
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
