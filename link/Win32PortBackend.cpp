#include "link/Win32PortBackend.h"

#include <algorithm>
#include <cctype>
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

}  // namespace veltra::win32

namespace veltra {

using namespace win32;

namespace {

// Set at open: 10 ms between bytes of a read, 10 ms per byte plus 10 s for a whole transfer.
constexpr TransferTimeouts kOpenTimeouts{10, 10, 10000, 10, 10000};
// With both read values at their maximum, a read returns as soon as any byte has come, or
// after the constant when none does.
constexpr std::uint32_t kReturnOnFirstByte = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kDeviceIdBuffer = 1024;

std::uint32_t clampedCount(std::size_t n) {
    return std::uint32_t(std::min<std::size_t>(n, std::numeric_limits<std::uint32_t>::max()));
}

std::uint32_t clampedTimeout(int timeoutMs) {
    return std::uint32_t(std::max(timeoutMs, 0));
}

}  // namespace

Win32PortBackend::Win32PortBackend(Win32Calls calls, std::uint16_t interfaceCode, std::string path)
    : calls_(std::move(calls)), interfaceCode_(interfaceCode), explicitPath_(std::move(path)) {}

Win32PortBackend::~Win32PortBackend() {
    close();
}

bool Win32PortBackend::open() {
    close();
    if (!explicitPath_.empty()) {
        return openName(explicitPath_);
    }
    const int number = interfaceCode_ & 0xFF;
    if (number < 1 || number > 3) {
        return false;
    }
    if ((interfaceCode_ & 0xFF00) == kParallelKind) {
        return openName("LPT" + std::to_string(number));
    }
    const std::string portName = usbPortName(interfaceCode_);
    if (portName.empty()) {
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
    const Handle h = calls_.openFile(name);
    if (h == 0) {
        return false;
    }
    handle_ = h;
    openedName_ = name;
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
}

void Win32PortBackend::applyTimeouts(const TransferTimeouts& t) {
    if (takesTimeouts_) {
        calls_.setTimeouts(handle_, t);
    }
}

long Win32PortBackend::write(const std::uint8_t* data, std::size_t n, int timeoutMs) {
    if (handle_ == 0) {
        return -1;
    }
    TransferTimeouts t = kOpenTimeouts;
    t.writePerByte = 0;
    t.writeConstant = clampedTimeout(timeoutMs);
    applyTimeouts(t);
    std::uint32_t done = 0;
    if (!calls_.writeFile(handle_, data, clampedCount(n), done)) {
        return -1;
    }
    return long(done);
}

long Win32PortBackend::read(std::uint8_t* data, std::size_t n, bool exact, int timeoutMs) {
    if (handle_ == 0) {
        return -1;
    }
    TransferTimeouts t = kOpenTimeouts;
    t.readConstant = clampedTimeout(timeoutMs);
    if (exact) {
        t.readInterval = 0;
        t.readPerByte = 0;
    } else {
        t.readInterval = kReturnOnFirstByte;
        t.readPerByte = kReturnOnFirstByte;
    }
    applyTimeouts(t);
    std::size_t got = 0;
    for (;;) {
        std::uint32_t done = 0;
        if (!calls_.readFile(handle_, data + got, clampedCount(n - got), done)) {
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
