// The focused window on sway, through its IPC socket ($SWAYSOCK). One
// connection listens to window and workspace events, so a new focus or
// title is known at once; another asks for the tree once per tick, since
// sway says nothing when a floating window moves or a window is resized.
#pragma once

#include <cstdint>

#include "platform/wayland/focus_source.h"
#include "platform/wayland/ipc_socket.h"
#include "platform/wayland/sway_ipc_framing.h"

class SwayFocusSource final : public FocusSource {
public:
    explicit SwayFocusSource(const std::string& socket_path);
    bool Connected() const { return events_.Open() && requests_.Open(); }

    int EventDescriptor() const override { return events_.Descriptor(); }
    bool ReadEvents() override;
    void Refresh() override;
    std::optional<FocusedWindow> Focused() const override { return focused_; }
    std::string Name() const override { return "sway"; }
    FocusStats Stats() const override { return stats_; }

private:
    void Observe(const sway_ipc::Message& event);

    IpcSocket events_;
    IpcSocket requests_;
    sway_ipc::Reader event_reader_;
    sway_ipc::Reader reply_reader_;
    std::optional<FocusedWindow> focused_;
    int unanswered_ = 0; // trees asked for and not yet read
    FocusStats stats_;
};
