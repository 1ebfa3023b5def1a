#include "procedures/StateFolder.h"

#include <cstdlib>

namespace veltra {

std::filesystem::path stateFolder() {
    std::filesystem::path base;
#ifdef _WIN32
    if (const char* local = std::getenv("LOCALAPPDATA"); local && *local) {
        base = local;
    } else {
        return {};
    }
#else
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::filesystem::path(home) / ".local" / "state";
    } else {
        return {};
    }
#endif
    return base / "veltra-adjust";
}

std::string defaultSimEepromPath(std::string_view model) {
    const std::filesystem::path folder = stateFolder();
    if (folder.empty()) {
        return {};
    }
    const std::string_view shortName = model.substr(model.find_last_of(' ') + 1);
    return (folder / ("virtual-" + std::string(shortName) + ".eeprom")).string();
}

std::filesystem::path backupFolder() {
    const std::filesystem::path folder = stateFolder();
    return folder.empty() ? folder : folder / "backups";
}

}  // namespace veltra
