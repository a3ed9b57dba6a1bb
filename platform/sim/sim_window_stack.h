// The top-level windows of the simulated desktop in z-order, and which one
// is in the foreground.
//
// As on Windows, topmost windows form a band above all others, and a window
// brought forward goes to the top of its own band. A window becomes the
// foreground window only on purpose (the test says so, or a click lands on
// it); when the foreground window is hidden or goes away, the top visible
// scripted window takes its place.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/winapi.h"

class SimFormWindow;

// One top-level window: a scripted one (another program's, driven by the
// test) or the window of a loaded form.
struct SimTopLevel {
    HWND handle = nullptr;
    std::string title;
    RECT rect{};
    bool visible = true;
    bool topmost = false;
    SimFormWindow* form = nullptr; // null for a scripted window
    int clicks_received = 0;       // counted for scripted windows

    bool IsScripted() const { return form == nullptr; }
};

class SimWindowStack {
public:
    // Puts the window on top of its band under a fresh handle.
    SimTopLevel& Add(SimTopLevel window);
    void Remove(HWND handle);
    SimTopLevel* Find(HWND handle);
    const SimTopLevel* Find(HWND handle) const;

    void BringToTopOfBand(HWND handle);
    void MakeTopmost(HWND handle);
    void SetVisible(HWND handle, bool visible);

    HWND Foreground() const { return foreground_; }
    // Null means no foreground window; an unknown handle changes nothing.
    bool SetForeground(HWND handle);

    const std::vector<std::unique_ptr<SimTopLevel>>& TopFirst() const { return order_; }

private:
    using Order = std::vector<std::unique_ptr<SimTopLevel>>;
    Order::iterator Position(HWND handle);
    void InsertAtTopOfBand(std::unique_ptr<SimTopLevel> window);
    void PassForegroundOn();

    Order order_; // top first
    HWND foreground_ = nullptr;
    // Handles are numbered afresh for every desktop, so runs are repeatable.
    uintptr_t next_handle_ = 0x10010;
};
