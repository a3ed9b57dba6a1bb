// Questions to the server about a window, each one round trip on the
// connection for questions, counted and timed. A window that is gone
// answers false, never an error.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>
#include <vector>

class X11Connection;

namespace x11_properties {

// Up to `max_items` items of a 32-bit property of the given type (XA_ATOM,
// XA_CARDINAL, XA_WINDOW), from item `offset` on. False when the property
// or the window is missing, or the property is of another type or format.
// `more` (when given) tells whether items follow the ones read.
bool ReadItems32(X11Connection& x, Window window, Atom property, Atom type, long max_items,
                 std::vector<uint32_t>& items, long offset = 0, bool* more = nullptr);

// The window's parent and its top-level: the ancestor that is a child of the
// root (the window itself when its parent is the root).
bool FindTopLevel(X11Connection& x, Window window, Window& parent, Window& top_level);

struct Geometry {
    int x = 0, y = 0; // the outer corner, in the parent
    int width = 0, height = 0;
    int border = 0;
};
bool ReadGeometry(X11Connection& x, Window window, Geometry& geometry);

// Where the inside corner of `window` lies in `relative_to`'s inside.
bool TranslateOrigin(X11Connection& x, Window window, Window relative_to, int& dx, int& dy);

} // namespace x11_properties
