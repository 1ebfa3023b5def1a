#pragma once
// The in-process virtual printers of --simulate: one per model, made when a port of that model
// is first opened and kept for the run, so the EEPROM survives "Next" and a new start-up.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "link/Clock.h"
#include "link/MessageHandler.h"
#include "link/PortBackend.h"
#include "sim/VirtualPrinter.h"
#include "sim/render/PaperOptions.h"

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

    // Keeps the printers' EEPROM between runs: each printer made loads its file, if there is one,
    // and its file is written again after every change the printer takes from the program, so a
    // program that is killed loses nothing. Each model has a file of its own: a named file is
    // the K55's, and the K45's lies beside it (eepromFileFor); without one each model has its
    // default file in the state folder. A file that cannot be read is reported through ui and
    // left as it is; a file that cannot be written is reported once.
    void keepEeproms(std::string namedFile, MessageHandler& ui);
    void saveEeproms();
    // The file of a model's printer for a named file: the K55 uses it as it is, the K45 the same
    // name with "-K45" before its extension ("sim.eeprom" -> "sim-K45.eeprom").
    static std::string eepromFileFor(const std::string& namedFile, int modelIndex);

    // A fresh printer of the model: the EEPROM of a new printer (saved at once), ready with no
    // error or fault, and a mechanism without errors.
    void makeFresh(int modelIndex);
    // Each printer made from now on starts with the EEPROM of a new printer (written to its
    // file), before its paper reads the stored values.
    void startFresh() { startFresh_ = true; }

    // Puts paper in each printer made from now on: its pages go to onPage (the tool window's
    // paper view) and, with a directory in options, as PNG files into DIR/K55 or DIR/K45.
    using PageHandler = std::function<void(int modelIndex, const QImage& page, int number)>;
    void enablePaper(sim::PaperOptions options, MessageHandler& ui);
    void setOnPage(PageHandler onPage) { onPage_ = std::move(onPage); }
    // The paper of a model's printer; null before the printer is made or without paper.
    sim::PaperSession* paper(int modelIndex) const;

    // Called after each openBackend, e.g. to show the printer in the tool window.
    void setOnOpen(std::function<void()> onOpen) { onOpen_ = std::move(onOpen); }

private:
    void saveEeprom(std::size_t slot);

    Clock& printerClock_;
    Clock& portClock_;
    std::function<int()> modelSource_;
    std::function<void()> onOpen_;
    std::function<void(int, sim::VirtualPrinter&)> onCreate_;
    std::array<std::unique_ptr<sim::VirtualPrinter>, 2> printers_;
    std::optional<sim::PaperOptions> paperOptions_;
    MessageHandler* paperUi_ = nullptr;
    PageHandler onPage_;
    std::array<std::unique_ptr<sim::PaperSession>, 2> paper_;
    bool keepEeproms_ = false;
    bool startFresh_ = false;
    std::string namedFile_;
    MessageHandler* ui_ = nullptr;
    std::array<std::string, 2> eepromFiles_;  // where each printer made saves; empty: nowhere
    std::array<bool, 2> saveFailed_{};        // reported once
    int currentIndex_ = 0;
};

}  // namespace veltra::shell
