#include "cli/CliApp.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>

#include "cli/PlainHelp.h"
#include "cli/TextMessageHandler.h"
#include "link/Backends.h"
#include "link/PortTraceFile.h"
#include "procedures/Messages.h"
#include "procedures/ProgramSetup.h"
#include "procedures/Session.h"
#include "procedures/StateFolder.h"
#include "sim/PaperRequest.h"
#include "sim/SimPortBackend.h"
#include "sim/VirtualPrinter.h"
#include "veltra/Version.h"
#ifdef VELTRA_CLI_PAPER
#include "sim/render/PaperOptions.h"
#endif

namespace veltra::cli {

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

namespace {

// Marks progress on a terminal: a dot for every 50 packets written and for every second spent
// waiting, so that long sequences (mechanism commands, prints, the CR motor drive dispersion
// measurement's 31 s of waits) show that they move. Passes every transfer on to the trace file,
// if any, and every wait on to the program's clock.
class Progress final : public PortTrace, public Clock {
public:
    Progress(std::ostream& err, Clock& clock, PortTrace* next, bool show, const StopRequest* stop)
        : err_(err), clock_(clock), next_(next), show_(show), stop_(stop) {}
    ~Progress() override { endDots(); }
    void record(std::int64_t ms, char kind, const std::uint8_t* data, std::size_t n) override {
        if (next_) {
            next_->record(ms, kind, data, n);
        }
        noteStop();
        if (show_ && kind == 'W' && ++writes_ % kPacketsPerDot == 0) {
            dot();
        }
    }
    void recordFailure(std::int64_t ms, char kind, const std::string& reason) override {
        if (next_) {
            next_->recordFailure(ms, kind, reason);
        }
    }
    void sleepMs(std::int64_t ms) override {
        noteStop();
        if (!show_) {
            clock_.sleepMs(ms);
            return;
        }
        // A long wait is slept a second at a time, so that its dots come while it lasts.
        while (ms > 0) {
            const std::int64_t slice = std::min(ms, kMsPerDot - waitedMs_ % kMsPerDot);
            clock_.sleepMs(slice);
            ms -= slice;
            waitedMs_ += slice;
            if (waitedMs_ % kMsPerDot == 0) {
                dot();
            }
        }
    }
    std::int64_t nowMs() const override { return clock_.nowMs(); }
    LocalTime localTime() const override { return clock_.localTime(); }

    // Ends the line of dots, so that a text printed next starts a line of its own.
    void endDots() {
        if (dots_ > 0) {
            err_ << '\n';
            dots_ = 0;
        }
    }

private:
    void dot() {
        err_ << '.' << std::flush;
        ++dots_;
    }
    // Said once, as soon as the request is seen: the stop itself comes at the next safe point.
    void noteStop() {
        if (stop_ && !stopNoted_ && stop_->stopRequested()) {
            stopNoted_ = true;
            endDots();
            err_ << "Stopping at the next safe point..." << std::endl;
        }
    }

    static constexpr long kPacketsPerDot = 50;
    static constexpr std::int64_t kMsPerDot = 1000;
    std::ostream& err_;
    Clock& clock_;
    PortTrace* next_;
    bool show_;
    long writes_ = 0;
    std::int64_t waitedMs_ = 0;
    long dots_ = 0;
    const StopRequest* stop_;
    bool stopNoted_ = false;
};

// Every command with its arguments and its description, one row each, in the order they were
// added: the "Commands:" list of --help.
void listCommands(const CLI::App& app, const std::string& prefix,
                  std::vector<std::pair<std::string, std::string>>& rows) {
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
        std::string name = prefix + sub->get_name();
        if (!sub->get_subcommands([](const CLI::App*) { return true; }).empty()) {
            listCommands(*sub, name + " ", rows);
            continue;
        }
        // Arguments as typed, an optional one in brackets; then the command's own options.
        std::string flags;
        for (const CLI::Option* option : sub->get_options()) {
            if (option == sub->get_help_ptr()) {
                continue;
            }
            if (option->get_positional()) {
                name += option->get_required() ? " " + option->get_name()
                                               : " [" + option->get_name() + "]";
            } else {
                flags += " [" + option->get_name() + "]";
            }
        }
        name += flags;
        rows.emplace_back(name, sub->get_description());
    }
}

std::string commandList(const CLI::App& app) {
    std::vector<std::pair<std::string, std::string>> rows;
    listCommands(app, "", rows);
    std::size_t width = 0;
    for (const auto& row : rows) {
        width = std::max(width, row.first.size());
    }
    std::ostringstream out;
    out << "Commands:\n";
    for (const auto& [name, description] : rows) {
        out << "  " << name << std::string(width + 2 - name.size(), ' ') << description << '\n';
    }
    out << "\nGlobal options may stand before or after the command. Exit status: 0 success, 1 "
           "failure, 2 usage error.\n";
    return out.str();
}

// What a terminal gets after the error a ready wait waits out.
std::string waitAdvice(int limitSeconds) {
    std::string text =
        "Load paper into the printer: the command goes on once the printer is ready. ";
    if (limitSeconds > 0) {
        text += "It gives up after " + std::to_string(limitSeconds) +
                " s in the error state (--error-wait SECONDS); ";
    } else {
        text += "It waits without limit; ";
    }
    return text + "Ctrl-C stops it and closes the link.";
}

// The subcommands of a command, by name.
std::vector<const CLI::App*> commandsOf(const CLI::App& app) {
    return app.get_subcommands([](const CLI::App*) { return true; });
}

std::string namesOf(const CLI::App& app) {
    std::string names;
    for (const CLI::App* sub : commandsOf(app)) {
        names += (names.empty() ? "" : ", ") + sub->get_name();
    }
    return names;
}

// When the words naming the command are not one: what to say instead of the parser's
// "A subcommand is required" (which it gives first for any word it does not know).
std::optional<std::string> commandProblem(const CLI::App& app, int argc, const char* const* argv) {
    const CLI::App* level = &app;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--") {
            break;
        }
        if (word.size() > 1 && word[0] == '-') {
            // A global option; one that takes a value takes the next word unless given with '='.
            const CLI::Option* option = app.get_option_no_throw(word.substr(0, word.find('=')));
            if (option && option->get_expected_min() > 0 && word.find('=') == std::string::npos) {
                ++i;
            }
            continue;
        }
        if (commandsOf(*level).empty()) {
            return std::nullopt;  // the command's own arguments
        }
        const auto subs = commandsOf(*level);
        const auto found = std::find_if(
            subs.begin(), subs.end(), [&](const CLI::App* sub) { return sub->get_name() == word; });
        if (found == subs.end()) {
            return "Unknown command \"" + path + word + "\"; the commands" +
                   (path.empty() ? "" : " of " + path.substr(0, path.size() - 1)) +
                   " are: " + namesOf(*level);
        }
        level = *found;
        path += word + " ";
    }
    if (!commandsOf(*level).empty()) {
        return path.empty() ? "A command is required: " + namesOf(*level)
                            : "\"" + path.substr(0, path.size() - 1) +
                                  "\" needs one of its commands: " + namesOf(*level);
    }
    return std::nullopt;
}

// The parser's check for a number 0 or more names its upper bound, the largest double, in 309
// digits: every such check is replaced by one that says what is allowed.
void replaceNonNegativeChecks(CLI::App& app) {
    for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
        for (CLI::Option* option : sub->get_options()) {
            bool nonNegative = false;
            try {
                // The parser gives this check its description, not a name, to look it up by.
                for (int i = 0;; ++i) {
                    CLI::Validator* check = option->get_validator(i);
                    if (check->get_description() == "NONNEGATIVE") {
                        check->active(false);
                        nonNegative = true;
                    }
                }
            } catch (const CLI::OptionNotFound&) {
                // past the last check
            }
            if (nonNegative) {
                option->check(countValidator());
            }
        }
        replaceNonNegativeChecks(*sub);
    }
}

}  // namespace

void refuseArgument(const std::string& text) {
    throw CLI::ValidationError(text);
}

CLI::Validator hexByteValidator() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (text.size() == 2 && std::isxdigit(static_cast<unsigned char>(text[0])) &&
                std::isxdigit(static_cast<unsigned char>(text[1]))) {
                return {};
            }
            return "two hexadecimal digits 00-FF, not \"" + text + "\"";
        },
        "00-FF");
}

CLI::Validator decimalValidator(int min, int max) {
    // The procedures read the value with DecimalOr100; every range checked here leaves out its
    // 100, so what passes here passes there.
    const std::string range = std::to_string(min) + " to " + std::to_string(max);
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            const int value = DecimalOr100(text);
            if (value != kNotANumber && value >= min && value <= max) {
                return {};
            }
            return "a whole number from " + range + ", not \"" + text + "\"";
        },
        range);
}

CLI::Validator countValidator(long long least) {
    const std::string allowed = std::to_string(least) + " or more";
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            long long value = 0;
            const char* end = text.data() + text.size();
            const auto [ptr, ec] = std::from_chars(text.data(), end, value);
            if (!text.empty() && ec == std::errc() && ptr == end && value >= least) {
                return {};
            }
            return "a whole number " + allowed + ", not \"" + text + "\"";
        },
        allowed);
}

CliApp::CliApp(Clock& clock, std::ostream& out, std::ostream& err, std::istream& in)
    : clock_(clock),
      out_(out),
      err_(err),
      in_(in),
      app_("Service adjustment program for the Veltra K55 and Veltra K45 printers",
           "veltra-adjust-cli") {
    app_.option_defaults()->always_capture_default();
    // Global options are taken after the command too: every subcommand inherits this.
    app_.fallthrough();
    app_.set_version_flag("--version", std::string("veltra-adjust-cli ") + kVersion,
                          "Show the program's version and end");
    app_.add_option("--model", options_.model, "Printer model")
        ->check(CLI::IsMember({"K55", "K45", "Veltra K55", "Veltra K45"}));
    app_.add_option("--port", options_.port, "Port the printer is attached to")
        ->check(CLI::IsMember({"LPT1", "LPT2", "LPT3", "ZTUSB1", "ZTUSB2", "ZTUSB3"}));
    app_.add_option("--device", options_.devices,
                    "Where a port leads: PORT=URI, URI a device path, unix:PATH or sim")
        ->take_all();
    app_.add_flag("--simulate", options_.simulate,
                  "Lead every port to the built-in virtual printer");
    app_.add_option("--trace", options_.trace, "Record every port transfer in this file");
    paper_ = std::make_unique<sim::PaperOptions>();
#ifdef VELTRA_CLI_PAPER
    // With the virtual printer: --paper DIR writes each printed page as a PNG file.
    sim::addPaperOptions(app_, *paper_);
#else
    // Known, so that asking for it is answered plainly rather than as an unknown option.
    app_.add_option("--paper", paper_->directory, "Not in this build: it has no page renderer");
#endif
    app_.add_option("--sim-eeprom", options_.simEeprom,
                    "The virtual printer's EEPROM file, kept between runs (default: under "
                    "~/.local/state/veltra-adjust, on Windows %LOCALAPPDATA%\\veltra-adjust)");
    app_.add_option("--cr-dispersion", options_.simCrDispersion,
                    "The virtual printer's carriage motor drive dispersion, as a measurement "
                    "finds it")
        ->check(CLI::Range(-sim::VirtualPrinter::kMaxCrDispersion,
                           sim::VirtualPrinter::kMaxCrDispersion))
        ->capture_default_str();
    app_.add_flag("--yes,-y", options_.yes, "Answer confirmation questions with yes");
    app_.add_flag("--json", options_.json,
                  "Print one JSON document on stdout instead of the texts: the command's "
                  "outcome and data, errors too (keys in docs/JSON.md)");
    app_.add_flag("--no-journal", options_.noJournal,
                  "Keep no journal of EEPROM changes (and read nothing extra before them)");
    app_.add_option("--journal-dir", options_.journalDir,
                    "Folder of the EEPROM change journal (default: "
                    "~/.local/state/veltra-adjust/journal)");
    app_.add_option("--error-wait", options_.errorWaitSeconds,
                    "Seconds a command waits, in all, for a printer error (paper out) to be "
                    "cleared before it fails; 0 waits without limit")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    app_.require_subcommand(1);
    addLinkCommands(*this);
    addAdjustCommands(*this);
    addMaintenanceCommands(*this);
    addIdentityCommands(*this);
    addPrintCommands(*this);
    replaceNonNegativeChecks(app_);
    // The full list of commands replaces the list of the first words.
    app_.footer(commandList(app_));
    plainHelp(app_);
    for (CLI::App* sub : app_.get_subcommands([](CLI::App*) { return true; })) {
        sub->group("");
    }
}

CliApp::~CliApp() = default;

std::string CliApp::commandPath() const {
    std::string path;
    for (const CLI::App* level = &app_; level != nullptr;) {
        const auto chosen = level->get_subcommands();
        level = chosen.empty() ? nullptr : chosen.front();
        if (level) {
            path += (path.empty() ? "" : " ") + level->get_name();
        }
    }
    return path;
}

int CliApp::usageError(const std::string& text) {
    usage_ = true;
    error_ = text;
    err_ << text << "\nRun with --help for the commands and their arguments.\n";
    return 2;
}

std::string CliApp::exitMeaning(int rc) const {
    switch (rc) {
        case 0:
            return "success";
        case 1:
            return troubleExit_ == 2 ? "different" : "failure";
        default:
            return usage_ ? "usage error" : "failure";
    }
}

int CliApp::run(int argc, const char* const* argv) {
    int rc = 0;
    try {
        app_.parse(argc, argv);
        if (!action_) {
            return 0;
        }
        rc = execute();
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) {
            return app_.exit(e, out_, err_);  // --help, --version
        }
        options_.json = std::any_of(argv + 1, argv + argc,
                                    [](const char* arg) { return std::string(arg) == "--json"; });
        rc = usageError(commandProblem(app_, argc, argv).value_or(e.what()));
    }
    if (options_.json) {
        out_ << document(rc).dump() << '\n';
        out_.flush();
    }
    return rc;
}

Json CliApp::document(int rc) const {
    const auto bytes = [](const std::vector<EepromByte>& list) {
        Json out = Json::array();
        for (const EepromByte& b : list) {
            out.push_back({{"address", b.address}, {"value", b.value}});
        }
        return out;
    };
    Json doc;
    doc["command"] = commandPath();
    doc["ok"] = rc == 0;
    doc["exit"] = {{"code", rc}, {"meaning", exitMeaning(rc)}};
    doc["status"] = status_;
    doc["result"] = usage_ ? "usage-error" : std::string(StatusName(result_.status));
    doc["resultCode"] = result_.status;
    if (!result_.ok()) {
        doc["detail"] = result_.detail;
    }
    if (!error_.empty()) {
        doc["error"] = error_;
    }
    if (!result_.read.empty()) {
        doc["read"] = bytes(result_.read);
    }
    if (!result_.written.empty()) {
        doc["written"] = bytes(result_.written);
    }
    if (!result_.values.empty()) {
        Json values = Json::object();
        for (const NamedValue& v : result_.values) {
            values[v.name] = v.value;
        }
        doc["values"] = values;
    }
    if (values_.is_object()) {
        doc.update(values_);
    }
    return doc;
}

CLI::App& addGroup(CliApp& cli, const std::string& name, const std::string& description) {
    CLI::App* group = cli.app().add_subcommand(name, description);
    group->require_subcommand(1);
    return *group;
}

CLI::App& addCommand(CliApp& cli, CLI::App& parent, const std::string& name,
                     const std::string& description, CommandBody body) {
    CLI::App* command = parent.add_subcommand(name, description);
    command->callback([&cli, body = std::move(body)] { cli.setAction(body); });
    return *command;
}

CLI::App& addCommand(CliApp& cli, CLI::App& parent, const std::string& name,
                     const std::string& description, const std::string& arg,
                     const std::string& argDescription, TextCommandBody body) {
    auto text = std::make_shared<std::string>();
    CLI::App& command =
        addCommand(cli, parent, name, description,
                   [text, body = std::move(body)](CliSession& s) { return body(s, *text); });
    command.add_option(arg, *text, argDescription)->required();
    return command;
}

void addCommands(CliApp& cli, CLI::App& parent, const std::vector<CommandRow>& rows) {
    for (const CommandRow& row : rows) {
        addCommand(cli, parent, row.name, row.description, row.body);
    }
}

int CliApp::execute() {
    const auto failure = [this](const std::string& text) {
        err_ << text << '\n';
        error_ = text;
        return troubleExit_;
    };
#ifndef VELTRA_CLI_PAPER
    if (!paper_->directory.empty()) {
        usage_ = true;
        error_ = kNoPaperRenderer;
        err_ << kNoPaperRenderer << '\n';
        return 2;
    }
#endif
    const int modelIndex = modelIndexByName(options_.model).value_or(-1);
    const int portIndex = portIndexByName(options_.port).value_or(-1);

    PortMap map;
    if (options_.simulate) {
        map.setAll(kSimUri);
    }
    for (const std::string& device : options_.devices) {
        const auto eq = device.find('=');
        if (eq == std::string::npos || !map.set(device.substr(0, eq), device.substr(eq + 1))) {
            return usageError(
                "--device takes PORT=URI with PORT one of LPT1-LPT3, ZTUSB1-ZTUSB3: " + device);
        }
        const std::string_view unixPrefix = kUnixUriPrefix;
        if (!kHaveUnixSockets && device.compare(eq + 1, unixPrefix.size(), unixPrefix) == 0) {
            return usageError("--device " + device + ": Unix stream sockets are " +
                              std::string(kNotSupportedHere));
        }
    }

    // One virtual printer serves every port that leads to "sim".
    std::unique_ptr<sim::VirtualPrinter> printer;
    for (const PortInfo& port : kPorts) {
        if (map.uriFor(port.interfaceCode) == kSimUri && !printer) {
            printer = std::make_unique<sim::VirtualPrinter>(clock_, std::max(modelIndex, 0));
            printer->setCrMotorDispersion(options_.simCrDispersion);
        }
    }
    std::string eepromFile;
    if (printer) {
        eepromFile =
            options_.simEeprom.empty() ? defaultSimEepromPath(options_.model) : options_.simEeprom;
        std::string why;
        if (!eepromFile.empty() && std::filesystem::exists(eepromFile) &&
            !printer->loadEeprom(eepromFile, &why)) {
            return failure("Cannot read the virtual printer's EEPROM file " + eepromFile + ": " +
                           why);
        }
    }
    if (printer && printerSetup_) {
        printerSetup_(*printer);
    }
    // The virtual printer keeps its EEPROM, as a real one does, whatever the command's outcome.
    struct SaveOnExit {
        sim::VirtualPrinter* printer;
        const std::string& path;
        bool saved = false;
        bool save() {
            if (!saved && printer && !path.empty()) {
                saved = true;
                std::error_code ec;
                std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
                return printer->saveEeprom(path);
            }
            return false;
        }
        ~SaveOnExit() { (void)save(); }
    } saveOnExit{printer.get(), eepromFile};

    std::function<std::unique_ptr<PortBackend>()> simFactory;
    if (printer) {
        simFactory = [&] { return std::make_unique<sim::SimPortBackend>(*printer, clock_); };
    }

    std::unique_ptr<PortTraceFile> trace;
    if (!options_.trace.empty()) {
        std::string error;
        trace = OpenTraceFile(options_.trace, error);
        if (!trace) {
            return failure(error);
        }
    }
    // The program's objects wait through the progress marks; the virtual printer keeps the
    // plain clock.
    Progress progress(err_, clock_, trace.get(), showProgress_, stop_);
    TextMessageHandler handler(err_, in_, options_.yes);
    handler.setWaitAdvice(waitAdvice(options_.errorWaitSeconds));
    handler.setBeforeText([&progress] { progress.endDots(); });
    ProgramObjects objects(progress, handler, makeBackendFactory(progress, {}, simFactory), map);
    const std::unique_ptr<ChangeJournal> journal =
        AttachJournal(objects, !options_.noJournal, options_.journalDir);
    objects.driver.setTrace(&progress);
    objects.link.setStopRequest(stop_);
    objects.link.setErrorWaitLimitMs(std::int64_t(options_.errorWaitSeconds) * 1000);

    // The page files the virtual printer wrote, listed once the command is over.
    std::vector<std::string> pagesWritten;
#ifdef VELTRA_CLI_PAPER
    std::unique_ptr<sim::PaperSession> paper;
    if (printer && paper_ && !paper_->directory.empty()) {
        try {
            paper = sim::PaperSession::start(*paper_, *printer, handler,
                                             [&pagesWritten](const std::filesystem::path& file) {
                                                 pagesWritten.push_back(file.string());
                                             });
        } catch (const ProgramEnded& ended) {
            error_ = ended.text();
            return 1;
        }
        if (const int before = paper->output().files().pagesBefore(); before > 0) {
            err_ << paper_->directory << " holds pages up to " << sim::PageFiles::fileName(before)
                 << " already: new pages follow from " << sim::PageFiles::fileName(before + 1)
                 << ", none is overwritten.\n";
        }
    }
#endif

    // With --json the texts meant for stdout are kept out of it: the document carries them.
    std::ostringstream held;
    std::ostream& out = options_.json ? held : out_;
    TextView view(out, err_);
    view.setBeforeText([&progress] { progress.endDots(); });
    view.setWaitListener([&handler](bool waiting) {
        if (!waiting) {
            handler.waitEnded();
        }
    });
    AdjustState state;
    AdjustFrame frame(objects, view, state);
    frame.Create();

    switch (StartSession(objects, modelIndex, portIndex)) {
        case StartOutcome::Started:
            break;
        case StartOutcome::NoChoice:
            usage_ = true;
            return 2;
        case StartOutcome::OpenFailed: {
            result_.status = kPortFailure;
            result_.detail = objects.driver.LastError();
            const std::string reason = openFailureText(objects.driver.openFailure());
            return failure(std::string(msg::kCannotOpenPort) + (reason.empty() ? "" : "\n") +
                           reason);
        }
        case StartOutcome::LinkFailed: {
            result_.status = kTransportFailure;
            result_.detail = objects.link.LastError();
            // A start that failed at the port keeps the system's reason, as a failed open does.
            const std::string reason = objects.driver.transferFailure();
            objects.driver.ClosePort();
            return failure(std::string(msg::kCommunicationError) +
                           (reason.empty() ? "" : "\n" + std::string(msg::kSystemReason) + reason));
        }
    }

    CliSession session{objects, frame, view, out, err_, in_, options_, printer.get(), values_};
    const auto stopped = [this] { return stop_ && stop_->stopRequested(); };
    // What the command leaves behind for --json: its last procedure's data, the status area (or,
    // when that is empty, the texts it printed) and the words of its failure.
    const auto keep = [&] {
        view.finishLine();
        result_ = frame.result();
        status_ = view.statusText();
        if (status_.empty()) {
            status_ = held.str();
            while (!status_.empty() && status_.back() == '\n') {
                status_.pop_back();
            }
        }
        if (error_.empty()) {
            error_ = result_.failure;
        }
    };
    frame.NewResult();
    int rc = 1;
    try {
        if (!stopped()) {
            rc = action_(session);
        }
        if (rc == 0 && !frame.result().ok()) {
            rc = 1;
        }
    } catch (const ProgramEnded& ended) {
        // A program error ends the program where it stands, as the windows do.
        error_ = ended.text();
        keep();
        return troubleExit_;
    }
    keep();
    frame.FormClose();
    const bool eepromSaved = saveOnExit.save();
    progress.endDots();
    for (const std::string& file : pagesWritten) {
        err_ << "Page written: " << file << '\n';
    }
    if (!pagesWritten.empty()) {
        values_["pages"] = pagesWritten;
    }
    if (stopped()) {
        error_ = "Stopped at your request: the link to the printer was shut down" +
                 (eepromSaved ? " and the virtual printer's EEPROM saved to " + eepromFile : "") +
                 ".";
        err_ << error_ << '\n';
        return kStoppedExit;
    }
    if (objects.link.errorWaitExhausted()) {
        error_ = "Gave up: the printer stayed in its error state for " +
                 std::to_string(options_.errorWaitSeconds) +
                 " s (--error-wait SECONDS sets this limit).";
        err_ << error_ << '\n';
    }
    return rc;
}

}  // namespace veltra::cli
