#pragma once
// The in-process port: a PortBackend whose other end is a VirtualPrinter. Writes go straight to
// the printer; reads take what the printer has queued. Time passes only on the Clock, so a read
// that finds nothing sleeps its time-out there and reports 0 bytes, as a silent port would.
#include "link/Clock.h"
#include "link/PortBackend.h"
#include "sim/VirtualPrinter.h"

namespace veltra::sim {

class SimPortBackend : public veltra::PortBackend {
public:
    SimPortBackend(VirtualPrinter& printer, Clock& clock) : printer_(printer), clock_(clock) {}

    // Succeeds while the printer is connected, and then resets the printer's link (queues,
    // packet mode, the drop fault's count).
    bool open() override;
    void close() override;
    // Returns n, or -1 once the printer has dropped the connection (or the port is closed).
    long write(const std::uint8_t* data, std::size_t n, int timeoutMs) override;
    // Returns up to n queued bytes. Without exact, one read never runs past the end of the
    // packet at the front of the queue, as one USB transfer carries one packet. With exact and
    // fewer than n bytes queued, the time-out passes and what there is comes back. When nothing
    // is queued: sleeps timeoutMs and returns 0, or -1 once disconnected.
    long read(std::uint8_t* data, std::size_t n, bool exact, int timeoutMs) override;
    // The printer's device ID text; empty once disconnected.
    std::vector<std::uint8_t> deviceId() override;

    bool isOpen() const { return open_; }

private:
    VirtualPrinter& printer_;
    Clock& clock_;
    bool open_ = false;
};

}  // namespace veltra::sim
