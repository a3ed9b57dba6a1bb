// Where a window lies, asked without waiting (see x11_questions.h): its
// parent, its top level (the ancestor that is a child of the root), the top
// level's geometry and the window's own place in it. The tree is climbed
// one level per answer; each level is asked about as if it were the top
// level (its parent, its geometry and the window's place in it, together),
// so a window one frame deep is known after two answers.
#pragma once

#include <functional>
#include <xcb/xcb.h>

#include "platform/x11/x11_questions.h"

struct X11Geometry {
    int x = 0, y = 0; // the outer corner, in the parent
    int width = 0, height = 0;
    int border = 0;
};

struct X11Layout {
    xcb_window_t parent = XCB_NONE;
    xcb_window_t top_level = XCB_NONE;
    X11Geometry top;                  // the top level, in the root
    X11Geometry client;               // the window itself, in its parent
    int client_dx = 0, client_dy = 0; // its inside corner in the top level's inside
};

class X11LayoutLookup {
public:
    enum class Outcome { kFound, kGone };

    explicit X11LayoutLookup(X11Questions& questions) : questions_(questions) {}
    ~X11LayoutLookup() { Forget(); }
    X11LayoutLookup(const X11LayoutLookup&) = delete;
    X11LayoutLookup& operator=(const X11LayoutLookup&) = delete;

    // Starts over with `window`. `ended` is told once, when the lookup ends:
    // found (the layout is then in Found()), or the window itself is gone.
    void Start(xcb_window_t window, std::function<void(Outcome)> ended);
    bool Busy() const { return asking_; }
    const X11Layout& Found() const { return found_; }
    // Drops the lookup underway; `ended` is not told.
    void Forget();

private:
    // What a level's question found: nothing yet, no answer, or one.
    enum class Answer { kAwaited, kNone, kCame };

    void AskAbout(xcb_window_t level);
    // Goes on once an answer came.
    void Answered();
    void StartOver();
    void End(Outcome outcome);

    X11Questions& questions_;
    std::function<void(Outcome)> ended_;
    bool asking_ = false;
    xcb_window_t window_ = XCB_NONE;
    xcb_window_t level_ = XCB_NONE; // the ancestor being asked about
    X11Questions::Ticket client_asked_ = 0, tree_asked_ = 0, geometry_asked_ = 0, place_asked_ = 0;
    Answer client_ = Answer::kAwaited;   // the window's geometry
    Answer tree_ = Answer::kAwaited;     // the level's parent
    Answer geometry_ = Answer::kAwaited; // the level's geometry
    Answer place_ = Answer::kAwaited;    // the window's place in the level
    X11Geometry client_geometry_, level_geometry_;
    xcb_window_t level_parent_ = XCB_NONE, level_root_ = XCB_NONE;
    int place_x_ = 0, place_y_ = 0;
    X11Layout found_;
};
