// A headless KWin for one test: its own runtime directory, home and session
// bus, ready once org.kde.KWin answers on that bus; and what a test needs
// to look at it and act on it: screenshots (ScreenShot2), scripts that move,
// resize and activate windows, clicks through KWin's fake input.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dbus/session_bus.h"
#include "tests/desktops/test_root.h"
#include "tests/e2e/process.h"
#include "tests/e2e/x_session.h"
#include "tests/wayland/pointer_driver.h"

class KWinSession {
public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 720;

    struct Options {
        // Goes before the compositor's command: a root's runner, for a
        // newer KWin than this machine's.
        std::vector<std::string> prefix;
        // The compositor; empty: a copy of this machine's kwin_wayland (a
        // copy drops the file capability that sandboxes refuse at exec).
        std::string program;
        std::vector<std::string> extra_arguments;
        // The server-side title bar's height: the frame's top to the client's.
        int title_bar = 37;
        // Runs nested on an X server of its own rather than on a virtual
        // output: KWin 6 without a GPU composites in software and offers
        // no ScreenShot2, so screenshots are that server's root.
        bool nested = false;
    };
    // KWin 6 in the Debian 13 root (tests/desktops/test_root.h).
    static Options InTestRoot();

    // This machine's KWin, or the root's when the run is for it.
    KWinSession() : KWinSession(test_root::Wanted() ? InTestRoot() : Options{}) {}
    explicit KWinSession(Options options);
    ~KWinSession();
    KWinSession(const KWinSession&) = delete;
    KWinSession& operator=(const KWinSession&) = delete;

    bool Ready() const { return bus_ != nullptr; }
    // What a client needs to reach this compositor and its bus, and nothing else.
    std::map<std::string, std::string> Environment() const;
    const std::string& Directory() const { return directory_; }
    int TitleBar() const { return options_.title_bar; }
    // Whether it runs nested (KWin 6 in the root), whose Breeze rounds the
    // title bar's top corners.
    bool Nested() const { return options_.nested; }

    Screenshot Capture() const;
    // Runs `body` in KWin as a function (its `workspace` at hand); what it
    // returned, as text, once it ran.
    std::optional<std::string> RunScript(const std::string& body);
    // Gives the window titled `caption` the frame `frame` (title bar
    // included) and, with `activate`, the focus.
    bool Place(const std::string& caption, const Box& frame, bool activate = true);
    bool Activate(const std::string& caption);
    // Moves the pointer to (x, y) and clicks there (or only moves).
    bool Click(int x, int y, bool move_only = false);
    // Kills the compositor; the session is of no use afterwards.
    void Kill();
    pid_t Pid() const { return kwin_ ? kwin_->Pid() : -1; }
    SessionBus* Bus() const { return bus_.get(); }

private:
    static int OnScriptDone(sd_bus_message* call, void* self, sd_bus_error*);
    bool UntilFound(const std::string& script);

    Options options_;
    std::string directory_;
    std::string bus_address_;
    std::unique_ptr<Process> dbus_;
    std::unique_ptr<XSession> nested_on_;
    std::unique_ptr<Process> kwin_;
    std::unique_ptr<SessionBus> bus_; // the test's own connection
    sd_bus_slot* done_slot_ = nullptr;
    int scripts_ = 0;
    int scripts_done_ = 0;
    std::string answer_; // the last script's
    std::unique_ptr<PointerDriver> pointer_;
};
