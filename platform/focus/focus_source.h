// Where an overlay learns which window has the keyboard focus: the X
// server's EWMH properties, or a compositor's own IPC or script, since
// Wayland itself tells a client nothing about other clients' windows. Chosen
// at start apart from the overlay that shows the figures, which knows
// nothing of it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The focused window as a person sees it: its title, and its rectangle with
// the server-side title bar, in the layout's logical pixels.
struct FocusedWindow {
    uint64_t id = 0;
    std::string title;
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const FocusedWindow&) const = default;
};

// What a focus source asked of the compositor, for measuring.
struct FocusStats {
    uint64_t requests = 0;
    uint64_t reply_bytes = 0;
    int64_t reply_wait_ns = 0; // from sending a question to having the answer
    int64_t tree_read_ns = 0;  // reading and parsing the answers
    uint64_t refreshes_skipped = 0; // the last question was still unanswered
    uint64_t events = 0;
};

class FocusSource {
public:
    virtual ~FocusSource() = default;

    // A descriptor to watch for reading (events the compositor pushes), or -1.
    virtual int EventDescriptor() const = 0;
    // Reads what arrived on EventDescriptor without waiting. False when the
    // compositor closed it; the source then answers from what it knew.
    virtual bool ReadEvents() = 0;
    // Asks the compositor afresh for what events do not tell (a floating
    // window moved): once per tick. A source that can asks without waiting
    // and takes the answer in ReadEvents, so the tick after sees it.
    virtual void Refresh() = 0;
    virtual std::optional<FocusedWindow> Focused() const = 0;
    // For the one line at start: which compositor is followed.
    virtual std::string Name() const = 0;
    virtual FocusStats Stats() const { return {}; }
};

// Answers that no window is in front: a desktop walkers cannot follow.
class NoFocusSource final : public FocusSource {
public:
    int EventDescriptor() const override { return -1; }
    bool ReadEvents() override { return true; }
    void Refresh() override {}
    std::optional<FocusedWindow> Focused() const override { return std::nullopt; }
    std::string Name() const override { return "none"; }
};
