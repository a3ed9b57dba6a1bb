// An in/out argument: the callee writes a new value back into the caller's
// variable. Given an expression instead of a variable, the callee works on a
// copy and the written value is lost, as the caller asked.
#pragma once

template <class T>
class InOut {
public:
    InOut(T& variable) : target_(&variable), value_(variable) {}
    InOut(T&& value) : target_(nullptr), value_(value) {}

    T Get() const { return value_; }
    operator T() const { return value_; }
    void Set(T value)
    {
        value_ = value;
        if (target_)
            *target_ = value;
    }

private:
    T* target_;
    T value_;
};
