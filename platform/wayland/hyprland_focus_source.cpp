#include "platform/wayland/hyprland_focus_source.h"

#include "platform/wayland/hyprland_reply.h"

namespace {

constexpr int kReplyTimeoutMs = 500;

} // namespace

HyprlandFocusSource::HyprlandFocusSource(const std::string& directory)
    : request_path_(directory + "/.socket.sock"), events_(directory + "/.socket2.sock")
{
    if (Connected())
        Ask();
}

bool HyprlandFocusSource::ReadEvents()
{
    const bool open = events_.ReadSome(pending_, 0);
    bool concerns_focus = false;
    for (const std::string& name : hyprland_reply::TakeEventNames(pending_))
        concerns_focus = concerns_focus || hyprland_reply::ConcernsFocus(name);
    if (concerns_focus)
        Ask();
    if (!open)
        events_.Close();
    return open;
}

void HyprlandFocusSource::Refresh()
{
    if (floating_ || ++ticks_since_ask_ >= kTiledWait)
        Ask();
}

// The answer ends when Hyprland closes the connection.
void HyprlandFocusSource::Ask()
{
    ticks_since_ask_ = 0;
    IpcSocket request(request_path_);
    if (!request.Open() || !request.SendAll("j/activewindow"))
        return;
    std::string reply;
    for (;;) {
        const std::size_t before = reply.size();
        if (!request.ReadSome(reply, kReplyTimeoutMs))
            break;
        if (reply.size() == before)
            return; // no answer in time: keep what was known
    }
    focused_ = hyprland_reply::ActiveWindow(reply, &floating_);
}
