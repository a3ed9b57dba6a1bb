#include "platform/wayland/hyprland_reply.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <nlohmann/json.hpp>

namespace hyprland_reply {

namespace {

// Beyond this a number is no layout's coordinate; kept within it, the sums
// that place a window cannot overflow.
constexpr int64_t kFarthest = int64_t(1) << 24;

bool Pair(const nlohmann::json& object, const char* key, int& first, int& second)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->is_array() || found->size() != 2 ||
        !(*found)[0].is_number_integer() || !(*found)[1].is_number_integer())
        return false;
    first = int(std::clamp((*found)[0].get<int64_t>(), -kFarthest, kFarthest));
    second = int(std::clamp((*found)[1].get<int64_t>(), -kFarthest, kFarthest));
    return true;
}

} // namespace

std::optional<FocusedWindow> ActiveWindow(std::string_view json, bool* floating)
{
    if (floating)
        *floating = false;
    const nlohmann::json reply = nlohmann::json::parse(json, nullptr, false);
    if (!reply.is_object())
        return std::nullopt;
    FocusedWindow window;
    int width = 0, height = 0;
    if (!Pair(reply, "at", window.left, window.top) || !Pair(reply, "size", width, height))
        return std::nullopt;
    const auto floats = reply.find("floating");
    if (floating)
        *floating = floats != reply.end() && floats->is_boolean() && floats->get<bool>();
    window.right = window.left + width;
    window.bottom = window.top + height;
    const auto title = reply.find("title");
    if (title != reply.end() && title->is_string())
        window.title = title->get<std::string>();
    const auto address = reply.find("address");
    if (address != reply.end() && address->is_string()) {
        std::string_view text = address->get_ref<const std::string&>();
        if (text.starts_with("0x"))
            text.remove_prefix(2);
        std::from_chars(text.data(), text.data() + text.size(), window.id, 16);
    }
    return window;
}

std::vector<std::string> TakeEventNames(std::string& buffer)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    for (std::size_t end; (end = buffer.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string_view line(buffer.data() + start, end - start);
        names.emplace_back(line.substr(0, line.find(">>")));
    }
    buffer.erase(0, start);
    return names;
}

bool ConcernsFocus(std::string_view event_name)
{
    for (std::string_view name :
         {"activewindow", "activewindowv2", "windowtitle", "windowtitlev2", "openwindow",
          "closewindow", "movewindow", "movewindowv2", "changefloatingmode", "fullscreen",
          "workspace", "workspacev2", "focusedmon"})
        if (event_name == name)
            return true;
    return false;
}

} // namespace hyprland_reply
