// A connected Unix stream socket to a compositor's IPC, closed by its owner.
#pragma once

#include <string>
#include <string_view>

class IpcSocket {
public:
    IpcSocket() = default;
    // Connects to `path`; Open() tells whether it worked.
    explicit IpcSocket(const std::string& path);
    // Takes over a descriptor that is already connected (one end of a
    // socket pair in the tests).
    static IpcSocket Adopt(int connected_fd);
    ~IpcSocket();
    IpcSocket(IpcSocket&& other) noexcept;
    IpcSocket& operator=(IpcSocket&& other) noexcept;
    IpcSocket(const IpcSocket&) = delete;
    IpcSocket& operator=(const IpcSocket&) = delete;

    bool Open() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    bool SendAll(std::string_view bytes);
    // Appends what can be read now (waiting at most `timeout_ms` for the
    // first byte). False at the end of the stream or on an error.
    bool ReadSome(std::string& out, int timeout_ms);
    // Appends all that has arrived, without waiting. False at the end of
    // the stream or on an error; what came before it is still appended.
    bool ReadAvailable(std::string& out);
    void Close();

private:
    int fd_ = -1;
};
