// An array with declared bounds whose every index is checked: an index
// outside Lo..Hi is a run-time error, never a stray read or write.
#pragma once

#include <array>

#include "platform/toolkit/runtime_error.h"

template <class T, int Lo, int Hi>
class FixedArray {
    static_assert(Lo <= Hi);

public:
    static constexpr int kLower = Lo;
    static constexpr int kUpper = Hi;

    T& operator[](long long index) { return items_[Offset(index)]; }
    const T& operator[](long long index) const { return items_[Offset(index)]; }

private:
    static std::size_t Offset(long long index)
    {
        if (index < Lo || index > Hi)
            RaiseSubscriptOutOfRange();
        return static_cast<std::size_t>(index - Lo);
    }

    std::array<T, Hi - Lo + 1> items_{};
};
