// The focused window on sway, through its IPC socket ($SWAYSOCK). One
// connection carries everything: window and workspace events, so that a new
// focus or title is known at once, and a tree asked for once per tick, since
// sway says nothing when a floating window moves or a window is resized.
// The tree is asked for without waiting; its answer is read when it arrives,
// among the events, in the order sway sent them, so an older tree never
// overrides a newer event.
#pragma once

#include <cstdint>

#include "platform/wayland/focus_source.h"
#include "platform/wayland/ipc_socket.h"
#include "platform/wayland/sway_ipc_framing.h"

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
    void Refresh() override;
    std::optional<FocusedWindow> Focused() const override { return focused_; }
    std::string Name() const override { return "sway"; }
    FocusStats Stats() const override { return stats_; }
    // Whether a tree was asked for and its answer has not come yet.
    bool TreeAsked() const { return tree_asked_at_ns_ >= 0; }

private:
    void Subscribe();
    void Observe(const sway_ipc::Message& message);
    void ObserveWindowEvent(const std::string& payload);

    IpcSocket connection_;
    sway_ipc::Reader reader_;
    std::optional<FocusedWindow> focused_;
    int64_t tree_asked_at_ns_ = -1; // when the tree in flight was asked for
    FocusStats stats_;
};
