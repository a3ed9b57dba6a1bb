#include "platform/kwin/kwin_report.h"

#include <cmath>
#include <functional>
#include <nlohmann/json.hpp>

namespace kwin_report {

namespace {

// Far beyond any desktop, and within an int after adding the two.
constexpr double kLargestCoordinate = 1 << 24;
constexpr size_t kLongestText = 4096;

std::optional<int> Coordinate(const nlohmann::json& value, bool size)
{
    if (!value.is_number())
        return std::nullopt;
    const double number = value.get<double>();
    if (!std::isfinite(number) || std::fabs(number) > kLargestCoordinate || (size && number <= 0))
        return std::nullopt;
    return int(std::lround(number));
}

} // namespace

uint64_t WindowNumber(const std::string& id)
{
    const uint64_t number = std::hash<std::string>{}(id) & ((uint64_t(1) << 40) - 1);
    return number ? number : 1;
}

std::optional<Report> Parse(const std::string& text)
{
    if (text.size() > kLongestText)
        return std::nullopt;
    const nlohmann::json report = nlohmann::json::parse(text, nullptr, false);
    if (report.is_discarded() || !report.is_object())
        return std::nullopt;
    if (report.empty())
        return Report{};
    const auto id = report.find("id");
    const auto caption = report.find("caption");
    if (id == report.end() || !id->is_string() || id->get<std::string>().empty() ||
        caption == report.end() || !caption->is_string())
        return std::nullopt;
    std::optional<int> left, top, width, height;
    if (auto x = report.find("x"); x != report.end())
        left = Coordinate(*x, false);
    if (auto y = report.find("y"); y != report.end())
        top = Coordinate(*y, false);
    if (auto w = report.find("width"); w != report.end())
        width = Coordinate(*w, true);
    if (auto h = report.find("height"); h != report.end())
        height = Coordinate(*h, true);
    if (!left || !top || !width || !height)
        return std::nullopt;
    FocusedWindow window;
    window.id = WindowNumber(id->get<std::string>());
    window.title = caption->get<std::string>();
    window.left = *left;
    window.top = *top;
    window.right = *left + *width;
    window.bottom = *top + *height;
    return Report{window};
}

} // namespace kwin_report
