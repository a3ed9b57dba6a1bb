// The X11 desktop: the toolkit's backend and the desktop behind the
// project's user32 calls at once. Form windows are real top-level windows,
// shaped by their window region; the probe's questions are answered from
// the focus source chosen at start: the window manager's _NET_ACTIVE_WINDOW,
// kept current by X events, or a desktop's own (GNOME Shell's extension,
// over the session bus, which the loop polls beside the display).
//
// Events pass through two steps. Observe takes note of an event at once,
// wherever it is read (also while the probe drains the queue in the middle
// of a tick): the foreground window's state, the screen's size, a form
// window covered by another. Act runs what the program sees as an event (a
// click, a close), and only in the event loop or DoEvents: events read by
// the probe wait in `deferred_` until then.
#pragma once

#include <X11/Xlib.h>
#include <deque>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/shared/loop_source.h"
#include "platform/shared/poll_timers.h"
#include "platform/toolkit/backend.h"
#include "platform/user32_gdi32/user32_desktop.h"
#include "platform/x11/x11_backend_setup.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_event_reader.h"
#include "platform/x11/x11_foreground.h"
#include "platform/x11/x11_painter.h"
#include "platform/x11/x11_pictures.h"
#include "platform/x11/x11_stats.h"

class X11FormWindow;

class X11Backend final : public Backend, public User32Desktop {
public:
    // Takes the open display (the caller closes it after the backend).
    explicit X11Backend(Display* display) : X11Backend(display, X11BackendSetup{}) {}
    X11Backend(Display* display, X11BackendSetup setup);
    ~X11Backend() override;
    X11Backend(const X11Backend&) = delete;
    X11Backend& operator=(const X11Backend&) = delete;

    // --- Backend
    std::unique_ptr<NativeWindow> NewWindow(Form& form) override;
    void StartTimer(Timer& timer, int interval_ms) override;
    void StopTimer(Timer& timer) override;
    void ProcessPendingEvents() override;
    void RunLoop() override;
    void ShowMessage(const std::string& text) override;
    float TwipsPerPixelX() override { return kTwipsPerPixel; }
    float TwipsPerPixelY() override { return kTwipsPerPixel; }
    // The program's pixels: the screen's divided by the scale.
    int ScreenWidthPixels() override { return x_.RootWidth() / x_.Scale(); }
    int ScreenHeightPixels() override { return x_.RootHeight() / x_.Scale(); }

    // --- User32Desktop
    HWND ForegroundWindow() override;
    int WindowText(HWND hwnd, char* buffer, int max_count) override;
    bool WindowRect(HWND hwnd, RECT* rect) override;
    int SystemMetric(int index) override;
    bool SetWindowRegion(HWND hwnd, HRGN region, bool redraw) override;
    bool SetWindowPosition(HWND hwnd, HWND insert_after, int x, int y, int cx, int cy,
                           unsigned flags) override;

    // --- For the windows and the message box.
    X11Connection& Connection() { return x_; }
    X11Painter& Painter() { return painter_; }
    X11Pictures& Pictures() { return pictures_; }
    // Whether a batch of pictures drawn under their outlines is drawn by the
    // server from its own copies (the normal way), or every drawing goes
    // into the window's image and its pixels are sent (the way any other
    // drawing takes; WALKERS_X11_CLIENT_IMAGE chooses it for everything, to
    // measure one against the other). Takes effect at a window's next clear.
    bool DrawsPicturesOnServer() const { return pictures_on_server_; }
    void DrawPicturesOnServer(bool on) { pictures_on_server_ = on; }
    // The form window a handle names, or null.
    X11FormWindow* FindForm(HWND hwnd) const;
    void Register(Window window, X11FormWindow* form_window);
    void Unregister(Window window);
    // Polls `source` beside the display from now on (the session bus); it
    // must outlive the backend's loop.
    void Watch(LoopSource& source) { watched_.push_back(&source); }
    // Reads what the server has sent without waiting and observes it;
    // events to act on are kept for the loop.
    void Drain();
    // Waits (at most `timeout_ms`, -1 for ever) until the server sends
    // something or a timer is due.
    void Wait(int timeout_ms);
    // Takes the next event to act on, if any is at hand.
    bool TakeEvent(XEvent& event);
    // Gives back events taken but not acted on, ahead of the rest.
    void GiveBack(const std::vector<XEvent>& events);
    // Observes an event taken straight from Xlib.
    void Observe(const XEvent& event);
    const X11Stats& Stats() const { return stats_; }
    const X11Foreground& Foreground() const { return foreground_; }
    // How many events wait to be acted on.
    std::size_t KeptEvents() const { return deferred_.size(); }
    void ReportStats();

    static constexpr float kTwipsPerPixel = 15.0f; // 96 dots per inch

private:
    X11FormWindow* FindForm(Window window) const;
    long OwnEventMask(Window window) const;
    void DrainForProbe();
    // What the focus source said, as of the last read, observation or turn
    // of a watched source.
    const std::optional<FocusedWindow>& ProbeFocus();
    // Forgets the probe's answers if anything was read or observed since.
    void FreshenProbe();
    void Collect(bool read_socket);
    bool ReadIsDue() const;
    bool WorthKeeping(const XEvent& event) const;
    // How long what was read is enough: the probe does not read again
    // sooner, nor does the loop wait on a socket that had something.
    static constexpr int64_t kReadInterval = 1'000'000;
    void Act(const XEvent& event);
    // Lets each watched source (and the focus source) take what the wait
    // found for it; ends the program when one is gone.
    void ProcessSources(int waited_ms);
    void PollSourcesNow();
    void FireDueTimers();

    X11Connection x_;
    X11EventReader events_;
    X11Foreground foreground_;
    std::unique_ptr<FocusSource> focus_;
    std::vector<LoopSource*> watched_;
    uint64_t source_turns_ = 0; // turns in which a source took something
    std::vector<pollfd> poll_set_;
    X11Painter painter_;
    X11Pictures pictures_;
    bool pictures_on_server_;
    PollTimers timers_;
    std::unordered_map<Window, X11FormWindow*> windows_;
    std::deque<XEvent> deferred_;
    int64_t last_read_ns_ = 0;
    unsigned long flushed_up_to_ = 0; // NextRequest at the last flush
    bool just_waited_ = false;     // the loop's wait came right before
    bool socket_readable_ = false; // and found something to read
    bool read_found_events_ = false;   // the last turn's reads of the socket did
    bool read_emptied_socket_ = false; // and its last read found it empty
    int64_t last_events_ns_ = 0;       // when a read last found events
    uint64_t settled_sends_ = 0;       // Xlib's noted writes when it last read
    X11Stats stats_;

    // The probe's answers since the last read: a tick asks about the same
    // window some two hundred times in a fraction of a millisecond, and
    // until something is read, observed or answered no answer can change.
    struct ProbeAnswers {
        int64_t read_ns = -1;
        uint64_t events = 0;
        uint64_t answers = 0;
        uint64_t source_turns = 0;
        bool focus_known = false;
        std::optional<FocusedWindow> focus;
    } probe_;
    unsigned probe_questions_ = 0;
};
