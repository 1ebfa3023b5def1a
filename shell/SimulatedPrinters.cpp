#include "shell/SimulatedPrinters.h"

#include "sim/SimPortBackend.h"

namespace veltra::shell {

sim::VirtualPrinter& SimulatedPrinters::printerFor(int modelIndex) {
    const std::size_t slot = modelIndex == 1 ? 1 : 0;
    if (!printers_[slot]) {
        printers_[slot] = std::make_unique<sim::VirtualPrinter>(printerClock_, int(slot));
        if (onCreate_) {
            onCreate_(int(slot), *printers_[slot]);
        }
    }
    return *printers_[slot];
}

std::unique_ptr<PortBackend> SimulatedPrinters::openBackend() {
    currentIndex_ = (modelSource_ && modelSource_() == 1) ? 1 : 0;
    auto backend = std::make_unique<sim::SimPortBackend>(current(), portClock_);
    if (onOpen_) {
        onOpen_();
    }
    return backend;
}

}  // namespace veltra::shell
