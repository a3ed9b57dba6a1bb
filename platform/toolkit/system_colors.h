// The system colours the toolkit paints with when the program gives none.
#pragma once

#include <cstdint>

// The button face: a form's BackColor until code sets one, and the face of
// the toolkit's own dialogs. A grey, so its COLORREF (0x00BBGGRR) and its
// 0x00RRGGBB pixel are the same number.
constexpr uint32_t kButtonFace = 0x00F0F0F0;
