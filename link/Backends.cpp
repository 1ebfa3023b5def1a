#include "link/Backends.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#ifdef _WIN32
#include "link/Win32PortBackend.h"
#endif

namespace veltra {

namespace {

// A port this system cannot have: it never opens, and says so.
class UnsupportedBackend final : public PortBackend {
public:
    explicit UnsupportedBackend(std::string uri) : uri_(std::move(uri)) {}
    bool open() override { return false; }
    void close() override {}
    long write(const std::uint8_t*, std::size_t, int) override { return -1; }
    long read(std::uint8_t*, std::size_t, bool, int) override { return -1; }
    std::vector<std::uint8_t> deviceId() override { return {}; }
    OpenFailure openFailure() const override { return {uri_, 0, std::string(kNotSupportedHere)}; }

private:
    std::string uri_;
};

std::unique_ptr<PortBackend> deviceBackend([[maybe_unused]] Clock& clock,
                                           [[maybe_unused]] const DeviceRoots& roots,
                                           std::uint16_t interfaceCode, const std::string& path) {
#ifdef _WIN32
    return std::make_unique<Win32PortBackend>(clock, win32::systemCalls(), interfaceCode, path);
#else
    return std::make_unique<LinuxDeviceBackend>(clock, roots, interfaceCode, path);
#endif
}

}  // namespace

BackendFactory makeBackendFactory(Clock& clock, DeviceRoots roots,
                                  std::function<std::unique_ptr<PortBackend>()> simFactory) {
    return
        [&clock, roots = std::move(roots), simFactory = std::move(simFactory)](
            std::uint16_t interfaceCode, const std::string& uri) -> std::unique_ptr<PortBackend> {
            const std::string_view unixPrefix = kUnixUriPrefix;
            if (uri.rfind(unixPrefix, 0) == 0) {
#ifdef _WIN32
                return std::make_unique<UnsupportedBackend>(uri);
#else
                return std::make_unique<UnixSocketBackend>(clock, uri.substr(unixPrefix.size()));
#endif
            }
            if (uri == kSimUri) {
                return simFactory ? simFactory() : nullptr;
            }
            return deviceBackend(clock, roots, interfaceCode, uri);
        };
}

std::string OpenFailureText(const OpenFailure& failure, std::string_view choosePort) {
    if (failure.what.empty()) {
        return {};
    }
    std::string text = failure.what;
    if (!failure.reason.empty()) {
        text += ": " + failure.reason;
    } else if (failure.error != 0) {
        text += std::string(": ") + std::strerror(failure.error);
    }
    text += '.';
    // A socket that is missing or refuses: its printer has not been started.
    if (failure.what.rfind(kUnixUriPrefix, 0) == 0 &&
        (failure.error == ENOENT || failure.error == ECONNREFUSED)) {
        return text +
               "\nNothing listens on that socket: start veltra-vprinter --socket PATH first.";
    }
    switch (failure.error) {
        case EACCES:
        case EPERM:
            text +=
                "\nThe printer ports belong to the group lp: add yourself to it "
                "(sudo adduser $USER lp) and log in again.";
            break;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            text +=
                "\nCheck that the printer is switched on and its cable plugged in, or choose "
                "another port ";
            text += choosePort;
            text += '.';
            break;
        case EBUSY:
            text += "\nAnother program is using the port: stop it and try again.";
            break;
        default:
            break;
    }
    return text;
}

}  // namespace veltra
