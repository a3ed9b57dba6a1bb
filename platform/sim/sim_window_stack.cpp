#include "platform/sim/sim_window_stack.h"

#include <algorithm>

SimTopLevel& SimWindowStack::Add(SimTopLevel window)
{
    window.handle = reinterpret_cast<HWND>(next_handle_);
    next_handle_ += 4;
    auto owned = std::make_unique<SimTopLevel>(std::move(window));
    SimTopLevel& added = *owned;
    InsertAtTopOfBand(std::move(owned));
    return added;
}

void SimWindowStack::Remove(HWND handle)
{
    auto at = Position(handle);
    if (at == order_.end())
        return;
    order_.erase(at);
    if (foreground_ == handle)
        PassForegroundOn();
}

SimTopLevel* SimWindowStack::Find(HWND handle)
{
    auto at = Position(handle);
    return at == order_.end() ? nullptr : at->get();
}

const SimTopLevel* SimWindowStack::Find(HWND handle) const
{
    return const_cast<SimWindowStack*>(this)->Find(handle);
}

void SimWindowStack::BringToTopOfBand(HWND handle)
{
    auto at = Position(handle);
    if (at == order_.end())
        return;
    std::unique_ptr<SimTopLevel> window = std::move(*at);
    order_.erase(at);
    InsertAtTopOfBand(std::move(window));
}

void SimWindowStack::MakeTopmost(HWND handle)
{
    if (SimTopLevel* window = Find(handle)) {
        window->topmost = true;
        BringToTopOfBand(handle);
    }
}

void SimWindowStack::SetVisible(HWND handle, bool visible)
{
    SimTopLevel* window = Find(handle);
    if (!window)
        return;
    window->visible = visible;
    if (!visible && foreground_ == handle)
        PassForegroundOn();
}

bool SimWindowStack::SetForeground(HWND handle)
{
    if (handle && !Find(handle))
        return false;
    foreground_ = handle;
    if (handle)
        BringToTopOfBand(handle);
    return true;
}

SimWindowStack::Order::iterator SimWindowStack::Position(HWND handle)
{
    return std::find_if(order_.begin(), order_.end(),
                        [handle](const auto& window) { return window->handle == handle; });
}

void SimWindowStack::InsertAtTopOfBand(std::unique_ptr<SimTopLevel> window)
{
    auto at = order_.begin();
    if (!window->topmost)
        at = std::find_if(order_.begin(), order_.end(),
                          [](const auto& other) { return !other->topmost; });
    order_.insert(at, std::move(window));
}

void SimWindowStack::PassForegroundOn()
{
    foreground_ = nullptr;
    for (const auto& window : order_)
        if (window->IsScripted() && window->visible) {
            foreground_ = window->handle;
            return;
        }
}
