// A headless GNOME Shell for one test: its own home, runtime directory,
// session bus and system bus (the shell needs one; a private bus is
// enough), settings made before it starts, the walkers extension and the
// test extension installed in the form the shell loads; and what a test
// needs to look at it: screenshots, the focused window's frame, clicks,
// windows moved and focused (all through the test extension).
//
// The desktop's programs (the buses, gsettings, the shell, and the test's
// windows and walkers when they use Prefix()) run through a prefix when one
// is given, so that the same tests drive a shell of another release in
// another root (tests/desktops/test_root.h); that root sees /tmp and the
// build tree at the same paths.
#pragma once

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "tests/desktops/gtk_window.h"
#include "tests/e2e/process.h"
#include "tests/e2e/x_session.h"

class GnomeSession {
public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 720;
    // The desktop's backdrop: neither black nor brown.
    static constexpr uint32_t kBackdrop = 0x304860;

    struct Options {
        std::vector<std::string> prefix;
        // The walkers extension: installed before the shell starts (else
        // only after, when the shell no longer looks), and turned on.
        bool install_walkers_extension = true;
        bool enable_walkers_extension = true;
    };
    explicit GnomeSession(const Options& options);
    GnomeSession() : GnomeSession(Options{}) {}
    ~GnomeSession();
    GnomeSession(const GnomeSession&) = delete;
    GnomeSession& operator=(const GnomeSession&) = delete;

    // Started, with the test extension answering and the overview hidden.
    bool Ready() const { return ready_; }
    // The shell's release, as `gnome-shell --version` says (43, 48, ...).
    int Release() const { return release_; }
    // What a program of this session is given: the Wayland display, the X
    // display of the shell's Xwayland, the session bus.
    std::map<std::string, std::string> Environment() const;
    // Why it is not ready, if it is not, and the shell's output.
    std::string Log() const;
    const std::vector<std::string>& Prefix() const { return prefix_; }
    // This session's folder, seen by the windows' command pipes too.
    const std::string& Directory() const { return directory_; }
    // Installs the walkers extension now, while the shell runs.
    bool InstallWalkersExtension() const;

    Screenshot Capture() const;
    struct Focus {
        std::string title;
        Box frame{};
    };
    // The focused window's title and frame as the shell has them.
    Focus Focused() const;
    bool Activate(const std::string& title) const;
    bool Move(const std::string& title, int x, int y, int width, int height) const;
    // Puts the window titled `title` at `frame` and gives it the focus, and
    // waits until the shell says so.
    bool Arrange(const std::string& title, const Box& frame) const;
    // Moves the pointer to (x, y) and clicks the first button there.
    bool Click(int x, int y) const;
    // Calls a method of the shell's bus name; the reply as gdbus prints it,
    // empty on failure.
    std::string Call(const std::string& path, const std::string& method,
                     const std::vector<std::string>& arguments = {}) const;
    // Kills the shell; the session is of no use afterwards.
    void Kill();
    pid_t ShellPid() const { return shell_ ? shell_->Pid() : -1; }

private:
    std::vector<std::string> Desktop(std::vector<std::string> argv) const;
    std::map<std::string, std::string> DesktopEnvironment() const;
    bool InstallExtension(const std::string& uuid) const;
    bool Configure(const Options& options) const;
    bool FindXWayland();

    std::string directory_;
    std::vector<std::string> prefix_;
    int release_ = 0;
    std::unique_ptr<Process> system_bus_;
    std::unique_ptr<Process> session_bus_;
    std::unique_ptr<Process> shell_;
    std::string wayland_display_;
    std::string x_display_;
    std::string xauthority_;
    std::string problem_; // what kept it from being ready
    bool ready_ = false;
};

std::unique_ptr<Process> StartWalkersOn(const GnomeSession& session,
                                        const std::vector<std::string>& arguments = {});
