// One question on the connection for questions, sent without waiting and
// its answer taken once it has come. While another client floods the
// server, the server may take a second to come to a question; a tick that
// waited for it would stop for that long, so what is known already is
// answered meanwhile.
#pragma once

#include <cstdint>

class X11Connection;

class X11Reply {
public:
    X11Reply() = default;
    ~X11Reply() { Forget(); }
    X11Reply(const X11Reply&) = delete;
    X11Reply& operator=(const X11Reply&) = delete;

    // Notes the request just sent on the connection for questions, and
    // sends it out (counted as a round trip). Forgets an earlier one.
    void Sent(X11Connection& x, unsigned int sequence);
    bool Asked() const { return pending_ || answered_; }
    bool Pending() const { return pending_; }
    // Takes the answer if it has come; true once answered.
    bool Take();
    // The answer; null when the request failed (a window that is gone).
    template <class Reply>
    const Reply* As() const
    {
        return static_cast<const Reply*>(reply_);
    }
    // Drops the question or its answer.
    void Forget();

private:
    X11Connection* x_ = nullptr;
    unsigned int sequence_ = 0;
    bool pending_ = false;
    bool answered_ = false;
    void* reply_ = nullptr;
};

// Waits at most `timeout_ms` for something to arrive on the connection for
// questions (only at the start, for the first answers).
void AwaitReplies(X11Connection& x, int timeout_ms);
