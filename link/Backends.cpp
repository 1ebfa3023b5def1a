#include "link/Backends.h"

#include <string_view>

namespace veltra {

BackendFactory makeBackendFactory(const Clock& clock, DeviceRoots roots,
                                  std::function<std::unique_ptr<PortBackend>()> simFactory) {
    return
        [&clock, roots = std::move(roots), simFactory = std::move(simFactory)](
            std::uint16_t interfaceCode, const std::string& uri) -> std::unique_ptr<PortBackend> {
            const std::string_view unixPrefix = kUnixUriPrefix;
            if (uri.empty()) {
                return std::make_unique<LinuxDeviceBackend>(clock, roots, interfaceCode);
            }
            if (uri.rfind(unixPrefix, 0) == 0) {
                return std::make_unique<UnixSocketBackend>(clock, uri.substr(unixPrefix.size()));
            }
            if (uri == kSimUri) {
                return simFactory ? simFactory() : nullptr;
            }
            return std::make_unique<LinuxDeviceBackend>(clock, roots, interfaceCode, uri);
        };
}

}  // namespace veltra
