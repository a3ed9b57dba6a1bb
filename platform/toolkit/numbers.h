// The program's number rules, in one place: conversions round half to even,
// 32-bit integer arithmetic is checked, and the canvas state's number texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A real to a 32-bit (16-bit) integer, halves to the even neighbour; a value
// outside the range, or not a number, is an overflow.
int32_t RoundToInt32(double value);
int16_t RoundToInt16(double value);

// a \ b: both operands rounded half to even first (the divisor too), then
// the quotient truncated toward zero. A divisor that rounds to 0 is a
// division by zero.
int32_t IntDiv(double a, double b);

int32_t CheckedAdd(int32_t a, int32_t b);
int32_t CheckedSub(int32_t a, int32_t b);

// Rounds down; a result that is not finite is a floating-point fault.
double Floor(double value);

// The plain decimal form: no leading blank, a minus sign when negative, and
// for a real with a fraction its shortest form (2.5, -120, 757.5).
std::string NumberText(double value);

// The number a text begins with, leading blanks skipped; 0 when it does not
// begin with one.
double NumericValue(std::string_view text);
