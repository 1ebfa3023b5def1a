#include "link/StartupChoice.h"

namespace veltra {

std::optional<int> modelIndexByName(std::string_view name) {
    for (std::size_t i = 0; i < kModels.size(); ++i) {
        const std::string_view full = kModels[i].name;
        // "Veltra K55" or the short form "K55".
        if (name == full || (full.size() > 7 && name == full.substr(7))) {
            return int(i);
        }
    }
    return std::nullopt;
}

std::optional<int> portIndexByName(std::string_view name) {
    for (std::size_t i = 0; i < kPorts.size(); ++i) {
        if (name == kPorts[i].name) {
            return int(i);
        }
    }
    return std::nullopt;
}

}  // namespace veltra
