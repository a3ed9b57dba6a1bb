#include "platform/focus/gnome_shell_extension.h"

#include <cstdlib>
#include <sstream>
#include <sys/stat.h>

#include "platform/dbus/session_bus.h"

namespace gnome_shell_extension {

namespace {

constexpr int kCallTimeoutMs = 2000;
// The shell's ExtensionState: running, and the two that will not run.
constexpr double kRunning = 1, kError = 3, kOutOfDate = 4;

struct Info {
    bool known = false; // the shell has it on its list
    double state = 0;
    std::string error;
};

sd_bus_message* Call(SessionBus& bus, const char* method, std::string& error)
{
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus.get(), &call, "org.gnome.Shell", "/org/gnome/Shell",
                                       "org.gnome.Shell.Extensions", method) < 0)
        return nullptr;
    sd_bus_message* reply = nullptr;
    if (sd_bus_message_append(call, "s", kUuid) >= 0)
        reply = bus.CallWaiting(call, kCallTimeoutMs, error);
    sd_bus_message_unref(call);
    return reply;
}

// GetExtensionInfo's a{sv}: empty for an extension the shell does not know.
bool ReadInfo(sd_bus_message* reply, Info& info)
{
    if (sd_bus_message_enter_container(reply, 'a', "{sv}") <= 0)
        return false;
    while (sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
        const char* key = nullptr;
        if (sd_bus_message_read(reply, "s", &key) <= 0 || !key)
            return false;
        info.known = true;
        const std::string name = key;
        if (name == "state" && sd_bus_message_enter_container(reply, 'v', "d") > 0) {
            sd_bus_message_read(reply, "d", &info.state);
            sd_bus_message_exit_container(reply);
        } else if (name == "error" && sd_bus_message_enter_container(reply, 'v', "s") > 0) {
            const char* text = nullptr;
            if (sd_bus_message_read(reply, "s", &text) > 0 && text)
                info.error = text;
            sd_bus_message_exit_container(reply);
        } else if (sd_bus_message_skip(reply, "v") < 0) {
            return false;
        }
        sd_bus_message_exit_container(reply);
    }
    return sd_bus_message_exit_container(reply) >= 0;
}

// Whether the extension lies in one of the folders the shell looks in.
bool Installed()
{
    const char* home = std::getenv("HOME");
    const char* data_home = std::getenv("XDG_DATA_HOME");
    const char* data_dirs = std::getenv("XDG_DATA_DIRS");
    std::string folders = data_home && *data_home ? data_home : std::string(home ? home : "") + "/.local/share";
    folders += ":";
    folders += data_dirs && *data_dirs ? data_dirs : "/usr/local/share:/usr/share";
    std::istringstream list(folders);
    for (std::string folder; std::getline(list, folder, ':');) {
        struct stat info{};
        if (!folder.empty() &&
            stat((folder + "/gnome-shell/extensions/" + kUuid + "/metadata.json").c_str(), &info) == 0)
            return true;
    }
    return false;
}

} // namespace

bool EnsureRunning(SessionBus& bus, std::string& problem)
{
    std::string error;
    sd_bus_message* reply = Call(bus, "GetExtensionInfo", error);
    Info info;
    const bool read = reply && ReadInfo(reply, info);
    sd_bus_message_unref(reply);
    if (!read) {
        problem = "GNOME Shell did not say whether it runs the walkers extension (" + error + ")";
        return false;
    }
    if (!info.known) {
        problem = Installed()
                      ? std::string("GNOME Shell does not know the walkers extension yet, as it was "
                                    "installed while the session ran: log out and in once, and "
                                    "walkers turns it on (or run: gnome-extensions enable ") +
                            kUuid + ")"
                      : std::string("the GNOME Shell extension ") + kUuid +
                            " is not installed; install walkers again with its package or `make install`";
        return false;
    }
    if (info.state == kRunning)
        return true;
    if (info.state == kError || info.state == kOutOfDate) {
        problem = std::string("GNOME Shell cannot run the walkers extension") +
                  (info.error.empty() ? std::string(info.state == kOutOfDate ? " (made for another release)" : "")
                                      : ": " + info.error);
        return false;
    }
    reply = Call(bus, "EnableExtension", error);
    int enabled = 0;
    const bool answered = reply && sd_bus_message_read(reply, "b", &enabled) > 0;
    sd_bus_message_unref(reply);
    if (!answered || !enabled) {
        problem = std::string("GNOME Shell did not turn on the walkers extension") +
                  (error.empty() ? "" : " (" + error + ")") + "; run: gnome-extensions enable " + kUuid;
        return false;
    }
    return true;
}

} // namespace gnome_shell_extension
