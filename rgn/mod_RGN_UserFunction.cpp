#include "rgn/mod_RGN_UserFunction.h"

#include "platform/toolkit/toolkit.h"
#include "rgn/mod_RGN_Proc.h"
#include "rgn/shape_table.h"

void RGN_InitCanvas(Form& canvas, const CanvasMode& mode, double width, double height)
{
    mod_RGN_Proc::RGN_InitCanvas(canvas, mode, width, height);
}

void RGN_StampShape(double shape_index, Form& canvas, InOut<int32_t> x, InOut<int32_t> y,
                    std::optional<double> colour)
{
    mod_RGN_Proc::RGN_StampShape(shape_index, canvas, x, y, colour);
}

void RGN_ApplyRegion(Form& canvas) { mod_RGN_Proc::RGN_ApplyRegion(canvas); }

int32_t RGN_ShapeWidth(double shape_index) { return mod_RGN_Proc::RGN_ShapeWidth(shape_index); }

int32_t RGN_ShapeHeight(double shape_index)
{
    return mod_RGN_Proc::RGN_ShapeHeight(shape_index);
}

void RGN_SetTopmost(Form& form, bool flag)
{
    UINT flags = SWP_NOSIZE | SWP_NOMOVE;
    if (flag == false)
        flags |= SWP_SHOWWINDOW;
    SetWindowPos(form.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, flags);
}

int32_t RGN_FullScreenHeight()
{
    // Read one after the other: the order of a call's arguments is open.
    const int32_t client = GetSystemMetrics(SM_CYFULLSCREEN);
    const int32_t caption = GetSystemMetrics(SM_CYCAPTION);
    int32_t pixels = CheckedAdd(client, caption);
    return RoundToInt32(double(pixels) * Screen.TwipsPerPixelY());
}

int32_t TwipToPixelX(double twips) { return IntDiv(twips, Screen.TwipsPerPixelX()); }
int32_t TwipToPixelY(double twips) { return IntDiv(twips, Screen.TwipsPerPixelY()); }

int32_t PixelToTwipX(double pixels) { return RoundToInt32(pixels * Screen.TwipsPerPixelX()); }
int32_t PixelToTwipY(double pixels) { return RoundToInt32(pixels * Screen.TwipsPerPixelY()); }
