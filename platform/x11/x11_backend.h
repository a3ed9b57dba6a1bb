// The X11 desktop: the toolkit's backend. Form windows are real top-level
// windows, shaped by their window region; the probe's questions are
// answered (x11_desktop_calls.h) from the focus source chosen at start:
// the window manager's _NET_ACTIVE_WINDOW, kept current by X events, or a
// desktop's own (GNOME Shell's extension, over the session bus, which the
// loop polls beside the display).
//
// Events pass through two steps. Observe takes note of an event at once,
// wherever it is read (also while the probe reads in the middle of a
// tick): the foreground window's state, the screen's size, a form window
// covered by another. Act runs what the program sees as an event (a click,
// a close), and only in the event loop or DoEvents: events read by the
// probe wait in the loop until then.
#pragma once

#include <memory>
#include <string>

#include "platform/toolkit/backend.h"
#include "platform/x11/x11_backend_setup.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_desktop_calls.h"
#include "platform/x11/x11_event_loop.h"
#include "platform/x11/x11_foreground.h"
#include "platform/x11/x11_message_box.h"
#include "platform/x11/x11_pixel_upload.h"
#include "platform/x11/x11_questions.h"
#include "platform/x11/x11_server_drawing.h"
#include "platform/x11/x11_stats.h"
#include "platform/x11/x11_window_registry.h"

class X11FormWindow;

class X11Backend final : public Backend,
                         public X11MessageLoop,
                         private X11EventLoop::Observer {
public:
    X11Backend(std::unique_ptr<X11Connection> connection, X11BackendSetup setup = {});
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
    int ScreenWidthPixels() override { return x_->RootWidth() / x_->Scale(); }
    int ScreenHeightPixels() override { return x_->RootHeight() / x_->Scale(); }

    // The Windows calls' desktop on this display.
    User32Desktop& Desktop() { return desktop_; }
    // Polls `source` beside the display from now on (the session bus); it
    // must outlive the backend's loop.
    void Watch(LoopSource& source) { loop_.Watch(source); }
    // WALKERS_X11_STATS's line.
    void ReportStats();

    // --- X11MessageLoop: the message box's modal loop runs on this one.
    X11Connection& Connection() override { return *x_; }
    void Drain() override { loop_.Drain(); }
    bool TakeEvent(X11Event& event) override { return loop_.TakeEvent(event); }
    void GiveBack(const std::vector<X11Event>& events) override { loop_.GiveBack(events); }
    void Wait(int timeout_ms) override { loop_.Wait(timeout_ms); }

    // --- For tests and measuring.
    X11EventLoop& Loop() { return loop_; }
    const X11Questions& Questions() const { return questions_; }
    const X11Foreground& Foreground() const { return foreground_; }
    const X11Stats& Stats() const { return stats_; }
    const X11ServerDrawing& Drawing() const { return drawing_; }
    const X11PixelUpload& Upload() const { return upload_; }
    X11FormWindow* FindForm(HWND hwnd) const { return registry_.Find(hwnd); }
    // Whether a batch of pictures drawn under their outlines is drawn by the
    // server from its own copies (the normal way), or every drawing goes
    // into the window's image and its pixels are sent (the way any other
    // drawing takes; WALKERS_X11_CLIENT_IMAGE chooses it for everything, to
    // measure one against the other). Takes effect at a window's next clear.
    void DrawPicturesOnServer(bool on) { pictures_on_server_ = on; }

    static constexpr float kTwipsPerPixel = 15.0f; // 96 dots per inch

private:
    // --- X11EventLoop::Observer
    void Observe(const X11Event& event) override;
    uint32_t OwnEventMask(xcb_window_t window) const;
    void Act(const X11Event& event);
    void FireDueTimers();

    std::unique_ptr<X11Connection> x_;
    X11Stats stats_;
    X11Questions questions_;
    X11Foreground foreground_;
    std::unique_ptr<FocusSource> focus_;
    X11EventLoop loop_;
    X11PixelUpload upload_;
    X11ServerDrawing drawing_;
    X11WindowRegistry registry_;
    bool pictures_on_server_;
    X11DesktopCalls desktop_;
};
