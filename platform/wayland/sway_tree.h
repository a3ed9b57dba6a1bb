// The focused window in sway's answers: the tree of GET_TREE and the
// container of a window event. A container's `rect` leaves out its title
// bar, whose height is `deco_rect`'s; the window a person sees starts that
// much higher.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string_view>

#include "platform/wayland/focus_source.h"

namespace sway_tree {

// The focused window of a GET_TREE reply; none when a workspace (empty) or
// nothing has the focus, or the reply is not a tree. `floating`, when
// given, tells whether the window found floats.
std::optional<FocusedWindow> FocusedIn(std::string_view tree_json, bool* floating = nullptr);
// The window a container node describes.
FocusedWindow WindowOf(const nlohmann::json& container);

} // namespace sway_tree
