#include "link/Malprinterdriver.h"

#include <algorithm>
#include <cerrno>

namespace veltra {

namespace {

// A reply read from a parallel port starts with the 6-byte packet header; bytes 2-3 carry the
// total packet length, big-endian.
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kHeaderLengthHi = 2;
constexpr std::size_t kHeaderLengthLo = 3;

constexpr std::int64_t kWaitBeforeReadMs = 10;
constexpr int kUsbAttempts = 10;
constexpr std::int64_t kUsbAttemptWaitMs = 10;
constexpr std::int64_t kUsbRetryWaitMs = 1000;
constexpr std::size_t kUsbReadMax = 256;
// One USB attempt only takes what has already arrived or arrives shortly; the 1000 ms pause
// between attempts does the real waiting.
constexpr int kUsbAttemptTimeoutMs = 100;

// Transfer time-outs of an open port: 10 ms per byte plus 10 s.
constexpr int kTimeoutPerByteMs = 10;
constexpr int kTimeoutConstantMs = 10000;
constexpr std::size_t kDeviceIdMax = 200;
// A stream that never stops talking must not hold the program: discarding ends after this much.
constexpr std::size_t kDiscardLimit = std::size_t{64} * 1024;

int transferTimeoutMs(std::size_t n) {
    const std::size_t capped = std::min<std::size_t>(n, 100000);
    return kTimeoutConstantMs + int(capped) * kTimeoutPerByteMs;
}

bool isKnownInterface(std::uint16_t code) {
    return std::any_of(kPorts.begin(), kPorts.end(),
                       [code](const PortInfo& p) { return p.interfaceCode == code; });
}

}  // namespace

bool PortMap::set(const std::string& portName, const std::string& uri) {
    std::string name = portName;
    // "ZTUSB1:" is how the USB ports are written elsewhere; accept it too.
    if (!name.empty() && name.back() == ':') {
        name.pop_back();
    }
    const auto index = portIndexByName(name);
    if (!index) {
        return false;
    }
    uris_[kPorts[std::size_t(*index)].interfaceCode] = uri;
    return true;
}

void PortMap::setAll(const std::string& uri) {
    for (const auto& p : kPorts) {
        uris_[p.interfaceCode] = uri;
    }
}

std::string PortMap::uriFor(std::uint16_t interfaceCode) const {
    const auto it = uris_.find(interfaceCode);
    return it == uris_.end() ? std::string() : it->second;
}

TPPrinterDriver::TPPrinterDriver(Clock& clock, const StartupChoice& choice, BackendFactory factory,
                                 PortMap map)
    : clock_(clock), choice_(choice), factory_(std::move(factory)), map_(std::move(map)) {}

TPPrinterDriver::~TPPrinterDriver() {
    ClosePort();
}

Status TPPrinterDriver::fail(Detail detail) {
    lastError_ = detail;
    return kPortFailure;
}

Status TPPrinterDriver::failRead(Detail detail) {
    discardPending_ = true;
    return fail(detail);
}

void TPPrinterDriver::discardInput() {
    discardPending_ = false;
    std::uint8_t buf[kUsbReadMax];
    std::size_t total = 0;
    while (total < kDiscardLimit) {
        const long got = backend_->read(buf, sizeof buf, false, 0);
        if (got <= 0) {
            break;
        }
        const std::size_t count = std::min(std::size_t(got), sizeof buf);
        writeUnanswered_ = false;
        trace('R', buf, count);
        total += count;
    }
}

std::uint16_t TPPrinterDriver::portKind() const {
    if (choice_.PortKind == kParallelKind || choice_.PortKind == kUsbKind) {
        return choice_.PortKind;
    }
    return std::uint16_t(openedCode_ & 0xFF00);
}

void TPPrinterDriver::noteTransferFailure(char kind) {
    transferFailure_ = backend_ ? backend_->transferFailure() : std::string();
    if (trace_ != nullptr && !transferFailure_.empty()) {
        trace_->recordFailure(clock_.nowMs() - openedAtMs_, kind, transferFailure_);
    }
}

void TPPrinterDriver::trace(char kind, const std::uint8_t* data, std::size_t n) {
    if (trace_ != nullptr) {
        trace_->record(clock_.nowMs() - openedAtMs_, kind, data, n);
    }
}

Status TPPrinterDriver::OpenPort(std::uint16_t interfaceCode) {
    lastError_ = kNoError;
    openFailure_ = {};
    transferFailure_.clear();
    ClosePort();
    if (!isKnownInterface(interfaceCode) || !factory_) {
        openFailure_ = {"no such port", ENODEV};
        return fail(port_error::kOpen);
    }
    const std::string uri = map_.uriFor(interfaceCode);
    auto backend = factory_(interfaceCode, uri);
    if (!backend) {
        openFailure_ = {uri, ENODEV};
        return fail(port_error::kOpen);
    }
    if (!backend->open()) {
        openFailure_ = backend->openFailure();
        return fail(port_error::kOpen);
    }
    backend_ = std::move(backend);
    openedCode_ = interfaceCode;
    openedAtMs_ = clock_.nowMs();
    // Bytes left from an earlier session (a reply that came after its exchange gave up) would
    // pass as the first reply of this one.
    discardInput();
    return kOk;
}

void TPPrinterDriver::ClosePort() {
    if (backend_) {
        if (writeUnanswered_) {
            backend_->drain(kCloseDrainMs);
        }
        writeUnanswered_ = false;
        backend_->close();
        backend_.reset();
    }
}

Status TPPrinterDriver::WritePort(const std::uint8_t* block, std::size_t n) {
    lastError_ = kNoError;
    transferFailure_.clear();
    if (!backend_) {
        return fail(port_error::kOpen);
    }
    if (discardPending_) {
        discardInput();
    }
    const std::int64_t start = clock_.nowSeconds();
    const long written = backend_->write(block, n, transferTimeoutMs(n));
    if (written > 0) {
        writeUnanswered_ = true;
    }
    const Detail fault =
        transferFault('W', block, n, written, start, {port_error::kWrite, port_error::kWriteTime});
    return fault == kNoError ? kOk : fail(fault);
}

Detail TPPrinterDriver::transferFault(char kind, const std::uint8_t* data, std::size_t n,
                                      long count, std::int64_t startSeconds,
                                      TransferFaults faults) {
    if (count < 0) {
        noteTransferFailure(kind);
        return faults.failed;
    }
    trace(kind, data, std::min<std::size_t>(std::size_t(count), n));
    if (clock_.nowSeconds() - startSeconds >= kTransferLimitSeconds) {
        return faults.tooSlow;
    }
    // A short read (the device went away, or the time-out ended it early) leaves the buffer
    // holding an older reply's bytes; it must not pass as this reply.
    if (std::size_t(count) < n) {
        noteTransferFailure(kind);
        return faults.failed;
    }
    return kNoError;
}

Status TPPrinterDriver::timedRead(std::uint8_t* data, std::size_t n) {
    const std::int64_t start = clock_.nowSeconds();
    const long got = backend_->read(data, n, true, transferTimeoutMs(n));
    if (got > 0) {
        writeUnanswered_ = false;
    }
    const Detail fault =
        transferFault('R', data, n, got, start, {port_error::kRead, port_error::kReadTime});
    return fault == kNoError ? kOk : failRead(fault);
}

Status TPPrinterDriver::ReadPort(std::uint8_t* buffer, std::size_t capacity, std::int32_t& length) {
    clock_.sleepMs(kWaitBeforeReadMs);
    lastError_ = kNoError;
    transferFailure_.clear();
    length = 0;
    if (!backend_) {
        return fail(port_error::kOpen);
    }
    if (portKind() == kUsbKind) {
        return readUsb(buffer, capacity, length);
    }
    return readParallel(buffer, capacity, length);
}

Status TPPrinterDriver::readParallel(std::uint8_t* buffer, std::size_t capacity,
                                     std::int32_t& length) {
    if (capacity < kHeaderSize) {
        return failRead(port_error::kRead);
    }
    VELTRA_TRY(timedRead(buffer, kHeaderSize));
    const std::size_t total = std::size_t(buffer[kHeaderLengthHi]) * 256 + buffer[kHeaderLengthLo];
    // A header length that cannot be a packet, or that would run past the caller's buffer, is a
    // receive failure: nothing is read beyond the buffer.
    if (total < kHeaderSize || total > capacity) {
        return failRead(port_error::kRead);
    }
    if (total > kHeaderSize) {
        VELTRA_TRY(timedRead(buffer + kHeaderSize, total - kHeaderSize));
    }
    length = std::int32_t(total);
    return kOk;
}

Status TPPrinterDriver::readUsb(std::uint8_t* buffer, std::size_t capacity, std::int32_t& length) {
    const std::size_t want = std::min(kUsbReadMax, capacity);
    for (int attempt = 1; attempt <= kUsbAttempts; ++attempt) {
        clock_.sleepMs(kUsbAttemptWaitMs);
        const long got = backend_->read(buffer, want, false, kUsbAttemptTimeoutMs);
        if (got < 0) {
            noteTransferFailure('R');
            return failRead(port_error::kRead);
        }
        if (got > 0) {
            const std::size_t count = std::min(std::size_t(got), want);
            writeUnanswered_ = false;
            trace('R', buffer, count);
            length = std::int32_t(count);
            return kOk;
        }
        if (attempt < kUsbAttempts) {
            clock_.sleepMs(kUsbRetryWaitMs);
        }
    }
    return failRead(port_error::kReadTime);
}

Status TPPrinterDriver::QueryDeviceId() {
    deviceId_.clear();
    if (backend_) {
        deviceId_ = backend_->deviceId();
        // The driver answers into a 200-byte buffer; anything longer is cut there.
        if (deviceId_.size() > kDeviceIdMax) {
            deviceId_.resize(kDeviceIdMax);
        }
    }
    if (deviceId_.empty()) {
        return fail(port_error::kNoDeviceId);
    }
    trace('D', deviceId_.data(), deviceId_.size());
    return kOk;
}

}  // namespace veltra
