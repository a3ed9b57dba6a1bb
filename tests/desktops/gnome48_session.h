// GNOME Shell 48 from the Debian 13 root, headless, for one test: a
// private system bus (the shell needs one), a session bus, the settings a
// test needs written before the shell starts (through dconf, which the
// session bus starts with this session's HOME), extensions installed in
// that HOME, and Mutter's Xwayland for X11 programs. The overview it
// starts in is left once it is ready.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/desktops/session_bus.h"
#include "tests/e2e/process.h"
#include "tests/e2e/x_session.h"

class Gnome48Session {
public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 720;
    struct Options {
        // Folders holding an extension (metadata.json, extension.js),
        // installed for this session's user and enabled, by uuid.
        std::map<std::string, std::string> extensions;
    };
    explicit Gnome48Session(const Options& options);
    Gnome48Session() : Gnome48Session(Options{}) {}
    ~Gnome48Session();
    Gnome48Session(const Gnome48Session&) = delete;
    Gnome48Session& operator=(const Gnome48Session&) = delete;

    // Empty when the shell runs; otherwise why not.
    const std::string& Failure() const { return failure_; }
    bool RootMissing() const { return root_missing_; }

    // What a client needs: the Wayland display, Xwayland's DISPLAY and
    // XAUTHORITY, the session bus.
    std::map<std::string, std::string> Environment() const;
    std::vector<std::string> Prefix() const;
    const std::string& Directory() const { return directory_; }
    std::string BusAddress() const { return bus_ ? bus_->Address() : ""; }
    const SessionBus& Bus() const { return *bus_; }
    const std::string& XWaylandDisplay() const { return x_display_; }

    // The shell's own screenshot of the whole output.
    Screenshot Capture() const;
    void Kill();
    pid_t Pid() const { return shell_ ? shell_->Pid() : -1; }
    std::string Log() const { return shell_ ? shell_->Errors() + shell_->Output() : ""; }

private:
    // Whether the overview shows ("true", "false"; "" when the shell does
    // not answer); with `set`, shows or hides it first.
    std::string Overview(const std::string& set = "") const;

    std::string failure_;
    bool root_missing_ = false;
    std::string directory_;
    std::string socket_;
    std::string x_display_;
    std::string x_authority_;
    std::unique_ptr<SessionBus> system_bus_;
    std::unique_ptr<SessionBus> bus_;
    std::unique_ptr<Process> shell_;
};
