// sway's tree as the focused-window reader sees it: any bytes as the answer
// to GET_TREE, and as the container of a window event. The reader stops
// early at the focused node, so the bytes after it, broken or not, must not
// matter; whatever it finds keeps within the input (AddressSanitizer).
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string_view>

#include "platform/wayland/sway_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    bool floating = false;
    const auto found = sway_tree::FocusedIn(text, &floating);
    if (found && found->title.size() > size)
        __builtin_trap(); // a title longer than its input came from elsewhere
    const nlohmann::json container = nlohmann::json::parse(text, nullptr, false);
    if (container.is_object())
        (void)sway_tree::WindowOf(container);
    return 0;
}
