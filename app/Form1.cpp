#include "app/Form1.h"

#include "app/unload_other_forms.h"
#include "forms/stored_forms.h"
#include "platform/toolkit/toolkit.h"
#include "rgn/mod_RGN_UserFunction.h"

Form1::Form1() : Form(Form1Definition()), Timer1(*this, Form1Definition().Timers.at(0))
{
    Timer1.OnTimer = [this] { Timer1_Timer(); };
}

// Seeds ten walkers just above the screen, so nothing shows until the first
// tick puts them on the foreground window.
void Form1::Form_Load()
{
    RGN_InitCanvas(*this, 1, -1, -1);
    WalkerCount = RoundToInt32(Floor(7 * Rnd()) + 3);
    for (int32_t i = 0; i <= 9; ++i) {
        WalkerX[i] = PixelToTwipX(Floor(800 * Rnd()));
        WalkerY[i] = CheckedSub(0, RGN_ShapeHeight(0));
        WalkerFrame[i] = RoundToInt32(Floor(13 * Rnd()));
        WalkerStep[i] = RoundToInt32(Floor(40 * Rnd()) + 80);
        WalkerDir[i] = RoundToInt32(Floor(2 * Rnd()));
        RGN_StampShape(WalkerFrame[i], *this, WalkerX[i], WalkerY[i]);
    }
    LastTitle = "";
    RGN_ApplyRegion(*this);
    RGN_SetTopmost(*this, false);
}

void Form1::Form_Click() { Unload(*this); }

void Form1::Form_QueryUnload(int& Cancel, int UnloadMode)
{
    (void)Cancel; // never cancelled: a click on any figure ends the program
    (void)UnloadMode;
    RGN_UnloadOtherForms(Name());
}
