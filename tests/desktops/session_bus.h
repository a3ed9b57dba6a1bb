// What each desktop session of the tests has: a private folder that is its
// XDG_RUNTIME_DIR and HOME, and buses of its own, each a dbus-daemon
// started where the desktop runs (inside the test root for the newer
// desktops), so that what it activates (dconf) is the desktop's own.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/process.h"

// A folder /tmp/walkers-NAME.XXXXXX, private to its owner; empty on
// failure. The caller removes it.
std::string MakeSessionDirectory(const std::string& name);

// The shell asks its bus for its screencast service at start. Without
// GStreamer (the Debian 13 root has none) that service ends at once with
// status 0, which the bus takes for a service still starting: the shell
// waited 25 s for it, and one that failed at once instead now and then
// never loaded its extensions. A stand-in that owns the name and does
// nothing, in the runtime folder's service folder (which the bus prefers
// to the system's), keeps the shell's start as on a desktop. False when
// it cannot be written.
bool StubScreencastService(const std::string& runtime_directory);

class SessionBus {
public:
    // A bus listening on `directory`/`socket`, started under `prefix`
    // with `environment` (the session's folder as HOME and runtime folder).
    SessionBus(const std::string& directory, const std::string& socket,
               const std::vector<std::string>& prefix,
               const std::map<std::string, std::string>& environment);
    bool Ready() const { return ready_; }
    std::string Address() const { return "unix:path=" + path_; }
    // Whether `name` is on the bus and answers a ping.
    bool Answers(const std::string& name) const;

private:
    std::string path_;
    std::unique_ptr<Process> daemon_;
    bool ready_ = false;
};
