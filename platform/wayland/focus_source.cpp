#include "platform/wayland/focus_source.h"

#include <cstdlib>

#include "platform/wayland/hyprland_focus_source.h"
#include "platform/wayland/sway_focus_source.h"

const char kNoFocusSourceMessage[] =
    "walkers: this compositor does not say which window has the focus; the figures can follow "
    "windows on sway, Hyprland, KDE Plasma and GNOME";

namespace {

constexpr int kFirstAnswerTimeoutMs = 500;

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::unique_ptr<FocusSource> FindFocusSource()
{
    if (const std::string sway = Variable("SWAYSOCK"); !sway.empty()) {
        auto source = std::make_unique<SwayFocusSource>(sway);
        if (source->Connected()) {
            source->AwaitTree(kFirstAnswerTimeoutMs); // so the first tick knows the window
            return source;
        }
    }
    if (const std::string instance = Variable("HYPRLAND_INSTANCE_SIGNATURE"); !instance.empty()) {
        // Newer releases keep the sockets under the runtime directory.
        for (const std::string& base : {Variable("XDG_RUNTIME_DIR") + "/hypr/", std::string("/tmp/hypr/")}) {
            auto source = std::make_unique<HyprlandFocusSource>(base + instance);
            if (source->Connected())
                return source;
        }
    }
    return std::make_unique<NoFocusSource>();
}
