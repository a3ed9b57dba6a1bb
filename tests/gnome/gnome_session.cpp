#include "tests/gnome/gnome_session.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <csignal>
#include <unistd.h>

#include "tests/desktops/session_bus.h"
#include "tests/desktops/test_root.h"

using namespace std::chrono_literals;

namespace {

constexpr char kTestPath[] = "/io/github/walkers/Test";
constexpr char kTestInterface[] = "io.github.walkers.Test.";

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The numbers of a reply such as "('title', 1, 2, 3, 4)", after its title.
std::vector<int> NumbersAfterTitle(const std::string& reply)
{
    std::vector<int> numbers;
    if (reply.empty())
        return numbers;
    const std::size_t quote = reply.rfind('\'');
    std::istringstream in(reply.substr(quote == std::string::npos ? 1 : quote + 1));
    for (std::string field; std::getline(in, field, ',');) {
        const std::size_t digit = field.find_first_of("-0123456789");
        if (digit != std::string::npos)
            numbers.push_back(std::atoi(field.c_str() + digit));
    }
    return numbers;
}

} // namespace

GnomeSession::GnomeSession(const Options& options)
    : prefix_(options.prefix.empty() ? test_root::WantedPrefix() : options.prefix)
{
    char pattern[] = "/tmp/walkers-gnome.XXXXXX";
    if (!mkdtemp(pattern))
        return;
    directory_ = pattern;
    mkdir((directory_ + "/home").c_str(), 0700);
    mkdir((directory_ + "/runtime").c_str(), 0700);
    // Xwayland needs it, and a shell of 48 aborts without it.
    mkdir("/tmp/.X11-unix", 01777);
    chmod("/tmp/.X11-unix", 01777);

    const RunResult version = RunToEnd(Desktop({"gnome-shell", "--version"}), DesktopEnvironment());
    const std::size_t name = version.output.find("GNOME Shell ");
    if (name != std::string::npos)
        release_ = std::atoi(version.output.c_str() + name + 12);
    if (release_ == 0) {
        problem_ = "gnome-shell --version said: " + version.output;
        return;
    }
    if (!InstallExtension("walkers-test@walkers.github.io") ||
        (options.install_walkers_extension && !InstallWalkersExtension())) {
        problem_ = "cannot install the extensions";
        return;
    }
    if (!StubScreencastService(directory_ + "/runtime")) {
        problem_ = "cannot write the screencast stand-in";
        return;
    }

    // The shell needs a system bus, and its bus-activated helpers (dconf)
    // inherit the session bus's home and runtime directory.
    system_bus_ = std::make_unique<Process>(
        Desktop({"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + directory_ + "/system_bus"}),
        DesktopEnvironment());
    session_bus_ = std::make_unique<Process>(
        Desktop({"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + directory_ + "/session_bus"}),
        DesktopEnvironment());
    struct stat info{};
    if (!WaitUntil([&] { return stat((directory_ + "/system_bus").c_str(), &info) == 0 &&
                                stat((directory_ + "/session_bus").c_str(), &info) == 0; },
                   10s)) {
        problem_ = "the buses did not start";
        return;
    }
    if (!Configure(options)) {
        problem_ = "gsettings failed";
        return;
    }
    // Ready once the test extension answers, the shell has started and its
    // overview is hidden. A shell that has not finished its start within
    // the wait is killed and started again, twice at most.
    std::string busy;
    for (int attempt = 0; attempt < 3 && busy.rfind("(false", 0) != 0; ++attempt) {
        if (shell_)
            Kill();
        wayland_display_ = "walkers-gnome-" + std::to_string(getpid()) + "-" +
                           directory_.substr(directory_.size() - 6) + "-" + std::to_string(attempt);
        shell_ = std::make_unique<Process>(
            Desktop({"gnome-shell", "--headless", "--wayland", "--virtual-monitor",
                     std::to_string(kWidth) + "x" + std::to_string(kHeight), "--wayland-display",
                     wayland_display_}),
            DesktopEnvironment());
        WaitUntil(
            [&] {
                busy = Call(kTestPath, std::string(kTestInterface) + "HideOverview");
                return busy.rfind("(false", 0) == 0;
            },
            15s);
    }
    if (busy.rfind("(false", 0) != 0) {
        problem_ = busy.empty() ? "the test extension did not answer"
                                : "the shell kept starting or showing its overview: " + busy;
        return;
    }
    if (!FindXWayland()) {
        problem_ = "no Xwayland display or key in the shell's log";
        return;
    }
    ready_ = true;
}

GnomeSession::~GnomeSession()
{
    shell_.reset();
    session_bus_.reset();
    system_bus_.reset();
    if (!directory_.empty())
        RunToEnd({"rm", "-rf", directory_}, {});
}

std::vector<std::string> GnomeSession::Desktop(std::vector<std::string> argv) const
{
    argv.insert(argv.begin(), prefix_.begin(), prefix_.end());
    return argv;
}

std::map<std::string, std::string> GnomeSession::DesktopEnvironment() const
{
    return {{"HOME", directory_ + "/home"},
            {"XDG_RUNTIME_DIR", directory_ + "/runtime"},
            {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + directory_ + "/session_bus"},
            {"DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + directory_ + "/system_bus"},
            {"XDG_CURRENT_DESKTOP", "GNOME"},
            {"XDG_SESSION_TYPE", "wayland"},
            {"WAYLAND_DISPLAY", ""},
            {"DISPLAY", ""},
            {"SWAYSOCK", ""},
            {"HYPRLAND_INSTANCE_SIGNATURE", ""}};
}

std::map<std::string, std::string> GnomeSession::Environment() const
{
    std::map<std::string, std::string> environment = DesktopEnvironment();
    environment["WAYLAND_DISPLAY"] = wayland_display_;
    environment["DISPLAY"] = x_display_;
    environment["XAUTHORITY"] = xauthority_;
    environment["DBUS_SYSTEM_BUS_ADDRESS"] = "";
    return environment;
}

std::string GnomeSession::Log() const
{
    return problem_ + "\n" + (shell_ ? shell_->Output() + shell_->Errors() : "");
}

// In the form this release loads.
bool GnomeSession::InstallExtension(const std::string& uuid) const
{
    const std::string form = release_ >= 45 ? "module" : "imports";
    const std::string extensions = directory_ + "/home/.local/share/gnome-shell/extensions";
    return RunToEnd({"mkdir", "-p", extensions}, {}).status == 0 &&
           RunToEnd({"cp", "-r", std::string(GNOME_EXTENSIONS) + "/" + form + "/" + uuid, extensions}, {})
                   .status == 0;
}

bool GnomeSession::InstallWalkersExtension() const
{
    return InstallExtension("walkers@walkers.github.io");
}

// Set before the shell starts: both extensions on; nothing that pops up,
// animates, maximizes or blanks the screen; a backdrop of one colour.
bool GnomeSession::Configure(const Options& options) const
{
    char backdrop[16];
    std::snprintf(backdrop, sizeof backdrop, "'#%06X'", unsigned(kBackdrop));
    const std::vector<std::vector<std::string>> settings{
        {"org.gnome.shell", "enabled-extensions",
         options.enable_walkers_extension
             ? "['walkers@walkers.github.io', 'walkers-test@walkers.github.io']"
             : "['walkers-test@walkers.github.io']"},
        {"org.gnome.shell", "welcome-dialog-last-shown-version", "'999'"},
        {"org.gnome.desktop.notifications", "show-banners", "false"},
        {"org.gnome.desktop.interface", "enable-hot-corners", "false"},
        {"org.gnome.desktop.interface", "enable-animations", "false"},
        {"org.gnome.desktop.session", "idle-delay", "uint32 0"},
        {"org.gnome.mutter", "auto-maximize", "false"},
        // No picture: an empty one names the home folder, which 48 fails to
        // load, and then its start may never finish.
        {"org.gnome.desktop.background", "picture-options", "'none'"},
        {"org.gnome.desktop.background", "primary-color", backdrop},
        {"org.gnome.desktop.background", "color-shading-type", "'solid'"},
    };
    for (const auto& setting : settings) {
        std::vector<std::string> argv{"gsettings", "set"};
        argv.insert(argv.end(), setting.begin(), setting.end());
        if (RunToEnd(Desktop(argv), DesktopEnvironment()).status != 0)
            return false;
    }
    return true;
}

// The shell names its X display in its log, and keeps the key that lets
// clients in under the runtime directory.
bool GnomeSession::FindXWayland()
{
    const std::string announced = "Using public X11 display ";
    return WaitUntil(
        [&] {
            const std::string log = Log();
            const std::size_t at = log.find(announced);
            if (at == std::string::npos)
                return false;
            x_display_ = log.substr(at + announced.size(), log.find_first_of(", \n", at + announced.size()) - at - announced.size());
            // The newest key: a shell started again leaves the old one.
            int64_t newest = -1;
            if (DIR* dir = opendir((directory_ + "/runtime").c_str())) {
                while (const dirent* entry = readdir(dir)) {
                    const std::string path = directory_ + "/runtime/" + entry->d_name;
                    struct stat info{};
                    if (std::string(entry->d_name).rfind(".mutter-Xwaylandauth.", 0) == 0 &&
                        stat(path.c_str(), &info) == 0 &&
                        int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec > newest) {
                        newest = int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
                        xauthority_ = path;
                    }
                }
                closedir(dir);
            }
            return !xauthority_.empty();
        },
        10s);
}

std::string GnomeSession::Call(const std::string& path, const std::string& method,
                               const std::vector<std::string>& arguments) const
{
    std::vector<std::string> argv{"gdbus", "call", "--session", "--dest", "org.gnome.Shell",
                                  "--object-path", path, "--method", method};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const RunResult result = RunToEnd(argv, DesktopEnvironment());
    return result.status == 0 ? result.output : "";
}

Screenshot GnomeSession::Capture() const
{
    Screenshot shot;
    const std::string path = directory_ + "/shot.raw";
    const std::vector<int> size =
        NumbersAfterTitle(Call(kTestPath, std::string(kTestInterface) + "Screenshot", {path}));
    if (size.size() != 4 || size[0] <= 0 || size[1] <= 0 || size[3] < 3)
        return shot;
    const std::string bytes = ReadFile(path);
    const std::size_t stride = std::size_t(size[2]), channels = std::size_t(size[3]);
    if (bytes.size() < stride * std::size_t(size[1] - 1) + std::size_t(size[0]) * channels)
        return shot;
    shot.width = size[0];
    shot.height = size[1];
    shot.pixels.resize(std::size_t(shot.width) * std::size_t(shot.height));
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            const auto* pixel = reinterpret_cast<const unsigned char*>(bytes.data()) +
                                std::size_t(y) * stride + std::size_t(x) * channels;
            shot.pixels[std::size_t(y) * std::size_t(shot.width) + std::size_t(x)] =
                uint32_t(pixel[0]) << 16 | uint32_t(pixel[1]) << 8 | pixel[2];
        }
    return shot;
}

GnomeSession::Focus GnomeSession::Focused() const
{
    Focus focus;
    const std::string reply = Call(kTestPath, std::string(kTestInterface) + "Focused");
    const std::size_t open = reply.find('\''), close = reply.rfind('\'');
    const std::vector<int> numbers = NumbersAfterTitle(reply);
    if (open == std::string::npos || close <= open || numbers.size() != 4)
        return focus;
    focus.title = reply.substr(open + 1, close - open - 1);
    focus.frame = Box{numbers[0], numbers[1], numbers[0] + numbers[2], numbers[1] + numbers[3]};
    return focus;
}

bool GnomeSession::Activate(const std::string& title) const
{
    return Call(kTestPath, std::string(kTestInterface) + "Activate", {title}).find("true") !=
           std::string::npos;
}

bool GnomeSession::Move(const std::string& title, int x, int y, int width, int height) const
{
    return Call(kTestPath, std::string(kTestInterface) + "Move",
                {title, std::to_string(x), std::to_string(y), std::to_string(width),
                 std::to_string(height)})
               .find("true") != std::string::npos;
}

bool GnomeSession::Click(int x, int y) const
{
    return !Call(kTestPath, std::string(kTestInterface) + "Click", {std::to_string(x), std::to_string(y)})
                .empty();
}

bool GnomeSession::Arrange(const std::string& title, const Box& frame) const
{
    // A new window takes the focus only when clicked on 43: the test
    // extension gives it, and puts the window where the test wants it.
    return WaitUntil(
        [&] {
            if (!Move(title, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top) ||
                !Activate(title))
                return false;
            const Focus focus = Focused();
            return focus.title == title && focus.frame.left == frame.left && focus.frame.top == frame.top;
        },
        10s);
}

// The shell itself, found on the bus: a prefix's runner may stand between.
void GnomeSession::Kill()
{
    const RunResult owner = RunToEnd({"gdbus", "call", "--session", "--dest", "org.freedesktop.DBus",
                                      "--object-path", "/org/freedesktop/DBus", "--method",
                                      "org.freedesktop.DBus.GetConnectionUnixProcessID", "org.gnome.Shell"},
                                     DesktopEnvironment());
    const std::size_t number = owner.output.find_first_of("0123456789");
    if (owner.status == 0 && number != std::string::npos)
        kill(pid_t(std::atol(owner.output.c_str() + number)), SIGKILL);
    if (shell_) {
        shell_->Signal(SIGKILL);
        shell_->Wait(5s);
    }
}

std::unique_ptr<Process> StartWalkersOn(const GnomeSession& session,
                                        const std::vector<std::string>& arguments)
{
    std::vector<std::string> argv = session.Prefix();
    argv.push_back(WALKERS_BINARY);
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return std::make_unique<Process>(argv, session.Environment());
}
