#include "shell/SimulatedPrinters.h"

#include <filesystem>

#include "link/StartupChoice.h"
#include "procedures/StateFolder.h"
#include "sim/SimPortBackend.h"

namespace veltra::shell {

sim::VirtualPrinter& SimulatedPrinters::printerFor(int modelIndex) {
    const std::size_t slot = modelIndex == 1 ? 1 : 0;
    if (!printers_[slot]) {
        printers_[slot] = std::make_unique<sim::VirtualPrinter>(printerClock_, int(slot));
        if (keepEeproms_) {
            const std::string file = namedFile_.empty() ? defaultSimEepromPath(kModels[slot].name)
                                                        : eepromFileFor(namedFile_, int(slot));
            eepromFiles_[slot] = file;
            if (!file.empty() && std::filesystem::exists(file) &&
                !printers_[slot]->loadEeprom(file)) {
                eepromFiles_[slot].clear();  // not overwritten by the default image
                ui_->showError("Cannot read the virtual printer's EEPROM file " + file);
            }
            printers_[slot]->setEepromObserver([this, slot] { saveEeprom(slot); });
        }
        if (startFresh_) {
            printers_[slot]->eeprom() = sim::VirtualPrinter::defaultEeprom(int(slot));
            saveEeprom(slot);
        }
        if (paperOptions_) {
            sim::PaperOptions perModel = *paperOptions_;
            if (!perModel.directory.empty()) {
                perModel.directory =
                    (std::filesystem::path(perModel.directory) / (slot == 1 ? "K45" : "K55"))
                        .string();
            }
            paper_[slot] =
                sim::PaperSession::startForView(perModel, *printers_[slot], *paperUi_,
                                                [this, slot](const QImage& page, int number) {
                                                    if (onPage_) {
                                                        onPage_(int(slot), page, number);
                                                    }
                                                });
        }
        if (onCreate_) {
            onCreate_(int(slot), *printers_[slot]);
        }
    }
    return *printers_[slot];
}

void SimulatedPrinters::enablePaper(sim::PaperOptions options, MessageHandler& ui) {
    paperOptions_ = std::move(options);
    paperUi_ = &ui;
}

sim::PaperSession* SimulatedPrinters::paper(int modelIndex) const {
    return paper_[modelIndex == 1 ? 1 : 0].get();
}

void SimulatedPrinters::keepEeproms(std::string namedFile, MessageHandler& ui) {
    keepEeproms_ = true;
    namedFile_ = std::move(namedFile);
    ui_ = &ui;
}

void SimulatedPrinters::saveEeproms() {
    for (std::size_t slot = 0; slot < printers_.size(); ++slot) {
        saveEeprom(slot);
    }
}

void SimulatedPrinters::saveEeprom(std::size_t slot) {
    const std::string& file = eepromFiles_[slot];
    if (!printers_[slot] || file.empty()) {
        return;
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
    if (printers_[slot]->saveEeprom(file)) {
        saveFailed_[slot] = false;
    } else if (!saveFailed_[slot]) {
        saveFailed_[slot] = true;  // every later change would fail the same way
        ui_->showError("Cannot write the virtual printer's EEPROM file " + file);
    }
}

std::string SimulatedPrinters::eepromFileFor(const std::string& namedFile, int modelIndex) {
    if (modelIndex != 1 || namedFile.empty()) {
        return namedFile;
    }
    const std::filesystem::path named(namedFile);
    return (named.parent_path() / (named.stem().string() + "-K45" + named.extension().string()))
        .string();
}

void SimulatedPrinters::makeFresh(int modelIndex) {
    const std::size_t slot = modelIndex == 1 ? 1 : 0;
    sim::VirtualPrinter& printer = printerFor(int(slot));
    printer.eeprom() = sim::VirtualPrinter::defaultEeprom(int(slot));
    printer.setState(0x04);  // ready
    printer.setError(std::nullopt);
    printer.faults() = sim::Faults{};
    printer.setCrMotorDispersion(sim::VirtualPrinter::kDefaultCrDispersion);
    if (sim::PaperSession* session = paper(int(slot))) {
        // Straight: every error equals the value a new printer holds.
        const sim::StoredAdjustments stored = sim::StoredAdjustments::fromEeprom(printer.eeprom());
        sim::MechanismErrors errors;
        errors.bid = stored.bid;
        errors.paperFeed = stored.paperFeed;
        session->setErrors(errors);
        session->setTrialValues(stored);
    }
    saveEeprom(slot);
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
