#include "platform/win32/win32_image.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/toolkit/picture.h"
#include "platform/toolkit/runtime_error.h"

namespace {

// A DIB section cannot be empty; an image of no pixels keeps one.
HBITMAP NewBitmap(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = std::max(1, width);
    info.bmiHeader.biHeight = -std::max(1, height); // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        throw RuntimeError(480, "Can't create AutoRedraw image");
    return bitmap;
}

void FillRectangle(HDC dc, int width, int height, COLORREF color)
{
    RECT all{0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
}

} // namespace

COLORREF Win32Colour(COLORREF toolkit_colour)
{
    if (toolkit_colour & 0x80000000u)
        return GetSysColor(int(toolkit_colour & 0xFFu));
    return toolkit_colour & 0x00FFFFFFu;
}

Win32Image::Win32Image(int width, int height, COLORREF background)
    : bitmap_(NewBitmap(width, height)), dc_(CreateCompatibleDC(nullptr)),
      width_(std::max(0, width)), height_(std::max(0, height))
{
    if (!dc_) {
        DeleteObject(bitmap_);
        throw RuntimeError(480, "Can't create AutoRedraw image");
    }
    original_bitmap_ = SelectObject(dc_, bitmap_);
    Fill(background);
}

Win32Image::~Win32Image()
{
    SelectObject(dc_, original_bitmap_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

void Win32Image::Resize(int width, int height, COLORREF background)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == width_ && height == height_)
        return;
    HBITMAP bitmap = NewBitmap(width, height);
    HDC staging = CreateCompatibleDC(nullptr);
    HGDIOBJ staging_original = SelectObject(staging, bitmap);
    FillRectangle(staging, width, height, Win32Colour(background));
    BitBlt(staging, 0, 0, std::min(width, width_), std::min(height, height_), dc_, 0, 0, SRCCOPY);
    SelectObject(staging, staging_original);
    DeleteDC(staging);

    SelectObject(dc_, bitmap);
    DeleteObject(bitmap_);
    bitmap_ = bitmap;
    width_ = width;
    height_ = height;
}

void Win32Image::Fill(COLORREF color)
{
    SaveDC(dc_);
    SelectClipRgn(dc_, nullptr);
    FillRectangle(dc_, width_, height_, Win32Colour(color));
    RestoreDC(dc_, -1);
}

void Win32Image::Draw(const Picture& picture, int x, int y)
{
    if (picture.Empty())
        return;
    const int width = picture.Width();
    const int height = picture.Height();
    // DIB rows start on 4-byte boundaries; a picture's rows are packed.
    const int stride = (picture.Stride() + 3) & ~3;
    const uint8_t* rows = picture.BottomUpBgr();
    std::vector<uint8_t> padded;
    if (stride != picture.Stride()) {
        padded.assign(std::size_t(stride) * height, 0);
        for (int row = 0; row < height; ++row)
            std::memcpy(&padded[std::size_t(row) * stride],
                        rows + std::size_t(row) * picture.Stride(), picture.Stride());
        rows = padded.data();
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc_, x, y, DWORD(width), DWORD(height), 0, 0, 0, UINT(height), rows, &info,
                      DIB_RGB_COLORS);
}

void Win32Image::CopyTo(HDC target, const RECT& area) const
{
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc_,
           area.left, area.top, SRCCOPY);
}
