#pragma once
// Byte transfer on a file descriptor with poll() time-outs, shared by the device-node and the
// socket backends. The descriptor is non-blocking; poll() does all the waiting.
#include <cstddef>
#include <cstdint>

namespace veltra {

class FdStream {
public:
    FdStream() = default;
    FdStream(const FdStream&) = delete;
    FdStream& operator=(const FdStream&) = delete;
    ~FdStream() { reset(); }

    // Takes ownership of fd. With isSocket, writes use send() without SIGPIPE.
    void adopt(int fd, bool isSocket);
    void reset();
    int fd() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    // Writes until n bytes are out or timeoutMs has passed; the count written, or -1 when the
    // system refused the write before any byte went out.
    long write(const std::uint8_t* data, std::size_t n, int timeoutMs);
    // With exact, reads until n bytes have come, the time-out passes or the other end closes;
    // without, returns as soon as one read delivered bytes. The count (0 on time-out), or -1
    // when the system refused the read before any byte came.
    long read(std::uint8_t* data, std::size_t n, bool exact, int timeoutMs);

private:
    int fd_ = -1;
    bool socket_ = false;
};

}  // namespace veltra
