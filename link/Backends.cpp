#include "link/Backends.h"

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

std::unique_ptr<PortBackend> deviceBackend(const Clock& clock,
                                           [[maybe_unused]] const DeviceRoots& roots,
                                           std::uint16_t interfaceCode, const std::string& path) {
#ifdef _WIN32
    return std::make_unique<Win32PortBackend>(clock, win32::systemCalls(), interfaceCode, path);
#else
    return std::make_unique<LinuxDeviceBackend>(clock, roots, interfaceCode, path);
#endif
}

}  // namespace

BackendFactory makeBackendFactory(const Clock& clock, DeviceRoots roots,
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

}  // namespace veltra
