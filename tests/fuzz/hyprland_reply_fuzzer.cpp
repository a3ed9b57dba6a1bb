// Hyprland's answers: any bytes as the answer to j/activewindow, and as the
// event socket's lines, taken in two reads split where the first byte says.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/wayland/hyprland_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    bool floating = false;
    const auto window = hyprland_reply::ActiveWindow(text, &floating);
    if (window && window->title.size() > text.size())
        __builtin_trap();

    const std::size_t split = std::min<std::size_t>(data[0], text.size());
    std::string pending(text.substr(0, split));
    std::size_t names = 0;
    for (const std::string& name : hyprland_reply::TakeEventNames(pending))
        names += hyprland_reply::ConcernsFocus(name) ? 1 : 0;
    pending.append(text.substr(split));
    for (const std::string& name : hyprland_reply::TakeEventNames(pending))
        names += hyprland_reply::ConcernsFocus(name) ? 1 : 0;
    if (pending.find('\n') != std::string::npos || names > size)
        __builtin_trap(); // a complete line left behind, or events from nothing
    return 0;
}
