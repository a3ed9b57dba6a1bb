#include "platform/x11/x11_xwayland.h"

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>
#include <xcb/randr.h>

#include "platform/x11/x11_connection.h"

namespace x11_xwayland {

namespace {

// The reply, or null. An error comes back here rather than among the
// events, which no one reads on the question connection.
template <class Reply, class Cookie>
Reply* Ask(xcb_connection_t* questions, Cookie cookie,
           Reply* (*reply_of)(xcb_connection_t*, Cookie, xcb_generic_error_t**))
{
    xcb_generic_error_t* error = nullptr;
    Reply* reply = reply_of(questions, cookie, &error);
    std::free(error);
    return reply;
}

// XWayland names its RandR outputs XWAYLAND0, XWAYLAND1, ... Asked on the
// question connection, every output at once.
bool HasXWaylandOutput(X11Connection& x)
{
    xcb_connection_t* questions = x.Questions();
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(questions, &xcb_randr_id);
    if (!randr || !randr->present)
        return false;
    // The server answers RandR 1.3's requests to a client that said it
    // knows them.
    std::free(
        Ask(questions, xcb_randr_query_version(questions, 1, 3), xcb_randr_query_version_reply));
    xcb_randr_get_screen_resources_current_reply_t* resources =
        Ask(questions, xcb_randr_get_screen_resources_current(questions, x.Root()),
            xcb_randr_get_screen_resources_current_reply);
    if (!resources)
        return false;
    const xcb_randr_output_t* outputs = xcb_randr_get_screen_resources_current_outputs(resources);
    std::vector<xcb_randr_get_output_info_cookie_t> asked;
    for (int i = 0; i < xcb_randr_get_screen_resources_current_outputs_length(resources); ++i)
        asked.push_back(
            xcb_randr_get_output_info(questions, outputs[i], resources->config_timestamp));
    std::free(resources);
    bool found = false;
    for (const xcb_randr_get_output_info_cookie_t& cookie : asked) {
        xcb_randr_get_output_info_reply_t* output =
            Ask(questions, cookie, xcb_randr_get_output_info_reply);
        if (!output)
            continue;
        const std::string_view name(
            reinterpret_cast<const char*>(xcb_randr_get_output_info_name(output)),
            std::size_t(xcb_randr_get_output_info_name_length(output)));
        found = found || name.starts_with("XWAYLAND");
        std::free(output);
    }
    return found;
}

// Releases from 23.1 on announce themselves with an extension; older ones
// (Debian 12's 22.1) are known by their outputs' names.
bool IsXWayland(X11Connection& x)
{
    constexpr std::string_view kExtension = "XWAYLAND";
    xcb_connection_t* questions = x.Questions();
    xcb_query_extension_reply_t* extension = Ask(
        questions, xcb_query_extension(questions, uint16_t(kExtension.size()), kExtension.data()),
        xcb_query_extension_reply);
    const bool present = extension && extension->present;
    std::free(extension);
    return present || HasXWaylandOutput(x);
}

bool Set(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

bool WlrootsDesktop()
{
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    if (!desktop)
        return false;
    const std::string_view name(desktop);
    for (std::string_view known : {"sway", "Hyprland", "river", "wayfire", "labwc", "niri"})
        if (name.find(known) != std::string_view::npos)
            return true;
    return false;
}

} // namespace

bool UnderWlroots(X11Connection& x)
{
    if (!IsXWayland(x))
        return false;
    return Set("SWAYSOCK") || Set("HYPRLAND_INSTANCE_SIGNATURE") || WlrootsDesktop();
}

} // namespace x11_xwayland
