#include "platform/toolkit/runtime_error.h"

RuntimeError::RuntimeError(int number, std::string description)
    : number_(number), description_(std::move(description))
{
}

std::string RuntimeError::Message() const
{
    return "Run-time error '" + std::to_string(number_) + "':\n\n" + description_;
}

void RaiseOverflow() { throw RuntimeError(6, "Overflow"); }
void RaiseSubscriptOutOfRange() { throw RuntimeError(9, "Subscript out of range"); }
void RaiseDivisionByZero() { throw RuntimeError(11, "Division by zero"); }
void RaiseTypeMismatch() { throw RuntimeError(13, "Type mismatch"); }

void RaiseMissingControl(int index)
{
    throw RuntimeError(340, "Control array element '" + std::to_string(index) + "' doesn't exist");
}
