#include "tests/desktops/session_bus.h"

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

#include "tests/e2e/x_session.h"

using namespace std::chrono_literals;

std::string MakeSessionDirectory(const std::string& name)
{
    std::string pattern = "/tmp/walkers-" + name + ".XXXXXX";
    if (!mkdtemp(pattern.data()))
        return "";
    chmod(pattern.c_str(), 0700);
    return pattern;
}

bool StubScreencastService(const std::string& runtime_directory)
{
    const std::string services = runtime_directory + "/dbus-1/services";
    if (RunToEnd({"mkdir", "-p", services}, {}).status != 0)
        return false;
    std::ofstream out(services + "/org.gnome.Shell.Screencast.service");
    // It owns the name and does nothing; it ends with the bus.
    out << "[D-BUS Service]\nName=org.gnome.Shell.Screencast\nExec=/usr/bin/gjs -c \""
           "imports.gi.Gio.bus_own_name(imports.gi.Gio.BusType.SESSION, "
           "'org.gnome.Shell.Screencast', 0, null, null, null); "
           "new imports.gi.GLib.MainLoop(null, false).run();\"\n";
    return bool(out.flush());
}

SessionBus::SessionBus(const std::string& directory, const std::string& socket,
                       const std::vector<std::string>& prefix,
                       const std::map<std::string, std::string>& environment)
    : path_(directory + "/" + socket)
{
    std::vector<std::string> argv = prefix;
    argv.insert(argv.end(), {"dbus-daemon", "--session", "--nofork", "--nopidfile",
                             "--address=unix:path=" + path_});
    daemon_ = std::make_unique<Process>(argv, environment);
    ready_ = WaitUntil(
        [&] {
            struct stat info{};
            return (stat(path_.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) ||
                   !daemon_->Running();
        },
        10s) &&
             daemon_->Running();
}

bool SessionBus::Answers(const std::string& name) const
{
    const RunResult ping =
        RunToEnd({"dbus-send", "--bus=" + Address(), "--print-reply", "--reply-timeout=2000",
                  "--dest=" + name, "/", "org.freedesktop.DBus.Peer.Ping"},
                 {}, 5s);
    return ping.status == 0;
}
