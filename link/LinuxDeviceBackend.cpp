#include "link/LinuxDeviceBackend.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "link/DeviceId.h"
#include "link/StartupChoice.h"

namespace veltra {

namespace fs = std::filesystem;

namespace {

// The USB printer-class driver answers its device-ID request with a 2-byte length (counting
// those two bytes) and the ID text, into a buffer of at most 1024 bytes.
constexpr std::size_t kUsbDeviceIdBuffer = 1024;
constexpr unsigned kGetDeviceIdNumber = 1;
constexpr unsigned long getDeviceIdRequest(std::size_t len) {
    return _IOC(_IOC_READ, 'P', kGetDeviceIdNumber, len);
}

constexpr const char* kParallelPrefix = "lp";
constexpr int kAutoprobeVariants = 4;  // autoprobe0..3 of the daisy-chained devices

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        return {};
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The probe lists one field per line; the device ID is the fields run together.
std::vector<std::uint8_t> joinLines(const std::string& text) {
    std::vector<std::uint8_t> out;
    for (char c : text) {
        if (c != '\n' && c != '\r') {
            out.push_back(std::uint8_t(c));
        }
    }
    return out;
}

std::vector<std::uint8_t> bareId(const std::vector<std::uint8_t>& text) {
    return readDeviceId(text.data(), text.size(), DeviceIdForm::Bare);
}

// Splits "lp12" into ("lp", 12); names without a trailing number get -1.
std::pair<std::string, long> splitNumber(const std::string& name) {
    std::size_t i = name.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(name[i - 1])) != 0) {
        --i;
    }
    if (i == name.size() || name.size() - i > 9) {
        return {name, -1};
    }
    return {name.substr(0, i), std::stol(name.substr(i))};
}

// "lpN" gives N; anything else -1.
long lpNumber(const std::string& entry) {
    const auto [prefix, number] = splitNumber(entry);
    return prefix == kParallelPrefix ? number : -1;
}

void makeRaw(int fd) {
    termios t{};
    if (::isatty(fd) == 1 && ::tcgetattr(fd, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
}

}  // namespace

std::vector<std::string> usbPrinterEntries(const std::string& sysRoot) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(fs::path(sysRoot) / "class" / "usbmisc", ec)) {
        const std::string name = e.path().filename().string();
        if (name.rfind(kParallelPrefix, 0) == 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return splitNumber(a) < splitNumber(b);
    });
    return names;
}

LinuxDeviceBackend::LinuxDeviceBackend(Clock& clock, DeviceRoots roots, std::uint16_t interfaceCode,
                                       std::string path)
    : FdPortBackend(clock),
      roots_(std::move(roots)),
      interfaceCode_(interfaceCode),
      explicitPath_(std::move(path)) {}

bool LinuxDeviceBackend::isUsb() const {
    return (interfaceCode_ & 0xFF00) == kUsbKind;
}

std::string LinuxDeviceBackend::resolvePath() const {
    if (!explicitPath_.empty()) {
        return explicitPath_;
    }
    const int index = int(interfaceCode_ & 0xFF) - 1;  // port 1..3
    if (index < 0 || index > 2) {
        return {};
    }
    if (isUsb()) {
        const auto entries = usbPrinterEntries(roots_.sys);
        if (std::size_t(index) >= entries.size()) {
            return {};
        }
        return (fs::path(roots_.dev) / "usb" / entries[std::size_t(index)]).string();
    }
    if ((interfaceCode_ & 0xFF00) != kParallelKind) {
        return {};
    }
    return (fs::path(roots_.dev) / (kParallelPrefix + std::to_string(index))).string();
}

bool LinuxDeviceBackend::open() {
    close();
    failure_ = {};
    const std::string path = resolvePath();
    if (path.empty()) {
        failure_.error = ENODEV;
        failure_.what = isUsb() ? "no USB printer number " + std::to_string(interfaceCode_ & 0xFF) +
                                      " in " + (fs::path(roots_.sys) / "class" / "usbmisc").string()
                                : "no such port";
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        failure_ = {path, errno};
        return false;
    }
    makeRaw(fd);
    stream_.adopt(fd, false);
    openedPath_ = path;
    return true;
}

void LinuxDeviceBackend::close() {
    stream_.reset();
    openedPath_.clear();
}

std::vector<std::uint8_t> LinuxDeviceBackend::deviceId() {
    const std::string path = openedPath_.empty() ? resolvePath() : openedPath_;
    if (path.empty()) {
        return {};
    }
    const std::string entry = fs::path(path).filename().string();
    return isUsb() ? usbDeviceId(entry) : parallelDeviceId(entry);
}

std::vector<std::uint8_t> LinuxDeviceBackend::usbDeviceId(const std::string& entry) {
    const fs::path attribute =
        fs::path(roots_.sys) / "class" / "usbmisc" / entry / "device" / "ieee1284_id";
    const std::string text = readText(attribute);
    if (auto id = bareId({text.begin(), text.end()}); !id.empty()) {
        return id;
    }
    // No attribute, or one that holds no usable ID: ask the driver itself.
    if (!stream_.valid()) {
        return {};
    }
    std::array<std::uint8_t, kUsbDeviceIdBuffer> buf{};
    if (::ioctl(stream_.fd(), getDeviceIdRequest(buf.size()), buf.data()) < 0) {
        return {};
    }
    return readDeviceId(buf.data(), buf.size(), DeviceIdForm::LengthFirst);
}

std::vector<std::uint8_t> LinuxDeviceBackend::parallelDeviceId(const std::string& entry) const {
    const long number = lpNumber(entry);
    if (number < 0) {
        return {};
    }
    const fs::path dir =
        fs::path(roots_.proc) / "sys" / "dev" / "parport" / ("parport" + std::to_string(number));
    std::vector<std::string> names{"autoprobe"};
    for (int i = 0; i < kAutoprobeVariants; ++i) {
        names.push_back("autoprobe" + std::to_string(i));
    }
    for (const auto& name : names) {
        auto id = bareId(joinLines(readText(dir / name)));
        if (!id.empty()) {
            return id;
        }
    }
    return {};
}

}  // namespace veltra
