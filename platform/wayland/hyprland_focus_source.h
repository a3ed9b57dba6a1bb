// The focused window on Hyprland: each question on a fresh connection to
// its request socket (it answers one request per connection), asked when
// its event socket tells that the focus, a title or the layout changed.
// Hyprland tells no event of a floating window dragged with the mouse: a
// floating window is asked after every tick (the answer is that one window,
// whatever the desktop's size), a tiled one only now and then, for what
// commands may have resized.
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
    // How often a tiled window is asked after, in ticks.
    static constexpr int kTiledWait = 40;
    std::optional<FocusedWindow> Focused() const override { return focused_; }
    std::string Name() const override { return "Hyprland"; }

private:
    void Ask();

    std::string request_path_;
    IpcSocket events_;
    std::string pending_; // an event line not yet complete
    std::optional<FocusedWindow> focused_;
    bool floating_ = false;
    int ticks_since_ask_ = 0;
};
