// What sway sends, as walkers reads it: the input, cut into pieces whose
// sizes its first bytes choose, reaches the focus source through a socket
// as sway's stream of answers and events. Any header, length, type and
// payload: the framing puts messages together or gives up on the stream,
// and trees and window events of any shape are read without a read past
// their bytes (AddressSanitizer watches).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/wayland/sway_focus_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // Message headers as sway writes them are not easily guessed: every
    // other input gets a valid header in front, its length the rest's.
    const bool framed = data[0] & 1;
    const std::size_t piece = std::size_t(data[1]) * 4 + 1;
    data += 2;
    size -= 2;
    std::string stream(reinterpret_cast<const char*>(data), size);
    if (framed && size >= 4) {
        uint32_t type = 0;
        std::memcpy(&type, data, sizeof type);
        const std::string payload = stream.substr(4);
        const uint32_t tree = sway_ipc::kGetTree;
        stream = sway_ipc::Encode(type & 1 ? tree : sway_ipc::kWindowEvent, payload);
        // Another message after it, so that one stream carries two.
        stream += sway_ipc::Encode(type & 2 ? tree : sway_ipc::kWorkspaceEvent, payload);
    }
    int ends[2] = {-1, -1};
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return 0;
    {
        SwayFocusSource source(IpcSocket::Adopt(ends[0]));
        for (std::size_t at = 0; at < stream.size() && source.Connected(); at += piece) {
            const std::string part = stream.substr(at, piece);
            if (write(ends[1], part.data(), part.size()) != ssize_t(part.size()))
                break;
            source.ReadEvents();
            source.Refresh();
            if (source.Focused())
                (void)source.Focused()->title.size();
        }
    }
    close(ends[1]);
    return 0;
}
