// The toolkit's message box on X11: a small modal window with the text and
// one OK button. It returns when OK is clicked, Enter, Escape or space is
// pressed, or the window is closed. Meanwhile the program's timers wait and
// its other events are kept for afterwards.
//
// The box sees the program's event loop only through X11MessageLoop, so it
// knows nothing else of the backend that shows it.
#pragma once

#include <string>
#include <vector>
#include <xcb/xcb.h>

#include "platform/x11/x11_event.h"

class X11Connection;

// What the box needs of the program's event loop.
class X11MessageLoop {
public:
    virtual ~X11MessageLoop() = default;
    virtual X11Connection& Connection() = 0;
    // Reads what arrived, without waiting.
    virtual void Drain() = 0;
    // The next event to act on; false when none is at hand.
    virtual bool TakeEvent(X11Event& event) = 0;
    // Events taken but not for the box, ahead of the rest.
    virtual void GiveBack(const std::vector<X11Event>& events) = 0;
    // Until something arrives (-1: for ever).
    virtual void Wait(int timeout_ms) = 0;
};

class X11MessageBox {
public:
    X11MessageBox(X11MessageLoop& loop, const std::string& text);
    ~X11MessageBox();
    X11MessageBox(const X11MessageBox&) = delete;
    X11MessageBox& operator=(const X11MessageBox&) = delete;

    void Run();

private:
    // A line of text in the pieces ImageText8 takes, each with its width.
    struct Line {
        std::vector<std::string> pieces;
        std::vector<int> widths;
        int Width() const;
    };

    // The font's metrics, each line's width and the keys that dismiss the
    // box, asked all at once.
    void Measure();
    void Draw();
    void DrawLine(int left, int baseline, const Line& line);
    // True when the event dismisses the box.
    bool Handle(const X11Event& event);
    bool InButton(int x, int y) const;

    X11MessageLoop& loop_;
    X11Connection& x_;
    std::vector<Line> lines_;
    Line label_;
    xcb_font_t font_ = XCB_NONE; // none when `fixed` could not be opened
    int ascent_ = 11;
    int line_height_ = 14;
    std::vector<xcb_keycode_t> dismiss_keys_;
    xcb_window_t window_ = XCB_NONE;
    xcb_gcontext_t gc_ = XCB_NONE;
    int width_ = 0, height_ = 0;
    xcb_rectangle_t button_{};
};
