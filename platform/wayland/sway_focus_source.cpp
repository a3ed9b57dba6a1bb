#include "platform/wayland/sway_focus_source.h"

#include <nlohmann/json.hpp>

#include "platform/shared/monotonic_clock.h"
#include "platform/wayland/sway_tree.h"

SwayFocusSource::SwayFocusSource(const std::string& socket_path)
    : SwayFocusSource(IpcSocket(socket_path))
{
}

SwayFocusSource::SwayFocusSource(IpcSocket connection) : connection_(std::move(connection))
{
    Subscribe();
}

void SwayFocusSource::Subscribe()
{
    if (!connection_.Open())
        return;
    if (!connection_.SendAll(sway_ipc::Encode(sway_ipc::kSubscribe, R"(["window","workspace"])")))
        connection_.Close();
    Refresh();
}

bool SwayFocusSource::AwaitTree(int timeout_ms)
{
    const int64_t deadline = MonotonicNanoseconds() + int64_t(timeout_ms) * 1000000;
    while (TreeAsked()) {
        const int64_t left_ms = (deadline - MonotonicNanoseconds()) / 1000000;
        if (left_ms <= 0)
            return false;
        std::string bytes;
        if (!connection_.ReadSome(bytes, int(left_ms))) {
            connection_.Close();
            return false;
        }
        reader_.Add(bytes);
        if (!ReadEvents())
            return false;
    }
    return Connected();
}

// While a tree is asked for, the time spent here counts as its cost to us:
// reading and parsing it, not sway's time to build it.
bool SwayFocusSource::ReadEvents()
{
    const bool asked = TreeAsked();
    const int64_t start = asked ? MonotonicNanoseconds() : 0;
    std::string bytes;
    const bool open = connection_.ReadAvailable(bytes);
    reader_.Add(bytes);
    while (std::optional<sway_ipc::Message> message = reader_.Next())
        Observe(*message);
    if (asked)
        stats_.tree_read_ns += MonotonicNanoseconds() - start;
    if (!open || reader_.Broken()) {
        connection_.Close();
        tree_asked_at_ns_ = -1;
        return false;
    }
    return true;
}

// Never more than one tree in flight: when sway has not answered the last
// question by the next tick, that tick asks nothing.
void SwayFocusSource::Refresh()
{
    if (!connection_.Open())
        return;
    if (TreeAsked()) {
        ++stats_.refreshes_skipped;
        return;
    }
    if (!connection_.SendAll(sway_ipc::Encode(sway_ipc::kGetTree, ""))) {
        connection_.Close();
        return;
    }
    ++stats_.requests;
    tree_asked_at_ns_ = MonotonicNanoseconds();
}

void SwayFocusSource::Observe(const sway_ipc::Message& message)
{
    if (message.type == sway_ipc::kGetTree && TreeAsked()) {
        stats_.reply_bytes += message.payload.size();
        stats_.reply_wait_ns += MonotonicNanoseconds() - tree_asked_at_ns_;
        tree_asked_at_ns_ = -1;
        focused_ = sway_tree::FocusedIn(message.payload);
    } else if (message.type == sway_ipc::kWindowEvent) {
        ++stats_.events;
        ObserveWindowEvent(message.payload);
    } else if (message.type & sway_ipc::kEventBit) {
        ++stats_.events; // a workspace emptied or shown: the next tree tells
    }
}

// A focus or title change carries the window itself. A window closed that
// had the focus leaves none until the next tree or focus event.
void SwayFocusSource::ObserveWindowEvent(const std::string& payload)
{
    const nlohmann::json body = nlohmann::json::parse(payload, nullptr, false);
    if (!body.is_object() || !body.contains("container") || !body["change"].is_string())
        return;
    const std::string change = body["change"].get<std::string>();
    FocusedWindow window = sway_tree::WindowOf(body["container"]);
    if (change == "focus")
        focused_ = window;
    else if (focused_ && focused_->id == window.id && change == "close")
        focused_.reset();
    else if (focused_ && focused_->id == window.id)
        focused_ = window;
}
