// The focused window on GNOME Shell, from walkers' extension in the shell
// (packaging/gnome-shell): asked once at the start, with a limit on the
// wait, then followed through its FocusChanged signal, which the session
// bus delivers in the event loop's own poll; nothing on the tick path
// waits. Every program of the session can send on the bus: only messages
// from the owner of org.gnome.Shell are believed, and malformed ones are
// dropped.
#pragma once

#include <memory>
#include <string>
#include <systemd/sd-bus.h>

#include "platform/focus/gnome_shell_report.h"
#include "platform/focus/focus_source.h"

class SessionBus;

class GnomeShellFocusSource final : public FocusSource {
public:
    // Follows the shell on `bus` (which the event loop must poll), having
    // made sure the extension runs; null, with the one line that says why,
    // when it cannot.
    static std::unique_ptr<GnomeShellFocusSource> Start(SessionBus& bus, std::string& problem);
    ~GnomeShellFocusSource() override;
    GnomeShellFocusSource(const GnomeShellFocusSource&) = delete;
    GnomeShellFocusSource& operator=(const GnomeShellFocusSource&) = delete;

    // The bus is the loop's own source: nothing to watch or ask here.
    int EventDescriptor() const override { return -1; }
    bool ReadEvents() override { return true; }
    void Refresh() override {}
    std::optional<FocusedWindow> Focused() const override { return focused_; }
    std::string Name() const override { return "GNOME Shell"; }
    FocusStats Stats() const override { return stats_; }

    // What a message from the bus said; public for the tests.
    void Take(sd_bus_message* message);
    // Reports dropped: from another sender, or malformed.
    uint64_t Dropped() const { return dropped_; }

private:
    GnomeShellFocusSource(SessionBus& bus, std::string shell);
    bool Listen();
    // The first answer, waited for; false if none came in time.
    bool AskFirst(int timeout_ms);
    static int OnFocusChanged(sd_bus_message* message, void* self, sd_bus_error* error);
    static int OnShellOwner(sd_bus_message* message, void* self, sd_bus_error* error);
    static int OnAnswer(sd_bus_message* message, void* self, sd_bus_error* error);
    // Asks the Focused method without waiting; the answer comes to OnAnswer.
    void AskAgain();

    SessionBus& bus_;
    std::string shell_; // the unique name that owns org.gnome.Shell
    sd_bus_slot* focus_slot_ = nullptr;
    sd_bus_slot* owner_slot_ = nullptr;
    sd_bus_slot* question_slot_ = nullptr;
    std::optional<FocusedWindow> focused_;
    FocusStats stats_;
    uint64_t dropped_ = 0;
};
