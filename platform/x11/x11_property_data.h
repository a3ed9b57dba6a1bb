// The checks every property reply passes before its contents are used: any
// client can store anything under any name, with any type and format, on
// its own windows and on the root. These take the reply as Xlib hands it
// over and ask the server nothing, so they can be tried on any bytes.
#pragma once

#include <X11/X.h>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace x11_properties {

// A GetProperty reply: `count` items of `format` bits. Xlib widens 16-bit
// items to shorts and 32-bit items to longs; `data` holds count of them.
struct PropertyData {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    const unsigned char* data = nullptr;
};

// The items of a 32-bit property of exactly `type`, at most `max_items`,
// each as the 32 bits that were sent. False for any other type or format.
bool ParseItems32(const PropertyData& reply, Atom type, std::size_t max_items,
                  std::vector<uint32_t>& items);

// The first `max_bytes` bytes of an 8-bit text property whose type is one
// of `types`. False for any other type or format: a title stored in a type
// the reader does not expect is no title, so the next property is tried.
bool ParseText(const PropertyData& reply, std::initializer_list<Atom> types,
               std::size_t max_bytes, std::string& text);

} // namespace x11_properties
