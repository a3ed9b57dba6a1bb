#include "app/Form1.h"

#include "app/active_window_probe.h"
#include "platform/toolkit/toolkit.h"
#include "rgn/mod_RGN_UserFunction.h"

// One step of the walk. The timer stays off while the tick works, so ticks
// never overlap even though applying the region processes pending events.
// Every edge is asked afresh where it is used: the foreground window may
// change between any two questions.
void Form1::Timer1_Timer()
{
    Timer1.Enabled(false);

    // Our own window in front (or any window titled like it): freeze.
    if (Caption() == ActiveWindowTitle()) {
        Timer1.Enabled(true);
        return;
    }

    if (ActiveWindowTitle() != LastTitle)
        WalkerCount = RoundToInt32(Floor(7 * Rnd()) + 3);

    const int32_t n = WalkerCount;
    for (int32_t i = 0; i <= n - 1; ++i) {
        if (ActiveWindowTitle() != LastTitle) {
            double r = Rnd();
            double right = ActiveWindowRight();
            double left = ActiveWindowLeft();
            double width = RGN_ShapeWidth(0);
            // The random number scales the right edge alone; offsets below
            // zero are pulled to the left end further down.
            WalkerX[i] = RoundToInt32(Floor(r * right - left - width));
            WalkerFrame[i] = RoundToInt32(Floor(13 * Rnd()));
            WalkerStep[i] = RoundToInt32(Floor(40 * Rnd()) + 80);
        }

        WalkerFrame[i] = CheckedAdd(WalkerFrame[i], 1);
        if (WalkerFrame[i] > 12)
            WalkerFrame[i] = 0;

        // Frames 0 to 3 stand; the rest move.
        if (WalkerFrame[i] > 3) {
            if (WalkerDir[i] == 0)
                WalkerX[i] = CheckedAdd(WalkerX[i], WalkerStep[i]);
            else
                WalkerX[i] = CheckedSub(WalkerX[i], WalkerStep[i]);
        }

        int32_t left = ActiveWindowLeft();
        int32_t right = ActiveWindowRight();
        int32_t width = RGN_ShapeWidth(0);
        if (WalkerX[i] > CheckedSub(CheckedSub(right, left), width)) {
            left = ActiveWindowLeft();
            right = ActiveWindowRight();
            width = RGN_ShapeWidth(0);
            WalkerX[i] = CheckedSub(CheckedSub(right, left), width);
            WalkerDir[i] = 1;
        }
        if (WalkerX[i] < 0) {
            WalkerX[i] = 0;
            WalkerDir[i] = 0;
        }

        // Stand on the title bar: the cell's bottom 12 rows overlap the
        // window's top edge.
        int32_t height = RGN_ShapeHeight(0);
        int32_t top = ActiveWindowTop();
        int32_t lift = PixelToTwipY(12);
        WalkerY[i] = CheckedAdd(CheckedSub(top, height), lift);

        int32_t cell_left = ActiveWindowLeft();
        RGN_StampShape(WalkerFrame[i], *this, CheckedAdd(cell_left, WalkerX[i]), WalkerY[i]);
    }

    LastTitle = ActiveWindowTitle();
    RGN_ApplyRegion(*this);
    Timer1.Enabled(true);
}
