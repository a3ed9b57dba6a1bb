// A GTK3 test window (gtk_test_window.c) that a test changes while it
// runs: title, size, position, colour, raising; and what it saw: clicks
// that reached it, whether it has the keyboard.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/process.h"

class GtkTestWindow {
public:
    struct Options {
        std::string title = "walkers test window";
        int width = 400;
        int height = 300;
        // Where the desktop lets a client choose (X11): -1 lets it place.
        int x = -1;
        int y = -1;
        std::string colour = "8FBF8F";
        bool decorated = true;
        std::string second_title; // given on SIGUSR1
        // GDK_BACKEND: "wayland" or "x11".
        std::string backend = "wayland";
    };
    // `prefix` goes before the window's command (a test root's runner);
    // `directory` holds its command pipe and must be seen by both sides.
    GtkTestWindow(const Options& options, const std::map<std::string, std::string>& environment,
                  const std::string& directory, const std::vector<std::string>& prefix = {});
    ~GtkTestWindow();
    GtkTestWindow(const GtkTestWindow&) = delete;
    GtkTestWindow& operator=(const GtkTestWindow&) = delete;

    // Shown (its first frame mapped), within a few seconds.
    bool WaitMapped();
    // Sends one command line and waits until the window has acted on it.
    bool Command(const std::string& line);
    bool SetTitle(const std::string& title) { return Command("title " + title); }
    bool Move(int x, int y) { return Command("move " + std::to_string(x) + " " + std::to_string(y)); }
    bool Resize(int width, int height)
    {
        return Command("resize " + std::to_string(width) + " " + std::to_string(height));
    }
    bool Present() { return Command("present"); }

    // Button presses that reached it.
    int Presses() const;
    // Whether the last keyboard focus change gave it the keyboard.
    bool HasKeyboard() const;
    // Whether it ever lost the keyboard after having it.
    bool LostKeyboard() const;
    // Its X11 window id when it runs on X11 (0 otherwise or before mapped).
    unsigned long Xid() const;
    Process& process() { return *process_; }

private:
    int Count(const std::string& line) const;

    std::string pipe_;
    int commands_fd_ = -1;
    int sent_ = 0;
    std::unique_ptr<Process> process_;
};
