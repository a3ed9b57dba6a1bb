// The focused window on sway, through its IPC socket ($SWAYSOCK). One
// connection carries everything: window, workspace and binding events, so
// that a new focus or title is known at once, and the tree, asked for only
// when it may tell something new: after an event, and, for what sway tells
// no event of (a floating window dragged with the mouse or moved by a
// command, a tiled window resized by one), on a schedule (RefreshSchedule).
// The tree is asked for without waiting; its answer is read when it arrives,
// among the events, in the order sway sent them, so an older tree never
// overrides a newer event.
#pragma once

#include <cstdint>

#include "platform/wayland/focus_source.h"
#include "platform/wayland/ipc_socket.h"
#include "platform/wayland/sway_ipc_framing.h"

// When a tick asks for the tree though no event came: sway writes the whole
// tree, whatever its size, so a still window is looked at less often the
// bigger the tree; a window seen moving is looked at every tick.
class SwayRefreshSchedule {
public:
    // Ticks a floating window that moved stays looked at every tick.
    static constexpr int kMovingTicks = 20;
    // What looking at a still floating window may cost sway a tick on average.
    static constexpr uint64_t kTreeBytesPerTick = 1024;
    // The longest a still floating window waits for a look, in ticks.
    static constexpr int kLongestFloatingWait = 20;
    // How often a tiled window is looked at (a resize by command, an output's
    // new scale), in ticks.
    static constexpr int kTiledWait = 40;

    // One tick passed: whether it should ask for the tree.
    bool Due();
    // The tree was asked for.
    void Asked() { ticks_since_ask_ = 0; }
    // The answer: its size, whether the focused window is floating, and
    // whether it stood elsewhere in the tree before, with no event between.
    void Answered(uint64_t bytes, bool floating, bool moved);

private:
    int ticks_since_ask_ = 0;
    int moving_ticks_left_ = 0;
    int wait_ = 1;
};

class SwayFocusSource final : public FocusSource {
public:
    explicit SwayFocusSource(const std::string& socket_path);
    // On a connection already made (the tests' socket pair). Subscribes and
    // asks for the first tree, waiting for nothing.
    explicit SwayFocusSource(IpcSocket connection);
    bool Connected() const { return connection_.Open(); }
    // Waits up to `timeout_ms` for the answer to the tree asked for, so the
    // first tick knows the window. False when none came.
    bool AwaitTree(int timeout_ms);

    int EventDescriptor() const override { return connection_.Descriptor(); }
    bool ReadEvents() override;
    // Asks for the tree when an event came since the last question, or the
    // schedule says so; never more than one in flight.
    void Refresh() override;
    std::optional<FocusedWindow> Focused() const override { return focused_; }
    std::string Name() const override { return "sway"; }
    // reply_bytes counts every payload read, events as well as trees.
    FocusStats Stats() const override { return stats_; }
    // Whether a tree was asked for and its answer has not come yet.
    bool TreeAsked() const { return tree_asked_at_ns_ >= 0; }

private:
    void Subscribe();
    void AskTree();
    void Observe(const sway_ipc::Message& message);
    void ObserveTree(const std::string& payload);
    void ObserveWindowEvent(const std::string& payload);

    IpcSocket connection_;
    sway_ipc::Reader reader_;
    std::optional<FocusedWindow> focused_;
    int64_t tree_asked_at_ns_ = -1; // when the tree in flight was asked for
    // An event came after the tree in flight, or the last one, was asked for.
    bool changed_since_asked_ = false;
    // What the last tree said, to tell a move no event told of.
    std::optional<FocusedWindow> last_tree_;
    SwayRefreshSchedule schedule_;
    FocusStats stats_;
};
