#pragma once
// veltra-adjust-cli: the adjustment procedures from a shell. It starts the link as the start-up
// window does, runs one command through the same procedures the windows use (with a text status
// area), and shuts the link down in the window's close order. Exit status 0 on success, 1 on any
// failure, 2 on a usage error. With --json, stdout carries one JSON document instead of the
// status texts, made from the procedures' result data (its keys: docs/JSON.md).
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/TextView.h"
#include "link/Backends.h"
#include "link/Clock.h"
#include "link/DecimalText.h"
#include "link/StopRequest.h"
#include "procedures/AdjustFrame.h"
#include "procedures/ProgramObjects.h"
#include "sim/VirtualPrinter.h"

namespace veltra::sim {
class VirtualPrinter;
struct PaperOptions;
}  // namespace veltra::sim

namespace veltra::cli {

struct CliOptions {
    std::string model = "K55";
    std::string port = "ZTUSB1";
    std::vector<std::string> devices;  // PORT=URI
    bool simulate = false;
    std::string trace;
    std::string simEeprom;  // where the virtual printer keeps its EEPROM between runs
    int simCrDispersion = sim::VirtualPrinter::kDefaultCrDispersion;
    bool yes = false;
    bool json = false;
    bool noJournal = false;  // keep no journal of EEPROM changes
    std::string journalDir;  // where the journal is kept (default: under the state folder)
    // How long, in all, the ready waits wait out a printer error (paper out) before the command
    // fails; 0 waits without limit.
    int errorWaitSeconds = 300;
};

// The exit status of a command stopped by a stop request (Ctrl-C, SIGTERM), as a shell reports a
// program ended by SIGINT.
inline constexpr int kStoppedExit = 130;

// What a command runs with: the objects with the link started, and the text window frame.
struct CliSession {
    ProgramObjects& objects;
    AdjustFrame& frame;
    TextView& view;
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    const CliOptions& options;
    sim::VirtualPrinter* printer;  // the in-process virtual printer, when one is in use
    nlohmann::ordered_json& json;  // the command's own keys for --json
};

// The --json document's members, in the order they were added.
using Json = nlohmann::ordered_json;

// A command's body; returns the exit status (0 success, 1 failure).
using CommandBody = std::function<int(CliSession&)>;

class CliApp {
public:
    CliApp(Clock& clock, std::ostream& out, std::ostream& err, std::istream& in);
    ~CliApp();
    int run(int argc, const char* const* argv);

    CLI::App& app() { return app_; }
    CliOptions& options() { return options_; }
    // Called from a subcommand's callback: the body runs once the link is up.
    void setAction(CommandBody body) { action_ = std::move(body); }
    // Dots on the error stream while long sequences run (main: when it is a terminal).
    void setShowProgress(bool show) { showProgress_ = show; }
    // The exit status when the link cannot be started or the program ends on an error (1, or 2
    // for a command whose 1 means something else, as diff's "different").
    void setTroubleExit(int code) { troubleExit_ = code; }
    // Asked at the link's safe points whether to stop (main: the signal handlers); null never
    // stops.
    void setStopRequest(const StopRequest* stop) { stop_ = stop; }
    // Called with the built-in virtual printer once it is made (tests put it into a state).
    void setPrinterSetup(std::function<void(sim::VirtualPrinter&)> setup) {
        printerSetup_ = std::move(setup);
    }

private:
    int execute();
    std::string commandPath() const;
    int usageError(const std::string& text);
    std::string exitMeaning(int rc) const;
    Json document(int rc) const;

    Clock& clock_;
    std::ostream& out_;
    std::ostream& err_;
    std::istream& in_;
    CLI::App app_;
    CliOptions options_;
    std::unique_ptr<sim::PaperOptions> paper_;  // --paper and the hidden mechanism errors
    CommandBody action_;
    bool showProgress_ = false;
    Json values_;             // the command's own keys, for --json
    ProcedureResult result_;  // the data of the command's last procedure, for --json
    std::string status_;      // the status area at the end (or the texts printed), for --json
    std::string error_;       // why the command failed, for --json
    bool usage_ = false;      // the exit status is a usage error's
    int troubleExit_ = 1;
    std::function<void(sim::VirtualPrinter&)> printerSetup_;
    const StopRequest* stop_ = nullptr;
};

// Command groups, one per unit.
void addLinkCommands(CliApp& cli);         // status, eeprom, counter, bid, pf
void addMaintenanceCommands(CliApp& cli);  // clean, charge, charge-jig, exchange
void addIdentityCommands(CliApp& cli);     // headid, usbid
void addPrintCommands(CliApp& cli);        // print bid, pf, top-margin, head-angle, report
void addAdjustCommands(CliApp& cli);       // top-margin, crmotor
// eeprom backup, diff, restore (and the journal's history and undo) under the "eeprom" command.
void addEepromFileCommands(CliApp& cli, CLI::App& eeprom);

// What --paper answers in a build without the page renderer (the build without Qt).
inline constexpr const char* kNoPaperRenderer =
    "--paper: this build has no paper renderer; page images come with the Qt build";

// Upper-cases a typed code, as the window's entry fields do.
std::string upper(std::string text);

// The system's reason for a port that could not be opened, and what to do about it.
inline std::string openFailureText(const OpenFailure& failure) {
    return OpenFailureText(failure, "with --port or --device");
}

// A command's exit code from the status of the procedure it ran: 0 on kOk, else 1.
inline int exitCode(Status s) {
    return s == kOk ? 0 : 1;
}

// A usage error found in a command's arguments before the link starts: exit 2, the text on the
// error stream (CLI11 reports it as it does its own).
[[noreturn]] void refuseArgument(const std::string& text);

// Checks of typed values, each naming the values it allows.
CLI::Validator hexByteValidator();                  // two hexadecimal digits 00-FF
CLI::Validator decimalValidator(int min, int max);  // a whole number min..max, as DecimalOr100
CLI::Validator countValidator();                    // a whole number 0 or more

// A command group under the program: NAME followed by exactly one of its subcommands.
CLI::App& addGroup(CliApp& cli, const std::string& name, const std::string& description);

// Adds the subcommand NAME under parent; when it is the one given, body runs once the link is up.
CLI::App& addCommand(CliApp& cli, CLI::App& parent, const std::string& name,
                     const std::string& description, CommandBody body);

// The same with one required argument ARG, handed to body as typed.
using TextCommandBody = std::function<int(CliSession&, const std::string&)>;
CLI::App& addCommand(CliApp& cli, CLI::App& parent, const std::string& name,
                     const std::string& description, const std::string& arg,
                     const std::string& argDescription, TextCommandBody body);

// A row of a command table: one subcommand without arguments.
struct CommandRow {
    std::string name;
    std::string description;
    CommandBody body;
};
void addCommands(CliApp& cli, CLI::App& parent, const std::vector<CommandRow>& rows);

// A body that runs one procedure on the frame and exits by its status.
template <class... Args>
CommandBody runs(Status (*procedure)(AdjustFrame&, Args...), std::type_identity_t<Args>... args) {
    return [=](CliSession& s) { return exitCode(procedure(s.frame, args...)); };
}

}  // namespace veltra::cli
