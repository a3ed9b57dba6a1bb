// The canvas implementation: prepare a form as a canvas, stamp shapes into
// its accumulated region (painting their pictures clipped to the outlines),
// and hand the region to the window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/toolkit/in_out.h"
#include "platform/winapi.h"
#include "rgn/canvas_mode.h"

class Form;

namespace mod_RGN_Proc {

void RGN_InitCanvas(Form& canvas, const CanvasMode& mode, double width, double height);
void RGN_StampShape(double shape_index, Form& canvas, InOut<int32_t> x, InOut<int32_t> y,
                    std::optional<double> colour);
void RGN_ApplyRegion(Form& canvas);
// The size of a shape's cell in twips: 960 for a walker frame, 0 otherwise.
int32_t RGN_ShapeWidth(double shape_index);
int32_t RGN_ShapeHeight(double shape_index);

} // namespace mod_RGN_Proc
