#include "shell/VirtualPrinterWindow.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "link/StartupChoice.h"

namespace veltra::shell {

namespace {
constexpr int kRefreshMs = 500;
constexpr int kEepromSide = 16;

QString hex2(unsigned value) {
    return QString("%1").arg(value, 2, 16, QChar('0')).toUpper();
}
}  // namespace

const std::vector<PrinterCondition>& VirtualPrinterWindow::conditions() {
    static const std::vector<PrinterCondition> list = {
        {"Ready (ST:04)", 0x04, -1},
        {"Busy (ST:02)", 0x02, -1},
        {"Printing (ST:03)", 0x03, -1},
        {"Nozzle check printing (ST:01)", 0x01, -1},
        {"Cleaning (ST:07)", 0x07, -1},
        {"Before initial fill up (ST:08)", 0x08, -1},
        {"Fatal error (ST:00 ER:00)", 0x00, 0x00},
        {"I/F not select (ST:00 ER:01)", 0x00, 0x01},
        {"Paper jam (ST:00 ER:04)", 0x00, 0x04},
        {"Ink out (ST:00 ER:05)", 0x00, 0x05},
        {"Paper out (ST:00 ER:06)", 0x00, 0x06},
        {"Maintenance error (ST:00 ER:10)", 0x00, 0x10},
        {"Double feed (ST:00 ER:12)", 0x00, 0x12},
        {"Unlisted error (ST:00 ER:0A)", 0x00, 0x0A},
        {"Error state without ER field (ST:00)", 0x00, -1},
    };
    return list;
}

VirtualPrinterWindow::VirtualPrinterWindow(SimulatedPrinters& printers, QWidget* parent)
    : QWidget(parent, Qt::Tool), printers_(printers) {
    setObjectName("VirtualPrinterWindow");
    setWindowTitle("Virtual printer");
    auto* outer = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("VpTabs");
    outer->addWidget(tabs_);
    auto* printerTab = new QWidget;
    auto* layout = new QVBoxLayout(printerTab);

    auto* form = new QFormLayout;
    modelLbl_ = new QLabel(this);
    modelLbl_->setObjectName("VpModelLbl");
    form->addRow("Printer", modelLbl_);
    stateLbl_ = new QLabel(this);
    stateLbl_->setObjectName("VpStateLbl");
    form->addRow("Reports", stateLbl_);
    conditionCombo_ = new QComboBox(this);
    conditionCombo_->setObjectName("VpConditionCombo");
    for (const PrinterCondition& c : conditions()) {
        conditionCombo_->addItem(c.caption);
    }
    form->addRow("Condition", conditionCombo_);
    writeLetterCombo_ = new QComboBox(this);
    writeLetterCombo_->setObjectName("VpWriteLetterCombo");
    writeLetterCombo_->addItems({"O (accepted)", "B (busy)", "N (refused)"});
    form->addRow("EEPROM write reply", writeLetterCombo_);

    crDispersionSpin_ = new QSpinBox(this);
    crDispersionSpin_->setObjectName("VpCrDispersionSpin");
    crDispersionSpin_->setRange(-sim::VirtualPrinter::kMaxCrDispersion,
                                sim::VirtualPrinter::kMaxCrDispersion);
    crDispersionSpin_->setValue(printer().crMotorDispersion());
    form->addRow("CR motor dispersion", crDispersionSpin_);
    layout->addLayout(form);

    auto* faults = new QHBoxLayout;
    noReplyBox_ = new QCheckBox("No reply", this);
    noReplyBox_->setObjectName("VpNoReplyBox");
    malformedBox_ = new QCheckBox("Malformed status", this);
    malformedBox_->setObjectName("VpMalformedBox");
    auto* inkSwitch = new QPushButton("Press ink switch", this);
    inkSwitch->setObjectName("VpInkSwitchBtn");
    faults->addWidget(noReplyBox_);
    faults->addWidget(malformedBox_);
    faults->addStretch(1);
    faults->addWidget(inkSwitch);
    auto* fresh = new QPushButton("Fresh printer", this);
    fresh->setObjectName("VpFreshPrinterBtn");
    fresh->setToolTip("The EEPROM of a new printer, no error, no fault, no mechanism error");
    faults->addWidget(fresh);
    layout->addLayout(faults);

    eepromTable_ = new QTableWidget(kEepromSide, kEepromSide, this);
    eepromTable_->setObjectName("VpEepromTable");
    eepromTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QStringList digits;
    for (int i = 0; i < kEepromSide; ++i) {
        digits << QString::number(i, 16).toUpper();
    }
    eepromTable_->setHorizontalHeaderLabels(digits);
    eepromTable_->setVerticalHeaderLabels(digits);
    eepromTable_->horizontalHeader()->setDefaultSectionSize(26);
    eepromTable_->verticalHeader()->setDefaultSectionSize(20);
    for (int r = 0; r < kEepromSide; ++r) {
        for (int c = 0; c < kEepromSide; ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            eepromTable_->setItem(r, c, item);
        }
    }
    eepromTable_->setMinimumSize(17 * 26 + 8, 17 * 20 + 8);
    layout->addWidget(eepromTable_, 1);
    tabs_->addTab(printerTab, "Printer");
    paperView_ = new PaperView;
    tabs_->addTab(paperView_, "Paper");
    tabs_->addTab(buildErrorsTab(), "Mechanism errors");

    connect(conditionCombo_, &QComboBox::activated, this, &VirtualPrinterWindow::applyCondition);
    connect(noReplyBox_, &QCheckBox::toggled, this, &VirtualPrinterWindow::applyFaults);
    connect(malformedBox_, &QCheckBox::toggled, this, &VirtualPrinterWindow::applyFaults);
    connect(writeLetterCombo_, &QComboBox::activated, this, &VirtualPrinterWindow::applyFaults);
    connect(crDispersionSpin_, &QSpinBox::valueChanged, this,
            [this](int value) { printer().setCrMotorDispersion(value); });
    connect(inkSwitch, &QPushButton::clicked, this, [this] {
        printer().pressInkSwitch();
        refresh();
    });
    connect(fresh, &QPushButton::clicked, this, &VirtualPrinterWindow::makeFresh);
    refreshTimer_.setInterval(kRefreshMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &VirtualPrinterWindow::refresh);
    refreshTimer_.start();
    refresh();
}

QWidget* VirtualPrinterWindow::buildErrorsTab() {
    auto* tab = new QWidget;
    tab->setObjectName("VpErrorsTab");
    auto* layout = new QVBoxLayout(tab);
    auto* note = new QLabel(
        "The printer's hidden faults, for the trainer: a trainee finds them on the paper. A "
        "pattern prints straight when the adjusted value equals the error. They apply to the "
        "pages printed from now on.",
        tab);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* buttons = new QHBoxLayout;
    auto* show = new QCheckBox("Show the answers", tab);
    show->setObjectName("VpShowAnswersBox");
    auto* random = new QPushButton("Random errors", tab);
    random->setObjectName("VpRandomErrorsBtn");
    buttons->addWidget(show);
    buttons->addStretch(1);
    buttons->addWidget(random);
    layout->addLayout(buttons);
    answers_ = new QWidget(tab);
    answers_->setObjectName("VpAnswers");
    answers_->setVisible(false);
    auto* grid = new QGridLayout(answers_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel("Bi-D (dots)", answers_), 0, 0);
    grid->addWidget(new QLabel("Black", answers_), 0, 1);
    grid->addWidget(new QLabel("Color", answers_), 0, 2);
    const char* setNames[] = {"VSD1", "VSD2", "VSD3", "ECO"};
    auto spin = [this](const QString& name, int limit) {
        auto* box = new QSpinBox(answers_);
        box->setObjectName(name);
        box->setRange(-limit, limit);
        connect(box, &QSpinBox::valueChanged, this, &VirtualPrinterWindow::applyErrors);
        return box;
    };
    for (int set = 0; set < sim::kDotSetCount; ++set) {
        grid->addWidget(new QLabel(setNames[set], answers_), set + 1, 0);
        for (int side = 0; side < 2; ++side) {
            QSpinBox* box =
                spin(QString("VpBidError%1%2").arg(setNames[set], side == 0 ? "K" : "C"),
                     sim::kMaxBidError);
            bidErrorBoxes_[std::size_t(set)][std::size_t(side)] = box;
            grid->addWidget(box, set + 1, side + 1);
        }
    }
    pfErrorBox_ = spin("VpPfError", sim::kMaxPaperFeedError);
    headAngleErrorBox_ = spin("VpHeadAngleError", sim::kMaxHeadAngleError);
    topMarginErrorBox_ = spin("VpTopMarginError", sim::kMaxTopMarginError);
    grid->addWidget(new QLabel("Paper feed (1/360 inch per inch)", answers_), 6, 0);
    grid->addWidget(pfErrorBox_, 6, 1);
    grid->addWidget(new QLabel("Head angle (dots)", answers_), 7, 0);
    grid->addWidget(headAngleErrorBox_, 7, 1);
    grid->addWidget(new QLabel("Top margin (steps of 1 mm)", answers_), 8, 0);
    grid->addWidget(topMarginErrorBox_, 8, 1);
    layout->addWidget(answers_);
    layout->addStretch(1);
    connect(show, &QCheckBox::toggled, answers_, &QWidget::setVisible);
    connect(random, &QPushButton::clicked, this, &VirtualPrinterWindow::randomErrors);
    return tab;
}

void VirtualPrinterWindow::randomErrors() {
    sim::PaperSession* paper = printers_.paper(printers_.currentIndex());
    if (!paper) {
        return;
    }
    auto within = [this](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    };
    // Bi-D: a few dots off the stored value, so that the first print shows which way to go.
    constexpr int kBidReach = 4;
    constexpr int kHeadAngleReach = 6;
    const sim::StoredAdjustments stored = sim::StoredAdjustments::fromEeprom(printer().eeprom());
    sim::MechanismErrors errors;
    for (std::size_t set = 0; set < errors.bid.size(); ++set) {
        for (std::size_t side = 0; side < 2; ++side) {
            const int value = stored.bid[set][side];
            errors.bid[set][side] = within(std::max(-sim::kMaxBidError, value - kBidReach),
                                           std::min(sim::kMaxBidError, value + kBidReach));
        }
    }
    errors.paperFeed = within(-sim::kMaxPaperFeedError, sim::kMaxPaperFeedError);
    errors.headAngle = within(-kHeadAngleReach, kHeadAngleReach);
    errors.topMargin = within(-sim::kMaxTopMarginError, sim::kMaxTopMarginError);
    paper->setErrors(errors);
    showErrors();
}

void VirtualPrinterWindow::makeFresh() {
    printers_.makeFresh(printers_.currentIndex());
    showErrors();
    refresh();
}

void VirtualPrinterWindow::applyErrors() {
    sim::PaperSession* paper = printers_.paper(printers_.currentIndex());
    if (showingErrors_ || !paper) {
        return;
    }
    sim::MechanismErrors errors;
    for (std::size_t set = 0; set < bidErrorBoxes_.size(); ++set) {
        for (std::size_t side = 0; side < 2; ++side) {
            errors.bid[set][side] = bidErrorBoxes_[set][side]->value();
        }
    }
    errors.paperFeed = pfErrorBox_->value();
    errors.headAngle = headAngleErrorBox_->value();
    errors.topMargin = topMarginErrorBox_->value();
    paper->setErrors(errors);
}

void VirtualPrinterWindow::showErrors() {
    const sim::PaperSession* paper = printers_.paper(printers_.currentIndex());
    errorsModel_ = printers_.currentIndex();
    if (!paper) {
        return;
    }
    const sim::MechanismErrors& errors = paper->errors();
    showingErrors_ = true;  // setting the boxes is not a change to apply
    for (std::size_t set = 0; set < bidErrorBoxes_.size(); ++set) {
        for (std::size_t side = 0; side < 2; ++side) {
            bidErrorBoxes_[set][side]->setValue(errors.bid[set][side]);
        }
    }
    pfErrorBox_->setValue(errors.paperFeed);
    headAngleErrorBox_->setValue(errors.headAngle);
    topMarginErrorBox_->setValue(errors.topMargin);
    showingErrors_ = false;
}

void VirtualPrinterWindow::addPage(int modelIndex, const QImage& page, int number) {
    const std::string_view model = kModels[modelIndex == 1 ? 1 : 0].name;
    paperView_->addPage(
        QString::fromUtf8(model.data(), qsizetype(model.size())) + QString(" page %1").arg(number),
        page);
    tabs_->setCurrentWidget(paperView_);
    // Shown at once: the program may still be busy with the print that ejected it.
    paperView_->repaint();
}

void VirtualPrinterWindow::applyCondition(int index) {
    const auto& list = conditions();
    if (index < 0 || index >= int(list.size())) {
        return;
    }
    const PrinterCondition& c = list[std::size_t(index)];
    printer().setState(c.state);
    printer().setError(c.error < 0 ? std::nullopt : std::optional<std::uint8_t>(c.error));
    refresh();
}

void VirtualPrinterWindow::applyFaults() {
    sim::Faults& faults = printer().faults();
    faults.noReply = noReplyBox_->isChecked();
    faults.malformedStatus = malformedBox_->isChecked();
    switch (writeLetterCombo_->currentIndex()) {
        case 1:
            faults.eepromWriteLetter = 'B';
            break;
        case 2:
            faults.eepromWriteLetter = 'N';
            break;
        default:
            faults.eepromWriteLetter.reset();
            break;
    }
}

void VirtualPrinterWindow::refresh() {
    sim::VirtualPrinter& p = printer();
    const std::string_view model = kModels[std::size_t(printers_.currentIndex())].name;
    modelLbl_->setText(QString::fromUtf8(model.data(), qsizetype(model.size())));
    QString state = "ST:" + hex2(p.state());
    if (p.error()) {
        state += " ER:" + hex2(*p.error());
    }
    stateLbl_->setText(state);
    if (!crDispersionSpin_->hasFocus()) {
        const QSignalBlocker quiet(crDispersionSpin_);  // showing is not setting
        crDispersionSpin_->setValue(p.crMotorDispersion());
    }
    if (errorsModel_ != printers_.currentIndex()) {
        showErrors();
    }
    const auto& bytes = p.eeprom();
    for (int r = 0; r < kEepromSide; ++r) {
        for (int c = 0; c < kEepromSide; ++c) {
            const QString text = hex2(bytes[std::size_t(r * kEepromSide + c)]);
            QTableWidgetItem* item = eepromTable_->item(r, c);
            if (item->text() != text) {
                item->setText(text);
            }
        }
    }
}

}  // namespace veltra::shell
