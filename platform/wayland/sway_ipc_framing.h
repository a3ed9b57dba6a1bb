// sway's IPC messages: the magic "i3-ipc", a 32-bit payload length and a
// 32-bit type in the machine's byte order, then the payload. Bytes arrive
// in pieces of any size; the reader puts them together.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sway_ipc {

enum MessageType : uint32_t {
    kRunCommand = 0,
    kSubscribe = 2,
    kGetTree = 4,
};
// Replies to events carry this bit in their type.
constexpr uint32_t kEventBit = 0x80000000u;
enum EventType : uint32_t {
    kWorkspaceEvent = kEventBit | 0,
    kWindowEvent = kEventBit | 3,
};

struct Message {
    uint32_t type = 0;
    std::string payload;
};

std::string Encode(uint32_t type, std::string_view payload);

class Reader {
public:
    // Takes the next bytes read from the socket.
    void Add(std::string_view bytes) { buffer_.append(bytes); }
    // The next whole message, if one is complete. A header without the
    // magic, or an absurd length, makes the stream unusable: Broken().
    std::optional<Message> Next();
    bool Broken() const { return broken_; }

private:
    std::string buffer_;
    bool broken_ = false;
};

} // namespace sway_ipc
