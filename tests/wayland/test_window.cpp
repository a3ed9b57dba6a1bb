// A plain Wayland window for the end-to-end tests: an xdg-shell toplevel of
// one colour, titled from the command line; SIGUSR1 gives it its second
// title. It prints what it receives, one line each: "configured W H",
// "press X Y", "keyboard enter", "keyboard leave".
//
//   wayland_test_window TITLE RRGGBB [SECOND_TITLE]
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <cstdarg>
#include <poll.h>
#include <string>
#include <sys/mman.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <wayland-client.h>

#include "wayland/xdg-shell-client-protocol.h"

namespace {

struct Window {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* wm_base = nullptr;
    wl_seat* seat = nullptr;
    wl_pointer* pointer = nullptr;
    wl_keyboard* keyboard = nullptr;
    wl_surface* surface = nullptr;
    xdg_surface* shell_surface = nullptr;
    xdg_toplevel* toplevel = nullptr;
    wl_buffer* buffer = nullptr;
    uint32_t colour = 0xFF8FBF8F;
    int width = 400, height = 300;      // what the compositor asked
    int buffer_width = 0, buffer_height = 0;
    double pointer_x = 0, pointer_y = 0;
    bool closed = false;
};

void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Say(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    std::fflush(stdout);
}

// A buffer of the window's size, all of its colour.
void Draw(Window& w)
{
    if (w.buffer && (w.buffer_width != w.width || w.buffer_height != w.height)) {
        wl_buffer_destroy(w.buffer);
        w.buffer = nullptr;
    }
    if (!w.buffer) {
        const std::size_t size = std::size_t(w.width) * std::size_t(w.height) * 4;
        const int fd = memfd_create("test-window", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, off_t(size)) != 0)
            std::exit(1);
        void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (memory == MAP_FAILED)
            std::exit(1);
        auto* pixels = static_cast<uint32_t*>(memory);
        for (std::size_t i = 0; i < size / 4; ++i)
            pixels[i] = w.colour;
        munmap(memory, size);
        wl_shm_pool* pool = wl_shm_create_pool(w.shm, fd, int32_t(size));
        w.buffer = wl_shm_pool_create_buffer(pool, 0, w.width, w.height, w.width * 4,
                                             WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        close(fd);
        w.buffer_width = w.width;
        w.buffer_height = w.height;
    }
    wl_surface_attach(w.surface, w.buffer, 0, 0);
    wl_surface_damage_buffer(w.surface, 0, 0, w.width, w.height);
    wl_surface_commit(w.surface);
}

const wl_pointer_listener kPointer = {
    [](void* data, wl_pointer*, uint32_t, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
        auto& w = *static_cast<Window*>(data);
        w.pointer_x = wl_fixed_to_double(x);
        w.pointer_y = wl_fixed_to_double(y);
    },
    [](void*, wl_pointer*, uint32_t, wl_surface*) {},
    [](void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
        auto& w = *static_cast<Window*>(data);
        w.pointer_x = wl_fixed_to_double(x);
        w.pointer_y = wl_fixed_to_double(y);
    },
    [](void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
        auto& w = *static_cast<Window*>(data);
        if (state == WL_POINTER_BUTTON_STATE_PRESSED)
            Say("press %d %d\n", int(w.pointer_x), int(w.pointer_y));
    },
    [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {},
    [](void*, wl_pointer*) {},
    [](void*, wl_pointer*, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, int32_t) {},
    nullptr,
};

const wl_keyboard_listener kKeyboard = {
    [](void*, wl_keyboard*, uint32_t, int fd, uint32_t) { close(fd); },
    [](void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) { Say("keyboard enter\n"); },
    [](void*, wl_keyboard*, uint32_t, wl_surface*) { Say("keyboard leave\n"); },
    [](void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t) {},
    [](void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {},
    [](void*, wl_keyboard*, int32_t, int32_t) {},
};

const wl_seat_listener kSeat = {
    [](void* data, wl_seat* seat, uint32_t capabilities) {
        auto& w = *static_cast<Window*>(data);
        if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && !w.pointer) {
            w.pointer = wl_seat_get_pointer(seat);
            wl_pointer_add_listener(w.pointer, &kPointer, &w);
        }
        if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !w.keyboard) {
            w.keyboard = wl_seat_get_keyboard(seat);
            wl_keyboard_add_listener(w.keyboard, &kKeyboard, &w);
        }
    },
    [](void*, wl_seat*, const char*) {},
};

const xdg_wm_base_listener kWmBase = {
    [](void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); },
};

const wl_registry_listener kRegistry = {
    [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
        auto& w = *static_cast<Window*>(data);
        if (std::strcmp(interface, wl_compositor_interface.name) == 0)
            w.compositor = static_cast<wl_compositor*>(
                wl_registry_bind(registry, name, &wl_compositor_interface, 4));
        else if (std::strcmp(interface, wl_shm_interface.name) == 0)
            w.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
            w.wm_base = static_cast<xdg_wm_base*>(
                wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
            xdg_wm_base_add_listener(w.wm_base, &kWmBase, &w);
        } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !w.seat) {
            w.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 5));
            wl_seat_add_listener(w.seat, &kSeat, &w);
        }
    },
    [](void*, wl_registry*, uint32_t) {},
};

const xdg_surface_listener kShellSurface = {
    [](void* data, xdg_surface* surface, uint32_t serial) {
        auto& w = *static_cast<Window*>(data);
        xdg_surface_ack_configure(surface, serial);
        Draw(w);
        Say("configured %d %d\n", w.width, w.height);
    },
};

const xdg_toplevel_listener kToplevel = {
    [](void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
        auto& w = *static_cast<Window*>(data);
        if (width > 0 && height > 0) {
            w.width = width;
            w.height = height;
        }
    },
    [](void* data, xdg_toplevel*) { static_cast<Window*>(data)->closed = true; },
    nullptr, // configure_bounds and wm_capabilities: not sent at version 1
    nullptr,
};

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s TITLE [RRGGBB]\n", argv[0]);
        return 2;
    }
    Window w;
    if (argc > 2)
        w.colour = 0xFF000000u | uint32_t(std::strtoul(argv[2], nullptr, 16));
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "no Wayland display\n");
        return 1;
    }
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistry, &w);
    wl_display_roundtrip(display);
    if (!w.compositor || !w.shm || !w.wm_base)
        return 1;
    w.surface = wl_compositor_create_surface(w.compositor);
    w.shell_surface = xdg_wm_base_get_xdg_surface(w.wm_base, w.surface);
    xdg_surface_add_listener(w.shell_surface, &kShellSurface, &w);
    w.toplevel = xdg_surface_get_toplevel(w.shell_surface);
    xdg_toplevel_add_listener(w.toplevel, &kToplevel, &w);
    xdg_toplevel_set_title(w.toplevel, argv[1]);
    xdg_toplevel_set_app_id(w.toplevel, "walkers-test-window");
    wl_surface_commit(w.surface);

    const std::string second_title = argc > 3 ? argv[3] : "";
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGUSR1);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    const int signal_fd = signalfd(-1, &signals, SFD_CLOEXEC);
    while (!w.closed) {
        while (wl_display_prepare_read(display) != 0)
            wl_display_dispatch_pending(display);
        wl_display_flush(display);
        pollfd descriptors[2] = {{wl_display_get_fd(display), POLLIN, 0}, {signal_fd, POLLIN, 0}};
        if (poll(descriptors, 2, -1) < 0 && errno != EINTR) {
            wl_display_cancel_read(display);
            break;
        }
        if (descriptors[0].revents) {
            if (wl_display_read_events(display) < 0)
                break;
        } else {
            wl_display_cancel_read(display);
        }
        if (wl_display_dispatch_pending(display) < 0)
            break;
        if (descriptors[1].revents) {
            signalfd_siginfo info{};
            if (read(signal_fd, &info, sizeof info) == ssize_t(sizeof info)) {
                xdg_toplevel_set_title(w.toplevel, second_title.c_str());
                wl_surface_commit(w.surface);
                Say("retitled\n");
            }
        }
    }
    close(signal_fd);
    wl_display_disconnect(display);
    return 0;
}
