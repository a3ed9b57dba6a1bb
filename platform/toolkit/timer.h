// The timer control: while enabled and its form is loaded, it raises its
// Timer event every Interval milliseconds. Switching it on starts a fresh
// interval; switching it on while its form is unloaded starts nothing.
#pragma once

#include <functional>
#include <string>

class Form;
struct TimerDefinition;

class Timer {
public:
    // Takes its stored Interval and Enabled each time its form loads.
    Timer(Form& owner, const TimerDefinition& definition);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    const std::string& Name() const { return name_; }
    int Interval() const { return interval_; }
    void Interval(int milliseconds);
    bool Enabled() const { return enabled_; }
    void Enabled(bool enabled);

    // The Timer event's handler (the owner binds it).
    std::function<void()> OnTimer;

    // Toolkit side: the owning form was loaded or unloaded.
    void FormLoaded();
    void FormUnloaded();
    Form& Owner() const { return owner_; }
    bool Running() const { return running_; }

private:
    void Sync();

    Form& owner_;
    const TimerDefinition& definition_;
    std::string name_;
    int interval_;
    bool enabled_;
    bool running_ = false;
};
