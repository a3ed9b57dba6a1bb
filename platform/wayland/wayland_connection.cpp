#include "platform/wayland/wayland_connection.h"

#include <algorithm>
#include <cstring>
#include <linux/input-event-codes.h>

#include "wayland/wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wayland/xdg-output-unstable-v1-client-protocol.h"

namespace {

WaylandConnection& Of(void* data) { return *static_cast<WaylandConnection*>(data); }

const wl_registry_listener kRegistryListener = {
    [](void* data, wl_registry* registry, uint32_t name, const char* interface,
       uint32_t version) { Of(data).AddGlobal(registry, name, interface, version); },
    [](void* data, wl_registry*, uint32_t name) { Of(data).RemoveGlobal(name); },
};

const wl_seat_listener kSeatListener = {
    [](void* data, wl_seat*, uint32_t capabilities) { Of(data).SeatCapabilities(capabilities); },
    [](void*, wl_seat*, const char*) {},
};

const wl_pointer_listener kPointerListener = {
    [](void* data, wl_pointer*, uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
        Of(data).PointerEnter(surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
    },
    [](void* data, wl_pointer*, uint32_t, wl_surface* surface) { Of(data).PointerLeave(surface); },
    [](void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
        Of(data).PointerMotion(wl_fixed_to_double(x), wl_fixed_to_double(y));
    },
    [](void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
        Of(data).PointerButton(button, state);
    },
    [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {},
    [](void*, wl_pointer*) {},
    [](void*, wl_pointer*, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, int32_t) {},
    nullptr, // axis_value120: not sent to a seat of version 5
};

// The wl_output's own events matter only for the scale; the layout comes
// from xdg-output.
const wl_output_listener kOutputListener = {
    [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
       int32_t) {},
    [](void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {},
    [](void*, wl_output*) {},
    [](void* data, wl_output*, int32_t factor) {
        static_cast<WaylandOutput*>(data)->scale = std::max(1, factor);
    },
    nullptr, // name and description: not sent to an output of version 3
    nullptr,
};

} // namespace

WaylandConnection::WaylandConnection()
{
    display_ = wl_display_connect(nullptr);
    if (!display_)
        return;
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    wl_display_roundtrip(display_); // the globals
    for (const auto& output : outputs_)
        WatchOutput(*output);
    wl_display_roundtrip(display_); // the outputs' layout and scale
    started_ = true;
}

WaylandConnection::~WaylandConnection()
{
    if (!display_)
        return;
    for (const auto& output : outputs_) {
        if (output->xdg_output)
            zxdg_output_v1_destroy(output->xdg_output);
        wl_output_release(output->output);
    }
    if (pointer_)
        wl_pointer_release(pointer_);
    if (seat_)
        wl_seat_release(seat_);
    if (output_manager_)
        zxdg_output_manager_v1_destroy(output_manager_);
    if (layer_shell_)
        zwlr_layer_shell_v1_destroy(layer_shell_);
    if (shm_)
        wl_shm_destroy(shm_);
    if (subcompositor_)
        wl_subcompositor_destroy(subcompositor_);
    if (compositor_)
        wl_compositor_destroy(compositor_);
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

void WaylandConnection::AddGlobal(wl_registry* registry, uint32_t name, const char* interface,
                                  uint32_t version)
{
    auto bind = [&](const wl_interface* kind, uint32_t highest) {
        return wl_registry_bind(registry, name, kind, std::min(version, highest));
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        compositor_ = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_subcompositor_interface.name) == 0) {
        subcompositor_ = static_cast<wl_subcompositor*>(bind(&wl_subcompositor_interface, 1));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        shm_ = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
        layer_shell_ = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 4));
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
        output_manager_ =
            // Version 2 still ends each change with its own `done`.
            static_cast<zxdg_output_manager_v1*>(bind(&zxdg_output_manager_v1_interface, 2));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat_) {
        seat_ = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
        wl_seat_add_listener(seat_, &kSeatListener, this);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0 && version >= 3) {
        auto output = std::make_unique<WaylandOutput>();
        output->name = name;
        output->connection = this;
        output->output = static_cast<wl_output*>(bind(&wl_output_interface, 3));
        wl_output_add_listener(output->output, &kOutputListener, output.get());
        outputs_.push_back(std::move(output));
        if (started_)
            WatchOutput(*outputs_.back());
    }
}

void WaylandConnection::RemoveGlobal(uint32_t name)
{
    auto found = std::find_if(outputs_.begin(), outputs_.end(),
                              [name](const auto& output) { return output->name == name; });
    if (found == outputs_.end())
        return;
    if ((*found)->xdg_output)
        zxdg_output_v1_destroy((*found)->xdg_output);
    wl_output_release((*found)->output);
    outputs_.erase(found);
    LayoutDone();
}

// The layout of an output: its logical place and size, told by xdg-output.
// Its `done` (after version 3, the wl_output's) ends each change.
void WaylandConnection::WatchOutput(WaylandOutput& output)
{
    if (!output_manager_ || output.xdg_output)
        return;
    static const zxdg_output_v1_listener listener = {
        [](void* data, zxdg_output_v1*, int32_t x, int32_t y) {
            auto* place = static_cast<WaylandOutput*>(data);
            place->x = x;
            place->y = y;
        },
        [](void* data, zxdg_output_v1*, int32_t width, int32_t height) {
            auto* place = static_cast<WaylandOutput*>(data);
            place->width = width;
            place->height = height;
        },
        [](void* data, zxdg_output_v1*) {
            static_cast<WaylandOutput*>(data)->connection->LayoutDone();
        },
        [](void*, zxdg_output_v1*, const char*) {},
        [](void*, zxdg_output_v1*, const char*) {},
    };
    output.xdg_output = zxdg_output_manager_v1_get_xdg_output(output_manager_, output.output);
    zxdg_output_v1_add_listener(output.xdg_output, &listener, &output);
}

void WaylandConnection::LayoutDone()
{
    if (started_ && on_layout_changed)
        on_layout_changed();
}

void WaylandConnection::Bounds(int& left, int& top, int& right, int& bottom) const
{
    left = top = right = bottom = 0;
    bool first = true;
    for (const auto& output : outputs_) {
        if (output->width <= 0 || output->height <= 0)
            continue;
        if (first) {
            left = output->x;
            top = output->y;
            right = output->x + output->width;
            bottom = output->y + output->height;
            first = false;
            continue;
        }
        left = std::min(left, output->x);
        top = std::min(top, output->y);
        right = std::max(right, output->x + output->width);
        bottom = std::max(bottom, output->y + output->height);
    }
}

void WaylandConnection::SeatCapabilities(uint32_t capabilities)
{
    const bool has_pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    if (has_pointer && !pointer_) {
        pointer_ = wl_seat_get_pointer(seat_);
        wl_pointer_add_listener(pointer_, &kPointerListener, this);
    } else if (!has_pointer && pointer_) {
        wl_pointer_release(pointer_);
        pointer_ = nullptr;
        pointer_surface_ = nullptr;
        pressed_surface_ = nullptr;
    }
}

void WaylandConnection::PointerEnter(wl_surface* surface, double x, double y)
{
    pointer_surface_ = surface;
    pointer_x_ = x;
    pointer_y_ = y;
}

void WaylandConnection::PointerLeave(wl_surface* surface)
{
    if (surface == pointer_surface_)
        pointer_surface_ = nullptr;
    if (surface == pressed_surface_)
        pressed_surface_ = nullptr;
}

void WaylandConnection::PointerMotion(double x, double y)
{
    pointer_x_ = x;
    pointer_y_ = y;
}

// A click is the left, right or middle button pressed over a surface and
// let go over it; the compositor sends the release where it sent the press.
void WaylandConnection::PointerButton(uint32_t button, uint32_t state)
{
    if (button != BTN_LEFT && button != BTN_RIGHT && button != BTN_MIDDLE)
        return;
    if (state == WL_POINTER_BUTTON_STATE_PRESSED) {
        pressed_surface_ = pointer_surface_;
        pressed_button_ = button;
        if (pointer_surface_ && on_press)
            on_press(WaylandClick{pointer_surface_, pointer_x_, pointer_y_});
        return;
    }
    const bool click = pressed_surface_ && pressed_surface_ == pointer_surface_ &&
                       button == pressed_button_;
    pressed_surface_ = nullptr;
    if (click && on_release)
        on_release();
}
