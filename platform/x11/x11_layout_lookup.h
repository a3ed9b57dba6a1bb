// Where a window lies, asked without waiting (see x11_reply.h): its parent,
// its top level (the ancestor that is a child of the root), the top
// level's geometry and the window's own place in it. The tree is climbed
// one level per answer; each level is asked about as if it were the top
// level (its parent, its geometry and the window's place in it, together),
// so a window one frame deep is known after two answers.
#pragma once

#include <X11/Xlib.h>

#include "platform/x11/x11_reply.h"

class X11Connection;

struct X11Geometry {
    int x = 0, y = 0; // the outer corner, in the parent
    int width = 0, height = 0;
    int border = 0;
};

struct X11Layout {
    Window parent = None;
    Window top_level = None;
    X11Geometry top;                  // the top level, in the root
    X11Geometry client;               // the window itself, in its parent
    int client_dx = 0, client_dy = 0; // its inside corner in the top level's inside
};

class X11LayoutLookup {
public:
    enum class Progress { kIdle, kAsking, kFound, kGone };

    // Starts over with `window`.
    void Start(X11Connection& x, Window window);
    bool Busy() const { return asking_; }
    // Takes the answers that came and asks what follows. kFound or kGone
    // (the window itself is gone) once, when the lookup ends; the layout is
    // then in Found().
    Progress Advance();
    const X11Layout& Found() const { return found_; }
    void Forget();

private:
    void AskAbout(Window level);
    Progress End(Progress progress);
    Progress StartOver();

    X11Connection* x_ = nullptr;
    bool asking_ = false;
    Window window_ = None;
    Window level_ = None; // the ancestor being asked about
    X11Reply client_;     // the window's geometry
    X11Reply tree_;       // the level's parent
    X11Reply geometry_;   // the level's geometry
    X11Reply place_;      // the window's place in the level
    X11Layout found_;
};
