#include "platform/toolkit/numbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/toolkit/runtime_error.h"

namespace {

// Rounds to the nearest whole number, halves to the even neighbour, without
// depending on the floating-point rounding mode in force.
double RoundHalfEven(double value)
{
    if (!std::isfinite(value))
        RaiseOverflow();
    double down = std::floor(value);
    double fraction = value - down;
    if (fraction > 0.5)
        return down + 1;
    if (fraction < 0.5)
        return down;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

} // namespace

int32_t RoundToInt32(double value)
{
    double rounded = RoundHalfEven(value);
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        RaiseOverflow();
    return static_cast<int32_t>(rounded);
}

int16_t RoundToInt16(double value)
{
    double rounded = RoundHalfEven(value);
    if (rounded < -32768.0 || rounded > 32767.0)
        RaiseOverflow();
    return static_cast<int16_t>(rounded);
}

int32_t IntDiv(double a, double b)
{
    int64_t dividend = RoundToInt32(a);
    int64_t divisor = RoundToInt32(b);
    if (divisor == 0)
        RaiseDivisionByZero();
    int64_t quotient = dividend / divisor; // C++ truncates toward zero
    if (quotient > std::numeric_limits<int32_t>::max())
        RaiseOverflow(); // only -2147483648 \ -1
    return static_cast<int32_t>(quotient);
}

int32_t CheckedAdd(int32_t a, int32_t b)
{
    int64_t sum = int64_t(a) + b;
    if (sum < std::numeric_limits<int32_t>::min() || sum > std::numeric_limits<int32_t>::max())
        RaiseOverflow();
    return static_cast<int32_t>(sum);
}

int32_t CheckedSub(int32_t a, int32_t b)
{
    int64_t difference = int64_t(a) - b;
    if (difference < std::numeric_limits<int32_t>::min() ||
        difference > std::numeric_limits<int32_t>::max())
        RaiseOverflow();
    return static_cast<int32_t>(difference);
}

double Floor(double value)
{
    if (!std::isfinite(value))
        RaiseOverflow();
    return std::floor(value);
}

std::string NumberText(double value)
{
    if (!std::isfinite(value))
        RaiseOverflow();
    if (value == 0)
        return "0"; // never "-0"
    char text[40];
    std::to_chars_result written;
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        written = std::to_chars(text, text + sizeof text, static_cast<int64_t>(value));
    else // the shortest form that reads back as the same number
        written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

namespace {

// A whole number of at most 15 digits and nothing after it that could
// continue it (a point or an exponent): read exactly without a string, as
// the probe's coordinates always are.
bool WholeNumber(std::string_view text, std::size_t i, double& value)
{
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    const std::size_t first = i;
    int64_t whole = 0;
    while (i < text.size() && i - first < 15 && text[i] >= '0' && text[i] <= '9')
        whole = whole * 10 + (text[i++] - '0');
    if (i == first || i - first == 15)
        return false;
    if (i < text.size()) {
        const char next = text[i];
        if (next == '.' || next == 'e' || next == 'E' || next == 'd' || next == 'D')
            return false;
    }
    value = negative ? -double(whole) : double(whole);
    return true;
}

} // namespace

double NumericValue(std::string_view text)
{
    std::size_t i = 0;
    auto at = [&](std::size_t k) { return k < text.size() ? text[k] : '\0'; };
    while (at(i) == ' ' || at(i) == '\t' || at(i) == '\r' || at(i) == '\n')
        ++i;
    if (double whole = 0; WholeNumber(text, i, whole))
        return whole;
    std::string number;
    if (at(i) == '+' || at(i) == '-')
        number += text[i++];
    bool digits = false;
    while (std::isdigit(static_cast<unsigned char>(at(i)))) {
        number += text[i++];
        digits = true;
    }
    if (at(i) == '.') {
        number += text[i++];
        while (std::isdigit(static_cast<unsigned char>(at(i)))) {
            number += text[i++];
            digits = true;
        }
    }
    if (!digits)
        return 0;
    // An exponent counts only when digits follow it.
    char e = at(i);
    if (e == 'e' || e == 'E' || e == 'd' || e == 'D') {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (at(j) == '+' || at(j) == '-')
            exponent += text[j++];
        if (std::isdigit(static_cast<unsigned char>(at(j)))) {
            while (std::isdigit(static_cast<unsigned char>(at(j))))
                exponent += text[j++];
            number += exponent;
        }
    }
    if (number[0] == '+')
        number.erase(0, 1);
    double value = 0;
    auto read = std::from_chars(number.data(), number.data() + number.size(), value);
    if (read.ec == std::errc::result_out_of_range)
        value = std::strtod(number.c_str(), nullptr); // rare: too large, or a tiny fraction
    if (!std::isfinite(value))
        RaiseOverflow();
    return value;
}
