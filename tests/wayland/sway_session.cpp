#include "tests/wayland/sway_session.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <nlohmann/json.hpp>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/wayland/ipc_socket.h"
#include "platform/wayland/sway_ipc_framing.h"

using namespace std::chrono_literals;

namespace {

// The unprivileged user sway runs as when the tests run as root.
constexpr char kSwayUser[] = "walkers-sway";

const passwd* SwayUser()
{
    if (const passwd* user = getpwnam(kSwayUser))
        return user;
    RunToEnd({"useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin",
              kSwayUser},
             {});
    return getpwnam(kSwayUser);
}

// The first entry of `directory` whose name starts with `prefix` and that
// is a socket.
std::string FindSocket(const std::string& directory, const std::string& prefix)
{
    std::string found;
    if (DIR* dir = opendir(directory.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            struct stat info{};
            if (name.rfind(prefix, 0) == 0 &&
                stat((directory + "/" + name).c_str(), &info) == 0 && S_ISSOCK(info.st_mode))
                found = name;
        }
        closedir(dir);
    }
    return found;
}

} // namespace

SwaySession::SwaySession(const std::string& extra_config, bool xwayland)
{
    char pattern[] = "/tmp/walkers-sway.XXXXXX";
    if (!mkdtemp(pattern))
        return;
    directory_ = pattern;
    const std::string config = directory_ + "/config";
    {
        std::ofstream out(config);
        out << (xwayland ? "xwayland enable\n" : "xwayland disable\n")
            << "output HEADLESS-1 resolution " << kWidth << "x" << kHeight
            << " bg #304860 solid_color\n"
            << "default_border normal\ndefault_floating_border normal\n"
            << "focus_follows_mouse no\n"
            // Titles in their bar's own colour: smoothed text would show
            // warm fringes that look like figure pixels.
            << "client.focused #4c7899 #285577 #285577 #2e9ef4 #285577\n"
            << "client.focused_inactive #333333 #5f676a #5f676a #484e50 #5f676a\n"
            << "client.unfocused #333333 #222222 #222222 #292d2e #222222\n"
            << extra_config << "\n";
    }
    std::vector<std::string> argv{"sway", "-c", config};
    if (geteuid() == 0) {
        const passwd* user = SwayUser();
        if (!user)
            return;
        if (chown(directory_.c_str(), user->pw_uid, user->pw_gid) != 0)
            return;
        argv.insert(argv.begin(), {"setpriv", "--reuid=" + std::to_string(user->pw_uid),
                                   "--regid=" + std::to_string(user->pw_gid), "--clear-groups"});
    }
    chmod(directory_.c_str(), 0700);
    chmod(config.c_str(), 0644);
    sway_ = std::make_unique<Process>(
        argv, std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", directory_},
                                                 {"HOME", directory_},
                                                 {"WLR_BACKENDS", "headless"},
                                                 {"WLR_LIBINPUT_NO_DEVICES", "1"},
                                                 {"WLR_RENDERER", "pixman"},
                                                 {"WAYLAND_DISPLAY", ""},
                                                 {"DISPLAY", ""},
                                                 {"SWAYSOCK", ""}});
    // sway picks the display's name itself; the IPC socket comes last.
    WaitUntil(
        [&] {
            wayland_display_ = FindSocket(directory_, "wayland-");
            const std::string ipc = FindSocket(directory_, "sway-ipc.");
            if (!ipc.empty())
                ipc_socket_ = directory_ + "/" + ipc;
            return !wayland_display_.empty() && !ipc_socket_.empty();
        },
        20s);
    // Ready to answer, with its output configured.
    if (Ready() && !WaitUntil([&] { return Tree().find("HEADLESS-1") != std::string::npos; }, 10s))
        ipc_socket_.clear();
}

SwaySession::~SwaySession()
{
    pointer_.reset();
    sway_.reset();
    if (!directory_.empty())
        RunToEnd({"rm", "-rf", directory_}, {});
}

std::map<std::string, std::string> SwaySession::Environment() const
{
    // The runtime directory holds no bus: the walkers of a test and of the
    // person running the tests never meet on one.
    return {{"XDG_RUNTIME_DIR", directory_},
            {"DBUS_SESSION_BUS_ADDRESS", ""},
            {"WAYLAND_DISPLAY", wayland_display_},
            {"SWAYSOCK", ipc_socket_},
            {"DISPLAY", ""},
            {"HYPRLAND_INSTANCE_SIGNATURE", ""}};
}

std::string SwaySession::Ask(uint32_t type, const std::string& payload) const
{
    IpcSocket socket(ipc_socket_);
    if (!socket.SendAll(sway_ipc::Encode(type, payload)))
        return "";
    sway_ipc::Reader reader;
    for (int waits = 0; waits < 100; ++waits) {
        if (std::optional<sway_ipc::Message> reply = reader.Next())
            return reply->payload;
        std::string bytes;
        if (!socket.ReadSome(bytes, 100))
            return "";
        reader.Add(bytes);
    }
    return "";
}

bool SwaySession::Command(const std::string& commands) const
{
    const nlohmann::json results =
        nlohmann::json::parse(Ask(sway_ipc::kRunCommand, commands), nullptr, false);
    if (!results.is_array() || results.empty())
        return false;
    for (const nlohmann::json& result : results)
        if (!result.value("success", false))
            return false;
    return true;
}

std::string SwaySession::Tree() const { return Ask(sway_ipc::kGetTree, ""); }

// sway sets DISPLAY for the programs it starts: one of them writes it down.
// XWayland lets in only sway's own user: when the tests run as root, that
// is walkers-sway, and the same program lets root in first.
std::string SwaySession::XWaylandDisplay() const
{
    const std::string path = directory_ + "/display";
    const std::string let_root_in = geteuid() == 0 ? "xhost +si:localuser:root >/dev/null && " : "";
    if (!Command("exec " + let_root_in + "echo \"$DISPLAY\" > " + path))
        return "";
    std::string display;
    WaitUntil(
        [&] {
            std::ifstream in(path);
            return std::getline(in, display) && !display.empty();
        },
        10s);
    return display;
}

std::string SwaySession::FocusedTitle() const
{
    std::string title;
    std::function<void(const nlohmann::json&)> walk = [&](const nlohmann::json& node) {
        if (node.value("focused", false) && node["name"].is_string())
            title = node["name"].get<std::string>();
        for (const char* children : {"nodes", "floating_nodes"})
            if (node.contains(children))
                for (const nlohmann::json& child : node[children])
                    walk(child);
    };
    const nlohmann::json tree = nlohmann::json::parse(Tree(), nullptr, false);
    if (tree.is_object())
        walk(tree);
    return title;
}

Screenshot SwaySession::Capture() const
{
    Screenshot shot;
    const std::string path = directory_ + "/shot.ppm";
    const RunResult grim = RunToEnd({"grim", "-t", "ppm", path}, Environment());
    if (grim.status != 0)
        return shot;
    std::ifstream in(path, std::ios::binary);
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

bool SwaySession::Click(int x, int y, bool move_only)
{
    if (!pointer_)
        pointer_ = std::make_unique<PointerDriver>(directory_, Environment(), kWidth, kHeight);
    return pointer_->Click(x, y, move_only);
}

void SwaySession::Kill()
{
    if (sway_) {
        sway_->Signal(SIGKILL);
        sway_->Wait(5s);
    }
}

long SwaySession::ProcessorTicks() const
{
    std::ifstream in("/proc/" + std::to_string(Pid()) + "/stat");
    std::string line;
    std::getline(in, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long user = 0, system = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            user = std::atol(field.c_str());
        if (i == 15)
            system = std::atol(field.c_str());
    }
    return user + system;
}

TestWindow::TestWindow(const SwaySession& session, const std::string& title,
                       const std::string& colour, const std::string& second_title)
{
    process_ = std::make_unique<Process>(
        std::vector<std::string>{WAYLAND_TEST_WINDOW, title, colour, second_title},
        session.Environment());
    ready_ = WaitUntil(
        [&] {
            return process_->Output().find("configured") != std::string::npos &&
                   session.FocusedTitle() == title;
        },
        10s);
}

int TestWindow::Presses() const
{
    const std::string output = process_->Output();
    int count = 0;
    for (std::size_t at = 0; (at = output.find("press ", at)) != std::string::npos; ++at)
        ++count;
    return count;
}

bool TestWindow::LostKeyboard() const
{
    return process_->Output().find("keyboard leave") != std::string::npos;
}

std::unique_ptr<Process> StartWalkersOn(const SwaySession& session)
{
    return std::make_unique<Process>(std::vector<std::string>{WALKERS_BINARY},
                                     session.Environment());
}
