#pragma once
// The operating-system side of one printer port: a byte stream both ways and the IEEE 1284
// device ID. TPPrinterDriver owns the rules (time-outs, retries, detail codes); a backend only
// moves bytes. Backends: a Linux device node (/dev/lpN, /dev/usb/lpN), a Unix stream socket, and
// the in-process virtual printer.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace veltra {

// Why a port could not be opened, for the person at the keyboard: what was tried (a device
// path, a socket, a port with no device), the error number in errno's terms (0 when none
// applies; it chooses the advice), and the system's own words where they are not errno's.
struct OpenFailure {
    std::string what;
    int error = 0;
    std::string reason{};
};

class PortBackend {
public:
    virtual ~PortBackend() = default;
    virtual bool open() = 0;
    virtual void close() = 0;
    // Writes n bytes; returns the count written, or -1 when the system refused the write.
    virtual long write(const std::uint8_t* data, std::size_t n, int timeoutMs) = 0;
    // Reads. With exact, keeps reading until n bytes have come or timeoutMs has passed; without,
    // returns what one read delivers (at most n). Returns the count (0 on time-out), or -1 when
    // the system refused the read. Time passes on the program's Clock.
    virtual long read(std::uint8_t* data, std::size_t n, bool exact, int timeoutMs) = 0;
    // Waits up to timeoutMs until the bytes write() handed over have left the system: a USB
    // printer driver may still be sending them when write() returns, and closing the node
    // cancels that transfer. False when they had not gone by then.
    virtual bool drain(int timeoutMs) {
        (void)timeoutMs;
        return true;
    }
    // The IEEE 1284 device ID text (without its length prefix); empty when none could be had.
    virtual std::vector<std::uint8_t> deviceId() = 0;
    // After a failed open(): why it failed.
    virtual OpenFailure openFailure() const { return {}; }
    // After a write or read that the system refused or cut short: the system's words for why;
    // empty when it gave none (a time-out, the far end closing).
    virtual std::string transferFailure() const { return {}; }
};

}  // namespace veltra
