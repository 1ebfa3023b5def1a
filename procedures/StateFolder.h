#pragma once
// Where the program keeps what it carries between runs: the built-in virtual printer's EEPROM, the
// EEPROM change journal and the saved EEPROM image files. The one place that knows the
// platform's convention.
#include <filesystem>
#include <string>
#include <string_view>

namespace veltra {

// $XDG_STATE_HOME/veltra-adjust, else ~/.local/state/veltra-adjust (on Windows
// %LOCALAPPDATA%\veltra-adjust); empty when no such variable is set.
std::filesystem::path stateFolder();

// The built-in virtual printer's EEPROM file for a model ("K55" or "Veltra K55") in the state
// folder; empty when there is none.
std::string defaultSimEepromPath(std::string_view model);

// Where the EEPROM image files are saved unless the technician chooses another folder:
// <state folder>/backups; empty when there is no state folder.
std::filesystem::path backupFolder();

}  // namespace veltra
