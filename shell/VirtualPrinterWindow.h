#pragma once
// The "Virtual printer" tool window of --simulate (not one of the program's own windows): puts
// the simulated printer into each state and error the status reply knows, injects link faults,
// presses its ink switch, sets its carriage motor's drive dispersion, and shows its EEPROM as a 16
// x 16 table refreshed twice a second.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>

#include "shell/SimulatedPrinters.h"

namespace veltra::shell {

// One choice of the condition list: the "ST:" value and, for the error state, the "ER:" value.
struct PrinterCondition {
    const char* caption;
    std::uint8_t state;
    int error;  // -1: no "ER:" field
};

class VirtualPrinterWindow : public QWidget {
    Q_OBJECT
public:
    explicit VirtualPrinterWindow(SimulatedPrinters& printers, QWidget* parent = nullptr);

    static const std::vector<PrinterCondition>& conditions();

    // Applies the condition of the list at index to the printer on view.
    void applyCondition(int index);
    // Re-reads the printer on view: EEPROM table, state line, model.
    void refresh();

private:
    void applyFaults();
    sim::VirtualPrinter& printer() { return printers_.current(); }

    SimulatedPrinters& printers_;
    QLabel* modelLbl_ = nullptr;
    QLabel* stateLbl_ = nullptr;
    QComboBox* conditionCombo_ = nullptr;
    QCheckBox* noReplyBox_ = nullptr;
    QCheckBox* malformedBox_ = nullptr;
    QComboBox* writeLetterCombo_ = nullptr;
    QSpinBox* crDispersionSpin_ = nullptr;
    QTableWidget* eepromTable_ = nullptr;
    QTimer refreshTimer_;
};

}  // namespace veltra::shell
