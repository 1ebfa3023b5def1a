#pragma once
// Where a virtual printer keeps its EEPROM between runs when no file is named: one file per
// model in the user's state folder, shared by the desktop program and the command line.
#include <string>
#include <string_view>

namespace veltra::sim {

// $XDG_STATE_HOME (else ~/.local/state)/veltra-adjust/virtual-K55.eeprom for "Veltra K55";
// empty when neither folder is known.
std::string defaultEepromFile(std::string_view modelName);

}  // namespace veltra::sim
