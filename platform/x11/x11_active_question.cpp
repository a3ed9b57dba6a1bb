#include "platform/x11/x11_active_question.h"

#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <vector>
#include <xcb/xcb.h>

#include "platform/x11/x11_connection.h"

void X11ActiveQuestion::Ask(bool ewmh)
{
    Forget();
    asked_ = true;
    if (ewmh)
        property_.Ask(x_, x_.root(), x_.atoms().net_active_window, 1);
    else
        focus_.Sent(x_, xcb_get_input_focus(XGetXCBConnection(x_.queries())).sequence);
}

bool X11ActiveQuestion::Take(Window& window)
{
    if (!asked_)
        return false;
    if (property_.Asked()) {
        if (!property_.Take())
            return false;
        // The root is no window in front, whatever the property says.
        std::vector<uint32_t> items;
        const bool named = x11_properties::ParseItems32(property_.Answer(), XA_WINDOW, 1, items) &&
                           !items.empty() && items[0] != x_.root();
        return Answer(named ? items[0] : None, window);
    }
    if (focus_.Pending()) {
        if (!focus_.Take())
            return false;
        const auto* focus = focus_.As<xcb_get_input_focus_reply_t>();
        const Window focused = focus ? focus->focus : None;
        if (focused == None || focused == PointerRoot || focused == x_.root())
            return Answer(None, window);
        top_level_.Start(x_, focused);
    }
    switch (top_level_.Advance()) {
    case X11LayoutLookup::Progress::kFound:
        return Answer(top_level_.Found().top_level, window);
    case X11LayoutLookup::Progress::kGone:
    case X11LayoutLookup::Progress::kIdle:
        return Answer(None, window);
    case X11LayoutLookup::Progress::kAsking:
        break;
    }
    return false;
}

bool X11ActiveQuestion::Answer(Window window, Window& answer)
{
    Forget();
    answer = window;
    return true;
}

void X11ActiveQuestion::Forget()
{
    asked_ = false;
    property_.Forget();
    focus_.Forget();
    top_level_.Forget();
}

