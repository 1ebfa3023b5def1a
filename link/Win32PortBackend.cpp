#include "link/Win32PortBackend.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <limits>

#include "link/StartupChoice.h"

namespace veltra::win32 {

namespace {

constexpr int kPortsPerKind = 3;

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string usbPortName(std::uint16_t interfaceCode) {
    const int number = interfaceCode & 0xFF;
    if ((interfaceCode & 0xFF00) != kUsbKind || number < 1 || number > kPortsPerKind) {
        return {};
    }
    return "ZTUSB" + std::to_string(number) + ":";
}

int errnoOfSystemError(std::uint32_t code) {
    // The system's numbers for these conditions (file or path not found, access denied, sharing
    // violation, device not ready, not present, not connected).
    switch (code) {
        case 2:
        case 3:
            return ENOENT;
        case 5:
            return EACCES;
        case 32:
            return EBUSY;
        case 21:
        case 55:
        case 1167:
            return ENODEV;
        default:
            return 0;
    }
}

}  // namespace veltra::win32

namespace veltra {

using namespace win32;

namespace {

// Set at open: 10 ms between bytes of a read, 10 ms per byte plus 10 s for a whole transfer.
constexpr TransferTimeouts kOpenTimeouts{10, 10, 10000, 10, 10000};
// With both read values at their maximum and a constant between 0 and the maximum, a read returns
// as soon as any byte has come, or after the constant when none does. With the interval alone at
// its maximum, it returns at once with what has come, even nothing.
constexpr std::uint32_t kMaxTimeout = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kDeviceIdBuffer = 1024;
constexpr std::int64_t kLongestWaitMs = std::numeric_limits<std::int32_t>::max();

std::uint32_t clampedCount(std::size_t n) {
    return std::uint32_t(std::min<std::size_t>(n, std::numeric_limits<std::uint32_t>::max()));
}

std::uint32_t clampedTimeout(int timeoutMs) {
    return std::uint32_t(std::max(timeoutMs, 0));
}

}  // namespace

Win32PortBackend::Win32PortBackend(const Clock& clock, Win32Calls calls,
                                   std::uint16_t interfaceCode, std::string path)
    : clock_(clock),
      calls_(std::move(calls)),
      interfaceCode_(interfaceCode),
      explicitPath_(std::move(path)) {}

bool Win32PortBackend::isUsb() const {
    return (interfaceCode_ & 0xFF00) == kUsbKind;
}

std::string Win32PortBackend::systemReason(std::uint32_t code) const {
    std::string text = calls_.errorText(code);
    // The system's words end in a full stop and a line end; the message adds its own.
    while (!text.empty() &&
           (std::isspace(static_cast<unsigned char>(text.back())) != 0 || text.back() == '.')) {
        text.pop_back();
    }
    const std::string number = "system error " + std::to_string(code);
    return text.empty() ? number : text + " (" + number + ")";
}

void Win32PortBackend::noteOpenFailure(const std::string& what) {
    const std::uint32_t code = calls_.lastError();
    openFailure_ = {what, errnoOfSystemError(code), systemReason(code)};
}

void Win32PortBackend::noteTransferFailure() {
    transferFailure_ = systemReason(calls_.lastError());
}

Win32PortBackend::~Win32PortBackend() {
    close();
}

bool Win32PortBackend::open() {
    close();
    openFailure_ = {};
    if (!explicitPath_.empty()) {
        return openName(explicitPath_);
    }
    const int number = interfaceCode_ & 0xFF;
    if (number < 1 || number > 3) {
        openFailure_ = {"no such port", ENODEV};
        return false;
    }
    if ((interfaceCode_ & 0xFF00) == kParallelKind) {
        return openName("LPT" + std::to_string(number));
    }
    const std::string portName = usbPortName(interfaceCode_);
    if (portName.empty()) {
        openFailure_ = {"no such port", ENODEV};
        return false;
    }
    switch (openByPortName(portName)) {
        case Search::Opened:
            return true;
        case Search::Failed:
            return false;
        case Search::NotFound:
            break;
    }
    if (openName("\\\\.\\" + portName)) {
        return true;
    }
    return openByClassIndex(std::uint32_t(number - 1));
}

Win32PortBackend::Search Win32PortBackend::openByPortName(const std::string& portName) {
    const DeviceList list = calls_.listDevices(kPortDriverClass);
    if (list == 0) {
        noteOpenFailure("the list of USB printer ports");
        return Search::Failed;
    }
    Search result = Search::NotFound;
    for (std::uint32_t index = 0;; ++index) {
        DeviceInterface itf;
        const Enumerated e = calls_.interfaceAt(list, kPortDriverClass, index, itf);
        if (e == Enumerated::End) {
            break;
        }
        if (e == Enumerated::DetailFailed) {
            continue;
        }
        const RegistryKey key = calls_.openDeviceKey(list, itf.device);
        if (key == 0) {
            noteOpenFailure("the device key of " + itf.path);
            result = Search::Failed;
            break;
        }
        const std::optional<std::string> name = calls_.readString(key, kPortNameValue);
        calls_.closeKey(key);
        if (name && equalIgnoringCase(*name, portName)) {
            // A match that does not open leaves the direct name to try.
            result = openName(itf.path) ? Search::Opened : Search::NotFound;
            break;
        }
    }
    calls_.destroyList(list);
    return result;
}

bool Win32PortBackend::openByClassIndex(std::uint32_t wanted) {
    const DeviceList list = calls_.listDevices(kUsbPrintClass);
    if (list == 0) {
        return false;
    }
    bool opened = false;
    std::uint32_t usable = 0;
    for (std::uint32_t index = 0;; ++index) {
        DeviceInterface itf;
        const Enumerated e = calls_.interfaceAt(list, kUsbPrintClass, index, itf);
        if (e == Enumerated::End) {
            break;
        }
        if (e == Enumerated::Ok && usable++ == wanted) {
            opened = openName(itf.path);
            break;
        }
    }
    calls_.destroyList(list);
    return opened;
}

bool Win32PortBackend::openName(const std::string& name) {
    // A USB handle takes no time-outs: its transfers are overlapped, to be waited for and
    // cancelled.
    const bool overlapped = isUsb();
    const Handle h = calls_.openFile(name, overlapped);
    if (h == 0) {
        noteOpenFailure(name);
        return false;
    }
    handle_ = h;
    openedName_ = name;
    overlapped_ = overlapped;
    openFailure_ = {};
    // USB handles take no time-outs; that is no failure.
    TransferTimeouts current;
    takesTimeouts_ = calls_.getTimeouts(h, current) && calls_.setTimeouts(h, kOpenTimeouts);
    return true;
}

void Win32PortBackend::close() {
    if (handle_ != 0) {
        calls_.closeHandle(handle_);
    }
    handle_ = 0;
    openedName_.clear();
    takesTimeouts_ = false;
    overlapped_ = false;
}

void Win32PortBackend::applyTimeouts(const TransferTimeouts& t) {
    if (takesTimeouts_) {
        calls_.setTimeouts(handle_, t);
    }
}

long Win32PortBackend::overlappedTransfer(std::size_t n, bool exact, int timeoutMs,
                                          const StartTransfer& start) {
    const std::int64_t deadline = clock_.nowMs() + std::max(timeoutMs, 0);
    std::size_t got = 0;
    while (got < n) {
        const Transfer t = start(got, clampedCount(n - got));
        if (t == 0) {
            noteTransferFailure();
            return got > 0 ? long(got) : -1;
        }
        const std::int64_t left = std::max<std::int64_t>(deadline - clock_.nowMs(), 0);
        const bool ended = calls_.waitTransfer(t, std::uint32_t(std::min(left, kLongestWaitMs)));
        if (!ended) {
            calls_.cancelTransfer(t);
        }
        std::uint32_t done = 0;
        const bool ok = calls_.finishTransfer(t, done);
        got += std::min<std::size_t>(done, n - got);
        if (!ended) {
            return long(got);  // the time-out: what came before the cancel counts
        }
        if (!ok) {
            noteTransferFailure();
            return got > 0 ? long(got) : -1;
        }
        if (!exact || done == 0 || clock_.nowMs() >= deadline) {
            return long(got);
        }
    }
    return long(got);
}

long Win32PortBackend::write(const std::uint8_t* data, std::size_t n, int timeoutMs) {
    transferFailure_.clear();
    if (handle_ == 0) {
        return -1;
    }
    if (overlapped_) {
        return overlappedTransfer(n, true, timeoutMs, [&](std::size_t done, std::uint32_t count) {
            return calls_.startWrite(handle_, data + done, count);
        });
    }
    TransferTimeouts t = kOpenTimeouts;
    t.writePerByte = 0;
    t.writeConstant = clampedTimeout(timeoutMs);
    applyTimeouts(t);
    std::uint32_t done = 0;
    if (!calls_.writeFile(handle_, data, clampedCount(n), done)) {
        noteTransferFailure();
        return -1;
    }
    return long(done);
}

long Win32PortBackend::read(std::uint8_t* data, std::size_t n, bool exact, int timeoutMs) {
    transferFailure_.clear();
    if (handle_ == 0) {
        return -1;
    }
    if (overlapped_) {
        return overlappedTransfer(n, exact, timeoutMs, [&](std::size_t done, std::uint32_t count) {
            return calls_.startRead(handle_, data + done, count);
        });
    }
    TransferTimeouts t = kOpenTimeouts;
    t.readConstant = std::min(clampedTimeout(timeoutMs), kMaxTimeout - 1);
    if (exact) {
        t.readInterval = 0;
        t.readPerByte = 0;
    } else if (t.readConstant == 0) {
        t.readInterval = kMaxTimeout;  // what has come, at once
        t.readPerByte = 0;
    } else {
        t.readInterval = kMaxTimeout;
        t.readPerByte = kMaxTimeout;
    }
    applyTimeouts(t);
    std::size_t got = 0;
    for (;;) {
        std::uint32_t done = 0;
        if (!calls_.readFile(handle_, data + got, clampedCount(n - got), done)) {
            noteTransferFailure();
            return got > 0 ? long(got) : -1;
        }
        got += std::min<std::size_t>(done, n - got);
        // A read that brings nothing has waited out its time-out.
        if (!exact || done == 0 || got == n) {
            return long(got);
        }
    }
}

std::vector<std::uint8_t> Win32PortBackend::askDeviceId(std::uint32_t code, DeviceIdForm form) {
    std::vector<std::uint8_t> buffer(kDeviceIdBuffer, 0);
    std::uint32_t returned = 0;
    if (!calls_.deviceControl(handle_, code, buffer.data(), clampedCount(buffer.size()),
                              returned)) {
        return {};
    }
    return readDeviceId(buffer.data(), std::min<std::size_t>(returned, buffer.size()), form);
}

std::vector<std::uint8_t> Win32PortBackend::deviceId() {
    if (handle_ == 0) {
        return {};
    }
    // The port drivers' replies come in either form; the system's requests in their own.
    const bool parallel = (interfaceCode_ & 0xFF00) == kParallelKind;
    std::vector<std::uint8_t> id =
        askDeviceId(parallel ? kParallelDeviceIdCode : kUsbPortDeviceIdCode, DeviceIdForm::Either);
    if (id.empty()) {
        id = parallel ? askDeviceId(kParallelQueryDeviceIdCode, DeviceIdForm::Bare)
                      : askDeviceId(kUsbPrint1284IdCode, DeviceIdForm::LengthFirst);
    }
    return id;
}

}  // namespace veltra
