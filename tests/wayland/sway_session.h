// A headless sway for one test: its own runtime directory, started as an
// unprivileged user when the tests run as root (sway refuses root), with
// the socket names it picked read back; and what a test needs to look at
// it: screenshots (grim), commands and the tree over its IPC, clicks
// through a virtual pointer.
#pragma once

#include <csignal>
#include <memory>
#include <string>

#include "tests/e2e/process.h"
#include "tests/e2e/x_session.h"
#include "tests/wayland/pointer_driver.h"

class SwaySession {
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 640;
    // `extra_config` goes after the base configuration. With `xwayland`,
    // sway offers an X display for X11 programs (XWaylandDisplay).
    explicit SwaySession(const std::string& extra_config = "", bool xwayland = false);
    ~SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    bool Ready() const { return !wayland_display_.empty() && !ipc_socket_.empty(); }
    // What a client needs to reach this compositor (and not any X display).
    std::map<std::string, std::string> Environment() const;

    Screenshot Capture() const;
    // Runs sway commands; true when all succeeded.
    bool Command(const std::string& commands) const;
    std::string Tree() const;
    // The DISPLAY sway gives its X11 programs; empty without XWayland.
    std::string XWaylandDisplay() const;
    // The title of the focused window, empty when none.
    std::string FocusedTitle() const;
    // Moves the pointer to layout pixel (x, y) and clicks there (or only
    // moves); returns once the compositor has seen it.
    bool Click(int x, int y, bool move_only = false);
    // Kills the compositor; the session is of no use afterwards.
    void Kill();
    pid_t Pid() const { return sway_ ? sway_->Pid() : -1; }
    // How much processor time (user + system, in clock ticks) sway used.
    long ProcessorTicks() const;

private:
    std::string Ask(uint32_t type, const std::string& payload) const;

    std::string directory_;
    std::unique_ptr<Process> sway_;
    std::unique_ptr<PointerDriver> pointer_; // from the first click
    std::string wayland_display_;
    std::string ipc_socket_;
};

// A test window on the session (tests/wayland/test_window.cpp).
class TestWindow {
public:
    TestWindow(const SwaySession& session, const std::string& title, const std::string& colour,
               const std::string& second_title = "");
    // Shown and focused (new windows take the focus on sway).
    bool Ready() const { return ready_; }
    Process& process() { return *process_; }
    int Presses() const;
    bool LostKeyboard() const;
    void Retitle() { process_->Signal(SIGUSR1); }

private:
    std::unique_ptr<Process> process_;
    bool ready_ = false;
};

std::unique_ptr<Process> StartWalkersOn(const SwaySession& session);
