#pragma once
// The in-process virtual printers of --simulate: one per model, made when a port of that model
// is first opened and kept for the run, so the EEPROM survives "Next" and a new start-up.
#include <array>
#include <functional>
#include <memory>

#include "link/Clock.h"
#include "link/PortBackend.h"
#include "sim/VirtualPrinter.h"

namespace veltra::shell {

class SimulatedPrinters {
public:
    // printerClock runs the printers; portClock is the one the port sleeps on.
    SimulatedPrinters(Clock& printerClock, Clock& portClock)
        : printerClock_(printerClock), portClock_(portClock) {}

    // Which model the next opened port serves (0 K55, 1 K45; anything else counts as 0).
    void setModelSource(std::function<int()> source) { modelSource_ = std::move(source); }

    sim::VirtualPrinter& printerFor(int modelIndex);
    // The printer of the last opened port (the K55 one before any).
    sim::VirtualPrinter& current() { return printerFor(currentIndex_); }
    int currentIndex() const { return currentIndex_; }

    // A backend on the printer of the model chosen now; the link's factory for "sim".
    std::unique_ptr<PortBackend> openBackend();

    // Called once for each printer when it is made (e.g. to put paper in it).
    void setOnCreate(std::function<void(int modelIndex, sim::VirtualPrinter&)> onCreate) {
        onCreate_ = std::move(onCreate);
    }

    // Called after each openBackend, e.g. to show the printer in the tool window.
    void setOnOpen(std::function<void()> onOpen) { onOpen_ = std::move(onOpen); }

private:
    Clock& printerClock_;
    Clock& portClock_;
    std::function<int()> modelSource_;
    std::function<void()> onOpen_;
    std::function<void(int, sim::VirtualPrinter&)> onCreate_;
    std::array<std::unique_ptr<sim::VirtualPrinter>, 2> printers_;
    int currentIndex_ = 0;
};

}  // namespace veltra::shell
