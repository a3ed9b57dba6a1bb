#include "platform/x11/x11_connection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <string_view>
#include <xcb/shape.h>

#include "platform/x11/x11_errors.h"

namespace {

// The property the resources (xrdb) live in; Xft.dpi is among them.
constexpr uint32_t kMostResourceUnits = 64 * 1024;

} // namespace

std::unique_ptr<X11Connection> X11Connection::Open(const char* display_name, bool argb_visual,
                                                   std::string& why)
{
    if (!display_name)
        display_name = std::getenv("DISPLAY");
    if (!display_name || !*display_name) {
        why = "DISPLAY is not set";
        return nullptr;
    }
    int screen = 0;
    xcb_connection_t* main = xcb_connect(display_name, &screen);
    if (xcb_connection_has_error(main)) {
        xcb_disconnect(main);
        why = std::string("cannot open the X display \"") + display_name + "\"";
        return nullptr;
    }
    std::unique_ptr<X11Connection> x(new X11Connection(main, screen, display_name));
    if (!x->Start(argb_visual)) {
        why = std::string("the X display \"") + display_name + "\" has no screen " +
              std::to_string(screen);
        return nullptr;
    }
    return x;
}

X11Connection::X11Connection(xcb_connection_t* main, int screen_number, std::string display_name)
    : main_(main), display_name_(std::move(display_name)), screen_number_(screen_number)
{
}

bool X11Connection::Start(bool argb_visual)
{
    setup_ = xcb_get_setup(main_);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup_);
    for (int i = 0; i < screen_number_ && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem <= 0)
        return false;
    const xcb_screen_t& screen = *screens.data;
    root_ = screen.root;
    root_width_ = screen.width_in_pixels;
    root_height_ = screen.height_in_pixels;
    root_visual_ = visual_ = screen.root_visual;
    root_depth_ = depth_ = screen.root_depth;
    colormap_ = screen.default_colormap;
    depth_drawable_ = root_;
    image_lsb_first_ = setup_->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    maximum_request_bytes_ = xcb_get_maximum_request_length(main_) * 4;
    xcb_prefetch_extension_data(main_, &xcb_shape_id);

    // Every question at once, then the answers: one round trip.
    struct Name {
        const char* text;
        xcb_atom_t X11Atoms::*field;
    };
    static const Name names[] = {
        {"UTF8_STRING", &X11Atoms::utf8_string},
        {"COMPOUND_TEXT", &X11Atoms::compound_text},
        {"WM_PROTOCOLS", &X11Atoms::wm_protocols},
        {"WM_DELETE_WINDOW", &X11Atoms::wm_delete_window},
        {"WM_LOCALE_NAME", &X11Atoms::wm_locale_name},
        {"_MOTIF_WM_HINTS", &X11Atoms::motif_wm_hints},
        {"_NET_SUPPORTED", &X11Atoms::net_supported},
        {"_NET_SUPPORTING_WM_CHECK", &X11Atoms::net_supporting_wm_check},
        {"_NET_ACTIVE_WINDOW", &X11Atoms::net_active_window},
        {"_NET_WM_NAME", &X11Atoms::net_wm_name},
        {"_NET_WM_PID", &X11Atoms::net_wm_pid},
        {"_NET_WM_USER_TIME", &X11Atoms::net_wm_user_time},
        {"_NET_WM_STATE", &X11Atoms::net_wm_state},
        {"_NET_WM_STATE_ABOVE", &X11Atoms::net_wm_state_above},
        {"_NET_WM_STATE_SKIP_TASKBAR", &X11Atoms::net_wm_state_skip_taskbar},
        {"_NET_WM_STATE_SKIP_PAGER", &X11Atoms::net_wm_state_skip_pager},
        {"_NET_WM_WINDOW_TYPE", &X11Atoms::net_wm_window_type},
        {"_NET_WM_WINDOW_TYPE_NORMAL", &X11Atoms::net_wm_window_type_normal},
        {"_NET_WM_WINDOW_TYPE_DIALOG", &X11Atoms::net_wm_window_type_dialog},
        {"_NET_FRAME_EXTENTS", &X11Atoms::net_frame_extents},
        {"_GTK_FRAME_EXTENTS", &X11Atoms::gtk_frame_extents},
        {"_WALKERS_USER", &X11Atoms::walkers_user},
        {"_WALKERS_STOP", &X11Atoms::walkers_stop},
    };
    xcb_intern_atom_cookie_t cookies[std::size(names)];
    for (std::size_t i = 0; i < std::size(names); ++i)
        cookies[i] = xcb_intern_atom(main_, 0, uint16_t(std::string_view(names[i].text).size()),
                                     names[i].text);
    const xcb_get_property_cookie_t resources =
        xcb_get_property(main_, 0, root_, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0,
                         kMostResourceUnits);
    for (std::size_t i = 0; i < std::size(names); ++i) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(main_, cookies[i], nullptr);
        atoms_.*names[i].field = reply ? reply->atom : XCB_NONE;
        std::free(reply);
    }
    if (xcb_get_property_reply_t* reply = xcb_get_property_reply(main_, resources, nullptr)) {
        const std::string text(static_cast<const char*>(xcb_get_property_value(reply)),
                               std::size_t(xcb_get_property_value_length(reply)));
        scale_ = ScaleOfResources(text.c_str());
        std::free(reply);
    }
    if (const xcb_query_extension_reply_t* shape = xcb_get_extension_data(main_, &xcb_shape_id);
        shape && shape->present) {
        shape_opcode_ = shape->major_opcode;
    }

    // The visual: the screen's, or a 32-bit TrueColor one when asked.
    xcb_depth_iterator_t depths = xcb_screen_allowed_depths_iterator(&screen);
    for (; depths.rem > 0; xcb_depth_next(&depths)) {
        xcb_visualtype_iterator_t visuals = xcb_depth_visuals_iterator(depths.data);
        for (; visuals.rem > 0; xcb_visualtype_next(&visuals)) {
            const xcb_visualtype_t& type = *visuals.data;
            if (type.visual_id == visual_)
                visual_type_ = type;
            if (argb_visual && depth_ != 32 && depths.data->depth == 32 &&
                type._class == XCB_VISUAL_CLASS_TRUE_COLOR && !own_colormap_) {
                visual_ = type.visual_id;
                visual_type_ = type;
                depth_ = 32;
                own_colormap_ = true;
            }
        }
    }
    if (own_colormap_) {
        colormap_ = NewId();
        xcb_create_colormap(main_, XCB_COLORMAP_ALLOC_NONE, colormap_, root_, visual_);
        depth_drawable_ = NewId();
        xcb_create_pixmap(main_, 32, depth_drawable_, root_, 1, 1);
    }

    // The second connection, for questions.
    questions_ = xcb_connect(display_name_.c_str(), nullptr);
    if (xcb_connection_has_error(questions_)) {
        xcb_disconnect(questions_);
        questions_ = main_;
    }
    gate_.Attach(xcb_get_file_descriptor(main_));
    return true;
}

X11Connection::~X11Connection()
{
    if (own_colormap_) {
        xcb_free_pixmap(main_, depth_drawable_);
        xcb_free_colormap(main_, colormap_);
    }
    if (questions_ && questions_ != main_)
        xcb_disconnect(questions_);
    xcb_flush(main_);
    xcb_disconnect(main_);
}

uint8_t X11Connection::BitsPerPixel(uint8_t depth) const
{
    xcb_format_iterator_t formats = xcb_setup_pixmap_formats_iterator(setup_);
    for (; formats.rem > 0; xcb_format_next(&formats))
        if (formats.data->depth == depth)
            return formats.data->bits_per_pixel;
    return depth > 16 ? 32 : depth > 8 ? 16 : 8;
}

void X11Connection::Flush()
{
    xcb_flush(main_);
    x11_errors::CheckConnection(main_);
}

// The sequence number of a request of its own, less the ones it took
// before: xcb tells a request's number only to its sender.
uint64_t X11Connection::RequestsSent()
{
    const uint32_t sequence = xcb_no_operation(main_).sequence;
    ++counts_;
    // Widened to 64 bits: a count is taken far more often than every four
    // billion requests.
    uint64_t full = (requests_sent_ & ~uint64_t(0xFFFFFFFF)) | sequence;
    if (full < requests_sent_)
        full += uint64_t(1) << 32;
    requests_sent_ = full;
    return full - counts_;
}

void X11Connection::RootResized(int width, int height)
{
    root_width_ = width;
    root_height_ = height;
}

int ScaleOfResources(const char* resources)
{
    constexpr std::string_view kName = "Xft.dpi:";
    const std::string_view text = resources ? resources : "";
    for (std::size_t line = 0; line < text.size();) {
        const std::size_t end = std::min(text.find('\n', line), text.size());
        const std::string_view entry = text.substr(line, end - line);
        line = end + 1;
        if (!entry.starts_with(kName))
            continue;
        const double dpi = std::strtod(std::string(entry.substr(kName.size())).c_str(), nullptr);
        if (!(dpi > 0) || dpi > 96.0 * 16)
            return 1;
        return std::max(1, int(std::lround(dpi / 96.0)));
    }
    return 1;
}
