#include "link/FdStream.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace veltra {

namespace {

// Some device drivers (the parallel printer driver among them) report themselves always ready
// to poll() and then answer EAGAIN; such a descriptor is polled again after this pause.
constexpr int kBusySliceMs = 5;

enum class Wait { Ready, TimedOut, Failed };

// Waits for the event; remainingMs counts down only while nothing happens, so that the time-out
// is a time of silence on the line, measured by poll() itself.
Wait waitFor(int fd, short event, int& remainingMs) {
    for (;;) {
        if (remainingMs <= 0) {
            return Wait::TimedOut;
        }
        pollfd p{fd, event, 0};
        const int r = ::poll(&p, 1, remainingMs);
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Wait::Failed;
        }
        if (r == 0) {
            remainingMs = 0;
            return Wait::TimedOut;
        }
        // Hang-up and error conditions are left for the transfer call to report.
        return Wait::Ready;
    }
}

void pauseSlice(int& remainingMs) {
    const int slice = remainingMs < kBusySliceMs ? remainingMs : kBusySliceMs;
    ::poll(nullptr, 0, slice);
    remainingMs -= slice;
}

}  // namespace

void FdStream::adopt(int fd, bool isSocket) {
    reset();
    fd_ = fd;
    socket_ = isSocket;
    if (fd_ >= 0) {
        const int flags = ::fcntl(fd_, F_GETFL);
        if (flags >= 0) {
            ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
        }
    }
}

void FdStream::reset() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

long FdStream::write(const std::uint8_t* data, std::size_t n, int timeoutMs) {
    if (fd_ < 0) {
        return -1;
    }
    std::size_t done = 0;
    int remaining = timeoutMs;
    while (done < n) {
        const Wait w = waitFor(fd_, POLLOUT, remaining);
        if (w == Wait::TimedOut) {
            break;
        }
        if (w == Wait::Failed) {
            return done > 0 ? long(done) : -1;
        }
        const ssize_t r = socket_ ? ::send(fd_, data + done, n - done, MSG_NOSIGNAL)
                                  : ::write(fd_, data + done, n - done);
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                pauseSlice(remaining);
                continue;
            }
            return done > 0 ? long(done) : -1;
        }
        done += std::size_t(r);
    }
    return long(done);
}

long FdStream::read(std::uint8_t* data, std::size_t n, bool exact, int timeoutMs) {
    if (fd_ < 0) {
        return -1;
    }
    std::size_t done = 0;
    int remaining = timeoutMs;
    while (done < n) {
        const Wait w = waitFor(fd_, POLLIN, remaining);
        if (w == Wait::TimedOut) {
            break;
        }
        if (w == Wait::Failed) {
            return done > 0 ? long(done) : -1;
        }
        const ssize_t r = ::read(fd_, data + done, n - done);
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                pauseSlice(remaining);
                continue;
            }
            return done > 0 ? long(done) : -1;
        }
        if (r == 0) {
            break;  // the other end closed
        }
        done += std::size_t(r);
        if (!exact) {
            break;
        }
    }
    return long(done);
}

}  // namespace veltra
