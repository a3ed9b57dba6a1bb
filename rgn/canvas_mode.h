// The drawing mode given to a canvas: any number or text, kept as text in
// the canvas state (the integer 1 becomes the digit 1).
#pragma once

#include <string>

#include "platform/toolkit/numbers.h"

struct CanvasMode {
    CanvasMode(double number) : text(NumberText(number)) {}
    CanvasMode(int number) : text(NumberText(number)) {}
    CanvasMode(const char* words) : text(words) {}
    CanvasMode(std::string words) : text(std::move(words)) {}

    std::string text;
};
