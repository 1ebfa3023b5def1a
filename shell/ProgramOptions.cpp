#include "shell/ProgramOptions.h"

#include <CLI/CLI.hpp>
#include <string_view>

#include "cli/PlainHelp.h"
#include "link/Backends.h"
#include "link/StartupChoice.h"
#include "veltra/Version.h"

namespace veltra::shell {

namespace {
// "PORT=URI" with a known port name and a non-empty URI.
std::string checkDevice(const std::string& text) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq + 1 == text.size()) {
        return "expected PORT=URI, e.g. ZTUSB1=unix:/tmp/printer.sock";
    }
    if (!portIndexByName(text.substr(0, eq))) {
        return "unknown port '" + text.substr(0, eq) + "' (LPT1-LPT3, ZTUSB1-ZTUSB3)";
    }
    return {};
}
}  // namespace

std::optional<ShellOptions> parseOptions(int argc, char** argv, int& exitCode) {
    CLI::App app{"Service adjustment program for the Veltra K55/K45 (desktop)", "veltra-adjust"};
    app.set_version_flag("--version", std::string("veltra-adjust ") + kVersion,
                         "Show the program's version and end");
    ShellOptions options;
    std::vector<std::string> devices;
    auto* simulate = app.add_flag("--simulate", options.simulate,
                                  "Lead every port to the in-process virtual printer");
    app.add_option("--sim-eeprom", options.simEeprom,
                   "Keep the K55 virtual printer's EEPROM in FILE between runs, the K45's in FILE "
                   "with -K45 before its extension (default: virtual-K55.eeprom / "
                   "virtual-K45.eeprom in ~/.local/state/veltra-adjust)")
        ->needs(simulate);
    app.add_flag("--fresh-printer", options.freshPrinter,
                 "Start the virtual printers as new: EEPROM of a new printer (its file "
                 "rewritten), no mechanism error")
        ->needs(simulate);
    app.add_option("--device", devices, "Lead one port elsewhere: PORT=URI (repeatable)")
        ->check(CLI::Validator(checkDevice, "PORT=URI"));
    app.add_option("--trace", options.trace, "Write every port transfer to FILE");
    app.add_flag("--no-journal", options.noJournal,
                 "Keep no journal of EEPROM changes (and read nothing extra before them)");
    app.add_flag("--exit-when-shown", options.exitWhenShown,
                 "End once the start-up window has been painted");
    sim::addPaperOptions(app, options.paper, false);
    plainHelp(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        exitCode = app.exit(e);
        return std::nullopt;
    }
    for (const std::string& d : devices) {
        const auto eq = d.find('=');
        options.devices.emplace_back(d.substr(0, eq), d.substr(eq + 1));
    }
    return options;
}

bool asksForHelpOrVersion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h" || arg == "--version") {
            return true;
        }
    }
    return false;
}

PortMap portMapFor(const ShellOptions& options) {
    PortMap map;
    if (options.simulate) {
        map.setAll(kSimUri);
    }
    for (const auto& [port, uri] : options.devices) {
        map.set(port, uri);
    }
    return map;
}

}  // namespace veltra::shell
