// The canvas implementation: prepare a form as a canvas, stamp shapes into
// its accumulated region (painting their pictures clipped to the outlines),
// and hand the region to the window.
#pragma once

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

// Private to the canvas: each returns or paints one stamped shape.
HRGN RGN_CombineShape(double previous_region, double shape_index, double x, double y);
void RGN_PaintShape(double shape_index, Form& canvas, double x, double y);

} // namespace mod_RGN_Proc
