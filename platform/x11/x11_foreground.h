// The foreground window as the probe sees it: which window it is, its title
// and the rectangle a person sees, kept current by X events so that asking
// again while nothing changed costs no round trip. The server is asked only
// about what an event said has changed, and when the foreground moves to
// another window.
//
// No answer is waited for (see x11_reply.h), except the first ones at the
// start, for a moment. A window newly in front is answered once all of it
// is known (its title, its frame extents and its place); until then the
// window known before stays the answer (None if it is gone). Answers come
// within a millisecond from a server that is not flooded, so the probe's
// next call, in the same tick, usually has them.
//
// Another client may change a property as fast as the server lets it: what
// an event marks stale is read again at most once per interval, so a flood
// of changes costs a few round trips a tick, not one per question.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "platform/user32_gdi32/win_constants.h"
#include "platform/x11/x11_active_question.h"
#include "platform/x11/x11_change_rate.h"
#include "platform/x11/x11_frame_rect.h"
#include "platform/x11/x11_layout_lookup.h"
#include "platform/x11/x11_manager_check.h"
#include "platform/x11/x11_property_request.h"

class X11Connection;

class X11Foreground {
public:
    // `own_mask` tells the event mask this client keeps on a window for its
    // own sake (its form windows, the root); watching a window adds to it.
    X11Foreground(X11Connection& x, std::function<long(Window)> own_mask);
    ~X11Foreground();
    X11Foreground(const X11Foreground&) = delete;
    X11Foreground& operator=(const X11Foreground&) = delete;

    // Every event passes here once, before anything else acts on it.
    void Observe(const XEvent& event);

    // The foreground window, None for none.
    Window Active();
    // Whether an answer is awaited about which window is in front or about
    // a window newly there.
    bool Asking() const { return manager_.Asking() || active_.Asked() || coming_; }
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
    bool ManagerRunning() const { return manager_.Check() != None; }
    // Selects the window's events anew: its own mask, and what watching it
    // adds if it is watched.
    void Reselect(Window window);
    // The foreground window's title (at most 127 bytes); false for another
    // window, or one that is gone.
    bool Title(Window window, std::string& title);
    // The foreground window's frame as a person sees it, in root
    // coordinates, right and bottom exclusive; false for another window, or
    // one that is gone.
    bool Rect(Window window, RECT& rect);
    // How often the root was listened to again after a flood (measuring).
    uint64_t RootListenedAgain() const { return root_rate_.ListenedAgain(); }

private:
    // When something was last read: long enough ago that it is due.
    static constexpr int64_t kNeverRead = std::numeric_limits<int64_t>::min() / 2;

    // Two properties asked for together: a title's two names, or the two
    // kinds of frame extents.
    struct PropertyPair {
        x11_properties::PropertyRequest first, second;
        bool Asked() const { return first.Asked(); }
        // True once both answers came.
        bool Take()
        {
            const bool first_came = first.Take();
            return second.Take() && first_came;
        }
        void Forget()
        {
            first.Forget();
            second.Forget();
        }
    };

    // What is known of one window, which parts need asking again, and the
    // questions underway.
    struct Known {
        Window window = None;
        bool gone = false;
        int64_t look_again_ns = 0; // when to read everything once more, 0 for never
                                   // (for None: when it is the answer)
        X11ChangeRate rate;

        bool title_stale = true;
        bool title_known = false; // answered once at least
        int64_t title_read_ns = kNeverRead;
        bool has_title = false;
        std::string title;
        PropertyPair title_asked;

        bool extents_stale = true;
        bool extents_known = false;
        int64_t extents_read_ns = kNeverRead;
        x11_frame::Extents frame_extents;
        x11_frame::Extents gtk_extents;
        PropertyPair extents_asked;

        bool layout_stale = true;
        bool layout_known = false;
        int64_t layout_read_ns = kNeverRead;
        X11Layout layout;
        X11LayoutLookup layout_asked;

        bool Complete(int64_t now_ns) const
        {
            if (window == None)
                return now_ns >= look_again_ns;
            return gone || (title_known && extents_known && layout_known);
        }
    };

    // Whether something stale may be read again now; if so, notes the read.
    // While a window is not listened to, its state is always stale and read
    // again at a slower pace.
    static bool Due(bool stale, int64_t& read_ns, bool deaf = false,
                    int64_t interval = 10'000'000);
    // The first answers, waited for a moment at the start.
    void AwaitFirstAnswers();
    bool Settled() const;
    // Takes every answer that came and asks what is due.
    void Advance();
    void ManagerDecided(Window check_before, bool ewmh_before);
    // Follows the window in front to `now`.
    void Follow(Window now);
    void Promote();
    // Stops watching what `known` watched.
    void Release(std::unique_ptr<Known> known);
    Known* Find(Window window) const;
    // Stops or resumes listening to property changes on the root and on the
    // windows known, as their rate tells.
    void ObserveRate(Window window, Time time);
    void ListenAgainWhenDue();
    long MaskFor(Window window) const;
    void Select(Window window);
    // Asks what is stale about `known` and takes what was answered.
    void Refresh(Known& known);
    void RefreshTitle(Known& known);
    void RefreshExtents(Known& known);
    void RefreshLayout(Known& known);
    void ObserveConfigure(Known& known, const XConfigureEvent& event);
    static RECT VisibleRect(const Known& known);

    X11Connection& x_;
    std::function<long(Window)> own_mask_;

    X11ManagerCheck manager_;
    bool manager_stale_ = true;
    int64_t manager_read_ns_ = kNeverRead;

    bool started_ = false;
    bool held_ = false;
    bool active_stale_ = true;
    int64_t active_read_ns_ = kNeverRead;
    X11ActiveQuestion active_;
    X11ChangeRate root_rate_;
    // The window answered, and the one newly in front while it is not yet
    // known in full.
    std::unique_ptr<Known> shown_;
    std::unique_ptr<Known> coming_;
};
