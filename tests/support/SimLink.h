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
#include <string>

#include "link/Clock.h"
#include "link/Mald4comm.h"
#include "link/Malprinterdriver.h"
#include "link/StartupChoice.h"
#include "link/Status.h"
#include "tests/support/RecordingHandler.h"
#include "tests/support/SimPrinter.h"

namespace veltra::test {

struct SimLink : SimPrinter {
    // modelIndex 0 "Veltra K55", 1 "Veltra K45"; interfaceCode 0x401-0x403 or 0x501-0x503.
    explicit SimLink(int modelIndex = 0, std::uint16_t interfaceCode = 0x501)
        : SimPrinter(modelIndex),
          model(modelIndex),
          port(interfaceCode),
          choice(makeChoice(modelIndex, interfaceCode)),
          driver(clock, choice, [this](std::uint16_t, const std::string&) { return openPort(); }),
          link(driver, clock, ui) {}

    // Sets the model code, opens the port and starts the link; marks what came before.
    Status start() {
        const ModelInfo& m = kModels[std::size_t(model)];
        link.SetModelCode(m.code[0], m.code[1]);
        markPackets();
        Status s = driver.OpenPort(port);
        if (s == kOk) {
            s = link.StartLink();
        }
        mark();
        return s;
    }

    int model;
    std::uint16_t port;
    RecordingHandler ui;
    StartupChoice choice;
    TPPrinterDriver driver;
    TPD4Comm link;

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
