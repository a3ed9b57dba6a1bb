// The X property readers, given raw replies as the server sends them: any
// type, format, length and contents. Texts and items come out only for the
// type and format asked for, and frame extents of any value give a
// rectangle without overflow (the undefined-behaviour sanitizer watches the
// arithmetic) that stays within reach of the window.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/x11/x11_frame_rect.h"
#include "platform/x11/x11_property_checks.h"

namespace {

// Reads the input front to back; zeros once it runs out.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    template <typename T> T Take()
    {
        T value{};
        const size_t n = std::min(sizeof value, size_ - at_);
        std::memcpy(&value, data_ + at_, n);
        at_ += n;
        return value;
    }
    const uint8_t* Rest() const { return data_ + at_; }
    size_t Left() const { return size_ - at_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

constexpr xcb_atom_t kUtf8 = 300; // stands for UTF8_STRING: any atom number will do

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Bytes in(data, size);
    static const xcb_atom_t kTypes[] = {XCB_NONE,         XCB_ATOM_STRING, kUtf8,
                                        XCB_ATOM_CARDINAL, XCB_ATOM_WINDOW, XCB_ATOM_ATOM};
    x11_properties::PropertyData reply;
    reply.type = kTypes[in.Take<uint8_t>() % 6];
    static const int kFormats[] = {8, 16, 32, 0, 7};
    reply.format = kFormats[in.Take<uint8_t>() % 5];
    const size_t max = in.Take<uint8_t>();

    // The items packed as sent: bytes, or 16 or 32 bits each.
    const size_t item_size = reply.format == 32 ? 4 : reply.format == 16 ? 2 : 1;
    std::vector<uint8_t> items(in.Rest(), in.Rest() + in.Left() / item_size * item_size);
    reply.count = uint32_t(items.size() / item_size);
    reply.data = items.empty() ? nullptr : items.data();

    std::string text;
    if (x11_properties::ParseText(reply, {XCB_ATOM_STRING, kUtf8}, max, text) &&
        (reply.format != 8 || text.size() > max || text.size() > reply.count))
        std::abort();
    std::vector<uint32_t> values;
    if (x11_properties::ParseItems32(reply, XCB_ATOM_CARDINAL, max, values) &&
        (reply.type != XCB_ATOM_CARDINAL || values.size() > max || values.size() > reply.count))
        std::abort();

    // Any four items as extents, on a window the server could describe:
    // 16-bit positions and sizes.
    values.resize(8);
    Bytes shape(data, size);
    x11_frame::Layout layout{shape.Take<int16_t>(),  shape.Take<int16_t>(),  shape.Take<uint16_t>(),
                             shape.Take<uint16_t>(), shape.Take<uint16_t>(), shape.Take<int16_t>(),
                             shape.Take<int16_t>(),  shape.Take<uint16_t>(), shape.Take<uint16_t>()};
    const x11_frame::Extents frame{bool(values[0] & 1), values[0], values[1], values[2], values[3]};
    const x11_frame::Extents shadows{bool(values[4] & 1), values[4], values[5], values[6],
                                     values[7]};
    const RECT rect = x11_frame::VisibleRect(layout, frame, shadows);
    // Every edge lies within the sizes involved of the window's corner (all
    // of them 16-bit, so far inside 32 bits), and with sizes that are never
    // negative no rectangle comes out inside out.
    const int64_t reach = 8 * 65536;
    for (int64_t edge : {int64_t(rect.left), int64_t(rect.top), int64_t(rect.right),
                         int64_t(rect.bottom)})
        if (edge < -reach || edge > reach)
            std::abort();
    if (rect.right < rect.left || rect.bottom < rect.top)
        std::abort();
    return 0;
}
