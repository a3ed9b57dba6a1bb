// The focused window on KDE Plasma: KWin tells other clients nothing about
// it, so walkers loads a script into KWin over the session bus
// (kwin_script) that reports each change back to walkers' own name. Only
// reports from the owner of org.kde.KWin are believed; they arrive in the
// bus's turns of the event loop, so Refresh asks nothing.
#pragma once

#include <memory>
#include <string>

#include "platform/dbus/session_bus.h"
#include "platform/focus/focus_source.h"

class KWinFocusSource final : public FocusSource {
public:
    // The name the script is loaded under: a walkers that was killed left
    // its script loaded under it, which the next one replaces.
    static constexpr char kScriptName[] = "walkers";

    // Takes reports from the program at `kwin_owner` (a unique bus name).
    KWinFocusSource(SessionBus& bus, std::string kwin_owner);
    // Unloads the script and removes its file, without waiting.
    ~KWinFocusSource() override;
    KWinFocusSource(const KWinFocusSource&) = delete;
    KWinFocusSource& operator=(const KWinFocusSource&) = delete;

    // Writes the script under $XDG_RUNTIME_DIR and has KWin run it, waiting
    // at most `timeout_ms` for each answer. False with the reason in `error`.
    bool LoadScript(int timeout_ms, std::string& error);
    // Takes bus messages until the first report, for at most `timeout_ms`.
    bool AwaitFirstReport(int timeout_ms);

    // --- FocusSource
    int EventDescriptor() const override { return -1; } // the bus is polled itself
    bool ReadEvents() override { return true; }
    void Refresh() override {}
    std::optional<FocusedWindow> Focused() const override { return focused_; }
    std::string Name() const override { return "KWin"; }
    FocusStats Stats() const override { return stats_; }

    // Reports dropped: malformed, or not from KWin.
    unsigned long long Refused() const { return refused_; }

private:
    static int OnReport(sd_bus_message* call, void* self, sd_bus_error* error);
    bool CallKWin(const char* method, int timeout_ms, std::string& error, const char* path = nullptr);

    SessionBus& bus_;
    std::string kwin_owner_;
    sd_bus_slot* object_ = nullptr;
    std::string script_path_; // while the file exists
    bool loaded_ = false;
    bool reported_ = false;
    std::optional<FocusedWindow> focused_;
    FocusStats stats_;
    unsigned long long refused_ = 0;
};

// The source for a running KWin, its script loaded and its first report
// taken; nullptr with the reason in `error` when KWin does not run it.
std::unique_ptr<FocusSource> StartKWinFocusSource(SessionBus& bus, std::string& error);
