// The focused window on Hyprland: each question on a fresh connection to
// its request socket (it answers one request per connection), and its
// event socket for telling that the focus or a title changed.
#pragma once

#include "platform/wayland/focus_source.h"
#include "platform/wayland/ipc_socket.h"

class HyprlandFocusSource final : public FocusSource {
public:
    // `directory` holds .socket.sock and .socket2.sock.
    explicit HyprlandFocusSource(const std::string& directory);
    bool Connected() const { return events_.Open(); }

    int EventDescriptor() const override { return events_.Descriptor(); }
    bool ReadEvents() override;
    void Refresh() override;
    std::optional<FocusedWindow> Focused() const override { return focused_; }
    std::string Name() const override { return "Hyprland"; }

private:
    std::string request_path_;
    IpcSocket events_;
    std::string pending_; // an event line not yet complete
    std::optional<FocusedWindow> focused_;
};
