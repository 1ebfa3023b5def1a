#pragma once
// TPPrinterDriver: the port. Opens the chosen parallel or USB port, writes blocks, reads the
// printer's replies, queries the IEEE 1284 device ID. Each operation returns 1 or kPortFailure
// (0x1000) and keeps LastError (see Status.h, port_error).
//
// Where a port name leads is decided by a PortMap: by default "LPT1".."LPT3" are /dev/lp0..2 and
// "ZTUSB1".."ZTUSB3" are the USB printer-class devices in sysfs name order; "unix:PATH" and "sim"
// override a port. A parallel read takes the 6-byte packet header, then the rest of the length
// the header gives; a USB read takes what arrives (up to 256 bytes), up to ten attempts.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/Clock.h"
#include "link/PortBackend.h"
#include "link/StartupChoice.h"
#include "link/Status.h"

namespace veltra {

// Writes one line per port transfer: "<ms since open> <W|R|D> <hex>".
class PortTrace {
public:
    virtual ~PortTrace() = default;
    virtual void record(std::int64_t msSinceOpen, char kind, const std::uint8_t* data,
                        std::size_t n) = 0;
    // A write or read (kind W or R) that failed, with the system's words for why.
    virtual void recordFailure(std::int64_t /*msSinceOpen*/, char /*kind*/,
                               const std::string& /*reason*/) {}
};

// Makes the backend for a port: given the port's interface code and its URI (a device path,
// "unix:PATH", "sim", or "" for the default Linux device). Returns null when it cannot be had.
using BackendFactory = std::function<std::unique_ptr<PortBackend>(std::uint16_t interfaceCode,
                                                                  const std::string& uri)>;

class PortMap {
public:
    // Overrides one port ("ZTUSB1") with a URI. Returns false for an unknown port name.
    bool set(const std::string& portName, const std::string& uri);
    void setAll(const std::string& uri);  // --simulate: every port to "sim"
    // The URI of the port with this interface code; "" means the default Linux device.
    std::string uriFor(std::uint16_t interfaceCode) const;

private:
    std::map<std::uint16_t, std::string> uris_;
};

class TPPrinterDriver {
public:
    static constexpr std::size_t kReplyBufferSize = 1025;
    static constexpr int kTransferLimitSeconds = 10;
    // How long closing the port waits for the last write to leave the system.
    static constexpr int kCloseDrainMs = 2000;

    TPPrinterDriver(Clock& clock, const StartupChoice& choice, BackendFactory factory,
                    PortMap map = {});
    ~TPPrinterDriver();

    Status OpenPort(std::uint16_t interfaceCode);
    void ClosePort();
    Status WritePort(const std::uint8_t* block, std::size_t n);
    // Reads one reply into buffer (capacity bytes, at least 6); length gets the reply length.
    Status ReadPort(std::uint8_t* buffer, std::size_t capacity, std::int32_t& length);
    Status QueryDeviceId();
    Detail LastError() const { return lastError_; }
    // After a failed OpenPort: what was tried and the system's reason.
    const OpenFailure& openFailure() const { return openFailure_; }
    // After a failed WritePort or ReadPort: the system's words for why, when it gave any.
    const std::string& transferFailure() const { return transferFailure_; }
    // A reply went astray (a receive failure, or a reply that was not a packet): whatever the
    // port still holds, or a late reply that arrives meanwhile, belongs to no exchange. It is
    // discarded before the next write.
    void DiscardBeforeNextWrite() { discardPending_ = true; }

    bool isOpen() const { return backend_ != nullptr; }
    std::uint16_t interfaceCode() const { return openedCode_; }  // of the last OpenPort
    const std::vector<std::uint8_t>& deviceId() const { return deviceId_; }
    void setTrace(PortTrace* trace) { trace_ = trace; }
    PortMap& portMap() { return map_; }

private:
    Status fail(Detail detail);
    // PortKind of the start-up choice; when unset, the group of the opened interface code.
    std::uint16_t portKind() const;
    void trace(char kind, const std::uint8_t* data, std::size_t n);
    Status timedRead(std::uint8_t* data, std::size_t n);
    // The details of a timed transfer that failed: refused by the system or short, or that took
    // the whole time limit.
    struct TransferFaults {
        Detail failed;
        Detail tooSlow;
    };
    // Traces what a timed transfer begun at startSeconds moved (count, or -1 when the system
    // refused it) and says how it failed; kNoError when all n bytes went in time.
    Detail transferFault(char kind, const std::uint8_t* data, std::size_t n, long count,
                         std::int64_t startSeconds, TransferFaults faults);
    Status readParallel(std::uint8_t* buffer, std::size_t capacity, std::int32_t& length);
    Status readUsb(std::uint8_t* buffer, std::size_t capacity, std::int32_t& length);
    Status failRead(Detail detail);
    // Keeps and traces the backend's reason for the transfer (kind W or R) that just failed.
    void noteTransferFailure(char kind);
    // Reads and drops what has already arrived, without waiting.
    void discardInput();

    Clock& clock_;
    const StartupChoice& choice_;
    BackendFactory factory_;
    PortMap map_;
    std::unique_ptr<PortBackend> backend_;
    std::vector<std::uint8_t> deviceId_;
    std::int64_t openedAtMs_ = 0;
    std::uint16_t openedCode_ = 0;
    PortTrace* trace_ = nullptr;
    Detail lastError_ = kNoError;
    OpenFailure openFailure_;
    std::string transferFailure_;
    bool discardPending_ = false;
    // Bytes were written and nothing has been read since: they may still be on their way, and
    // closing must not cut them off (the Exit that ends a session with a silent printer).
    bool writeUnanswered_ = false;
};

}  // namespace veltra
