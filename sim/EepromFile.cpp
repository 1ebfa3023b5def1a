#include "sim/EepromFile.h"

#include <cstdlib>
#include <filesystem>

namespace veltra::sim {

std::string defaultEepromFile(std::string_view modelName) {
    std::filesystem::path base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::filesystem::path(home) / ".local" / "state";
    } else {
        return {};
    }
    const std::string_view shortName = modelName.substr(modelName.find_last_of(' ') + 1);
    return (base / "veltra-adjust" / ("virtual-" + std::string(shortName) + ".eeprom")).string();
}

}  // namespace veltra::sim
