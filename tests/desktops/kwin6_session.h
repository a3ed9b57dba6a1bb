// KWin 6 from the Debian 13 root, headless, for one test. Without a GPU
// KWin 6 composites in software and offers no screenshots of its own, so it
// runs nested on an Xvfb of its own: a screenshot is the X root, and a
// click is a click on the X server, which KWin passes on as its pointer.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/desktops/session_bus.h"
#include "tests/e2e/process.h"
#include "tests/e2e/x_session.h"

class Kwin6Session {
public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 720;
    // KWin's title bar (Breeze) on 6.3: clientGeometry.y - frameGeometry.y.
    static constexpr int kTitleBarHeight = 36;
    struct Options {
        // Offers X11 programs an Xwayland (XWaylandDisplay).
        bool xwayland = false;
    };
    explicit Kwin6Session(const Options& options);
    Kwin6Session() : Kwin6Session(Options{}) {}
    ~Kwin6Session();
    Kwin6Session(const Kwin6Session&) = delete;
    Kwin6Session& operator=(const Kwin6Session&) = delete;

    // Empty when KWin runs; otherwise why not (the root's own reason when
    // it cannot be built, for a test to skip with).
    const std::string& Failure() const { return failure_; }
    bool RootMissing() const { return root_missing_; }

    // What a client of this desktop needs (and no other display).
    std::map<std::string, std::string> Environment() const;
    // What runs a program inside the root, where KWin runs.
    std::vector<std::string> Prefix() const;
    const std::string& Directory() const { return directory_; }
    std::string BusAddress() const { return bus_ ? bus_->Address() : ""; }
    const SessionBus& Bus() const { return *bus_; }
    std::string XWaylandDisplay() const;

    Screenshot Capture() const;
    // A click at output pixel (x, y), or a move only.
    bool Click(int x, int y, bool move_only = false) const;
    // Kills the compositor; the session is of no use afterwards.
    void Kill();
    pid_t Pid() const { return kwin_ ? kwin_->Pid() : -1; }
    std::string Log() const { return kwin_ ? kwin_->Errors() + kwin_->Output() : ""; }

private:
    std::string failure_;
    bool root_missing_ = false;
    std::string directory_;
    std::string socket_;
    std::unique_ptr<XSession> x_;
    std::unique_ptr<SessionBus> bus_;
    std::unique_ptr<Process> kwin_;
};
