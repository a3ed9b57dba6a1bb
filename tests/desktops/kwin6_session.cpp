#include "tests/desktops/kwin6_session.h"

#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/desktops/test_root.h"

using namespace std::chrono_literals;

Kwin6Session::Kwin6Session(const Options& options)
{
    failure_ = test_root::Unavailable();
    if (!failure_.empty()) {
        root_missing_ = true;
        return;
    }
    directory_ = MakeSessionDirectory("kwin6");
    XSession::Options screen;
    screen.width = kWidth;
    screen.height = kHeight;
    screen.window_manager = false;
    x_ = std::make_unique<XSession>(screen);
    if (directory_.empty() || !x_->Ready()) {
        failure_ = "no session folder or no X server for KWin";
        return;
    }
    const std::map<std::string, std::string> base{{"XDG_RUNTIME_DIR", directory_},
                                                  {"HOME", directory_},
                                                  {"WAYLAND_DISPLAY", ""},
                                                  {"DISPLAY", ""}};
    bus_ = std::make_unique<SessionBus>(directory_, "bus", Prefix(), base);
    if (!bus_->Ready()) {
        failure_ = "the session bus did not start";
        return;
    }
    socket_ = "walkers-kwin6-" + std::to_string(getpid());
    std::vector<std::string> argv = Prefix();
    argv.insert(argv.end(), {"kwin_wayland", "--x11-display", x_->Name(), "--no-lockscreen",
                             "--no-global-shortcuts", "--no-kactivities", "--width",
                             std::to_string(kWidth), "--height", std::to_string(kHeight),
                             "--socket", socket_});
    if (options.xwayland) {
        // KWin starts the programs it is given with its Xwayland's DISPLAY
        // (and starts Xwayland itself at the first X11 client).
        const std::string tell = directory_ + "/tell-xwayland-display";
        std::ofstream(tell) << "#!/bin/sh\necho \"$DISPLAY\" > " << directory_
                            << "/xwayland-display\n";
        chmod(tell.c_str(), 0755);
        argv.insert(argv.end(), {"--xwayland", tell});
    }
    std::map<std::string, std::string> environment = base;
    environment.insert({{"DBUS_SESSION_BUS_ADDRESS", bus_->Address()},
                        {"DISPLAY", x_->Name()},
                        {"KWIN_WAYLAND_NO_PERMISSION_CHECKS", "1"},
                        {"KWIN_SCREENSHOT_NO_PERMISSION_CHECKS", "1"},
                        {"XDG_CURRENT_DESKTOP", "KDE"}});
    environment["DISPLAY"] = x_->Name();
    kwin_ = std::make_unique<Process>(argv, environment);
    // Ready once it answers on the bus and its nested output is mapped.
    if (!WaitUntil([&] { return bus_->Answers("org.kde.KWin") || !kwin_->Running(); }, 30s) ||
        !kwin_->Running())
        failure_ = "KWin did not start: " + Log();
    else if (access((directory_ + "/" + socket_).c_str(), F_OK) != 0)
        failure_ = "KWin offers no Wayland socket";
}

Kwin6Session::~Kwin6Session()
{
    kwin_.reset();
    bus_.reset();
    x_.reset();
    if (!directory_.empty())
        RunToEnd({"rm", "-rf", directory_}, {});
}

std::map<std::string, std::string> Kwin6Session::Environment() const
{
    return {{"XDG_RUNTIME_DIR", directory_},
            {"HOME", directory_},
            {"WAYLAND_DISPLAY", socket_},
            {"DBUS_SESSION_BUS_ADDRESS", BusAddress()},
            {"XDG_CURRENT_DESKTOP", "KDE"},
            {"DISPLAY", ""},
            {"SWAYSOCK", ""},
            {"HYPRLAND_INSTANCE_SIGNATURE", ""}};
}

std::vector<std::string> Kwin6Session::Prefix() const { return test_root::Prefix(); }

std::string Kwin6Session::XWaylandDisplay() const
{
    std::string display;
    WaitUntil(
        [&] {
            std::ifstream in(directory_ + "/xwayland-display");
            return std::getline(in, display) && !display.empty();
        },
        10s);
    return display;
}

Screenshot Kwin6Session::Capture() const { return x_ ? x_->Capture() : Screenshot{}; }

bool Kwin6Session::Click(int x, int y, bool move_only) const
{
    if (!x_)
        return false;
    std::vector<std::string> arguments{"mousemove", std::to_string(x), std::to_string(y)};
    if (!move_only)
        arguments.insert(arguments.end(), {"click", "1"});
    // xdotool prints nothing; it ends once the server has the events.
    x_->Xdotool(arguments);
    return true;
}

void Kwin6Session::Kill()
{
    if (kwin_) {
        kwin_->Signal(SIGKILL);
        kwin_->Wait(5s);
    }
}
