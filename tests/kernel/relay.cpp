// The rig's relay inside the guest: carries bytes both ways between a printer gadget's node and
// the virtio serial port of its virtual printer, given as two open descriptors. A shell pipe will
// not do: the gadget node holds its lock while a read waits for the host, so a write of the
// printer's reply would wait for the host's next packet. Ends when the serial port's far end
// hangs up (the virtual printer dropped the line), once what it sent has reached the host.
//   relay SERIAL_FD GADGET_FD
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <initializer_list>

namespace {

constexpr int kLastReplyMs = 500;

// Writes all n bytes to a non-blocking descriptor; false when it fails.
bool writeAll(int fd, const char* data, ssize_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, data, std::size_t(n));
        if (w < 0) {
            if (errno != EAGAIN && errno != EINTR) {
                return false;
            }
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 1000);
            continue;
        }
        data += w;
        n -= w;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    const int serial = std::atoi(argv[1]);
    const int gadget = std::atoi(argv[2]);
    for (int fd : {serial, gadget}) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    char buf[8192];
    for (;;) {
        pollfd p[2] = {{serial, POLLIN, 0}, {gadget, POLLIN, 0}};
        if (::poll(p, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return 1;
        }
        if (p[0].revents != 0) {
            const ssize_t n = ::read(serial, buf, sizeof buf);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
                // The far end hung up. What it sent last is still to reach the host, as a
                // printer's last reply does before its cable is pulled: the gadget's queue is
                // flushed, and the host's pending read gets half a second to take the bytes
                // (the unplug check leaves the program a full second before its next write).
                ::fsync(gadget);
                ::poll(nullptr, 0, kLastReplyMs);
                return 0;
            }
            if (n > 0 && !writeAll(gadget, buf, n)) {
                return 1;
            }
        }
        if (p[1].revents != 0) {
            const ssize_t n = ::read(gadget, buf, sizeof buf);
            if (n > 0 && !writeAll(serial, buf, n)) {
                return 1;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                // The host side went away for a moment (a reset): wait, do not spin.
                ::poll(nullptr, 0, 10);
            }
        }
    }
}
