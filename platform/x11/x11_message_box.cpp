#include "platform/x11/x11_message_box.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/shared/end_signals.h"
#include "platform/toolkit/application_title.h"
#include "platform/toolkit/system_colors.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_errors.h"
#include "platform/x11/x11_wm_hints.h"

namespace {

constexpr int kPadding = 16;
constexpr int kMinimumWidth = 240;
constexpr uint16_t kButtonWidth = 80;
constexpr uint16_t kButtonHeight = 26;
constexpr uint32_t kText = 0x000000;
constexpr uint32_t kEdge = 0x707070;
// Without the font: a guess at the server's default one.
constexpr int kGuessedCharacterWidth = 7;
// ImageText8 takes at most this many bytes.
constexpr std::size_t kMostPieceBytes = 255;
// The server's own font, built in even when it has no font path.
constexpr char kFontName[] = "fixed";
// Return, KP_Enter, Escape and space.
constexpr xcb_keysym_t kDismissSymbols[] = {0xff0d, 0xff8d, 0xff1b, 0x0020};

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

std::vector<std::string> Pieces(const std::string& line)
{
    std::vector<std::string> pieces;
    for (std::size_t at = 0; at < line.size(); at += kMostPieceBytes)
        pieces.push_back(line.substr(at, kMostPieceBytes));
    return pieces;
}

// QueryTextExtents takes 16-bit characters; a byte is one with a high byte 0.
std::vector<xcb_char2b_t> Wide(const std::string& text)
{
    std::vector<xcb_char2b_t> wide(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        wide[i] = xcb_char2b_t{0, uint8_t(text[i])};
    return wide;
}

// The keys whose first symbol (the one without a modifier) dismisses the
// box, from the keyboard map asked for from `first` on.
std::vector<xcb_keycode_t> DismissKeys(xcb_connection_t* questions,
                                       xcb_get_keyboard_mapping_cookie_t asked, uint8_t first)
{
    std::vector<xcb_keycode_t> keys;
    xcb_generic_error_t* error = nullptr;
    xcb_get_keyboard_mapping_reply_t* map =
        xcb_get_keyboard_mapping_reply(questions, asked, &error);
    std::free(error);
    if (!map)
        return keys;
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(map);
    const int count = xcb_get_keyboard_mapping_keysyms_length(map);
    const int per_key = map->keysyms_per_keycode;
    for (int at = 0; per_key > 0 && at < count; at += per_key)
        if (std::find(std::begin(kDismissSymbols), std::end(kDismissSymbols), symbols[at]) !=
            std::end(kDismissSymbols))
            keys.push_back(xcb_keycode_t(first + at / per_key));
    std::free(map);
    return keys;
}

// The window an event is about, for the kinds the loop keeps to act on; none
// for the others.
xcb_window_t WindowOf(const X11Event& event)
{
    switch (event.Type()) {
    case XCB_EXPOSE:
        return event.As<xcb_expose_event_t>().window;
    case XCB_KEY_PRESS:
    case XCB_BUTTON_RELEASE:
        return event.As<xcb_button_release_event_t>().event;
    case XCB_MAP_NOTIFY:
        return event.As<xcb_map_notify_event_t>().event;
    case XCB_DESTROY_NOTIFY:
        return event.As<xcb_destroy_notify_event_t>().event;
    case XCB_CLIENT_MESSAGE:
        return event.As<xcb_client_message_event_t>().window;
    default:
        return XCB_NONE;
    }
}

} // namespace

int X11MessageBox::Line::Width() const
{
    int width = 0;
    for (int piece : widths)
        width += piece;
    return width;
}

X11MessageBox::X11MessageBox(X11MessageLoop& loop, const std::string& text)
    : loop_(loop), x_(loop.Connection())
{
    for (const std::string& line : SplitLines(text))
        lines_.push_back(Line{Pieces(line), {}});
    label_.pieces = {"OK"};
    Measure();

    int text_width = 0;
    for (const Line& line : lines_)
        text_width = std::max(text_width, line.Width());
    width_ = std::max(kMinimumWidth, text_width + 2 * kPadding);
    height_ = kPadding + int(lines_.size()) * line_height_ + kPadding + kButtonHeight + kPadding;
    button_ =
        xcb_rectangle_t{int16_t((width_ - kButtonWidth) / 2),
                        int16_t(height_ - kPadding - kButtonHeight), kButtonWidth, kButtonHeight};

    const int left = std::max(0, (x_.RootWidth() - width_) / 2);
    const int top = std::max(0, (x_.RootHeight() - height_) / 3);
    xcb_connection_t* main = x_.Main();
    window_ = x_.NewId();
    const uint32_t attributes[] = {kButtonFace, kEdge,
                                   XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_KEY_PRESS |
                                       XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                       XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(main, x_.RootDepth(), window_, x_.Root(), int16_t(left), int16_t(top),
                      uint16_t(width_), uint16_t(height_), 1, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      x_.RootVisual(), XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK,
                      attributes);
    x11_hints::SetDialogHints(x_, window_, WALKERS_APPLICATION_TITLE);
    x11_hints::SetDialogPlacement(x_, window_, left, top, width_, height_);

    gc_ = x_.NewId();
    const uint32_t values[] = {kText, kButtonFace, font_};
    xcb_create_gc(main, gc_, window_,
                  XCB_GC_FOREGROUND | XCB_GC_BACKGROUND | (font_ ? XCB_GC_FONT : 0), values);
    // Raised, then mapped.
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(main, window_, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_map_window(main, window_);
    x_.Flush();
}

X11MessageBox::~X11MessageBox()
{
    xcb_free_gc(x_.Main(), gc_);
    xcb_destroy_window(x_.Main(), window_);
    x_.Flush();
    if (font_) {
        xcb_close_font(x_.Questions(), font_);
        xcb_flush(x_.Questions());
    }
}

// On the question connection, which the event floods of other clients
// cannot hold up: the font is opened there too, so that each question
// follows the opening it needs. Its id, like any, serves the main
// connection's graphics context as well.
void X11MessageBox::Measure()
{
    xcb_connection_t* questions = x_.Questions();
    const xcb_font_t font = xcb_generate_id(questions);
    const xcb_void_cookie_t opened =
        xcb_open_font_checked(questions, font, uint16_t(std::strlen(kFontName)), kFontName);
    const xcb_query_font_cookie_t metrics = xcb_query_font(questions, font);
    std::vector<xcb_query_text_extents_cookie_t> extents;
    auto ask_widths = [&](const Line& line) {
        for (const std::string& piece : line.pieces) {
            const std::vector<xcb_char2b_t> wide = Wide(piece);
            extents.push_back(
                xcb_query_text_extents(questions, font, uint32_t(wide.size()), wide.data()));
        }
    };
    for (const Line& line : lines_)
        ask_widths(line);
    ask_widths(label_);
    const xcb_setup_t* setup = xcb_get_setup(questions);
    const xcb_get_keyboard_mapping_cookie_t keys = xcb_get_keyboard_mapping(
        questions, setup->min_keycode, uint8_t(setup->max_keycode - setup->min_keycode + 1));

    // The answers, in the order asked. The opening's error (no such font)
    // is taken once a later reply has come, so it costs no round trip.
    xcb_generic_error_t* error = nullptr;
    xcb_query_font_reply_t* font_reply = xcb_query_font_reply(questions, metrics, &error);
    std::free(error);
    if (font_reply) {
        font_ = font;
        ascent_ = font_reply->font_ascent;
        line_height_ = font_reply->font_ascent + font_reply->font_descent + 2;
        std::free(font_reply);
    }
    std::size_t next = 0;
    auto take_widths = [&](Line& line) {
        for (const std::string& piece : line.pieces) {
            error = nullptr;
            xcb_query_text_extents_reply_t* reply =
                xcb_query_text_extents_reply(questions, extents[next++], &error);
            std::free(error);
            line.widths.push_back(reply && font_ ? int(reply->overall_width)
                                                 : int(piece.size()) * kGuessedCharacterWidth);
            std::free(reply);
        }
    };
    for (Line& line : lines_)
        take_widths(line);
    take_widths(label_);
    dismiss_keys_ = DismissKeys(questions, keys, setup->min_keycode);
    std::free(xcb_request_check(questions, opened));
    x11_errors::CheckConnection(questions);
}

void X11MessageBox::Run()
{
    std::vector<X11Event> later;
    bool done = false;
    while (!done) {
        loop_.Drain();
        X11Event event;
        while (!done && loop_.TakeEvent(event)) {
            if (WindowOf(event) == window_)
                done = Handle(event);
            else
                later.push_back(event);
        }
        x_.Flush();
        if (!done)
            loop_.Wait(-1);
        if (end_signals::EndRequested())
            break;
    }
    loop_.GiveBack(later);
}

bool X11MessageBox::Handle(const X11Event& event)
{
    switch (event.Type()) {
    case XCB_EXPOSE:
        if (event.As<xcb_expose_event_t>().count == 0)
            Draw();
        return false;
    case XCB_MAP_NOTIFY: {
        // Without a window manager nobody else gives us the keyboard. Under
        // one, the box may not be viewable yet (its frame not yet mapped):
        // the request may then fail, which matters to no one, so its error
        // is dropped rather than reported.
        const xcb_void_cookie_t focus = xcb_set_input_focus_checked(
            x_.Main(), XCB_INPUT_FOCUS_PARENT, window_, XCB_CURRENT_TIME);
        xcb_discard_reply(x_.Main(), focus.sequence);
        return false;
    }
    case XCB_KEY_PRESS:
        return std::find(dismiss_keys_.begin(), dismiss_keys_.end(),
                         event.As<xcb_key_press_event_t>().detail) != dismiss_keys_.end();
    case XCB_BUTTON_RELEASE: {
        const auto& button = event.As<xcb_button_release_event_t>();
        return button.detail == XCB_BUTTON_INDEX_1 && InButton(button.event_x, button.event_y);
    }
    case XCB_CLIENT_MESSAGE: {
        const auto& message = event.As<xcb_client_message_event_t>();
        return message.type == x_.atoms().wm_protocols &&
               message.data.data32[0] == x_.atoms().wm_delete_window;
    }
    case XCB_DESTROY_NOTIFY:
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

void X11MessageBox::DrawLine(int left, int baseline, const Line& line)
{
    for (std::size_t i = 0; i < line.pieces.size(); ++i) {
        const std::string& piece = line.pieces[i];
        xcb_image_text_8(x_.Main(), uint8_t(piece.size()), window_, gc_, int16_t(left),
                         int16_t(baseline), piece.data());
        left += line.widths[i];
    }
}

void X11MessageBox::Draw()
{
    xcb_connection_t* main = x_.Main();
    int y = kPadding + ascent_;
    for (const Line& line : lines_) {
        DrawLine(kPadding, y, line);
        y += line_height_;
    }
    xcb_change_gc(main, gc_, XCB_GC_FOREGROUND, &kEdge);
    const xcb_rectangle_t edge{button_.x, button_.y, uint16_t(button_.width - 1u),
                               uint16_t(button_.height - 1u)};
    xcb_poly_rectangle(main, window_, gc_, 1, &edge);
    xcb_change_gc(main, gc_, XCB_GC_FOREGROUND, &kText);
    DrawLine(button_.x + (button_.width - label_.Width()) / 2,
             button_.y + (button_.height + ascent_) / 2 - 1, label_);
}
