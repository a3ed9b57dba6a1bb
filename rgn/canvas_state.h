// A canvas keeps its state as text in its Tag: the region field (the handle
// of the accumulated region, 0 for none), a comma, and the mode field.
#pragma once

#include <string>

#include "platform/winapi.h"

class Form;

struct CanvasState {
    std::string region_field;
    std::string mode_field; // everything after the first comma

    double Region() const; // numeric value of the region field
    double Mode() const;   // numeric value of the mode field
};

// Cuts the Tag at its first comma; a Tag without one is a run-time error,
// as the canvas was never prepared.
CanvasState ReadCanvasState(const Form& canvas);

// A region handle as the number the canvas state holds, and back. Handles
// are 32-bit values (sign-extended on 64-bit Windows), so both are exact.
double RegionNumber(HRGN region);
HRGN RegionHandle(double number);
