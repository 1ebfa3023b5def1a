#pragma once
// A started link to an in-process virtual printer on a ManualClock, for tests that exchange
// bytes with a printer without the windows or the program object set:
//
//   test::SimLink sim;               // K55 on ZTUSB1
//   ASSERT_EQ(sim.start(), kOk);     // model code, open port, StartLink
//   sim.mark();
//   ... use sim.link ...
//   sim.eepromWritesSince();         // (address, value) of every "||" write since the mark
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/Clock.h"
#include "link/Mald4comm.h"
#include "link/Malprinterdriver.h"
#include "link/StartupChoice.h"
#include "link/Status.h"
#include "sim/SimPortBackend.h"
#include "sim/VirtualPrinter.h"
#include "tests/support/RecordingHandler.h"

namespace veltra::test {

struct SimLink {
    // modelIndex 0 "Veltra K55", 1 "Veltra K45"; interfaceCode 0x401-0x403 or 0x501-0x503.
    explicit SimLink(int modelIndex = 0, std::uint16_t interfaceCode = 0x501)
        : model(modelIndex),
          port(interfaceCode),
          choice(makeChoice(modelIndex, interfaceCode)),
          printer(clock, modelIndex),
          driver(clock, choice,
                 [this](std::uint16_t, const std::string&) -> std::unique_ptr<PortBackend> {
                     return std::make_unique<sim::SimPortBackend>(printer, clock);
                 }),
          link(driver, clock, ui) {
        printer.keepPrintRecord(true);  // tests look back across pages
    }

    SimLink(const SimLink&) = delete;
    SimLink& operator=(const SimLink&) = delete;

    // Sets the model code, opens the port and starts the link; marks what came before.
    Status start() {
        const ModelInfo& m = kModels[std::size_t(model)];
        link.SetModelCode(m.code[0], m.code[1]);
        packetsBeforeStart = printer.hostPackets();
        Status s = driver.OpenPort(port);
        if (s == kOk) {
            s = link.StartLink();
        }
        mark();
        return s;
    }

    // Remembers how much the printer has received, for the *Since helpers.
    void mark() { controlMark = printer.controlRequests().size(); }

    std::vector<std::vector<std::uint8_t>> controlSince() const {
        const auto& all = printer.controlRequests();
        return {all.begin() + std::ptrdiff_t(controlMark), all.end()};
    }
    // (address, value) of the EEPROM byte writes since the mark, in the order received.
    std::vector<std::pair<std::uint8_t, std::uint8_t>> eepromWritesSince() const {
        std::vector<std::pair<std::uint8_t, std::uint8_t>> out;
        for (const auto& p : controlSince()) {
            if (p.size() == kWriteRequestSize && p[0] == '|' && p[1] == '|' &&
                p[kCommandAt] == kWriteLetter) {
                out.emplace_back(p[kAddressAt], p[kAddressAt + 1]);
            }
        }
        return out;
    }
    // Addresses of the EEPROM byte reads since the mark, in the order received.
    std::vector<std::uint8_t> eepromReadsSince() const {
        std::vector<std::uint8_t> out;
        for (const auto& p : controlSince()) {
            if (p.size() == kReadRequestSize && p[0] == '|' && p[1] == '|' &&
                p[kCommandAt] == kReadLetter) {
                out.push_back(p[kAddressAt]);
            }
        }
        return out;
    }

    // The connection drops once the printer has taken n more host packets (counted in the one
    // packet-mode session that start() opened).
    void dropAfterMorePackets(int n) {
        printer.faults().dropAfterPackets = int(printer.hostPackets() - packetsBeforeStart) + n;
    }

    // "||" requests: two letters, 16-bit length, model code, command letter at 6, its complement
    // and rotation, then the address at 9 (and the value at 10 for a write).
    static constexpr std::size_t kReadRequestSize = 10;
    static constexpr std::size_t kWriteRequestSize = 11;
    static constexpr std::size_t kCommandAt = 6;
    static constexpr std::size_t kAddressAt = 9;
    static constexpr std::uint8_t kReadLetter = 0x41;
    static constexpr std::uint8_t kWriteLetter = 0x42;

    int model;
    std::uint16_t port;
    ManualClock clock;
    RecordingHandler ui;
    StartupChoice choice;
    sim::VirtualPrinter printer;
    TPPrinterDriver driver;
    TPD4Comm link;
    std::size_t packetsBeforeStart = 0;
    std::size_t controlMark = 0;

private:
    static StartupChoice makeChoice(int modelIndex, std::uint16_t interfaceCode) {
        StartupChoice c;
        c.modelIndex = modelIndex;
        c.ModelNo = kModels[std::size_t(modelIndex)].number;
        c.PortKind = std::uint16_t(interfaceCode & 0xFF00);
        return c;
    }
};

}  // namespace veltra::test
