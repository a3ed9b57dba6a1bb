// The walkers' form: the canvas the figures are stamped on, its timer, and
// the walker state.
#pragma once

#include <cstdint>
#include <string>

#include "platform/toolkit/fixed_array.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/timer.h"

class Form1 : public Form {
public:
    Form1();

    void Form_Load() override;
    void Form_Click() override;
    void Form_QueryUnload(int& Cancel, int UnloadMode) override;
    void Timer1_Timer();

    Timer Timer1;

private:
    friend struct Form1Inspector; // the tests read the walker state

    int32_t WalkerCount = 0;
    FixedArray<int32_t, 0, 10> WalkerX;
    FixedArray<int32_t, 0, 10> WalkerY;
    FixedArray<int32_t, 0, 10> WalkerFrame;
    FixedArray<int32_t, 0, 10> WalkerStep;
    FixedArray<int32_t, 0, 10> WalkerDir;
    std::string LastTitle;
};
