#include "platform/x11/x11_message_box.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <algorithm>

#include "platform/shared/end_signals.h"
#include "platform/toolkit/application_title.h"
#include "platform/toolkit/system_colors.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_window_hints.h"

namespace {

constexpr int kPadding = 16;
constexpr int kMinimumWidth = 240;
constexpr unsigned short kButtonWidth = 80;
constexpr unsigned short kButtonHeight = 26;
constexpr unsigned long kText = 0x000000;
constexpr unsigned long kEdge = 0x707070;

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 1;
    }
}

} // namespace

X11MessageBox::X11MessageBox(X11Backend& backend, const std::string& text)
    : backend_(backend), display_(backend.Connection().display()), lines_(SplitLines(text))
{
    X11Connection& x = backend_.Connection();
    font_ = XLoadQueryFont(display_, "fixed");
    font_loaded_ = font_ != nullptr;
    if (!font_) // the server's default font, which always exists
        font_ = XQueryFont(display_, XGContextFromGC(DefaultGC(display_, x.screen())));

    line_height_ = font_ ? font_->ascent + font_->descent + 2 : 14;
    int text_width = 0;
    for (const std::string& line : lines_)
        text_width = std::max(text_width, font_ ? XTextWidth(font_, line.data(), int(line.size()))
                                                : int(line.size()) * 7);
    width_ = std::max(kMinimumWidth, text_width + 2 * kPadding);
    height_ = kPadding + int(lines_.size()) * line_height_ + kPadding + kButtonHeight + kPadding;
    button_ = XRectangle{short((width_ - kButtonWidth) / 2),
                         short(height_ - kPadding - kButtonHeight), kButtonWidth, kButtonHeight};

    const int left = std::max(0, (x.RootWidth() - width_) / 2);
    const int top = std::max(0, (x.RootHeight() - height_) / 3);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = kButtonFace;
    attributes.border_pixel = kEdge;
    attributes.event_mask =
        ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    window_ = XCreateWindow(display_, x.root(), left, top, unsigned(width_), unsigned(height_), 1,
                            DefaultDepth(display_, x.screen()), InputOutput,
                            DefaultVisual(display_, x.screen()),
                            CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    x11_hints::SetDialogHints(x, window_, WALKERS_APPLICATION_TITLE);
    XSizeHints size{};
    size.flags = PPosition | PSize | PMinSize | PMaxSize;
    size.x = left;
    size.y = top;
    size.width = size.min_width = size.max_width = width_;
    size.height = size.min_height = size.max_height = height_;
    XSetWMNormalHints(display_, window_, &size);

    XGCValues values{};
    values.foreground = kText;
    values.background = kButtonFace;
    unsigned long mask = GCForeground | GCBackground;
    if (font_loaded_) {
        values.font = font_->fid;
        mask |= GCFont;
    }
    gc_ = XCreateGC(display_, window_, mask, &values);
    XMapRaised(display_, window_);
}

X11MessageBox::~X11MessageBox()
{
    XFreeGC(display_, gc_);
    XDestroyWindow(display_, window_);
    if (font_loaded_)
        XFreeFont(display_, font_);
    else if (font_)
        XFreeFontInfo(nullptr, font_, 1);
    XFlush(display_);
}

void X11MessageBox::Run()
{
    std::vector<XEvent> later;
    bool done = false;
    while (!done) {
        backend_.Drain();
        XEvent event;
        while (!done && backend_.TakeEvent(event)) {
            if (event.xany.window == window_)
                done = Handle(event);
            else
                later.push_back(event);
        }
        if (!done)
            backend_.Wait(-1);
        if (end_signals::EndRequested())
            break;
    }
    backend_.GiveBack(later);
}

bool X11MessageBox::Handle(const XEvent& event)
{
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0)
            Draw();
        return false;
    case MapNotify:
        // Without a window manager nobody else gives us the keyboard.
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
        return false;
    case KeyPress: {
        XKeyEvent key = event.xkey;
        const KeySym symbol = XLookupKeysym(&key, 0);
        return symbol == XK_Return || symbol == XK_KP_Enter || symbol == XK_Escape ||
               symbol == XK_space;
    }
    case ButtonRelease:
        return event.xbutton.button == Button1 && InButton(event.xbutton.x, event.xbutton.y);
    case ClientMessage:
        return event.xclient.message_type == backend_.Connection().atoms().wm_protocols &&
               Atom(event.xclient.data.l[0]) == backend_.Connection().atoms().wm_delete_window;
    case DestroyNotify:
        return true;
    default:
        return false;
    }
}

bool X11MessageBox::InButton(int x, int y) const
{
    return x >= button_.x && y >= button_.y && x < button_.x + button_.width &&
           y < button_.y + button_.height;
}

void X11MessageBox::Draw()
{
    const int ascent = font_ ? font_->ascent : 11;
    int y = kPadding + ascent;
    for (const std::string& line : lines_) {
        XDrawString(display_, window_, gc_, kPadding, y, line.data(), int(line.size()));
        y += line_height_;
    }
    XSetForeground(display_, gc_, kEdge);
    XDrawRectangle(display_, window_, gc_, button_.x, button_.y, button_.width - 1u,
                   button_.height - 1u);
    XSetForeground(display_, gc_, kText);
    const char label[] = "OK";
    const int label_width = font_ ? XTextWidth(font_, label, 2) : 14;
    XDrawString(display_, window_, gc_, button_.x + (button_.width - label_width) / 2,
                button_.y + (button_.height + ascent) / 2 - 1, label, 2);
}
