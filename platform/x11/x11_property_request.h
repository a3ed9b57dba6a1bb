// A property asked for on the connection for questions without waiting for
// the answer. While another client floods the server, the server may take
// a second to come to a question; a tick that waited for it would stop for
// that long. What is known already is answered meanwhile, and the answer
// is taken when it has come.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>
#include <vector>

#include "platform/x11/x11_property_data.h"

class X11Connection;
struct xcb_get_property_reply_t;

namespace x11_properties {

class PropertyRequest {
public:
    PropertyRequest() = default;
    ~PropertyRequest() { Forget(); }
    PropertyRequest(const PropertyRequest&) = delete;
    PropertyRequest& operator=(const PropertyRequest&) = delete;

    // Sends the question (a round trip, counted): `length` 32-bit units of
    // the property, of any type. Forgets an earlier one.
    void Ask(X11Connection& x, Window window, Atom property, long length);
    bool Asked() const { return pending_ || answered_; }
    // Takes the answer if it has come, or waits for it if `wait`. True
    // once answered.
    bool Take(bool wait);
    // The answer as the parsers read it: no type for a missing property or
    // window.
    const PropertyData& Answer() const { return answer_; }
    // Drops the question or its answer.
    void Forget();

private:
    void Keep(xcb_get_property_reply_t* reply);
    template <class Sent, class Wide>
    void Widen(const unsigned char* value, int length, std::vector<Wide>& into);

    X11Connection* x_ = nullptr;
    bool pending_ = false; // asked, not answered yet
    unsigned int sequence_ = 0;
    bool answered_ = false;
    xcb_get_property_reply_t* reply_ = nullptr;
    std::vector<unsigned long> items_; // 32-bit items widened as Xlib has them
    std::vector<short> shorts_;
    PropertyData answer_;
};

} // namespace x11_properties
