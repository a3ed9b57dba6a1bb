// The program's own X windows and the form window each belongs to (two X
// windows make one form window), for events and handles to find them by.
#pragma once

#include <unordered_map>
#include <xcb/xcb.h>

#include "platform/user32_gdi32/win_types.h"

class X11FormWindow;

class X11WindowRegistry {
public:
    void Add(xcb_window_t window, X11FormWindow* form_window) { windows_[window] = form_window; }
    void Remove(xcb_window_t window) { windows_.erase(window); }
    // The form window an X window belongs to, or null.
    X11FormWindow* Find(xcb_window_t window) const
    {
        auto found = windows_.find(window);
        return found == windows_.end() ? nullptr : found->second;
    }
    // The form window a handle names, or null.
    X11FormWindow* Find(HWND hwnd) const
    {
        return Find(xcb_window_t(reinterpret_cast<uintptr_t>(hwnd)));
    }
    const std::unordered_map<xcb_window_t, X11FormWindow*>& All() const { return windows_; }

private:
    std::unordered_map<xcb_window_t, X11FormWindow*> windows_;
};
