#pragma once
// The "Virtual printer" tool window of --simulate (not one of the program's own windows): puts
// the simulated printer into each state and error the status reply knows, injects link faults,
// presses its ink switch, sets its carriage motor's drive dispersion, and shows its EEPROM as a 16
// x 16 table refreshed twice a second, and makes it a fresh printer. Its "Paper" tab shows each
// page as it is ejected; its "Mechanism errors" tab sets the hidden errors the printed patterns
// show (Bi-D per dot size and side, paper feed, head angle, top margin), kept out of a trainee's
// sight until the trainer asks for the answers, or picks them at random.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>
#include <random>

#include "shell/PaperView.h"
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
    // A page the printer of a model ejected: shown on the "Paper" tab.
    void addPage(int modelIndex, const QImage& page, int number);
    PaperView* paperView() const { return paperView_; }
    // Hidden errors at random, each within what its adjustment corrects (Bi-D within four dots
    // of the stored value, so that two prints find it).
    void randomErrors();
    // The printer on view as new: EEPROM, state, faults and a mechanism without errors.
    void makeFresh();

private:
    void applyFaults();
    // The hidden errors of the spin boxes to the paper of the printer on view, and back.
    void applyErrors();
    void showErrors();
    QWidget* buildErrorsTab();
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
    QTabWidget* tabs_ = nullptr;
    PaperView* paperView_ = nullptr;
    std::array<std::array<QSpinBox*, 2>, sim::kDotSetCount> bidErrorBoxes_{};
    QSpinBox* pfErrorBox_ = nullptr;
    QSpinBox* headAngleErrorBox_ = nullptr;
    QSpinBox* topMarginErrorBox_ = nullptr;
    QWidget* answers_ = nullptr;  // the errors' boxes, hidden until asked for
    std::mt19937 random_{std::random_device{}()};
    int errorsModel_ = -1;  // the model whose errors the spin boxes show
    bool showingErrors_ = false;
    QTimer refreshTimer_;
};

}  // namespace veltra::shell
