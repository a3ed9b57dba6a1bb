#include "platform/wayland/sway_ipc_framing.h"

#include <cstring>

namespace sway_ipc {

namespace {

constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::size_t kHeaderSize = sizeof kMagic + 8;
// A whole tree of a busy desktop is well below this.
constexpr uint32_t kLongestPayload = 64u << 20;

} // namespace

std::string Encode(uint32_t type, std::string_view payload)
{
    std::string message(kMagic, sizeof kMagic);
    const auto length = uint32_t(payload.size());
    message.append(reinterpret_cast<const char*>(&length), sizeof length);
    message.append(reinterpret_cast<const char*>(&type), sizeof type);
    message.append(payload);
    return message;
}

std::optional<Message> Reader::Next()
{
    if (broken_ || buffer_.size() < kHeaderSize)
        return std::nullopt;
    if (std::memcmp(buffer_.data(), kMagic, sizeof kMagic) != 0) {
        broken_ = true;
        return std::nullopt;
    }
    uint32_t length = 0;
    Message message;
    std::memcpy(&length, buffer_.data() + sizeof kMagic, sizeof length);
    std::memcpy(&message.type, buffer_.data() + sizeof kMagic + 4, sizeof message.type);
    if (length > kLongestPayload) {
        broken_ = true;
        return std::nullopt;
    }
    if (buffer_.size() < kHeaderSize + length)
        return std::nullopt;
    message.payload = buffer_.substr(kHeaderSize, length);
    buffer_.erase(0, kHeaderSize + length);
    return message;
}

} // namespace sway_ipc
