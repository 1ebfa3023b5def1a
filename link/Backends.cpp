#include "link/Backends.h"

#include <string_view>

namespace veltra {

BackendFactory makeBackendFactory(DeviceRoots roots,
                                  std::function<std::unique_ptr<PortBackend>()> simFactory) {
    return
        [roots = std::move(roots), simFactory = std::move(simFactory)](
            std::uint16_t interfaceCode, const std::string& uri) -> std::unique_ptr<PortBackend> {
            const std::string_view unixPrefix = kUnixUriPrefix;
            if (uri.empty()) {
                return std::make_unique<LinuxDeviceBackend>(roots, interfaceCode);
            }
            if (uri.rfind(unixPrefix, 0) == 0) {
                return std::make_unique<UnixSocketBackend>(uri.substr(unixPrefix.size()));
            }
            if (uri == kSimUri) {
                return simFactory ? simFactory() : nullptr;
            }
            return std::make_unique<LinuxDeviceBackend>(roots, interfaceCode, uri);
        };
}

}  // namespace veltra
