// The region library's public entries, the twips and pixels conversions,
// the full-screen height and the topmost placement.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/toolkit/in_out.h"
#include "rgn/canvas_mode.h"

class Form;

// Thin forwarders to the canvas implementation; in/out arguments pass
// through unchanged.
void RGN_InitCanvas(Form& canvas, const CanvasMode& mode, double width, double height);
void RGN_StampShape(double shape_index, Form& canvas, InOut<int32_t> x, InOut<int32_t> y,
                    std::optional<double> colour = std::nullopt);
void RGN_ApplyRegion(Form& canvas);
int32_t RGN_ShapeWidth(double shape_index);
int32_t RGN_ShapeHeight(double shape_index);

// Puts the form above all non-topmost windows; with flag false also shows it.
void RGN_SetTopmost(Form& form, bool flag);

// A maximised window's client height plus one caption, in twips.
int32_t RGN_FullScreenHeight();

int32_t TwipToPixelX(double twips);
int32_t TwipToPixelY(double twips);
int32_t PixelToTwipX(double pixels);
int32_t PixelToTwipY(double pixels);
