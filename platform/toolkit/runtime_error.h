// Run-time errors: thrown where the fault happens, turned into the toolkit's
// standard message and the end of the program in one place (the run loop).
#pragma once

#include <exception>
#include <string>

class RuntimeError : public std::exception {
public:
    RuntimeError(int number, std::string description);

    int Number() const { return number_; }
    const std::string& Description() const { return description_; }
    // The standard message: "Run-time error '6':" and the description.
    std::string Message() const;
    const char* what() const noexcept override { return description_.c_str(); }

private:
    int number_;
    std::string description_;
};

// The run-time errors that the program's checked arithmetic raises.
[[noreturn]] void RaiseOverflow();
[[noreturn]] void RaiseSubscriptOutOfRange();
[[noreturn]] void RaiseDivisionByZero();
[[noreturn]] void RaiseTypeMismatch();
[[noreturn]] void RaiseMissingControl(int index);

// Thrown to stop the program at once, without any unload handler: by End(),
// and after a run-time error's message (status 1).
struct ProgramEnded {
    int status = 0;
};
