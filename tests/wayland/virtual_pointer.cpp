// Clicks for the end-to-end tests on a compositor without input devices: a
// virtual pointer (wlroots' protocol, or KWin's fake input) that stays for
// the whole test, so that clients have taken it up before the first click,
// and moves and clicks as the lines read from COMMANDS (a named pipe) say.
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

#include "wayland/fake-input-client-protocol.h"
#include "wayland/wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
    org_kde_kwin_fake_input* fake_input = nullptr;
};

const wl_registry_listener kRegistry = {
    [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
        auto& g = *static_cast<Globals*>(data);
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g.seat)
            g.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
            g.manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
        else if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0)
            g.fake_input = static_cast<org_kde_kwin_fake_input*>(
                wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 3));
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
    zwlr_virtual_pointer_v1* pointer = nullptr;
    if (g.manager) {
        pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.manager, g.seat);
    } else if (g.fake_input) {
        // KWin lets a client fake input once it says who it is.
        org_kde_kwin_fake_input_authenticate(g.fake_input, "walkers tests", "clicks in tests");
    } else {
        std::fprintf(stderr, "no virtual pointer protocol\n");
        return 1;
    }
    Settle(display);
    std::printf("ready\n");
    std::fflush(stdout);

    auto move = [&](int x, int y) {
        if (pointer) {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, Milliseconds(), uint32_t(x),
                                                    uint32_t(y), width, height);
            zwlr_virtual_pointer_v1_frame(pointer);
        } else {
            org_kde_kwin_fake_input_pointer_motion_absolute(g.fake_input, wl_fixed_from_int(x),
                                                            wl_fixed_from_int(y));
        }
    };
    auto button = [&](uint32_t state) {
        if (pointer) {
            zwlr_virtual_pointer_v1_button(pointer, Milliseconds(), BTN_LEFT, state);
            zwlr_virtual_pointer_v1_frame(pointer);
        } else {
            org_kde_kwin_fake_input_button(g.fake_input, BTN_LEFT, state);
        }
    };
    // One command a line: "move X Y" or "click X Y", answered "done N".
    FILE* commands = std::fopen(argv[1], "r");
    char verb[16];
    int x = 0, y = 0, done = 0;
    while (commands && std::fscanf(commands, "%15s %d %d", verb, &x, &y) == 3) {
        move(x, y);
        if (std::strcmp(verb, "click") == 0) {
            // The pointer's motion reaches the surface below before the press.
            wl_display_roundtrip(display);
            for (auto state : {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED})
                button(state);
        }
        wl_display_roundtrip(display);
        std::printf("done %d\n", ++done);
        std::fflush(stdout);
    }
    if (commands)
        std::fclose(commands);
    if (pointer) {
        zwlr_virtual_pointer_v1_destroy(pointer);
        zwlr_virtual_pointer_manager_v1_destroy(g.manager);
    }
    if (g.fake_input)
        org_kde_kwin_fake_input_destroy(g.fake_input);
    if (g.seat)
        wl_seat_destroy(g.seat);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
