// The user's session bus, as one more source of the event loop's poll.
// Calls that wait for their answer are for start-up and --stop only, and
// always with a limit; at run time everything arrives through Process, which
// takes a bounded number of messages a turn so that a flood of them cannot
// keep the loop from its ticks.
#pragma once

#include <memory>
#include <string>
#include <systemd/sd-bus.h>

#include "platform/shared/loop_source.h"

class SessionBus final : public LoopSource {
public:
    // Messages taken in one turn of the loop; more wait for the next turn.
    static constexpr int kMessagesPerTurn = 32;

    // The session bus, connected and greeted within `timeout_ms`; nullptr
    // when there is none. `address` names another bus than the user's.
    static std::unique_ptr<SessionBus> Open(int timeout_ms = 1000, const char* address = nullptr);
    // Takes a bus connection that is ready (tests make their own).
    explicit SessionBus(sd_bus* bus);
    ~SessionBus() override;
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    sd_bus* get() const { return bus_; }
    std::string UniqueName() const;

    // Calls a method and waits at most `timeout_ms` for the answer. The
    // reply (to unref) or nullptr, with the error's text in `error`.
    sd_bus_message* CallWaiting(sd_bus_message* call, int timeout_ms, std::string& error);
    // The unique name of the program that owns `name` now, or "" (waits).
    std::string OwnerOf(const std::string& name, int timeout_ms);

    // --- LoopSource
    int Descriptor() const override;
    short Events() const override;
    int TimeoutMs() const override;
    bool Process() override;
    const char* LostMessage() const override { return "lost the connection to the session bus"; }

    // Messages taken since the start, for measuring.
    unsigned long long Messages() const { return messages_; }

private:
    sd_bus* bus_;
    bool more_waiting_ = false; // the last turn stopped at its cap
    unsigned long long messages_ = 0;
};
