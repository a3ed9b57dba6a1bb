// The number of the run-time error an action raises, 0 when it raises none.
#pragma once

#include "platform/toolkit/runtime_error.h"

inline int ErrorNumberOf(auto&& action)
{
    try {
        action();
    } catch (const RuntimeError& error) {
        return error.Number();
    }
    return 0;
}
