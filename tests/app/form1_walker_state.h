// The tests' view of Form1's walker state, which is private to the form.
#pragma once

#include "app/Form1.h"

struct Form1Inspector {
    Form1& form;

    int32_t& Count() { return form.WalkerCount; }
    int32_t& X(int i) { return form.WalkerX[i]; }
    int32_t& Y(int i) { return form.WalkerY[i]; }
    int32_t& Frame(int i) { return form.WalkerFrame[i]; }
    int32_t& Step(int i) { return form.WalkerStep[i]; }
    int32_t& Dir(int i) { return form.WalkerDir[i]; }
    std::string& LastTitle() { return form.LastTitle; }
};
