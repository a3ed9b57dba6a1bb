// The connection to the compositor and the globals walkers binds: the
// compositor, shared memory, layer-shell, xdg-output for the outputs'
// layout, and the seat's pointer for clicks; subsurfaces when offered.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include <wayland-client.h>

struct zwlr_layer_shell_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;
class WaylandConnection;

// One output, with its place in the layout in logical pixels.
struct WaylandOutput {
    uint32_t name = 0; // the registry's
    WaylandConnection* connection = nullptr;
    wl_output* output = nullptr;
    zxdg_output_v1* xdg_output = nullptr;
    int x = 0, y = 0, width = 0, height = 0;
    int scale = 1;
};

// A button pressed over one of our surfaces, at surface-local logical pixels.
struct WaylandClick {
    wl_surface* surface = nullptr;
    double x = 0, y = 0;
};

class WaylandConnection {
public:
    // Connects to $WAYLAND_DISPLAY and learns the globals and the outputs'
    // layout; Usable() tells whether all walkers needs is there.
    WaylandConnection();
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    bool Connected() const { return display_ != nullptr; }
    bool Usable() const { return display_ && compositor_ && shm_ && layer_shell_; }
    wl_display* display() const { return display_; }
    wl_compositor* compositor() const { return compositor_; }
    // Null when the compositor offers no subsurfaces.
    wl_subcompositor* subcompositor() const { return subcompositor_; }
    wl_shm* shm() const { return shm_; }
    zwlr_layer_shell_v1* layer_shell() const { return layer_shell_; }
    const std::vector<std::unique_ptr<WaylandOutput>>& Outputs() const { return outputs_; }
    // The bounding box of all outputs, in the layout's logical pixels.
    void Bounds(int& left, int& top, int& right, int& bottom) const;

    // Called after the start when an output came, went or changed.
    std::function<void()> on_layout_changed;
    // A click: a button pressed over one of our surfaces (on_press, called
    // as it is read, while what the compositor aimed it at can still be told
    // from what was committed since) and let go over the same (on_release).
    std::function<void(const WaylandClick&)> on_press;
    std::function<void()> on_release;

    // Listener entry points (the protocol's C callbacks).
    void AddGlobal(wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
    void RemoveGlobal(uint32_t name);
    void SeatCapabilities(uint32_t capabilities);
    void PointerEnter(wl_surface* surface, double x, double y);
    void PointerLeave(wl_surface* surface);
    void PointerMotion(double x, double y);
    void PointerButton(uint32_t button, uint32_t state);
    void LayoutDone();

private:
    void WatchOutput(WaylandOutput& output);

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    wl_subcompositor* subcompositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    zwlr_layer_shell_v1* layer_shell_ = nullptr;
    zxdg_output_manager_v1* output_manager_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    std::vector<std::unique_ptr<WaylandOutput>> outputs_;
    bool started_ = false; // the first layout is known
    wl_surface* pointer_surface_ = nullptr;
    double pointer_x_ = 0, pointer_y_ = 0;
    wl_surface* pressed_surface_ = nullptr; // while a button is held down over it
    uint32_t pressed_button_ = 0;
};
