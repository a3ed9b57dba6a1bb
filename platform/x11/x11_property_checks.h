// The checks every property reply passes before its contents are used: any
// client can store anything under any name, with any type and format, on
// its own windows and on the root. These take the reply's contents as the
// server sent them and ask the server nothing, so they can be tried on any
// bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>
#include <xcb/xproto.h>

namespace x11_properties {

// A GetProperty reply: `count` items of `format` bits, packed as sent, in
// `data`. No type (XCB_NONE) for a property the window does not have.
struct PropertyData {
    xcb_atom_t type = XCB_NONE;
    int format = 0;
    uint32_t count = 0;
    const unsigned char* data = nullptr;
    bool more = false; // items follow the ones answered
};

// The items of a 32-bit property of exactly `type`, at most `max_items`.
// False for any other type or format.
bool ParseItems32(const PropertyData& reply, xcb_atom_t type, std::size_t max_items,
                  std::vector<uint32_t>& items);

// The first `max_bytes` bytes of an 8-bit text property whose type is one
// of `types`. False for any other type or format: a title stored in a type
// the reader does not expect is no title, so the next property is tried.
bool ParseText(const PropertyData& reply, std::initializer_list<xcb_atom_t> types,
               std::size_t max_bytes, std::string& text);

} // namespace x11_properties
