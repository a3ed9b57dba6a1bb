// Clicks for the end-to-end tests on a compositor without input devices:
// a virtual pointer (wlroots' protocol) moves to a point of the layout and
// clicks the left button there.
//
//   wayland_virtual_pointer X Y LAYOUT_WIDTH LAYOUT_HEIGHT [move]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client.h>

#include "wayland/wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

const wl_registry_listener kRegistry = {
    [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
        auto& g = *static_cast<Globals*>(data);
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g.seat)
            g.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
            g.manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    },
    [](void*, wl_registry*, uint32_t) {},
};

uint32_t Milliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

// Gives clients time to take up the new pointer before it acts: they learn
// of it from the seat and then ask for their wl_pointer.
void Settle(wl_display* display)
{
    wl_display_roundtrip(display);
    usleep(150'000);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s X Y LAYOUT_WIDTH LAYOUT_HEIGHT [move]\n", argv[0]);
        return 2;
    }
    const auto x = uint32_t(std::atoi(argv[1])), y = uint32_t(std::atoi(argv[2]));
    const auto width = uint32_t(std::atoi(argv[3])), height = uint32_t(std::atoi(argv[4]));
    const bool click = !(argc > 5 && std::strcmp(argv[5], "move") == 0);
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return 1;
    Globals g;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistry, &g);
    wl_display_roundtrip(display);
    if (!g.manager) {
        std::fprintf(stderr, "no virtual pointer protocol\n");
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.manager, g.seat);
    Settle(display);
    zwlr_virtual_pointer_v1_motion_absolute(pointer, Milliseconds(), x, y, width, height);
    zwlr_virtual_pointer_v1_frame(pointer);
    Settle(display);
    if (click) {
        zwlr_virtual_pointer_v1_button(pointer, Milliseconds(), BTN_LEFT,
                                       WL_POINTER_BUTTON_STATE_PRESSED);
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
        usleep(50'000);
        zwlr_virtual_pointer_v1_button(pointer, Milliseconds(), BTN_LEFT,
                                       WL_POINTER_BUTTON_STATE_RELEASED);
        zwlr_virtual_pointer_v1_frame(pointer);
        Settle(display);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(g.manager);
    if (g.seat)
        wl_seat_destroy(g.seat);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
