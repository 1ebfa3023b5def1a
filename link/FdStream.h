#pragma once
// Byte transfer on a file descriptor with poll() time-outs, shared by the device-node and the
// socket backends. The descriptor is non-blocking; poll() does all the waiting, in steps no longer
// than the clock's idle interval when it has one (see Clock::idle). A time-out is one
// deadline for the whole transfer, read on the program's Clock, so that a reply trickling in a
// byte at a time cannot keep a read alive past it.
#include <cstddef>
#include <cstdint>

#include "link/Clock.h"
#include "link/PortBackend.h"

namespace veltra {

class FdStream {
public:
    explicit FdStream(Clock& clock) : clock_(clock) {}
    FdStream(const FdStream&) = delete;
    FdStream& operator=(const FdStream&) = delete;
    ~FdStream() { reset(); }

    // Takes ownership of fd. With isSocket, writes use send() without SIGPIPE.
    void adopt(int fd, bool isSocket);
    void reset();
    int fd() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // The system's error number of the last transfer's failing call; 0 when none failed.
    int lastErrno() const { return lastErrno_; }

    // Writes until n bytes are out or timeoutMs has passed since the call; the count written, or -1
    // when the system refused the write before any byte went out.
    long write(const std::uint8_t* data, std::size_t n, int timeoutMs);
    // With exact, reads until n bytes have come, timeoutMs has passed since the call or the
    // other end closes; without, returns as soon as one read delivered bytes. A time-out of 0
    // takes what has already arrived without waiting. The count (0 on time-out), or -1 when the
    // system refused the read before any byte came.
    long read(std::uint8_t* data, std::size_t n, bool exact, int timeoutMs);
    // Waits up to timeoutMs until the descriptor reports itself writable again, which a USB
    // printer node does once its last write transfer has completed; false when it did not.
    bool drain(int timeoutMs);

private:
    // Milliseconds left of a transfer: until the deadline on the clock, and never more than the
    // silence still allowed (a clock that does not move with real time still ends the wait).
    int remainingMs(std::int64_t deadlineMs, int silenceLeftMs) const;
    // The one loop behind write and read: waits for event (POLLOUT or POLLIN) and calls
    // step(done), which moves bytes from offset done on and returns what the system call did,
    // until n bytes are done or the time-out passes; without exact, one step that moved bytes
    // ends it. A read that gets 0 bytes ends it as well: the other end closed.
    template <typename Step>
    long transfer(short event, std::size_t n, bool exact, int timeoutMs, Step step);

    Clock& clock_;
    int fd_ = -1;
    bool socket_ = false;
    int lastErrno_ = 0;
};

// The part of a backend on a descriptor that is the same for every kind: the transfers go
// through its FdStream, and open() leaves in failure_ why it failed.
class FdPortBackend : public PortBackend {
public:
    long write(const std::uint8_t* data, std::size_t n, int timeoutMs) override {
        return stream_.write(data, n, timeoutMs);
    }
    long read(std::uint8_t* data, std::size_t n, bool exact, int timeoutMs) override {
        return stream_.read(data, n, exact, timeoutMs);
    }
    OpenFailure openFailure() const override { return failure_; }
    std::string transferFailure() const override;

protected:
    explicit FdPortBackend(Clock& clock) : stream_(clock) {}

    FdStream stream_;
    OpenFailure failure_;
};

}  // namespace veltra
