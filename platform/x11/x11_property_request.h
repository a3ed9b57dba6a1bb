// A property asked for without waiting for the answer (see x11_reply.h),
// its answer as the parsers read it.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>
#include <vector>

#include "platform/x11/x11_property_data.h"
#include "platform/x11/x11_reply.h"

class X11Connection;

namespace x11_properties {

class PropertyRequest {
public:
    // Sends the question: `length` 32-bit units of the property from
    // `offset` on, of any type. Forgets an earlier one.
    void Ask(X11Connection& x, Window window, Atom property, long length, long offset = 0);
    bool Asked() const { return reply_.Asked(); }
    // Takes the answer if it has come; true once answered.
    bool Take();
    // The answer as the parsers read it: no type for a missing property or
    // window.
    const PropertyData& Answer() const { return answer_; }
    // Whether the window was gone (or the offset beyond the property's end).
    bool Failed() const { return failed_; }
    // Whether items follow the ones answered.
    bool More() const { return more_; }
    // Drops the question or its answer.
    void Forget();

private:
    void Keep();
    template <class Sent, class Wide>
    void Widen(const unsigned char* value, int length, std::vector<Wide>& into);

    X11Reply reply_;
    bool failed_ = false;
    bool more_ = false;
    std::vector<unsigned long> items_; // 32-bit items widened as Xlib has them
    std::vector<short> shorts_;
    PropertyData answer_;
};

} // namespace x11_properties
