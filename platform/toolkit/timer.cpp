#include "platform/toolkit/timer.h"

#include "platform/toolkit/form_definition.h"
#include "platform/toolkit/backend.h"
#include "platform/toolkit/form.h"

Timer::Timer(Form& owner, const TimerDefinition& definition)
    : owner_(owner), definition_(definition), name_(definition.Name),
      interval_(definition.Interval), enabled_(definition.Enabled)
{
    owner_.AddTimer(this);
}

Timer::~Timer()
{
    if (running_)
        InstalledBackend().StopTimer(*this);
}

void Timer::Interval(int milliseconds)
{
    interval_ = milliseconds;
    if (running_) {
        InstalledBackend().StopTimer(*this);
        running_ = false;
    }
    Sync();
}

void Timer::Enabled(bool enabled)
{
    enabled_ = enabled;
    Sync();
}

void Timer::FormLoaded()
{
    interval_ = definition_.Interval;
    enabled_ = definition_.Enabled;
    Sync();
}

void Timer::FormUnloaded()
{
    if (running_)
        InstalledBackend().StopTimer(*this);
    running_ = false;
}

// Runs the backend's timer exactly while the timer is enabled, has an
// interval and its form is loaded; switching it on starts a fresh interval.
void Timer::Sync()
{
    bool wanted = enabled_ && interval_ > 0 && owner_.IsLoaded();
    if (wanted && !running_)
        InstalledBackend().StartTimer(*this, interval_);
    else if (!wanted && running_)
        InstalledBackend().StopTimer(*this);
    running_ = wanted;
}
