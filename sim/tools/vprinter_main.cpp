// veltra-vprinter: serves one virtual printer on a Unix stream socket, so that the program and
// the command line can be run against it through a "unix:PATH" port.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include "veltra/Version.h"

#include "cli/PlainHelp.h"
#include "link/Clock.h"
#include "link/MessageHandler.h"
#include "sim/SocketServer.h"
#include "sim/VirtualPrinter.h"
#ifdef VELTRA_VPRINTER_PAPER
#include "sim/render/PaperOptions.h"
#endif

namespace {

class StderrHandler final : public veltra::MessageHandler {
public:
    void showError(std::string_view text) override {
        std::fprintf(stderr, "veltra-vprinter: %.*s\n", int(text.size()), text.data());
    }
    void showMessage(std::string_view, std::string_view text) override { showError(text); }
    bool confirm(std::string_view, std::string_view) override { return false; }
    void endProgram(std::string_view text, int exitCode) override {
        showError(text);
        throw veltra::ProgramEnded(std::string(text), exitCode);
    }
};

// One byte written as hexadecimal ("04", "0x84"); nullopt when it is not one.
std::optional<std::uint8_t> hexByte(const std::string& text) {
    std::size_t used = 0;
    unsigned long v = 0;
    try {
        v = std::stoul(text, &used, 16);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (used != text.size() || v > 0xFF) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(v);
}

struct Options {
    std::string socket;
    std::string model = "K55";
    std::string eeprom;
    std::string saveEeprom;
    std::string state;
    std::string error;
    bool noReply = false;
    std::string errorPacket;
    std::string writeLetter;
    bool malformedStatus = false;
    std::optional<int> dropAfter;
    std::optional<int> silentAfter;
    int lateMs = 0;
    std::string received;
    bool once = false;
    int crDispersion = veltra::sim::VirtualPrinter::kDefaultCrDispersion;
#ifdef VELTRA_VPRINTER_PAPER
    veltra::sim::PaperOptions paper;  // --paper DIR and the hidden mechanism errors
#endif
};

std::uint8_t byteOption(veltra::MessageHandler& ui, const std::string& name,
                        const std::string& text) {
    const auto v = hexByte(text);
    if (!v) {
        veltra::fatalError(ui, name + " takes one byte in hexadecimal, not \"" + text + "\"", 2);
    }
    return *v;
}

int run(const Options& o, veltra::MessageHandler& ui) {
    veltra::SystemClock clock;
    veltra::sim::VirtualPrinter printer(clock, o.model == "K45" ? 1 : 0);
    std::string why;
    if (!o.eeprom.empty() && !printer.loadEeprom(o.eeprom, &why)) {
        veltra::fatalError(ui, "cannot load the EEPROM image " + o.eeprom + ": " + why, 1);
    }
    if (!o.state.empty()) {
        printer.setState(byteOption(ui, "--state", o.state));
    }
    if (!o.error.empty()) {
        printer.setError(byteOption(ui, "--error", o.error));
    }
    auto& f = printer.faults();
    f.noReply = o.noReply;
    f.malformedStatus = o.malformedStatus;
    f.dropAfterPackets = o.dropAfter;
    f.silentAfterPackets = o.silentAfter;
    if (!o.errorPacket.empty()) {
        const std::uint8_t code = byteOption(ui, "--error-packet", o.errorPacket);
        if (code < 0x80 || code > 0x87) {
            veltra::fatalError(ui, "--error-packet takes a code from 80 to 87", 2);
        }
        f.errorPacket = code;
    }
    if (!o.writeLetter.empty()) {
        f.eepromWriteLetter = o.writeLetter[0];
    }
    printer.setCrMotorDispersion(o.crDispersion);

#ifdef VELTRA_VPRINTER_PAPER
    const auto paper = veltra::sim::PaperSession::start(
        o.paper, printer, ui, [](const std::filesystem::path& file) {
            std::printf("veltra-vprinter: page written to %s\n", file.string().c_str());
            std::fflush(stdout);
        });
#endif

    veltra::sim::SocketServer server(printer, o.socket);
    if (!server.listen()) {
        veltra::fatalError(ui, server.error(), 1);
    }
    server.setReplyDelayMs(o.lateMs);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> log(nullptr, std::fclose);
    if (!o.received.empty()) {
        log.reset(std::fopen(o.received.c_str(), "ab"));
        if (!log) {
            veltra::fatalError(ui, "cannot open " + o.received + " for writing", 1);
        }
        // Flushed at once: a test reads the file while the connection still runs.
        server.received = [&log](const std::uint8_t* data, std::size_t n) {
            std::fwrite(data, 1, n, log.get());
            std::fflush(log.get());
        };
    }
    server.afterConnection = [&] {
        if (!o.saveEeprom.empty() && !printer.saveEeprom(o.saveEeprom)) {
            ui.showError("cannot save the EEPROM image to " + o.saveEeprom);
        }
    };
    std::printf("veltra-vprinter: %s on %s\n", printer.deviceId().c_str(), o.socket.c_str());
    std::fflush(stdout);
    while (server.serveOne()) {
        if (o.once) {
            break;
        }
    }
    if (!server.error().empty()) {
        veltra::fatalError(ui, server.error(), 1);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Serves one virtual Veltra printer on a Unix stream socket.", "veltra-vprinter"};
    app.set_version_flag("--version", std::string("veltra-vprinter ") + veltra::kVersion,
                         "Show the program's version and end");
    Options o;
    app.add_option("--socket", o.socket, "Unix socket path to listen on")->required();
    app.add_option("--model", o.model, "printer model")
        ->check(CLI::IsMember({"K55", "K45"}))
        ->capture_default_str();
    app.add_option("--eeprom", o.eeprom, "load the EEPROM from an image file (or 256 raw bytes)");
    app.add_option("--save-eeprom", o.saveEeprom, "save the EEPROM after each connection");
    app.add_option("--state", o.state, "status \"ST:\" value, hexadecimal (04 ready)");
    app.add_option("--error", o.error, "status \"ER:\" value, hexadecimal (06 paper out)");
    app.add_flag("--no-reply", o.noReply, "take requests and answer nothing");
    app.add_option("--error-packet", o.errorPacket,
                   "answer the next packet with an Error packet of this code (80-87)");
    app.add_option("--eeprom-write-letter", o.writeLetter, "answer EEPROM writes with B or N")
        ->check(CLI::IsMember({"B", "N"}));
    app.add_flag("--malformed-status", o.malformedStatus,
                 "status replies without \"ST:\" and \"IQ:\"");
    app.add_option("--drop-after", o.dropAfter, "drop the connection after N host packets")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--silent-after", o.silentAfter, "answer nothing after N host packets")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--late", o.lateMs, "hold every reply back this many milliseconds")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--received", o.received,
                   "append every byte the host sends to this file, as it comes");
    app.add_flag("--once", o.once, "exit after one connection");
    app.add_option("--cr-dispersion", o.crDispersion,
                   "the carriage motor's drive dispersion that a measurement finds")
        ->check(CLI::Range(-veltra::sim::VirtualPrinter::kMaxCrDispersion,
                           veltra::sim::VirtualPrinter::kMaxCrDispersion))
        ->capture_default_str();
#ifdef VELTRA_VPRINTER_PAPER
    veltra::sim::addPaperOptions(app, o.paper);
#endif
    veltra::plainHelp(app);
    CLI11_PARSE(app, argc, argv);

    StderrHandler ui;
    try {
        return run(o, ui);
    } catch (const veltra::ProgramEnded& e) {
        return e.exitCode();
    }
}
