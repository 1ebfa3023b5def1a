#pragma once
// Command-line options of the desktop program. They only change where each port name leads;
// the windows stay as they are.
//   --simulate           every port leads to the in-process virtual printer
//   --device PORT=URI    one port to a device path, "unix:PATH" or "sim" (repeatable)
//   --trace FILE         every port transfer written to FILE
//   --no-journal         no EEPROM change journal
//   --exit-when-shown    end as soon as the start-up window has been painted (start-up bench)
//   --sim-eeprom FILE    with --simulate: the K55's EEPROM kept in FILE between runs, the
//                        K45's in FILE with "-K45" before its extension (default: one file
//                        per model in the user's state folder)
//   --fresh-printer      with --simulate: both virtual printers start as new
//   --paper DIR          with --simulate: each virtual printer's pages also as PNG files in
//                        DIR/K55, DIR/K45 (they are always shown in the tool window)
//   --bid-error, --pf-error, --head-angle-error, --top-margin-error: the virtual printer's
//                        hidden mechanism errors
//                        (also settable in the tool window)
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/Malprinterdriver.h"
#include "sim/render/PaperOptions.h"

namespace veltra::shell {

struct ShellOptions {
    bool simulate = false;
    std::vector<std::pair<std::string, std::string>> devices;  // port name, URI
    std::string trace;
    bool exitWhenShown = false;
    bool noJournal = false;
    std::string simEeprom;
    bool freshPrinter = false;
    sim::PaperOptions paper;
};

// Parses the arguments left after the toolkit took its own. Returns the options, or an exit
// code when parsing ends the program (--help: 0; a usage error: non-zero, already printed).
std::optional<ShellOptions> parseOptions(int argc, char** argv, int& exitCode);

// True when the arguments ask for --help or --version, which are answered before the toolkit
// starts, so that they work without a display (and the manual page can be made from them).
bool asksForHelpOrVersion(int argc, char** argv);

// The port map of the options: --simulate first, then each --device.
PortMap portMapFor(const ShellOptions& options);

}  // namespace veltra::shell
