#include "cli/CliApp.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include <unistd.h>

#include "cli/TextMessageHandler.h"
#include "link/Backends.h"
#include "link/PortTraceFile.h"
#include "procedures/Messages.h"
#include "procedures/Session.h"
#include "sim/SimPortBackend.h"
#include "sim/VirtualPrinter.h"
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

// Passes every transfer on to the trace file, if any, and marks progress on the terminal.
class ProgressTrace final : public PortTrace {
public:
    ProgressTrace(std::ostream& err, PortTrace* next, bool show)
        : err_(err), next_(next), show_(show) {}
    ~ProgressTrace() override {
        if (dots_ > 0) {
            err_ << '\n';
        }
    }
    void record(std::int64_t ms, char kind, const std::uint8_t* data, std::size_t n) override {
        if (next_) {
            next_->record(ms, kind, data, n);
        }
        if (show_ && kind == 'W' && ++writes_ % kPacketsPerDot == 0) {
            err_ << '.' << std::flush;
            ++dots_;
        }
    }

private:
    static constexpr long kPacketsPerDot = 50;
    std::ostream& err_;
    PortTrace* next_;
    bool show_;
    long writes_ = 0;
    long dots_ = 0;
};

}  // namespace

std::string defaultSimEepromPath(const std::string& model) {
    std::filesystem::path base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::filesystem::path(home) / ".local" / "state";
    } else {
        return {};
    }
    const std::string shortName = model.substr(model.find_last_of(' ') + 1);
    return (base / "veltra-adjust" / ("virtual-" + shortName + ".eeprom")).string();
}

CliApp::CliApp(Clock& clock, std::ostream& out, std::ostream& err, std::istream& in)
    : clock_(clock),
      out_(out),
      err_(err),
      in_(in),
      app_("Service adjustment program for the Veltra K55 and Veltra K45 printers",
           "veltra-adjust-cli") {
    app_.option_defaults()->always_capture_default();
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
#ifdef VELTRA_CLI_PAPER
    // With the virtual printer: --paper DIR writes each printed page as a PNG file.
    paper_ = std::make_unique<sim::PaperOptions>();
    sim::addPaperOptions(app_, *paper_);
#endif
    app_.add_option("--sim-eeprom", options_.simEeprom,
                    "The virtual printer's EEPROM file, kept between runs (default: under "
                    "~/.local/state/veltra-adjust)");
    app_.add_flag("--yes,-y", options_.yes, "Answer confirmation questions with yes");
    app_.require_subcommand(1);
    addLinkCommands(*this);
    addMaintenanceCommands(*this);
    addIdentityCommands(*this);
    addPrintCommands(*this);
}

CliApp::~CliApp() = default;

int CliApp::run(int argc, const char* const* argv) {
    try {
        app_.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app_.exit(e, out_, err_);
        return code == 0 ? 0 : 2;
    }
    if (!action_) {
        return 0;
    }
    return execute();
}

int CliApp::execute() {
    const int modelIndex = modelIndexByName(options_.model).value_or(-1);
    const int portIndex = portIndexByName(options_.port).value_or(-1);

    PortMap map;
    if (options_.simulate) {
        map.setAll(kSimUri);
    }
    for (const std::string& device : options_.devices) {
        const auto eq = device.find('=');
        if (eq == std::string::npos || !map.set(device.substr(0, eq), device.substr(eq + 1))) {
            err_ << "--device takes PORT=URI with PORT one of LPT1-LPT3, ZTUSB1-ZTUSB3: " << device
                 << '\n';
            return 2;
        }
    }

    // One virtual printer serves every port that leads to "sim".
    std::unique_ptr<sim::VirtualPrinter> printer;
    for (const PortInfo& port : kPorts) {
        if (map.uriFor(port.interfaceCode) == kSimUri && !printer) {
            printer = std::make_unique<sim::VirtualPrinter>(clock_, std::max(modelIndex, 0));
        }
    }
    std::string eepromFile;
    if (printer) {
        eepromFile =
            options_.simEeprom.empty() ? defaultSimEepromPath(options_.model) : options_.simEeprom;
        if (!eepromFile.empty() && std::filesystem::exists(eepromFile) &&
            !printer->loadEeprom(eepromFile)) {
            err_ << "Cannot read the virtual printer's EEPROM file " << eepromFile << '\n';
            return 1;
        }
    }
    // The virtual printer keeps its EEPROM, as a real one does, whatever the command's outcome.
    struct SaveOnExit {
        sim::VirtualPrinter* printer;
        const std::string& path;
        ~SaveOnExit() {
            if (printer && !path.empty()) {
                std::error_code ec;
                std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
                (void)printer->saveEeprom(path);
            }
        }
    } saveOnExit{printer.get(), eepromFile};

    std::function<std::unique_ptr<PortBackend>()> simFactory;
    if (printer) {
        simFactory = [&] { return std::make_unique<sim::SimPortBackend>(*printer, clock_); };
    }

    TextMessageHandler handler(err_, in_, options_.yes);
    ProgramObjects objects(clock_, handler, makeBackendFactory({}, simFactory), map);
    std::unique_ptr<PortTraceFile> trace;
    if (!options_.trace.empty()) {
        trace = std::make_unique<PortTraceFile>(options_.trace);
        if (!trace->isOpen()) {
            err_ << "Cannot write the trace file " << options_.trace << '\n';
            return 1;
        }
    }
    // On a terminal, long sequences (mechanism commands, prints) show a dot every 50 packets.
    ProgressTrace progress(err_, trace.get(), isatty(STDERR_FILENO) == 1);
    objects.driver.setTrace(&progress);

#ifdef VELTRA_CLI_PAPER
    std::unique_ptr<sim::PaperSession> paper;
    if (printer && paper_ && !paper_->directory.empty()) {
        try {
            paper = sim::PaperSession::start(*paper_, *printer, handler);
        } catch (const ProgramEnded&) {
            return 1;
        }
    }
#endif

    TextView view(out_, err_);
    AdjustState state;
    AdjustFrame frame(objects, view, state);
    frame.Create();

    switch (StartSession(objects, modelIndex, portIndex)) {
        case StartOutcome::Started:
            break;
        case StartOutcome::NoChoice:
            return 2;
        case StartOutcome::OpenFailed:
            err_ << msg::kCannotOpenPort << '\n';
            return 1;
        case StartOutcome::LinkFailed:
            err_ << msg::kCommunicationError << '\n';
            objects.driver.ClosePort();
            return 1;
    }

    CliSession session{objects, frame, view, out_, err_, in_, options_, printer.get()};
    int rc = 1;
    try {
        rc = action_(session);
        if (view.sawFailure()) {
            rc = rc == 0 ? 1 : rc;
        }
    } catch (const ProgramEnded&) {
        // A program error ends the program where it stands, as the windows do.
        view.finishLine();
        return 1;
    }
    view.finishLine();
    frame.FormClose();
    return rc;
}

}  // namespace veltra::cli
