#pragma once
// What every benchmark starts from: the program's objects on an in-process virtual printer
// (K55 on ZTUSB1), with message boxes answered silently.
#include <cstdio>
#include <memory>
#include <string>

#include "link/Clock.h"
#include "link/MessageHandler.h"
#include "procedures/ProgramObjects.h"
#include "procedures/Session.h"
#include "sim/SimPortBackend.h"
#include "sim/VirtualPrinter.h"

namespace veltra::bench {

class SilentHandler final : public MessageHandler {
public:
    void showError(std::string_view) override {}
    void showMessage(std::string_view, std::string_view) override {}
    bool confirm(std::string_view, std::string_view) override { return true; }
    void endProgram(std::string_view text, int code) override {
        throw ProgramEnded(std::string(text), code);
    }
};

struct SimProgram {
    explicit SimProgram(Clock& clk)
        : clock(clk),
          printer(clk, 0),
          objects(clk, handler,
                  [this](std::uint16_t, const std::string&) -> std::unique_ptr<PortBackend> {
                      return std::make_unique<sim::SimPortBackend>(printer, clock);
                  }) {
        printer.keepPrintRecord(true);  // the benchmarks read back the report's four pages
    }

    // Starts the link as the start-up window's OK does; false (and a line on stderr) if not.
    bool start() {
        if (StartSession(objects, 0, 3) != StartOutcome::Started) {
            std::fprintf(stderr, "the link did not start\n");
            return false;
        }
        return true;
    }

    Clock& clock;
    SilentHandler handler;
    sim::VirtualPrinter printer;
    ProgramObjects objects;
};

}  // namespace veltra::bench
