#include "platform/wayland/sway_focus_source.h"

#include <nlohmann/json.hpp>

#include "platform/shared/monotonic_clock.h"
#include "platform/wayland/sway_tree.h"

namespace {

// A tree the compositor has not sent by then is given up for this tick.
constexpr int kReplyTimeoutMs = 500;

} // namespace

SwayFocusSource::SwayFocusSource(const std::string& socket_path)
    : events_(socket_path), requests_(socket_path)
{
    if (!Connected())
        return;
    if (!events_.SendAll(sway_ipc::Encode(sway_ipc::kSubscribe, R"(["window","workspace"])")))
        events_.Close();
    Refresh();
}

bool SwayFocusSource::ReadEvents()
{
    std::string bytes;
    const bool open = events_.ReadSome(bytes, 0);
    event_reader_.Add(bytes);
    while (std::optional<sway_ipc::Message> message = event_reader_.Next())
        Observe(*message);
    if (!open || event_reader_.Broken()) {
        events_.Close();
        return false;
    }
    return true;
}

// A focus or title change carries the window itself. Anything else (a
// workspace emptied, a window closed) is left to the next tree.
void SwayFocusSource::Observe(const sway_ipc::Message& event)
{
    if (event.type != sway_ipc::kWindowEvent)
        return;
    ++stats_.events;
    const nlohmann::json body = nlohmann::json::parse(event.payload, nullptr, false);
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

// A reply that came too late for its tick arrives before the next one's:
// only the answer to the last question counts.
void SwayFocusSource::Refresh()
{
    if (!requests_.Open())
        return;
    const int64_t start = MonotonicNanoseconds();
    ++stats_.requests;
    if (!requests_.SendAll(sway_ipc::Encode(sway_ipc::kGetTree, ""))) {
        requests_.Close();
        return;
    }
    ++unanswered_;
    std::optional<sway_ipc::Message> reply;
    while (unanswered_ > 0) {
        if ((reply = reply_reader_.Next())) {
            --unanswered_;
            continue;
        }
        std::string bytes;
        if (!requests_.ReadSome(bytes, kReplyTimeoutMs) || reply_reader_.Broken()) {
            requests_.Close();
            return;
        }
        if (bytes.empty())
            return; // no answer in time: keep what was known
        reply_reader_.Add(bytes);
    }
    stats_.reply_wait_ns += MonotonicNanoseconds() - start;
    stats_.reply_bytes += reply->payload.size();
    focused_ = sway_tree::FocusedIn(reply->payload);
}
