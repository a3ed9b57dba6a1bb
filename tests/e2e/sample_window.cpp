// A plain window for the end-to-end tests to walk on: a title, a size and
// a colour, nothing else. It reports each button press on stdout as
// "press X Y" in root coordinates and its own window id as "window ID" once
// mapped, so a test can tell that a click reached it. Optionally it paints
// the root window a colour first, so that screenshots have a known backdrop.
//
//   sample_window [--title T] [--geometry WxH+X+Y] [--colour RRGGBB]
//                 [--root-colour RRGGBB]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

unsigned long ParseColour(const char* text) { return std::strtoul(text, nullptr, 16); }

} // namespace

int main(int argc, char** argv)
{
    std::string title = "sample";
    int x = 100, y = 100;
    unsigned width = 400, height = 300;
    unsigned long colour = 0x8FBF8F;
    long root_colour = -1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--title")
            title = argv[i + 1];
        else if (option == "--geometry")
            std::sscanf(argv[i + 1], "%ux%u+%d+%d", &width, &height, &x, &y);
        else if (option == "--colour")
            colour = ParseColour(argv[i + 1]);
        else if (option == "--root-colour")
            root_colour = long(ParseColour(argv[i + 1]));
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "sample_window: no display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    if (root_colour >= 0) {
        XSetWindowBackground(display, root, (unsigned long)root_colour);
        XClearWindow(display, root);
    }
    XSetWindowAttributes attributes{};
    attributes.background_pixel = colour;
    attributes.event_mask = ButtonPressMask | StructureNotifyMask;
    const Window window =
        XCreateWindow(display, root, x, y, width, height, 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    XSizeHints size{};
    size.flags = USPosition | USSize;
    size.x = x;
    size.y = y;
    size.width = int(width);
    size.height = int(height);
    XSetWMNormalHints(display, window, &size);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Atom net_wm_name = XInternAtom(display, "_NET_WM_NAME", False);
    XStoreName(display, window, title.c_str());
    XChangeProperty(display, window, net_wm_name, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), int(title.size()));
    Atom delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &delete_window, 1);
    XMapWindow(display, window);

    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify) {
            std::printf("window %lu\n", window);
            std::fflush(stdout);
        } else if (event.type == ButtonPress) {
            std::printf("press %d %d\n", event.xbutton.x_root, event.xbutton.y_root);
            std::fflush(stdout);
        } else if (event.type == ClientMessage &&
                   Atom(event.xclient.data.l[0]) == delete_window) {
            break;
        }
    }
    XCloseDisplay(display);
    return 0;
}
