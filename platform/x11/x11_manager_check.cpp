#include "platform/x11/x11_manager_check.h"

#include <X11/Xatom.h>
#include <algorithm>
#include <vector>

#include "platform/x11/x11_connection.h"

namespace {

// _NET_SUPPORTED is read in pieces of this many atoms, up to the most a
// property can sensibly list, until _NET_ACTIVE_WINDOW is found.
constexpr long kSupportedPiece = 16384;
constexpr long kSupportedMost = 1 << 18;

// The window a one-item window property names, None for anything else.
Window NamedWindow(const x11_properties::PropertyData& answer)
{
    std::vector<uint32_t> items;
    if (x11_properties::ParseItems32(answer, XA_WINDOW, 1, items) && !items.empty())
        return items[0];
    return None;
}

} // namespace

X11ManagerCheck::X11ManagerCheck(X11Connection& x, std::function<void(Window)> reselect)
    : x_(x), reselect_(std::move(reselect))
{
}

void X11ManagerCheck::Ask()
{
    if (named_ != None) {
        const Window dropped = named_;
        named_ = None;
        reselect_(dropped);
    }
    question_.Ask(x_, x_.root(), x_.atoms().net_supporting_wm_check, 1);
    stage_ = Stage::kRootCheck;
}

void X11ManagerCheck::AskSupported(long offset)
{
    offset_ = offset;
    question_.Ask(x_, x_.root(), x_.atoms().net_supported, kSupportedPiece, offset);
    stage_ = Stage::kSupported;
}

bool X11ManagerCheck::Advance()
{
    if (stage_ == Stage::kIdle || !question_.Take())
        return false;
    switch (stage_) {
    case Stage::kRootCheck: {
        const Window named = NamedWindow(question_.Answer());
        if (named == None || named == x_.root())
            return Decide(None, false);
        // Watched before it is asked about: an end after the answer is
        // heard of.
        named_ = named;
        reselect_(named);
        question_.Ask(x_, named, x_.atoms().net_supporting_wm_check, 1);
        stage_ = Stage::kOwnCheck;
        return false;
    }
    case Stage::kOwnCheck:
        if (NamedWindow(question_.Answer()) != named_)
            return Decide(None, false);
        AskSupported(0);
        return false;
    case Stage::kSupported: {
        std::vector<uint32_t> items;
        if (!x11_properties::ParseItems32(question_.Answer(), XA_ATOM, kSupportedPiece, items))
            return Decide(named_, false);
        if (std::find(items.begin(), items.end(), x_.atoms().net_active_window) != items.end())
            return Decide(named_, true);
        if (!question_.More() || offset_ + kSupportedPiece >= kSupportedMost)
            return Decide(named_, false);
        AskSupported(offset_ + kSupportedPiece);
        return false;
    }
    case Stage::kIdle:
        break;
    }
    return false;
}

bool X11ManagerCheck::Decide(Window check, bool ewmh)
{
    question_.Forget();
    stage_ = Stage::kIdle;
    decided_ = true;
    const Window before = check_;
    const Window named = named_;
    check_ = check;
    ewmh_ = ewmh;
    named_ = None;
    if (before != None && before != check)
        reselect_(before);
    if (named != None && named != check)
        reselect_(named);
    return true;
}
