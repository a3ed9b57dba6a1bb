#include "platform/x11/x11_property_data.h"

#include <algorithm>

namespace x11_properties {

bool ParseItems32(const PropertyData& reply, Atom type, std::size_t max_items,
                  std::vector<uint32_t>& items)
{
    items.clear();
    if (reply.type != type || reply.format != 32 || (reply.count > 0 && !reply.data))
        return false;
    const std::size_t count = std::min<std::size_t>(reply.count, max_items);
    const auto* values = reinterpret_cast<const unsigned long*>(reply.data);
    items.reserve(count);
    // Xlib may sign-extend a 32-bit item into its long: keep the bits sent.
    for (std::size_t i = 0; i < count; ++i)
        items.push_back(uint32_t(values[i] & 0xFFFFFFFFu));
    return true;
}

bool ParseText(const PropertyData& reply, std::initializer_list<Atom> types,
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
