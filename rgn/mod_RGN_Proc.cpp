#include "rgn/mod_RGN_Proc.h"

#include "platform/toolkit/toolkit.h"
#include "rgn/canvas_state.h"
#include "rgn/frm_RGN_Picture.h"
#include "rgn/mod_RGN_UserFunction.h"
#include "rgn/shape_table.h"

namespace {

// The union is always formed in the new shape's region, so the handle
// changes at every stamp and the previous accumulated region is freed.
HRGN RGN_CombineShape(double previous_region, double shape_index, double x, double y)
{
    HRGN combined = RGN_CreateShapeRegion(shape_index, x, y);
    if (previous_region != 0) {
        HRGN previous = RegionHandle(previous_region);
        CombineRgn(combined, previous, combined, RGN_OR);
        DeleteObject(previous);
    }
    return combined;
}

void RGN_PaintShape(double shape_index, Form& canvas, double x, double y)
{
    HRGN outline = RGN_CreateShapeRegion(shape_index, 0, 0);
    OffsetRgn(outline, IntDiv(x, Screen.TwipsPerPixelX()), IntDiv(y, Screen.TwipsPerPixelY()));
    SelectClipRgn(canvas.hdc(), outline);
    const Picture& picture =
        DefaultInstance<frm_RGN_Picture>().pPicture(RoundToInt16(shape_index)).GetPicture();
    canvas.PaintPicture(picture, x, y, SRCCOPY);
    SelectClipRgn(canvas.hdc(), nullptr);
    DeleteObject(outline);
}

// Every walker frame is a 64-pixel cell: 960 twips, whatever the screen.
int32_t FrameSize(double shape_index)
{
    for (int k = 0; k <= 12; ++k)
        if (shape_index == k)
            return 960;
    return 0;
}

} // namespace

namespace mod_RGN_Proc {

void RGN_InitCanvas(Form& canvas, const CanvasMode& mode, double width, double height)
{
    if (!ShapeTableBuilt) {
        RGN_BuildShapeTable();
        ShapeTableBuilt = -1;
    }
    canvas.Tag("0," + mode.text);
    canvas.Left(0);
    canvas.Top(0);
    canvas.AutoRedraw(true);
    canvas.Width(width == -1 ? Screen.Width() : RoundToInt32(width));
    canvas.Height(height == -1 ? RGN_FullScreenHeight() : RoundToInt32(height));
    canvas.Cls();
}

void RGN_StampShape(double shape_index, Form& canvas, InOut<int32_t> x, InOut<int32_t> y,
                    std::optional<double> colour)
{
    // Snap to whole pixels, so the region (placed in pixels) and the picture
    // (placed in twips) land on the same pixel column and row.
    x.Set(PixelToTwipX(TwipToPixelX(x)));
    y.Set(PixelToTwipY(TwipToPixelY(y)));

    CanvasState state = ReadCanvasState(canvas);
    double previous = state.Region();
    double mode = state.Mode();

    HRGN accumulated = RGN_CombineShape(previous, shape_index, x, y);
    if (mode == 1 || mode == 2) {
        if (previous == 0)
            canvas.Cls(); // the first stamp of a batch starts a clean image
        RGN_PaintShape(shape_index, canvas, x, y);
    }
    canvas.Tag(NumberText(RegionNumber(accumulated)) + "," + NumberText(mode));

    if (mode == 2) {
        int32_t fill = colour ? RoundToInt32(*colour) : canvas.BackColor();
        LOGBRUSH style{BS_SOLID, static_cast<COLORREF>(fill), 0};
        HBRUSH brush = CreateBrushIndirect(&style);
        HGDIOBJ previous_brush = SelectObject(canvas.hdc(), brush);
        HRGN outline = RGN_CreateShapeRegion(shape_index, x, y);
        FillRgn(canvas.hdc(), outline, brush);
        SelectObject(canvas.hdc(), previous_brush); // the canvas's own brush, never deleted
        DeleteObject(brush);
        DeleteObject(outline);
    }
}

void RGN_ApplyRegion(Form& canvas)
{
    CanvasState state = ReadCanvasState(canvas);
    HRGN accumulated = RegionHandle(state.Region());
    // On success the window owns the region; only a refused one is ours.
    if (!SetWindowRgn(canvas.hwnd(), accumulated, TRUE))
        DeleteObject(accumulated);
    canvas.Tag("0," + state.mode_field);
    DoEvents();
}

int32_t RGN_ShapeWidth(double shape_index) { return FrameSize(shape_index); }
int32_t RGN_ShapeHeight(double shape_index) { return FrameSize(shape_index); }

} // namespace mod_RGN_Proc
