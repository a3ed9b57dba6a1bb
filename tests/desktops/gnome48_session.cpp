#include "tests/desktops/gnome48_session.h"

#include <cctype>
#include <dirent.h>
#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/desktops/test_root.h"

using namespace std::chrono_literals;

namespace {

// A file in `directory` whose name starts with `prefix`.
std::string FindFile(const std::string& directory, const std::string& prefix)
{
    std::string found;
    if (DIR* dir = opendir(directory.c_str())) {
        while (const dirent* entry = readdir(dir))
            if (std::string(entry->d_name).rfind(prefix, 0) == 0)
                found = directory + "/" + entry->d_name;
        closedir(dir);
    }
    return found;
}

// ":N" from the shell's "Using public X11 display :N" line.
std::string XDisplayFromLog(const std::string& log)
{
    const std::string line = "Using public X11 display :";
    const std::size_t at = log.find(line);
    if (at == std::string::npos)
        return "";
    const std::size_t start = at + line.size() - 1;
    std::size_t end = start + 1;
    while (end < log.size() && std::isdigit(static_cast<unsigned char>(log[end])))
        ++end;
    return end > start + 1 ? log.substr(start, end - start) : "";
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

} // namespace

Gnome48Session::Gnome48Session(const Options& options)
{
    failure_ = test_root::Unavailable();
    if (!failure_.empty()) {
        root_missing_ = true;
        return;
    }
    directory_ = MakeSessionDirectory("gnome48");
    if (directory_.empty()) {
        failure_ = "no session folder";
        return;
    }
    if (!StubScreencastService(directory_)) {
        failure_ = "no screencast stand-in";
        return;
    }
    // The runtime folder and HOME are set before the buses start: the
    // dconf service the session bus starts inherits them.
    std::map<std::string, std::string> environment{{"XDG_RUNTIME_DIR", directory_},
                                                   {"HOME", directory_},
                                                   {"WAYLAND_DISPLAY", ""},
                                                   {"DISPLAY", ""}};
    system_bus_ = std::make_unique<SessionBus>(directory_, "system_bus", Prefix(), environment);
    environment["DBUS_SYSTEM_BUS_ADDRESS"] = system_bus_->Address();
    bus_ = std::make_unique<SessionBus>(directory_, "bus", Prefix(), environment);
    if (!system_bus_->Ready() || !bus_->Ready()) {
        failure_ = "the buses did not start";
        return;
    }
    environment["DBUS_SESSION_BUS_ADDRESS"] = bus_->Address();

    std::string enabled;
    for (const auto& [uuid, folder] : options.extensions) {
        const std::string installed = directory_ + "/.local/share/gnome-shell/extensions/" + uuid;
        RunToEnd({"mkdir", "-p", installed}, {});
        RunToEnd({"cp", "-rT", folder, installed}, {});
        enabled += (enabled.empty() ? "" : ", ") + Quoted(uuid);
    }
    // No banner, hot corner, maximizing or blanking gets in a test's way.
    const std::string settings =
        "gsettings set org.gnome.shell enabled-extensions \"[" + enabled + "]\" && "
        "gsettings set org.gnome.shell disable-user-extensions false && "
        "gsettings set org.gnome.shell disable-extension-version-validation true && "
        "gsettings set org.gnome.desktop.notifications show-banners false && "
        "gsettings set org.gnome.desktop.interface enable-hot-corners false && "
        "gsettings set org.gnome.mutter auto-maximize false && "
        "gsettings set org.gnome.desktop.session idle-delay 0 && "
        "gsettings set org.gnome.desktop.screensaver lock-enabled false";
    std::vector<std::string> argv = Prefix();
    argv.insert(argv.end(), {"sh", "-c", settings});
    const RunResult written = RunToEnd(argv, environment, 30s);
    if (written.status != 0) {
        failure_ = "gsettings failed";
        return;
    }

    socket_ = "walkers-gnome48-" + std::to_string(getpid());
    argv = Prefix();
    argv.insert(argv.end(), {"gnome-shell", "--headless", "--wayland", "--virtual-monitor",
                             std::to_string(kWidth) + "x" + std::to_string(kHeight),
                             "--wayland-display", socket_});
    environment["XDG_CURRENT_DESKTOP"] = "GNOME";
    environment["XDG_SESSION_TYPE"] = "wayland";
    environment["NO_AT_BRIDGE"] = "1";
    shell_ = std::make_unique<Process>(argv, environment);
    // Ready once the shell answers on the bus; Xwayland's display comes
    // from its log.
    if (!WaitUntil(
            [&] {
                if (!shell_->Running())
                    return true;
                x_display_ = XDisplayFromLog(Log());
                if (x_display_.empty())
                    return false;
                x_authority_ = FindFile(directory_, ".mutter-Xwaylandauth.");
                return !x_authority_.empty() && bus_->Answers("org.gnome.Shell");
            },
            60s) ||
        !shell_->Running())
        failure_ = "GNOME Shell did not start: " + Log();
    // It starts in the overview, where windows do not take the focus,
    // once it has finished starting; its bus property leaves it then.
    else if (!WaitUntil([&] { return Overview() == "true"; }, 20s) || Overview("false").empty() ||
             !WaitUntil([&] { return Overview() == "false"; }, 5s))
        failure_ = "the overview stays";
}

std::string Gnome48Session::Overview(const std::string& set) const
{
    std::vector<std::string> argv{"dbus-send", "--bus=" + BusAddress(), "--print-reply",
                                  "--dest=org.gnome.Shell", "/org/gnome/Shell",
                                  set.empty() ? "org.freedesktop.DBus.Properties.Get"
                                              : "org.freedesktop.DBus.Properties.Set",
                                  "string:org.gnome.Shell", "string:OverviewActive"};
    if (!set.empty())
        argv.push_back("variant:boolean:" + set);
    const RunResult reply = RunToEnd(argv, {});
    if (reply.status != 0)
        return "";
    if (!set.empty())
        return set;
    return reply.output.find("boolean true") != std::string::npos    ? "true"
           : reply.output.find("boolean false") != std::string::npos ? "false"
                                                                     : "";
}

Gnome48Session::~Gnome48Session()
{
    shell_.reset();
    bus_.reset();
    system_bus_.reset();
    if (!directory_.empty())
        RunToEnd({"rm", "-rf", directory_}, {});
}

std::map<std::string, std::string> Gnome48Session::Environment() const
{
    return {{"XDG_RUNTIME_DIR", directory_},
            {"HOME", directory_},
            {"WAYLAND_DISPLAY", socket_},
            {"DISPLAY", x_display_},
            {"XAUTHORITY", x_authority_},
            {"DBUS_SESSION_BUS_ADDRESS", BusAddress()},
            {"XDG_CURRENT_DESKTOP", "GNOME"},
            {"XDG_SESSION_TYPE", "wayland"},
            {"SWAYSOCK", ""},
            {"HYPRLAND_INSTANCE_SIGNATURE", ""}};
}

std::vector<std::string> Gnome48Session::Prefix() const { return test_root::Prefix(); }

Screenshot Gnome48Session::Capture() const
{
    Screenshot shot;
    const std::string png = directory_ + "/shot.png", ppm = directory_ + "/shot.ppm";
    if (RunToEnd({SHELL_SCREENSHOT, png, ppm}, {{"DBUS_SESSION_BUS_ADDRESS", BusAddress()}})
            .status != 0)
        return shot;
    std::ifstream in(ppm, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, depth = 0;
    in >> magic >> width >> height >> depth;
    in.get();
    if (magic != "P6" || depth != 255 || width <= 0 || height <= 0)
        return shot;
    std::vector<unsigned char> rgb(std::size_t(width) * std::size_t(height) * 3);
    in.read(reinterpret_cast<char*>(rgb.data()), std::streamsize(rgb.size()));
    shot.width = width;
    shot.height = height;
    shot.pixels.resize(std::size_t(width) * std::size_t(height));
    for (std::size_t i = 0; i < shot.pixels.size(); ++i)
        shot.pixels[i] = uint32_t(rgb[3 * i]) << 16 | uint32_t(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
    return shot;
}

void Gnome48Session::Kill()
{
    if (shell_) {
        shell_->Signal(SIGKILL);
        shell_->Wait(5s);
    }
}
