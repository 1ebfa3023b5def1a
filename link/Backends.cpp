#include "link/Backends.h"

#include <string_view>

#ifdef _WIN32
#include "link/Win32PortBackend.h"
#endif

namespace veltra {

namespace {

std::unique_ptr<PortBackend> deviceBackend([[maybe_unused]] Clock& clock,
                                           [[maybe_unused]] const DeviceRoots& roots,
                                           std::uint16_t interfaceCode, const std::string& path) {
#ifdef _WIN32
    return std::make_unique<Win32PortBackend>(win32::systemCalls(), interfaceCode, path);
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
                return nullptr;  // no Unix stream sockets here: the port does not open
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
