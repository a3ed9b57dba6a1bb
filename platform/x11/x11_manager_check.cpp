#include "platform/x11/x11_manager_check.h"

#include <algorithm>
#include <vector>

#include "platform/x11/x11_connection.h"

namespace {

// _NET_SUPPORTED is read in pieces of this many atoms, up to the most a
// property can sensibly list, until _NET_ACTIVE_WINDOW is found.
constexpr uint32_t kSupportedPiece = 16384;
constexpr uint32_t kSupportedMost = 1 << 18;

// The window a one-item window property names, XCB_NONE for anything else
// (or no answer).
xcb_window_t NamedWindow(const x11_properties::PropertyData* answer)
{
    std::vector<uint32_t> items;
    if (answer && x11_properties::ParseItems32(*answer, XCB_ATOM_WINDOW, 1, items) &&
        !items.empty())
        return items[0];
    return XCB_NONE;
}

} // namespace

X11ManagerCheck::X11ManagerCheck(X11Connection& x, X11Questions& questions,
                                 std::function<void(xcb_window_t)> reselect,
                                 std::function<void()> changed)
    : x_(x), questions_(questions), reselect_(std::move(reselect)), changed_(std::move(changed))
{
}

void X11ManagerCheck::Ask()
{
    if (named_ != XCB_NONE) {
        const xcb_window_t dropped = named_;
        named_ = XCB_NONE;
        reselect_(dropped);
    }
    AskProperty(x_.Root(), x_.atoms().net_supporting_wm_check, 1, 0, Stage::kRootCheck);
}

void X11ManagerCheck::AskProperty(xcb_window_t window, xcb_atom_t property, uint32_t length,
                                  uint32_t offset, Stage stage)
{
    questions_.Forget(asked_);
    asked_ = questions_.AskProperty(
        window, property, length,
        [this](const x11_properties::PropertyData* answer) {
            asked_ = 0;
            Answered(answer);
        },
        offset);
    stage_ = stage;
}

void X11ManagerCheck::AskSupported(uint32_t offset)
{
    offset_ = offset;
    AskProperty(x_.Root(), x_.atoms().net_supported, kSupportedPiece, offset, Stage::kSupported);
}

void X11ManagerCheck::Answered(const x11_properties::PropertyData* answer)
{
    switch (stage_) {
    case Stage::kRootCheck: {
        const xcb_window_t named = NamedWindow(answer);
        if (named == XCB_NONE || named == x_.Root())
            return Decide(XCB_NONE, false);
        // Watched before it is asked about: an end after the answer is
        // heard of.
        named_ = named;
        reselect_(named);
        return AskProperty(named, x_.atoms().net_supporting_wm_check, 1, 0, Stage::kOwnCheck);
    }
    case Stage::kOwnCheck:
        if (NamedWindow(answer) != named_)
            return Decide(XCB_NONE, false);
        return AskSupported(0);
    case Stage::kSupported: {
        std::vector<uint32_t> items;
        if (!answer ||
            !x11_properties::ParseItems32(*answer, XCB_ATOM_ATOM, kSupportedPiece, items))
            return Decide(named_, false);
        if (std::find(items.begin(), items.end(), x_.atoms().net_active_window) != items.end())
            return Decide(named_, true);
        if (!answer->more || offset_ + kSupportedPiece >= kSupportedMost)
            return Decide(named_, false);
        return AskSupported(offset_ + kSupportedPiece);
    }
    case Stage::kIdle:
        break;
    }
}

void X11ManagerCheck::Decide(xcb_window_t check, bool ewmh)
{
    questions_.Forget(asked_);
    stage_ = Stage::kIdle;
    decided_ = true;
    const xcb_window_t before = check_;
    const bool ewmh_before = ewmh_;
    const xcb_window_t named = named_;
    check_ = check;
    ewmh_ = ewmh;
    named_ = XCB_NONE;
    if (before != XCB_NONE && before != check)
        reselect_(before);
    if (named != XCB_NONE && named != check)
        reselect_(named);
    if (check != before || ewmh != ewmh_before)
        changed_();
}
