// The foreground window as the probe sees it: which window it is, its title
// and the rectangle a person sees, kept current by X events so that asking
// again while nothing changed costs no round trip. The server is asked only
// about what an event said has changed, and when the foreground moves to
// another window.
//
// No answer is waited for (see x11_questions.h), except the first ones at
// the start, for a moment. A window newly in front is answered once all of
// it is known (its title, its frame extents and its place); until then the
// window known before stays the answer (none if it is gone). Answers come
// within a millisecond from a server that is not flooded, so the probe's
// next call, in the same tick, usually has them.
//
// Another client may change a property as fast as the server lets it: see
// x11_flood_guard.h for how such a flood is kept from costing more than a
// few round trips a tick.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <xcb/xcb.h>

#include "platform/user32_gdi32/win_constants.h"
#include "platform/x11/x11_active_question.h"
#include "platform/x11/x11_event.h"
#include "platform/x11/x11_flood_guard.h"
#include "platform/x11/x11_known_window.h"
#include "platform/x11/x11_manager_check.h"
#include "platform/x11/x11_questions.h"

class X11Connection;

class X11Foreground {
public:
    // `own_mask` tells the event mask this client keeps on a window for its
    // own sake (its form windows, the root); watching a window adds to it.
    X11Foreground(X11Connection& x, X11Questions& questions,
                  std::function<uint32_t(xcb_window_t)> own_mask);
    ~X11Foreground();
    X11Foreground(const X11Foreground&) = delete;
    X11Foreground& operator=(const X11Foreground&) = delete;

    // Every event passes here once, before anything else acts on it.
    void Observe(const X11Event& event);

    // The foreground window, XCB_NONE for none.
    xcb_window_t Active();
    // Whether an answer is awaited about which window is in front or about
    // a window newly there.
    bool Asking() const { return manager_.Asking() || active_.Asked() || newly_in_front_; }
    // Between ticks: takes the answers that came and asks what follows,
    // so that a window newly in front is known in full by the next tick.
    void Progress()
    {
        if (started_)
            Advance();
    }
    // While held (during a tick), the window answered stays the same: the
    // tick reads a title and then edges, and they describe one window.
    void Hold(bool held) { held_ = held; }
    // Whether a window manager that follows the EWMH is running (as of the
    // last answer; events say when to ask again).
    bool ManagerRunning() const { return manager_.Check() != XCB_NONE; }
    // The foreground window's title (at most 127 bytes); false for another
    // window, or one that is gone.
    bool Title(xcb_window_t window, std::string& title);
    // The foreground window's frame as a person sees it, in root
    // coordinates, right and bottom exclusive; false for another window, or
    // one that is gone.
    bool Rect(xcb_window_t window, RECT& rect);
    // How often the root was listened to again after a flood (measuring).
    uint64_t RootListenedAgain() const { return root_rate_.ListenedAgain(); }

private:
    // The first answers, waited for a moment at the start.
    void AwaitFirstAnswers();
    bool FirstAnswersIn() const;
    // Takes every answer that came and asks what is due.
    void Advance();
    void ManagerChanged();
    // Follows the window in front to `now`.
    void Follow(xcb_window_t now);
    void Promote();
    // Stops watching what `known` watched.
    void Release(std::unique_ptr<X11KnownWindow> known);
    X11KnownWindow* Find(xcb_window_t window) const;
    // Stops or resumes listening to property changes on the root and on the
    // windows known, as their rate tells.
    void ObserveRate(xcb_window_t window, xcb_timestamp_t time);
    void ListenAgainWhenDue(int64_t now_ns);
    uint32_t MaskFor(xcb_window_t window) const;
    void Select(xcb_window_t window);
    std::unique_ptr<X11KnownWindow> Know(xcb_window_t window);

    X11Connection& x_;
    X11Questions& questions_;
    std::function<uint32_t(xcb_window_t)> own_mask_;

    X11ManagerCheck manager_;
    bool manager_stale_ = true;
    X11Reread manager_reread_;

    bool started_ = false;
    bool held_ = false;
    bool active_stale_ = true;
    X11Reread active_reread_;
    X11ActiveQuestion active_;
    X11ChangeRate root_rate_;
    // The window answered, and the one newly in front while it is not yet
    // known in full.
    std::unique_ptr<X11KnownWindow> shown_;
    std::unique_ptr<X11KnownWindow> newly_in_front_;
};
