#include "platform/x11/x11_wm_hints.h"

#include <clocale>
#include <cstring>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

#include "platform/toolkit/form_definition.h"
#include "platform/x11/x11_connection.h"

namespace x11_hints {

namespace {

// WM_HINTS (nine CARD32s): flags, input, initial state, then icon and group
// fields this program leaves empty.
constexpr uint32_t kInputHint = 1u << 0;
constexpr uint32_t kStateHint = 1u << 1;
constexpr uint32_t kNormalState = 1;
constexpr int kWmHintsItems = 9;

// WM_NORMAL_HINTS (WM_SIZE_HINTS, eighteen CARD32s): flags, x, y, width,
// height, minimum and maximum sizes, increments, aspects, base size and
// gravity.
constexpr uint32_t kUSPosition = 1u << 0;
constexpr uint32_t kUSSize = 1u << 1;
constexpr uint32_t kPPosition = 1u << 2;
constexpr uint32_t kPSize = 1u << 3;
constexpr uint32_t kPMinSize = 1u << 4;
constexpr uint32_t kPMaxSize = 1u << 5;
constexpr uint32_t kPWinGravity = 1u << 9;
constexpr uint32_t kStaticGravity = 10;
constexpr int kSizeHintsItems = 18;

// The Motif hints' layout: flags, functions, decorations, input mode, status.
constexpr uint32_t kMotifHintsDecorations = 1u << 1;

void Set32(X11Connection& x, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
           const uint32_t* items, std::size_t count)
{
    xcb_change_property(x.Main(), XCB_PROP_MODE_REPLACE, window, property, type, 32,
                        uint32_t(count), items);
}

void Set8(X11Connection& x, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
          const char* bytes, std::size_t count)
{
    xcb_change_property(x.Main(), XCB_PROP_MODE_REPLACE, window, property, type, 8, uint32_t(count),
                        bytes);
}

void SetAtoms(X11Connection& x, xcb_window_t window, xcb_atom_t property,
              const std::vector<xcb_atom_t>& atoms)
{
    Set32(x, window, property, XCB_ATOM_ATOM, atoms.data(), atoms.size());
}

void SetCardinal(X11Connection& x, xcb_window_t window, xcb_atom_t property, uint32_t value)
{
    Set32(x, window, property, XCB_ATOM_CARDINAL, &value, 1);
}

std::vector<xcb_atom_t> States(X11Connection& x, const FormDefinition& definition, bool above)
{
    const X11Atoms& atoms = x.atoms();
    std::vector<xcb_atom_t> states;
    if (!definition.ShowInTaskbar) {
        states.push_back(atoms.net_wm_state_skip_taskbar);
        states.push_back(atoms.net_wm_state_skip_pager);
    }
    if (above)
        states.push_back(atoms.net_wm_state_above);
    return states;
}

// WM_CLASS, with what every client's window carries beside it: the machine
// it runs on and its locale, for session managers and for tools that list
// windows.
void SetClass(X11Connection& x, xcb_window_t window, const std::string& instance)
{
    const std::string both = instance + '\0' + "Walkers" + '\0';
    Set8(x, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, both.data(), both.size());
    utsname names{};
    if (uname(&names) == 0 && names.nodename[0])
        Set8(x, window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, names.nodename,
             std::strlen(names.nodename));
    if (const char* locale = std::setlocale(LC_CTYPE, nullptr))
        Set8(x, window, x.atoms().wm_locale_name, XCB_ATOM_STRING, locale, std::strlen(locale));
}

// Takes the keyboard when clicked, and starts shown rather than iconic.
void SetInputAndState(X11Connection& x, xcb_window_t window)
{
    const uint32_t hints[kWmHintsItems] = {kInputHint | kStateHint, 1, kNormalState};
    Set32(x, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, hints, kWmHintsItems);
}

void SetDeleteProtocol(X11Connection& x, xcb_window_t window)
{
    SetAtoms(x, window, x.atoms().wm_protocols, {x.atoms().wm_delete_window});
}

void SetSizeHints(X11Connection& x, xcb_window_t window, uint32_t flags, int left, int top,
                  int width, int height)
{
    uint32_t hints[kSizeHintsItems] = {};
    hints[0] = flags;
    hints[1] = uint32_t(left);
    hints[2] = uint32_t(top);
    hints[3] = hints[5] = hints[7] = uint32_t(width);  // width, minimum, maximum
    hints[4] = hints[6] = hints[8] = uint32_t(height); // height, minimum, maximum
    if (flags & kPWinGravity)
        hints[17] = kStaticGravity;
    Set32(x, window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, hints, kSizeHintsItems);
}

} // namespace

void SetFormHints(X11Connection& x, xcb_window_t window, const FormDefinition& definition)
{
    const X11Atoms& atoms = x.atoms();
    SetClass(x, window, definition.Name);
    SetInputAndState(x, window);
    SetDeleteProtocol(x, window);
    if (definition.BorderStyle == 0) {
        const uint32_t motif[5] = {kMotifHintsDecorations, 0, 0, 0, 0};
        Set32(x, window, atoms.motif_wm_hints, atoms.motif_wm_hints, motif, 5);
    }
    SetAtoms(x, window, atoms.net_wm_window_type, {atoms.net_wm_window_type_normal});
    SetAtoms(x, window, atoms.net_wm_state, States(x, definition, false));
    SetCardinal(x, window, atoms.net_wm_pid, uint32_t(getpid()));
    SetCardinal(x, window, atoms.net_wm_user_time, 0);
}

// Whose it is, for a person or a tool looking at the screen's windows.
void SetOverlayHints(X11Connection& x, xcb_window_t window, const FormDefinition& definition)
{
    SetClass(x, window, definition.Name);
    SetCardinal(x, window, x.atoms().net_wm_pid, uint32_t(getpid()));
}

void SetTitle(X11Connection& x, xcb_window_t window, const std::string& title)
{
    Set8(x, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, title.data(), title.size());
    Set8(x, window, x.atoms().net_wm_name, x.atoms().utf8_string, title.data(), title.size());
}

void SetPlacement(X11Connection& x, xcb_window_t window, int left, int top, int width, int height)
{
    SetSizeHints(x, window,
                 kUSPosition | kUSSize | kPPosition | kPSize | kPMinSize | kPMaxSize | kPWinGravity,
                 left, top, width, height);
}

void SetAbove(X11Connection& x, xcb_window_t window, const FormDefinition& definition, bool mapped,
              bool above)
{
    const X11Atoms& atoms = x.atoms();
    if (!mapped) {
        SetAtoms(x, window, atoms.net_wm_state, States(x, definition, above));
        return;
    }
    constexpr uint32_t kRemove = 0, kAdd = 1, kFromApplication = 1;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atoms.net_wm_state;
    message.data.data32[0] = above ? kAdd : kRemove;
    message.data.data32[1] = atoms.net_wm_state_above;
    message.data.data32[2] = 0;
    message.data.data32[3] = kFromApplication;
    xcb_send_event(x.Main(), 0, x.Root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}

void SetDialogHints(X11Connection& x, xcb_window_t window, const std::string& title)
{
    const X11Atoms& atoms = x.atoms();
    SetClass(x, window, "message");
    SetInputAndState(x, window);
    SetDeleteProtocol(x, window);
    SetAtoms(x, window, atoms.net_wm_window_type, {atoms.net_wm_window_type_dialog});
    SetTitle(x, window, title);
}

void SetDialogPlacement(X11Connection& x, xcb_window_t window, int left, int top, int width,
                        int height)
{
    SetSizeHints(x, window, kPPosition | kPSize | kPMinSize | kPMaxSize, left, top, width, height);
}

} // namespace x11_hints
