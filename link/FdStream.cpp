#include "link/FdStream.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace veltra {

namespace {

// Some device drivers (the parallel printer driver among them) report themselves always ready
// to poll() and then answer EAGAIN; such a descriptor is polled again after this pause.
constexpr int kBusySliceMs = 5;

enum class Wait { Ready, TimedOut, Failed };

// Waits up to waitMs for the event; a wait of 0 only looks whether it is there already.
// silenceLeftMs counts down by what poll() waited without the event coming.
Wait waitFor(int fd, short event, int waitMs, int& silenceLeftMs) {
    for (;;) {
        pollfd p{fd, event, 0};
        const int r = ::poll(&p, 1, waitMs);
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Wait::Failed;
        }
        if (r == 0) {
            silenceLeftMs -= waitMs;
            return Wait::TimedOut;
        }
        // Hang-up and error conditions are left for the transfer call to report.
        return Wait::Ready;
    }
}

void pauseSlice(int waitMs, int& silenceLeftMs) {
    const int slice = waitMs < kBusySliceMs ? waitMs : kBusySliceMs;
    ::poll(nullptr, 0, slice);
    silenceLeftMs -= slice;
}

}  // namespace

int FdStream::remainingMs(std::int64_t deadlineMs, int silenceLeftMs) const {
    const std::int64_t left = std::min<std::int64_t>(deadlineMs - clock_.nowMs(), silenceLeftMs);
    return left > 0 ? int(left) : 0;
}

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

template <typename Step>
long FdStream::transfer(short event, std::size_t n, bool exact, int timeoutMs, Step step) {
    lastErrno_ = 0;
    if (fd_ < 0) {
        lastErrno_ = EBADF;
        return -1;
    }
    std::size_t done = 0;
    const std::int64_t deadline = clock_.nowMs() + timeoutMs;
    int silence = timeoutMs;
    const int idleEvery = clock_.idleIntervalMs();
    while (done < n) {
        const int left = remainingMs(deadline, silence);
        // A clock with other work to run gets the thread back between short polls; the data
        // still ends each poll the moment it comes.
        const int wait = idleEvery > 0 ? std::min(left, idleEvery) : left;
        const Wait w = waitFor(fd_, event, wait, silence);
        if (w == Wait::TimedOut) {
            if (wait < left) {
                clock_.idle();
                continue;
            }
            break;
        }
        if (w == Wait::Failed) {
            lastErrno_ = errno;
            return done > 0 ? long(done) : -1;
        }
        const ssize_t r = step(done);
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                if (wait == 0) {
                    break;
                }
                pauseSlice(wait, silence);
                continue;
            }
            lastErrno_ = errno;
            return done > 0 ? long(done) : -1;
        }
        if (r == 0 && event == POLLIN) {
            break;  // the other end closed
        }
        done += std::size_t(r);
        if (!exact) {
            break;
        }
    }
    return long(done);
}

long FdStream::write(const std::uint8_t* data, std::size_t n, int timeoutMs) {
    return transfer(POLLOUT, n, true, timeoutMs, [&](std::size_t done) {
        return socket_ ? ::send(fd_, data + done, n - done, MSG_NOSIGNAL)
                       : ::write(fd_, data + done, n - done);
    });
}

bool FdStream::drain(int timeoutMs) {
    if (fd_ < 0) {
        return true;
    }
    const std::int64_t deadline = clock_.nowMs() + timeoutMs;
    int silence = timeoutMs;
    for (;;) {
        const int wait = remainingMs(deadline, silence);
        const Wait w = waitFor(fd_, POLLOUT, wait, silence);
        if (w != Wait::TimedOut) {
            return w == Wait::Ready;
        }
        if (wait == 0) {
            return false;
        }
    }
}

long FdStream::read(std::uint8_t* data, std::size_t n, bool exact, int timeoutMs) {
    return transfer(POLLIN, n, exact, timeoutMs,
                    [&](std::size_t done) { return ::read(fd_, data + done, n - done); });
}

std::string FdPortBackend::transferFailure() const {
    const int e = stream_.lastErrno();
    return e == 0 ? std::string() : std::string(std::strerror(e));
}

}  // namespace veltra
