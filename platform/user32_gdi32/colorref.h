// GDI speaks COLORREF (0x00BBGGRR); the images store 0x00RRGGBB, the order
// pixman's x8r8g8b8 keeps in a 32-bit word. Every crossing goes through here.
#pragma once

#include <cstdint>

#include "platform/user32_gdi32/win_constants.h"

constexpr uint32_t XrgbFromColorref(COLORREF color)
{
    return ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}

constexpr COLORREF ColorrefFromXrgb(uint32_t xrgb)
{
    return ((xrgb >> 16) & 0xFFu) | (xrgb & 0xFF00u) | ((xrgb & 0xFFu) << 16);
}
