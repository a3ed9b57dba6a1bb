#include "tests/kwin/kwin_session.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr char kSocket[] = "walkers-kwin";
constexpr int kCallTimeoutMs = 5000;

bool Exists(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0;
}

// Calls KWin's scripting interface with string arguments, waiting.
bool Scripting(SessionBus& bus, const char* method, const std::vector<std::string>& arguments)
{
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus.get(), &call, "org.kde.KWin", "/Scripting",
                                       "org.kde.kwin.Scripting", method) < 0)
        return false;
    for (const std::string& argument : arguments)
        sd_bus_message_append(call, "s", argument.c_str());
    std::string error;
    sd_bus_message* reply = bus.CallWaiting(call, kCallTimeoutMs, error);
    sd_bus_message_unref(call);
    if (reply)
        sd_bus_message_unref(reply);
    return reply != nullptr;
}

} // namespace

KWinSession::KWinSession(Options options) : options_(std::move(options))
{
    char pattern[] = "/tmp/walkers-kwin.XXXXXX";
    if (!mkdtemp(pattern))
        return;
    directory_ = pattern;
    chmod(directory_.c_str(), 0700);
    mkdir((directory_ + "/home").c_str(), 0700);
    bus_address_ = "unix:path=" + directory_ + "/bus";
    dbus_ = std::make_unique<Process>(
        std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--address=" + bus_address_},
        Environment());
    if (!WaitUntil([&] { return Exists(directory_ + "/bus"); }, 10s))
        return;

    std::string program = options_.program;
    if (program.empty()) {
        program = directory_ + "/kwin_wayland";
        if (RunToEnd({"cp", "/usr/bin/kwin_wayland", program}, {}).status != 0)
            return;
    }
    std::vector<std::string> output{"--virtual"};
    if (options_.nested) {
        XSession::Options screen;
        screen.width = kWidth;
        screen.height = kHeight;
        screen.window_manager = false;
        nested_on_ = std::make_unique<XSession>(screen);
        if (!nested_on_->Ready())
            return;
        output = {"--x11-display", nested_on_->Name()};
    }
    std::vector<std::string> argv = options_.prefix;
    argv.push_back(program);
    argv.insert(argv.end(), output.begin(), output.end());
    for (const std::string& word :
         {std::string("--no-lockscreen"),
          std::string("--no-global-shortcuts"), std::string("--no-kactivities"),
          std::string("--width"), std::to_string(kWidth), std::string("--height"),
          std::to_string(kHeight), std::string("--socket"), std::string(kSocket)})
        argv.push_back(word);
    argv.insert(argv.end(), options_.extra_arguments.begin(), options_.extra_arguments.end());
    std::map<std::string, std::string> environment = Environment();
    environment["WAYLAND_DISPLAY"] = "";
    environment["KWIN_WAYLAND_NO_PERMISSION_CHECKS"] = "1";
    environment["KWIN_SCREENSHOT_NO_PERMISSION_CHECKS"] = "1";
    if (nested_on_)
        environment["DISPLAY"] = nested_on_->Name();
    kwin_ = std::make_unique<Process>(argv, environment);

    auto bus = SessionBus::Open(kCallTimeoutMs, bus_address_.c_str());
    if (!bus)
        return;
    // Ready once KWin owns its name, and clients can reach its socket.
    if (!WaitUntil([&] { return !bus->OwnerOf("org.kde.KWin", 1000).empty() &&
                                Exists(directory_ + "/" + kSocket); },
                   20s))
        return;
    static const sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("Done", "s", "", OnScriptDone, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END,
    };
    sd_bus_add_object_vtable(bus->get(), &done_slot_, "/io/github/walkers/Test",
                             "io.github.walkers.Test", table, this);
    bus_ = std::move(bus);
}

KWinSession::Options KWinSession::InTestRoot()
{
    Options options;
    options.prefix = test_root::Prefix();
    options.program = "kwin_wayland"; // 6.3's carries no file capability
    options.title_bar = 36;
    options.nested = true;
    return options;
}

KWinSession::~KWinSession()
{
    pointer_.reset();
    sd_bus_slot_unref(done_slot_);
    bus_.reset();
    kwin_.reset();
    dbus_.reset();
    if (!directory_.empty())
        RunToEnd({"rm", "-rf", directory_}, {});
}

std::map<std::string, std::string> KWinSession::Environment() const
{
    return {{"XDG_RUNTIME_DIR", directory_},
            {"HOME", directory_ + "/home"},
            {"DBUS_SESSION_BUS_ADDRESS", bus_address_},
            {"WAYLAND_DISPLAY", kSocket},
            {"XDG_CURRENT_DESKTOP", "KDE"},
            {"DISPLAY", ""},
            {"SWAYSOCK", ""},
            {"HYPRLAND_INSTANCE_SIGNATURE", ""}};
}

int KWinSession::OnScriptDone(sd_bus_message* call, void* self, sd_bus_error*)
{
    auto& session = *static_cast<KWinSession*>(self);
    const char* answer = nullptr;
    session.answer_ = sd_bus_message_read(call, "s", &answer) >= 0 && answer ? answer : "";
    ++session.scripts_done_;
    return sd_bus_reply_method_return(call, "");
}

std::optional<std::string> KWinSession::RunScript(const std::string& body)
{
    if (!bus_)
        return std::nullopt;
    const int number = ++scripts_;
    const std::string name = "walkers-test-" + std::to_string(number);
    const std::string path = directory_ + "/" + name + ".js";
    {
        std::ofstream out(path);
        out << "var answer = String((function () {\n" << body << "\n})());\ncallDBus(\""
            << bus_->UniqueName()
            << "\", \"/io/github/walkers/Test\", \"io.github.walkers.Test\", \"Done\", answer);\n";
    }
    if (!Scripting(*bus_, "loadScript", {path, name}) || !Scripting(*bus_, "start", {}))
        return std::nullopt;
    const bool ran = WaitUntil(
        [&] {
            while (bus_->Process() && bus_->TimeoutMs() == 0) {
            }
            return scripts_done_ >= number;
        },
        5s);
    Scripting(*bus_, "unloadScript", {name});
    unlink(path.c_str());
    if (!ran)
        return std::nullopt;
    return answer_;
}

namespace {

// The window titled `caption`, as a script's `w`, in KWin 5.27 and 6; the
// script answers whether it was there.
std::string ForWindow(const std::string& caption, const std::string& body)
{
    return "var list = workspace.windowList ? workspace.windowList() : workspace.clientList();\n"
           "for (var i = 0; i < list.length; ++i) {\n"
           "    var w = list[i];\n"
           "    if (w.caption !== " + nlohmann::json(caption).dump() + ") continue;\n" + body +
           "\n    return true;\n}\nreturn false;";
}

const char kActivate[] =
    "if (workspace.activeWindow !== undefined) workspace.activeWindow = w;\n"
    "else workspace.activeClient = w;\n";

} // namespace

bool KWinSession::Place(const std::string& caption, const Box& frame, bool activate)
{
    // A rectangle is assigned as a changed copy of one KWin gave.
    const std::string place = "var g = w.frameGeometry;\ng.x = " + std::to_string(frame.left) +
                              "; g.y = " + std::to_string(frame.top) +
                              "; g.width = " + std::to_string(frame.right - frame.left) +
                              "; g.height = " + std::to_string(frame.bottom - frame.top) +
                              ";\nw.frameGeometry = g;\n";
    return UntilFound(ForWindow(caption, place + (activate ? kActivate : "")));
}

bool KWinSession::Activate(const std::string& caption)
{
    return UntilFound(ForWindow(caption, kActivate));
}

// A window KWin has not taken yet, or one whose new title it has not
// seen yet, is looked for again.
bool KWinSession::UntilFound(const std::string& script)
{
    return WaitUntil([&] { return RunScript(script) == "true"; }, 5s);
}

Screenshot KWinSession::Capture() const
{
    if (nested_on_)
        return nested_on_->Capture();
    Screenshot shot;
    if (!bus_)
        return shot;
    int pipe_ends[2];
    if (pipe2(pipe_ends, O_CLOEXEC) != 0)
        return shot;
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    uint32_t width = 0, height = 0, stride = 0;
    if (sd_bus_message_new_method_call(bus_->get(), &call, "org.kde.KWin",
                                       "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2",
                                       "CaptureActiveScreen") >= 0 &&
        sd_bus_message_append(call, "a{sv}", 0) >= 0 &&
        sd_bus_message_append(call, "h", pipe_ends[1]) >= 0) {
        std::string error;
        reply = bus_->CallWaiting(call, kCallTimeoutMs, error);
    }
    close(pipe_ends[1]); // the call holds its own copy
    if (reply && sd_bus_message_enter_container(reply, 'a', "{sv}") > 0) {
        while (sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
            const char* key = nullptr;
            sd_bus_message_read(reply, "s", &key);
            const std::string name = key ? key : "";
            uint32_t* field = name == "width" ? &width : name == "height" ? &height
                              : name == "stride" ? &stride : nullptr;
            if (field && sd_bus_message_enter_container(reply, 'v', "u") > 0) {
                sd_bus_message_read(reply, "u", field);
                sd_bus_message_exit_container(reply);
            } else {
                sd_bus_message_skip(reply, "v");
            }
            sd_bus_message_exit_container(reply);
        }
    }
    std::string bytes;
    if (reply) {
        char buffer[1 << 16];
        for (;;) {
            pollfd ready{pipe_ends[0], POLLIN, 0};
            if (poll(&ready, 1, kCallTimeoutMs) <= 0)
                break;
            const ssize_t got = read(pipe_ends[0], buffer, sizeof buffer);
            if (got > 0)
                bytes.append(buffer, size_t(got));
            else if (got == 0 || errno != EINTR)
                break;
        }
    }
    close(pipe_ends[0]);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
    if (width == 0 || height == 0 || stride < width * 4 || bytes.size() < size_t(stride) * height)
        return shot;
    shot.width = int(width);
    shot.height = int(height);
    shot.pixels.resize(size_t(width) * height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t pixel = 0;
            std::memcpy(&pixel, bytes.data() + size_t(y) * stride + size_t(x) * 4, 4);
            shot.pixels[size_t(y) * width + x] = pixel & 0xFFFFFF;
        }
    return shot;
}

bool KWinSession::Click(int x, int y, bool move_only)
{
    if (!pointer_)
        pointer_ = std::make_unique<PointerDriver>(directory_, Environment(), kWidth, kHeight);
    return pointer_->Click(x, y, move_only);
}

void KWinSession::Kill()
{
    if (kwin_) {
        kwin_->Signal(SIGKILL);
        kwin_->Wait(5s);
    }
}
