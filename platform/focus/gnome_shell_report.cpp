#include "platform/focus/gnome_shell_report.h"

namespace {

// Beyond what any screen holds, and more than the probe ever reads of a
// title: such a report comes from something that is not the extension.
constexpr int kFarthest = 1 << 20;
constexpr std::size_t kLongestTitle = 4096;

} // namespace

std::optional<GnomeShellReport> ReadGnomeShellReport(sd_bus_message* message)
{
    GnomeShellReport report;
    const char* title = nullptr;
    int x11 = 0;
    if (sd_bus_message_read(message, "tsiiiib", &report.id, &title, &report.x, &report.y,
                            &report.width, &report.height, &x11) <= 0 ||
        !title)
        return std::nullopt;
    report.title = title;
    report.x11 = x11 != 0;
    return report;
}

std::optional<FocusedWindow> FocusedOfReport(const GnomeShellReport& report, bool& malformed)
{
    malformed = false;
    if (report.id == 0)
        return std::nullopt;
    auto within = [](int value) { return value > -kFarthest && value < kFarthest; };
    if (report.width <= 0 || report.height <= 0 || !within(report.x) || !within(report.y) ||
        report.width >= kFarthest || report.height >= kFarthest ||
        report.title.size() > kLongestTitle) {
        malformed = true;
        return std::nullopt;
    }
    FocusedWindow window;
    window.id = report.id;
    window.title = report.title;
    window.left = report.x;
    window.top = report.y;
    window.right = report.x + report.width;
    window.bottom = report.y + report.height;
    return window;
}
