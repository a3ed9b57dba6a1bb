#include "platform/wayland/ipc_socket.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

IpcSocket::IpcSocket(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return;
    std::memcpy(address.sun_path, path.data(), path.size());
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return;
    if (connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        Close();
}

IpcSocket IpcSocket::Adopt(int connected_fd)
{
    IpcSocket socket;
    socket.fd_ = connected_fd;
    return socket;
}

IpcSocket::~IpcSocket() { Close(); }

IpcSocket::IpcSocket(IpcSocket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

IpcSocket& IpcSocket::operator=(IpcSocket&& other) noexcept
{
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void IpcSocket::Close()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

bool IpcSocket::SendAll(std::string_view bytes)
{
    while (fd_ >= 0 && !bytes.empty()) {
        const ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes.remove_prefix(std::size_t(sent));
    }
    return fd_ >= 0;
}

bool IpcSocket::ReadSome(std::string& out, int timeout_ms)
{
    if (fd_ < 0)
        return false;
    pollfd descriptor{fd_, POLLIN, 0};
    int ready;
    do
        ready = poll(&descriptor, 1, timeout_ms);
    while (ready < 0 && errno == EINTR);
    if (ready == 0)
        return true; // nothing yet
    if (ready < 0)
        return false;
    char buffer[16384];
    ssize_t got;
    do
        got = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK;
    if (got == 0)
        return false;
    out.append(buffer, std::size_t(got));
    return true;
}

// A short read means the socket is empty for now: no extra call to learn
// that it would block.
bool IpcSocket::ReadAvailable(std::string& out)
{
    if (fd_ < 0)
        return false;
    char buffer[65536];
    for (;;) {
        const ssize_t got = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK;
        if (got == 0)
            return false;
        out.append(buffer, std::size_t(got));
        if (std::size_t(got) < sizeof buffer)
            return true;
    }
}
