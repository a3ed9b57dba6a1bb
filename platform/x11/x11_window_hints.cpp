#include "platform/x11/x11_window_hints.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>
#include <vector>

#include "platform/toolkit/form_definition.h"
#include "platform/x11/x11_connection.h"

namespace x11_hints {

namespace {

// The Motif hints' layout: flags, functions, decorations, input mode, status.
constexpr long kMotifHintsDecorations = 1L << 1;

void SetAtoms(X11Connection& x, Window window, Atom property, const std::vector<Atom>& atoms)
{
    XChangeProperty(x.display(), window, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(atoms.data()), int(atoms.size()));
}

void SetCardinal(X11Connection& x, Window window, Atom property, long value)
{
    XChangeProperty(x.display(), window, property, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&value), 1);
}

std::vector<Atom> States(X11Connection& x, const FormDefinition& definition, bool above)
{
    const X11Atoms& atoms = x.atoms();
    std::vector<Atom> states;
    if (!definition.ShowInTaskbar) {
        states.push_back(atoms.net_wm_state_skip_taskbar);
        states.push_back(atoms.net_wm_state_skip_pager);
    }
    if (above)
        states.push_back(atoms.net_wm_state_above);
    return states;
}

void SetClass(Display* display, Window window, const FormDefinition& definition,
              const XWMHints* wm_hints)
{
    XClassHint class_hint;
    std::string instance = definition.Name;
    std::string class_name = "Walkers";
    class_hint.res_name = instance.data();
    class_hint.res_class = class_name.data();
    // Also WM_CLIENT_MACHINE and WM_LOCALE_NAME.
    XSetWMProperties(display, window, nullptr, nullptr, nullptr, 0, nullptr,
                     const_cast<XWMHints*>(wm_hints), &class_hint);
}

} // namespace

void SetFormHints(X11Connection& x, Window window, const FormDefinition& definition)
{
    Display* display = x.display();
    const X11Atoms& atoms = x.atoms();

    XWMHints wm_hints{};
    wm_hints.flags = InputHint | StateHint;
    wm_hints.input = True;
    wm_hints.initial_state = NormalState;
    SetClass(display, window, definition, &wm_hints);

    Atom protocols[] = {atoms.wm_delete_window};
    XSetWMProtocols(display, window, protocols, 1);

    if (definition.BorderStyle == 0) {
        long motif[5] = {kMotifHintsDecorations, 0, 0, 0, 0};
        XChangeProperty(display, window, atoms.motif_wm_hints, atoms.motif_wm_hints, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(motif), 5);
    }
    SetAtoms(x, window, atoms.net_wm_window_type, {atoms.net_wm_window_type_normal});
    SetAtoms(x, window, atoms.net_wm_state, States(x, definition, false));
    SetCardinal(x, window, atoms.net_wm_pid, long(getpid()));
    SetCardinal(x, window, atoms.net_wm_user_time, 0);
}

// Whose it is, for a person or a tool looking at the screen's windows.
void SetOverlayHints(X11Connection& x, Window window, const FormDefinition& definition)
{
    SetClass(x.display(), window, definition, nullptr);
    SetCardinal(x, window, x.atoms().net_wm_pid, long(getpid()));
}

void SetTitle(X11Connection& x, Window window, const std::string& title)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(title.data());
    XChangeProperty(x.display(), window, XA_WM_NAME, XA_STRING, 8, PropModeReplace, bytes,
                    int(title.size()));
    XChangeProperty(x.display(), window, x.atoms().net_wm_name, x.atoms().utf8_string, 8,
                    PropModeReplace, bytes, int(title.size()));
}

void SetPlacement(X11Connection& x, Window window, int left, int top, int width, int height)
{
    XSizeHints hints{};
    hints.flags = USPosition | USSize | PPosition | PSize | PMinSize | PMaxSize | PWinGravity;
    hints.x = left;
    hints.y = top;
    hints.width = hints.min_width = hints.max_width = width;
    hints.height = hints.min_height = hints.max_height = height;
    hints.win_gravity = StaticGravity;
    XSetWMNormalHints(x.display(), window, &hints);
}

void SetAbove(X11Connection& x, Window window, const FormDefinition& definition, bool mapped,
              bool above)
{
    const X11Atoms& atoms = x.atoms();
    if (!mapped) {
        SetAtoms(x, window, atoms.net_wm_state, States(x, definition, above));
        return;
    }
    constexpr long kRemove = 0, kAdd = 1, kFromApplication = 1;
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = atoms.net_wm_state;
    message.xclient.format = 32;
    message.xclient.data.l[0] = above ? kAdd : kRemove;
    message.xclient.data.l[1] = long(atoms.net_wm_state_above);
    message.xclient.data.l[2] = 0;
    message.xclient.data.l[3] = kFromApplication;
    XSendEvent(x.display(), x.root(), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &message);
}

void SetDialogHints(X11Connection& x, Window window, const std::string& title)
{
    const X11Atoms& atoms = x.atoms();
    XClassHint class_hint;
    std::string instance = "message";
    std::string class_name = "Walkers";
    class_hint.res_name = instance.data();
    class_hint.res_class = class_name.data();
    XWMHints wm_hints{};
    wm_hints.flags = InputHint | StateHint;
    wm_hints.input = True;
    wm_hints.initial_state = NormalState;
    XSetWMProperties(x.display(), window, nullptr, nullptr, nullptr, 0, nullptr, &wm_hints,
                     &class_hint);
    Atom protocols[] = {atoms.wm_delete_window};
    XSetWMProtocols(x.display(), window, protocols, 1);
    SetAtoms(x, window, atoms.net_wm_window_type, {atoms.net_wm_window_type_dialog});
    SetTitle(x, window, title);
}

} // namespace x11_hints
