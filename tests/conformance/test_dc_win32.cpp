// The conformance DC on Windows' gdi32: a memory DC with a top-down 32-bit
// DIB section selected (zero-filled, so black), as the project's image DCs
// are 32-bit too.
#include "tests/conformance/test_dc.h"

HDC MakeTestDC(int width, int height)
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        DeleteDC(dc);
        return nullptr;
    }
    SelectObject(dc, bitmap);
    return dc;
}

void FreeTestDC(HDC dc)
{
    // Deleting the DC deselects the bitmap, which can then be deleted.
    HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

// Wine's ntdll exports its version; Windows' does not.
bool OnWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
