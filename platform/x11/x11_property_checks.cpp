#include "platform/x11/x11_property_checks.h"

#include <algorithm>
#include <cstring>

namespace x11_properties {

bool ParseItems32(const PropertyData& reply, xcb_atom_t type, std::size_t max_items,
                  std::vector<uint32_t>& items)
{
    items.clear();
    if (reply.type != type || reply.format != 32 || (reply.count > 0 && !reply.data))
        return false;
    // Copied out: the bytes need not be aligned for 32-bit reads.
    items.resize(std::min<std::size_t>(reply.count, max_items));
    if (!items.empty())
        std::memcpy(items.data(), reply.data, items.size() * sizeof(uint32_t));
    return true;
}

bool ParseText(const PropertyData& reply, std::initializer_list<xcb_atom_t> types,
               std::size_t max_bytes, std::string& text)
{
    text.clear();
    if (reply.format != 8 || std::find(types.begin(), types.end(), reply.type) == types.end() ||
        (reply.count > 0 && !reply.data))
        return false;
    const auto* bytes = reinterpret_cast<const char*>(reply.data);
    text.assign(bytes, std::min<std::size_t>(reply.count, max_bytes));
    return true;
}

} // namespace x11_properties
