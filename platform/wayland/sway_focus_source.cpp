#include "platform/wayland/sway_focus_source.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "platform/shared/monotonic_clock.h"
#include "platform/wayland/sway_tree.h"

bool SwayRefreshSchedule::Due()
{
    ++ticks_since_ask_;
    return ticks_since_ask_ >= (moving_ticks_left_ > 0 ? 1 : wait_);
}

void SwayRefreshSchedule::Answered(uint64_t bytes, bool floating, bool moved)
{
    if (moved)
        moving_ticks_left_ = kMovingTicks;
    else if (moving_ticks_left_ > 0)
        --moving_ticks_left_;
    const int by_size = int(std::min<uint64_t>(bytes / kTreeBytesPerTick, kTiledWait));
    wait_ = floating ? std::clamp(by_size, 1, kLongestFloatingWait) : kTiledWait;
}

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
    if (!connection_.SendAll(
            sway_ipc::Encode(sway_ipc::kSubscribe, R"(["window","workspace","binding"])")))
        connection_.Close();
    AskTree();
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
    const bool due = schedule_.Due();
    if (!connection_.Open())
        return;
    if (TreeAsked()) {
        ++stats_.refreshes_skipped;
        return;
    }
    if (due || changed_since_asked_)
        AskTree();
}

void SwayFocusSource::AskTree()
{
    if (!connection_.Open())
        return;
    if (!connection_.SendAll(sway_ipc::Encode(sway_ipc::kGetTree, ""))) {
        connection_.Close();
        return;
    }
    ++stats_.requests;
    tree_asked_at_ns_ = MonotonicNanoseconds();
    changed_since_asked_ = false;
    schedule_.Asked();
}

void SwayFocusSource::Observe(const sway_ipc::Message& message)
{
    stats_.reply_bytes += message.payload.size();
    if (message.type == sway_ipc::kGetTree && TreeAsked()) {
        stats_.reply_wait_ns += MonotonicNanoseconds() - tree_asked_at_ns_;
        tree_asked_at_ns_ = -1;
        ObserveTree(message.payload);
    } else if (message.type & sway_ipc::kEventBit) {
        // A workspace shown or emptied, a binding run (a resize, a new
        // layout): the next tick's tree tells what it did.
        ++stats_.events;
        changed_since_asked_ = true;
        if (message.type == sway_ipc::kWindowEvent)
            ObserveWindowEvent(message.payload);
    }
}

void SwayFocusSource::ObserveTree(const std::string& payload)
{
    bool floating = false;
    focused_ = sway_tree::FocusedIn(payload, &floating);
    const bool moved =
        focused_ && last_tree_ && last_tree_->id == focused_->id &&
        (last_tree_->left != focused_->left || last_tree_->top != focused_->top ||
         last_tree_->right != focused_->right || last_tree_->bottom != focused_->bottom);
    last_tree_ = focused_;
    schedule_.Answered(payload.size(), floating, moved);
}

// A focus or title change carries the window itself. A window closed that
// had the focus leaves none until the next tree or focus event.
void SwayFocusSource::ObserveWindowEvent(const std::string& payload)
{
    const nlohmann::json body = nlohmann::json::parse(payload, nullptr, false);
    if (!body.is_object())
        return;
    const auto change_field = body.find("change");
    const auto container = body.find("container");
    if (change_field == body.end() || !change_field->is_string() || container == body.end() ||
        !container->is_object())
        return;
    const std::string& change = change_field->get_ref<const std::string&>();
    FocusedWindow window = sway_tree::WindowOf(*container);
    if (change == "focus")
        focused_ = window;
    else if (focused_ && focused_->id == window.id && change == "close")
        focused_.reset();
    else if (focused_ && focused_->id == window.id)
        focused_ = window;
}
