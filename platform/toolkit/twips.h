// Twips to pixels, the one conversion every backend and the forms use: the
// quotient rounded to the nearest whole pixel, halves to the even one, as
// every real-to-integer conversion of the program rounds.
#pragma once

#include "platform/toolkit/numbers.h"

inline int TwipsToPixels(double twips, float twips_per_pixel)
{
    return RoundToInt32(twips / twips_per_pixel);
}
