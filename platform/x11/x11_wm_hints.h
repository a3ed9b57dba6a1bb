// What a form window tells the window manager: its names, that it has no
// decorations and no taskbar or pager entry, where it wants to be, and
// whether it stays above the others. Every property is written on the main
// connection, as a request without a reply.
#pragma once

#include <string>
#include <xcb/xcb.h>

class X11Connection;
struct FormDefinition;

namespace x11_hints {

// Before the window is first mapped: class, protocols, input, decorations,
// type and states. A window shown on request starts unfocused
// (_NET_WM_USER_TIME 0), so the program does not take the foreground from
// the window the figures walk on.
void SetFormHints(X11Connection& x, xcb_window_t window, const FormDefinition& definition);
// The overlay that shows a form's pixels: its class and process, no more.
void SetOverlayHints(X11Connection& x, xcb_window_t window, const FormDefinition& definition);

// WM_NAME and _NET_WM_NAME (UTF-8).
void SetTitle(X11Connection& x, xcb_window_t window, const std::string& title);

// The exact place and size, which the user chose (USPosition): a borderless
// canvas at 0,0 must land at 0,0.
void SetPlacement(X11Connection& x, xcb_window_t window, int left, int top, int width, int height);

// _NET_WM_STATE_ABOVE: in the property before the window is mapped, by a
// message to the root afterwards, as the window manager expects.
void SetAbove(X11Connection& x, xcb_window_t window, const FormDefinition& definition, bool mapped,
              bool above);

// A small dialog: a title, a type and the close button's protocol.
void SetDialogHints(X11Connection& x, xcb_window_t window, const std::string& title);
// The dialog's place and fixed size, which the program chose (PPosition):
// a window manager may still place it as it likes.
void SetDialogPlacement(X11Connection& x, xcb_window_t window, int left, int top, int width,
                        int height);

} // namespace x11_hints
