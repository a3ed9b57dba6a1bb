#include "platform/x11/x11_active_question.h"

#include <vector>

#include "platform/x11/x11_connection.h"

X11ActiveQuestion::X11ActiveQuestion(X11Connection& x, X11Questions& questions,
                                     std::function<void(xcb_window_t)> answered)
    : x_(x), questions_(questions), answered_(std::move(answered)), top_level_(questions)
{
}

void X11ActiveQuestion::Ask(bool ewmh)
{
    Forget();
    asked_ = true;
    if (ewmh) {
        property_ = questions_.AskProperty(
            x_.Root(), x_.atoms().net_active_window, 1,
            [this](const x11_properties::PropertyData* answer) {
                property_ = 0;
                // The root is no window in front, whatever the property says.
                std::vector<uint32_t> items;
                const bool named =
                    answer && x11_properties::ParseItems32(*answer, XCB_ATOM_WINDOW, 1, items) &&
                    !items.empty() && items[0] != x_.Root();
                Answer(named ? items[0] : XCB_NONE);
            });
        return;
    }
    focus_ = questions_.AskFocus([this](const xcb_get_input_focus_reply_t* reply) {
        focus_ = 0;
        const xcb_window_t focused = reply ? reply->focus : XCB_NONE;
        if (focused == XCB_NONE || focused == XCB_INPUT_FOCUS_POINTER_ROOT || focused == x_.Root())
            return Answer(XCB_NONE);
        top_level_.Start(focused, [this](X11LayoutLookup::Outcome outcome) {
            Answer(outcome == X11LayoutLookup::Outcome::kFound ? top_level_.Found().top_level
                                                               : XCB_NONE);
        });
    });
}

void X11ActiveQuestion::Answer(xcb_window_t window)
{
    Forget();
    answered_(window);
}

void X11ActiveQuestion::Forget()
{
    asked_ = false;
    questions_.Forget(property_);
    questions_.Forget(focus_);
    top_level_.Forget();
}
