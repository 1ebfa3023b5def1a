#include "sim/SimPortBackend.h"

#include <algorithm>

namespace veltra::sim {

bool SimPortBackend::open() {
    // Opening the port is plugging the cable in afresh, as the socket server does for each
    // connection: nothing queued for an earlier session comes back as a reply to this one.
    // A line that has dropped stays down.
    open_ = printer_.connected();
    if (open_) {
        printer_.resetLink();
    }
    return open_;
}

void SimPortBackend::close() {
    open_ = false;
}

long SimPortBackend::write(const std::uint8_t* data, std::size_t n, int /*timeoutMs*/) {
    if (!open_ || !printer_.connected()) {
        return -1;
    }
    printer_.hostWrite(data, n);
    return static_cast<long>(n);
}

long SimPortBackend::read(std::uint8_t* data, std::size_t n, bool exact, int timeoutMs) {
    if (!open_) {
        return -1;
    }
    if (n == 0) {
        return 0;
    }
    const std::size_t queued = printer_.pending();
    if (queued == 0) {
        if (!printer_.connected()) {
            return -1;
        }
        clock_.sleepMs(timeoutMs);
        return 0;
    }
    std::size_t want = n;
    if (exact) {
        if (queued < n) {
            // Nothing more will come without another host write: the rest of the wait passes.
            clock_.sleepMs(timeoutMs);
        }
    } else {
        want = std::min(n, printer_.pendingInPacket());
    }
    return static_cast<long>(printer_.hostRead(data, want));
}

std::vector<std::uint8_t> SimPortBackend::deviceId() {
    if (!printer_.connected()) {
        return {};
    }
    const std::string id = printer_.deviceId();
    return {id.begin(), id.end()};
}

}  // namespace veltra::sim
