#include "tests/e2e/x_session.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

// Reads the display number Xvfb writes once it accepts connections.
std::string ReadDisplayNumber(int fd, std::chrono::milliseconds timeout)
{
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (text.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return "";
        pollfd descriptor{fd, POLLIN, 0};
        if (poll(&descriptor, 1, int(left.count())) <= 0)
            return "";
        char buffer[32];
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return "";
        text.append(buffer, std::size_t(got));
    }
    return text.substr(0, text.find('\n'));
}

bool ReadLongs(Display* display, Window window, const char* name, Atom type, long count,
               std::vector<long>& values)
{
    Atom actual = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom property = XInternAtom(display, name, False);
    if (XGetWindowProperty(display, window, property, 0, count, False, type, &actual, &format,
                           &items, &after, &data) != Success ||
        !data) {
        return false;
    }
    values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + items);
    XFree(data);
    return format == 32 && items > 0;
}

std::string Title(Display* display, Window window)
{
    Atom actual = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom net_wm_name = XInternAtom(display, "_NET_WM_NAME", False);
    for (Atom property : {net_wm_name, Atom(XA_WM_NAME)}) {
        if (XGetWindowProperty(display, window, property, 0, 256, False, AnyPropertyType,
                               &actual, &format, &items, &after, &data) == Success &&
            data) {
            std::string title(reinterpret_cast<char*>(data), items);
            XFree(data);
            return title;
        }
    }
    return "";
}

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

} // namespace

void Screenshot::Save(const std::string& path) const
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return;
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    for (uint32_t pixel : pixels) {
        const unsigned char rgb[3] = {uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel)};
        std::fwrite(rgb, 1, 3, file);
    }
    std::fclose(file);
}

XSession::XSession(const Options& options) : width_(options.width), height_(options.height)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    // The write end goes to the server: it must survive exec.
    const int server_fd = fcntl(fds[1], F_DUPFD, 10);
    close(fds[1]);
    const std::string screen =
        std::to_string(width_) + "x" + std::to_string(height_) + "x24";
    server_ = std::make_unique<Process>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(server_fd), "-screen", "0",
                                 screen, "-nolisten", "tcp", "-noreset"},
        std::map<std::string, std::string>{});
    close(server_fd);
    const std::string number = ReadDisplayNumber(fds[0], std::chrono::seconds(10));
    close(fds[0]);
    if (number.empty())
        return;
    name_ = ":" + number;
    display_ = XOpenDisplay(name_.c_str());
    if (!display_)
        return;
    XSetErrorHandler(IgnoreErrors);
    const Window root = DefaultRootWindow(display_);
    XSetWindowBackground(display_, root, options.root_colour);
    XClearWindow(display_, root);
    XSync(display_, False);
    if (options.window_manager)
        StartWindowManager();
}

XSession::~XSession()
{
    window_manager_.reset();
    if (display_)
        XCloseDisplay(display_);
    server_.reset();
}

void XSession::StartWindowManager()
{
    window_manager_ = std::make_unique<Process>(
        std::vector<std::string>{"openbox", "--sm-disable"}, Environment());
    // It names its check window early but may drop windows mapped while it
    // still starts: it is up once it frames a window of ours.
    const Window root = DefaultRootWindow(display_);
    const Window probe = XCreateSimpleWindow(display_, root, 0, 0, 10, 10, 0, 0, 0);
    auto framed = [&] {
        Window up = None, top = None;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display_, probe, &top, &up, &children, &count))
            return false;
        if (children)
            XFree(children);
        return up != root;
    };
    for (int attempt = 0; attempt < 20 && !framed(); ++attempt) {
        XUnmapWindow(display_, probe);
        XMapWindow(display_, probe);
        XSync(display_, False);
        WaitUntil(framed, std::chrono::milliseconds(500));
    }
    XDestroyWindow(display_, probe);
    XSync(display_, False);
}

void XSession::StopWindowManager(int signal)
{
    if (!window_manager_)
        return;
    window_manager_->Signal(signal);
    window_manager_->Wait(std::chrono::seconds(5));
    window_manager_.reset();
}

void XSession::KillServer()
{
    // Ours first: Xlib would end this process when the connection breaks.
    if (display_)
        XCloseDisplay(display_);
    display_ = nullptr;
    if (server_)
        server_->Signal(SIGKILL);
}

Screenshot XSession::Capture() const
{
    Screenshot shot;
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), 0, 0, unsigned(width_),
                              unsigned(height_), AllPlanes, ZPixmap);
    if (!image)
        return shot;
    shot.width = width_;
    shot.height = height_;
    shot.pixels.resize(std::size_t(width_) * height_);
    const bool words = image->bits_per_pixel == 32 && image->byte_order == LSBFirst;
    for (int y = 0; y < height_; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(image->data + std::size_t(y) *
                                                                          image->bytes_per_line);
        for (int x = 0; x < width_; ++x)
            shot.pixels[std::size_t(y) * width_ + x] =
                (words ? row[x] : uint32_t(XGetPixel(image, x, y))) & 0xFFFFFF;
    }
    XDestroyImage(image);
    return shot;
}

Window XSession::ActiveWindow() const
{
    std::vector<long> active;
    if (!ReadLongs(display_, DefaultRootWindow(display_), "_NET_ACTIVE_WINDOW", XA_WINDOW, 1,
                   active))
        return None;
    return Window(active[0]);
}

Window XSession::FindWindow(const std::string& title) const
{
    const std::vector<Window> found = FindWindows(title);
    return found.empty() ? None : found.front();
}

std::vector<Window> XSession::FindWindows(const std::string& title) const
{
    // Top levels and, under a window manager, the clients in its frames.
    std::vector<Window> found;
    std::vector<Window> pending{DefaultRootWindow(display_)};
    for (int depth = 0; depth < 3 && !pending.empty(); ++depth) {
        std::vector<Window> next;
        for (Window parent : pending) {
            Window root = None, up = None;
            Window* children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(display_, parent, &root, &up, &children, &count))
                continue;
            for (unsigned i = 0; i < count; ++i)
                next.push_back(children[i]);
            if (children)
                XFree(children);
        }
        for (Window window : next)
            if (Title(display_, window) == title)
                found.push_back(window);
        pending = next;
    }
    return found;
}

bool XSession::Viewable(Window window) const
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display_, window, &attributes) &&
           attributes.map_state == IsViewable;
}

Box XSession::Frame(Window client) const
{
    int x = 0, y = 0;
    Window child = None;
    XTranslateCoordinates(display_, client, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, client, &attributes);
    std::vector<long> extents{0, 0, 0, 0};
    if (!ReadLongs(display_, client, "_NET_FRAME_EXTENTS", XA_CARDINAL, 4, extents) ||
        extents.size() != 4)
        extents = {0, 0, 0, 0};
    return Box{int(x - extents[0]), int(y - extents[2]),
               int(x + attributes.width + extents[1]), int(y + attributes.height + extents[3])};
}

std::string XSession::Xdotool(const std::vector<std::string>& arguments) const
{
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    RunResult result = RunToEnd(argv, Environment(), std::chrono::seconds(10));
    return result.status == 0 ? result.output : "";
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
