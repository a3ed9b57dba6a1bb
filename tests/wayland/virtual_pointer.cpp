// Clicks for the end-to-end tests on a compositor without input devices: a
// virtual pointer (wlroots' protocol) that stays for the whole test, so
// that clients have taken it up before the first click, and moves and
// clicks or drags as the lines read from COMMANDS (a named pipe) say.
//
//   wayland_virtual_pointer COMMANDS LAYOUT_WIDTH LAYOUT_HEIGHT
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
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
    usleep(300'000);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s COMMANDS LAYOUT_WIDTH LAYOUT_HEIGHT\n", argv[0]);
        return 2;
    }
    const auto width = uint32_t(std::atoi(argv[2])), height = uint32_t(std::atoi(argv[3]));
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
    std::printf("ready\n");
    std::fflush(stdout);

    // One command a line: "move X Y", "click X Y", or "press X Y" and
// "release X Y" for a drag, answered "done N".
    FILE* commands = std::fopen(argv[1], "r");
    char verb[16];
    int x = 0, y = 0, done = 0;
    while (commands && std::fscanf(commands, "%15s %d %d", verb, &x, &y) == 3) {
        zwlr_virtual_pointer_v1_motion_absolute(pointer, Milliseconds(), uint32_t(x),
                                                uint32_t(y), width, height);
        zwlr_virtual_pointer_v1_frame(pointer);
        const bool click = std::strcmp(verb, "click") == 0;
        if (click || std::strcmp(verb, "press") == 0) {
            zwlr_virtual_pointer_v1_button(pointer, Milliseconds(), BTN_LEFT,
                                           WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(pointer);
        }
        if (click || std::strcmp(verb, "release") == 0) {
            zwlr_virtual_pointer_v1_button(pointer, Milliseconds(), BTN_LEFT,
                                           WL_POINTER_BUTTON_STATE_RELEASED);
            zwlr_virtual_pointer_v1_frame(pointer);
        }
        wl_display_roundtrip(display);
        std::printf("done %d\n", ++done);
        std::fflush(stdout);
    }
    if (commands)
        std::fclose(commands);
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(g.manager);
    if (g.seat)
        wl_seat_destroy(g.seat);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
