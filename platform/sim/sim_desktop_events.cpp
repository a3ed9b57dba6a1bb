// The simulated desktop's event handling: the virtual clock and its timers,
// queued clicks, and the program's run from start to end.
#include <algorithm>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_form_window.h"
#include "platform/sim/sim_window_stack.h"
#include "platform/toolkit/events.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/runtime_error.h"
#include "platform/toolkit/timer.h"

void SimDesktop::StartTimer(Timer& timer, int interval_ms)
{
    timers_.Start(timer, interval_ms);
}

void SimDesktop::StopTimer(Timer& timer)
{
    timers_.Stop(timer);
}

void SimDesktop::ProcessPendingEvents()
{
    ++event_processing_count_;
    if (DuringEventProcessing) {
        // A copy: the hook may replace itself.
        const auto hook = DuringEventProcessing;
        hook();
    }
    HandleQueuedClicks();
    while (Timer* due = timers_.TakeDue(timers_.Now()))
        FireTimer(*due);
}

void SimDesktop::RunLoop()
{
    // The test drives the clock here: see Advance.
}

void SimDesktop::Advance(int ms)
{
    const int64_t until = timers_.Now() + std::max(ms, 0);
    RunPart([&] {
        HandleQueuedClicks();
        while (Timer* due = timers_.TakeDue(until)) {
            FireTimer(*due);
            HandleQueuedClicks();
        }
    });
    timers_.MoveTo(until);
}

void SimDesktop::Click(int x, int y)
{
    clicks_.push_back(QueuedClick{x, y});
}

void SimDesktop::Start(Form& startup)
{
    started_ = true;
    ended_ = false;
    exit_status_ = 0;
    RunPart([&] { toolkit::LoadStartupForm(startup); });
}

void SimDesktop::HandleQueuedClicks()
{
    // One at a time: a handler may run DoEvents, which goes on with the rest.
    while (!clicks_.empty()) {
        const QueuedClick click = clicks_.front();
        clicks_.pop_front();
        DeliverClick(click);
    }
}

void SimDesktop::DeliverClick(QueuedClick click)
{
    SimTopLevel* target = nullptr;
    for (const auto& window : stack_->TopFirst()) {
        const RECT& r = window->rect;
        const bool hit = window->IsScripted()
                             ? window->visible && click.x >= r.left && click.x < r.right &&
                                   click.y >= r.top && click.y < r.bottom
                             : window->form->HitTest(click.x, click.y);
        if (hit) {
            target = window.get();
            break;
        }
    }
    if (!target)
        return;
    // A click activates the window it lands on.
    stack_->SetForeground(target->handle);
    if (target->IsScripted()) {
        ++target->clicks_received;
        return;
    }
    // The handler may unload the form and so destroy its window.
    toolkit::DeliverClick(target->form->Owner());
}

void SimDesktop::FireTimer(Timer& timer)
{
    toolkit::DeliverTimer(timer);
}

void SimDesktop::RunPart(const std::function<void()>& part)
{
    if (ended_)
        return;
    try {
        part();
    } catch (const ProgramEnded& end) {
        EndProgram(end.status);
        return;
    }
    if (started_ && !AnyFormLoaded())
        EndProgram(0);
}

void SimDesktop::EndProgram(int status)
{
    ended_ = true;
    exit_status_ = status;
    clicks_.clear();
    toolkit::EndRun();
}
