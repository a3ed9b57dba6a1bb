#include "platform/wayland/sway_tree.h"

#include <nlohmann/json.hpp>

namespace sway_tree {

namespace {

int Number(const nlohmann::json& object, const char* key)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_number() ? found->get<int>() : 0;
}

const nlohmann::json* FindFocused(const nlohmann::json& node)
{
    if (!node.is_object())
        return nullptr;
    const auto focused = node.find("focused");
    if (focused != node.end() && focused->is_boolean() && focused->get<bool>())
        return &node;
    for (const char* children : {"nodes", "floating_nodes"}) {
        const auto list = node.find(children);
        if (list == node.end() || !list->is_array())
            continue;
        for (const nlohmann::json& child : *list)
            if (const nlohmann::json* found = FindFocused(child))
                return found;
    }
    return nullptr;
}

} // namespace

FocusedWindow WindowOf(const nlohmann::json& container)
{
    FocusedWindow window;
    const auto id = container.find("id");
    if (id != container.end() && id->is_number_unsigned())
        window.id = id->get<uint64_t>();
    const auto name = container.find("name");
    if (name != container.end() && name->is_string())
        window.title = name->get<std::string>();
    const auto rect = container.find("rect");
    const auto deco = container.find("deco_rect");
    if (rect != container.end() && rect->is_object()) {
        const int title_bar = deco != container.end() && deco->is_object()
                                  ? Number(*deco, "height")
                                  : 0;
        window.left = Number(*rect, "x");
        window.top = Number(*rect, "y") - title_bar;
        window.right = window.left + Number(*rect, "width");
        window.bottom = Number(*rect, "y") + Number(*rect, "height");
    }
    return window;
}

std::optional<FocusedWindow> FocusedIn(std::string_view tree_json)
{
    const nlohmann::json tree = nlohmann::json::parse(tree_json, nullptr, false);
    const nlohmann::json* focused = FindFocused(tree);
    if (!focused)
        return std::nullopt;
    const auto type = focused->find("type");
    if (type == focused->end() || !type->is_string())
        return std::nullopt;
    const std::string& kind = type->get_ref<const std::string&>();
    if (kind != "con" && kind != "floating_con")
        return std::nullopt;
    return WindowOf(*focused);
}

} // namespace sway_tree
