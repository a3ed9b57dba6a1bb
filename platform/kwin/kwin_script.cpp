#include "platform/kwin/kwin_script.h"

namespace kwin_script {

namespace {

// KWin 5.27 briefly makes a clicked layer-shell surface active, and then
// nothing: windows that take no input, or are walkers' own, are passed
// over, and so is the moment of nothing after them; the window followed
// before stays followed.
constexpr char kScript[] = R"js((function () {
    var service = "@SERVICE@";
    var ownPid = @PID@;
    var followed = null;
    var passedOver = false;
    function active() {
        return workspace.activeWindow !== undefined ? workspace.activeWindow
                                                    : workspace.activeClient;
    }
    function ours(window) {
        return window.wantsInput === false || window.pid === ownPid;
    }
    function send(text) {
        callDBus(service, "@PATH@", "@INTERFACE@", "@METHOD@", text);
    }
    function report() {
        var window = followed;
        if (!window) {
            send("{}");
            return;
        }
        var frame = window.frameGeometry;
        send(JSON.stringify({id: String(window.internalId), caption: String(window.caption),
                             x: frame.x, y: frame.y, width: frame.width, height: frame.height}));
    }
    function unfollow() {
        if (!followed)
            return;
        try {
            followed.captionChanged.disconnect(report);
            followed.frameGeometryChanged.disconnect(report);
        } catch (gone) {
        }
        followed = null;
    }
    function follow(window) {
        if (window && ours(window)) {
            passedOver = true;
            return;
        }
        if (!window && passedOver) {
            passedOver = false;
            return;
        }
        passedOver = false;
        unfollow();
        if (window) {
            followed = window;
            window.captionChanged.connect(report);
            window.frameGeometryChanged.connect(report);
        }
        report();
    }
    (workspace.windowActivated || workspace.clientActivated).connect(follow);
    follow(active());
})();
)js";

void Replace(std::string& text, const std::string& mark, const std::string& with)
{
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + with.size()))
        text.replace(at, mark.size(), with);
}

} // namespace

std::string Text(const std::string& bus_name, pid_t pid)
{
    std::string text = kScript;
    // A unique bus name is ':' and digits and dots: nothing to escape.
    Replace(text, "@SERVICE@", bus_name);
    Replace(text, "@PID@", std::to_string(pid));
    Replace(text, "@PATH@", kPath);
    Replace(text, "@INTERFACE@", kInterface);
    Replace(text, "@METHOD@", kMethod);
    return text;
}

} // namespace kwin_script
