// The work area's panels, one row of a table each, in the order of the tabs: "Adjustment"
// (EEPROM initialization, head ID, USB ID, Bi-D, PF, top margin, head angle, CR motor drive
// dispersion), "Maintenance" (head cleaning, ink charge, the refurbishment's liquid exchange, the
// protection, page and print pass counters), "Appendix" (the EEPROM read into the grid, one byte
// written, an image file's differences, the change journal's history) and "Check pattern
// printing" (the A4 report). What is particular to a panel is built by its own function; the
// table says where it goes.
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTableWidget>

#include "procedures/Adjustment.h"
#include "shell/MalformadjustBuilder.h"

namespace veltra::shell {

namespace {

// Spinners of the eight Bi-D rows, in the rows' order.
constexpr const char* kBidUpDownNames[] = {
    "BidVSD1BkUpDown", "BidVSD1YMCUpDown", "BidVSD2BkUpDown", "BidVSD2YMCUpDown",
    "BidVSD3BkUpDown", "BidVSD3YMCUpDown", "BidECOBkUpDown",  "BidECOYMCUpDown",
};
static_assert(std::size(kBidUpDownNames) == kBidRows.size());

// A stand-in picture of the head label: a box holding 13 character places.
QPixmap headLabelPicture() {
    QPixmap pixmap(220, 44);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.drawRect(0, 0, 219, 43);
    p.drawText(QRect(0, 2, 220, 18), Qt::AlignCenter, qs(msg::window::kHeadIdLabel));
    for (int i = 0; i < 13; ++i) {
        p.drawRect(6 + i * 16, 22, 14, 16);
    }
    return pixmap;
}

}  // namespace

void TFormAdjust::buildPanels(QWidget* workArea) {
    using Role = Builder::Role;
    namespace w = msg::window;
    auto headIdInput = [](TFormAdjust&, Builder& b) {
        b.entryRow(w::kHeadIdEntry, Entry::LeftHeadIDInputEdit, 13, true);
        QLabel* picture = b.text({}, "HeadIDLabelImage");
        picture->setPixmap(headLabelPicture());
    };
    auto usbIdInput = [](TFormAdjust&, Builder& b) {
        b.entryRow(w::kUsbIdOriginal, Entry::OriginalUsbIdInputEdit, 18, true);
        b.entryRow(w::kUsbIdSerial, Entry::UsbIdInputEdit, 10, true);
    };
    auto bidRows = [](TFormAdjust&, Builder& b) {
        auto* rows = new QGridLayout;
        int r = 0;
        for (const veltra::BidRow& row : kBidRows) {
            auto* cell = new QHBoxLayout;
            b.checkBox(row.box, row.name, cell);
            rows->addLayout(cell, r, 0);
            QLineEdit* edit = b.entry(row.entry, 3, false);
            rows->addWidget(edit, r, 1);
            rows->addWidget(new UpDown(kBidUpDownNames[r], edit, -60, 60, b.panel()), r, 2);
            ++r;
        }
        b.layout()->addLayout(rows);
    };
    auto pfEntry = [](TFormAdjust&, Builder& b) {
        b.text(w::kPfRange);
        auto* row = new QHBoxLayout;
        QLineEdit* edit = b.entry(Entry::PFEdit, 3, false);
        row->addWidget(edit);
        row->addWidget(new UpDown("PFUpDown", edit, -4, 4, b.panel()));
        row->addStretch(1);
        b.layout()->addLayout(row);
    };
    auto topMarginCombo = [](TFormAdjust& form, Builder& b) {
        form.TopMarginInputCombo = new QComboBox(b.panel());
        form.TopMarginInputCombo->setObjectName("TopMarginInputCombo");
        b.layout()->addWidget(form.TopMarginInputCombo);
    };
    auto replacedParts = [](TFormAdjust&, Builder& b) {
        auto* parts = new QGroupBox(qs(w::kReplacedParts), b.panel());
        parts->setObjectName("ReplacedPartsGrp");
        auto* partsLayout = new QVBoxLayout(parts);
        b.checkBox(CheckBox::ReplaceMainBoardCheckBox, w::kPartMainBoard, partsLayout);
        b.checkBox(CheckBox::ReplacePSBoardCheckBox, w::kPartPsBoard, partsLayout);
        b.checkBox(CheckBox::ReplaceCRMotorCheckBox, w::kPartCrMotor, partsLayout);
        b.checkBox(CheckBox::ReplaceCRMainShaftCheckBox, w::kPartCrGuideShaft, partsLayout);
        b.layout()->addWidget(parts);
    };
    auto dischargeCountDown = [](TFormAdjust& form, Builder& b) {
        form.DischargeWaitLbl = b.text(msg::kDischargeWait, "DischargeWaitLbl");
        form.DischargeCountDownMemo = new QPlainTextEdit(b.panel());
        form.DischargeCountDownMemo->setObjectName("DischargeCountDownMemo");
        form.DischargeCountDownMemo->setReadOnly(true);
        form.DischargeCountDownMemo->setMaximumSize(80, 40);
        b.layout()->addWidget(form.DischargeCountDownMemo);
        form.DischargeCompleteLbl = b.text(msg::kDischargeComplete, "DischargeCompleteLbl");
    };
    auto inkPadButtons = [](TFormAdjust&, Builder& b) {
        b.button("OldInkPadClearBtn", w::kOldType);
        b.button("NewInkPadClearBtn", w::kNewType);
    };
    auto eepromRange = [](TFormAdjust&, Builder& b) {
        auto* row = new QHBoxLayout;
        row->addWidget(b.label(w::kEepromStart));
        row->addWidget(b.entry(Entry::EepReadBegEdit, 2, true));
        row->addWidget(b.label(w::kEepromRangeSign));
        row->addWidget(b.entry(Entry::EepReadEndEdit, 2, true));
        row->addWidget(b.label(w::kEepromEnd));
        row->addStretch(1);
        b.layout()->addLayout(row);
    };
    auto eepromGrid = [](TFormAdjust& form, Builder& b) {
        b.text(w::kEepromLow)->setAlignment(Qt::AlignHCenter);
        auto* row = new QHBoxLayout;
        row->addWidget(b.label(w::kEepromHigh));
        QTableWidget* grid = form.EepromStrGrid = new QTableWidget(17, 17, b.panel());
        grid->setObjectName("EepromStrGrid");
        grid->horizontalHeader()->hide();
        grid->verticalHeader()->hide();
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->horizontalHeader()->setDefaultSectionSize(26);
        grid->verticalHeader()->setDefaultSectionSize(20);
        for (int r = 0; r < 17; ++r) {
            for (int c = 0; c < 17; ++c) {
                auto* item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignCenter);
                if (r == 0 || c == 0) {
                    item->setBackground(form.palette().button());
                }
                grid->setItem(r, c, item);
            }
        }
        grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        const int frame = 2 * grid->frameWidth();
        grid->setFixedSize(17 * 26 + frame, 17 * 20 + frame);
        row->addWidget(grid, 1);
        b.layout()->addLayout(row);
    };
    auto eepromWrite = [](TFormAdjust&, Builder& b) {
        b.entryRow(w::kEepromAddress, Entry::EepWriteAddEdit, 2, true, w::kEepromByteRange);
        b.entryRow(w::kEepromData, Entry::EepWriteDataEdit, 2, true, w::kEepromByteRange);
    };
    const Builder::PanelRow panels[] = {
        {.id = Panel::CanvasPanel},
        // Adjustment: EEPROM initialization, head ID, USB ID.
        {.id = Panel::DefaultSetPnl,
         .title = w::kEepromInitTitle,
         .texts = w::kEepromInitTexts,
         .ok = {"DefaultSetBtn"}},
        {.id = Panel::HeadIDItemsPnl,
         .title = w::kHeadIdTitle,
         .radio = "HdVolRdoBtn",
         .items = w::kHeadIdItems,
         .ok = {"HdVolOKBtn", Role::Default}},
        {.id = Panel::HeadIDInputPnl,
         .title = w::kHeadIdTitle,
         .text = w::kHeadIdEnter,
         .body = headIdInput,
         .ok = {"HeadIDInputOKBtn", Role::Default},
         .previous = {"HeadIDInputRtnBtn", Role::Cancel}},
        {.id = Panel::USBIDItemsPnl,
         .title = w::kUsbIdItemsTitle,
         .radio = "USBIDRdoGrp",
         .items = w::kUsbIdItems,
         .ok = {"UsbIdOKBtn", Role::Default}},
        {.id = Panel::USBIDInputPnl,
         .title = w::kUsbIdInputTitle,
         .text = w::kUsbIdInputText,
         .body = usbIdInput,
         .ok = {"UsbIdInputOKBtn", Role::Default},
         .previous = {"UsbIdInputRtnBtn", Role::Cancel}},
        // Bi-D, PF, top margin.
        {.id = Panel::BidItemsPnl,
         .title = w::kBidTitle,
         .radio = "BidRdoBtn",
         .items = w::kBidItems,
         .ok = {"BidOKBtn"}},
        {.id = Panel::BidInputPnl,
         .title = w::kBidInputTitle,
         .text = w::kBidRange,
         .body = bidRows,
         .ok = {"BidWrtOKBtn"},
         .previous = {"BidWrtRtnBtn"}},
        {.id = Panel::PFItemsPnl,
         .title = w::kPfTitle,
         .radio = "PFRdoGrp",
         .items = w::kPfItems,
         .ok = {"PFOKBtn"}},
        {.id = Panel::PFAdjustPnl,
         .title = w::kPfAdjustTitle,
         .text = w::kPfInput,
         .body = pfEntry,
         .ok = {"PFWriteOKBtn"},
         .previous = {"PFRtnBtn"}},
        {.id = Panel::TopMarginMainPnl,
         .title = w::kTopMarginTitle,
         .radio = "TopMarginRdoGrp",
         .items = w::kTopMarginItems,
         .ok = {"TopMarginMainBtn"}},
        {.id = Panel::TopMarginPnl,
         .title = w::kTopMarginTitle,
         .text = w::kTopMarginSelect,
         .body = topMarginCombo,
         .ok = {"TopMarginWriteOKBtn"},
         .previous = {"TopMarginRtnBtn"}},
        // Head angle, CR motor drive dispersion.
        {.id = Panel::HdAngItemsPnl,
         .title = w::kHeadAngleTitle,
         .radio = "HdAngItemsRdoGrp",
         .items = w::kHeadAngleItems,
         .ok = {"HdAngItemsOKBtn"}},
        {.id = Panel::HdAngStep1Pnl,
         .title = w::kHeadAngleTitle,
         .radio = "HdAngAdjustRdoGrp",
         .items = w::kHeadAngleAdjustItems,
         .body = [](TFormAdjust&, Builder& b) { b.text(w::kHeadAngleLever); },
         .ok = {"HdAngStep1OKBtn"}},
        {.id = Panel::HeadAngSusPlateSelectPnl,
         .title = w::kHeadAngleTitle,
         .texts = w::kSusPlateTexts,
         .radio = "SusPlateSelectRdoGrp",
         .items = w::kSusPlateItems,
         .ok = {"SusPlateSelectOKBtn"}},
        {.id = Panel::HeadAngNewPnl, .title = w::kHeadAngleTitle, .texts = w::kHeadAngleNewSteps},
        {.id = Panel::HeadAngOldPnl, .title = w::kHeadAngleTitle, .texts = w::kHeadAngleOldSteps},
        {.id = Panel::HeadAngCompletePnl,
         .title = w::kHeadAngleTitle,
         .texts = w::kHeadAngleCompleteSteps,
         .ok = {"HeadAngCompleteBtn", Role::Cancel}},
        {.id = Panel::CRHeatProtectOffsetPnl,
         .title = w::kCrTitle,
         .texts = w::kCrTexts,
         .body = replacedParts,
         .ok = {"CRHeatProtectOffsetOKBtn"}},
        // Maintenance.
        {.id = Panel::CleaningPnl,
         .title = w::kCleaningTitle,
         .texts = w::kCleaningTexts,
         .ok = {"CleaningOKBtn"}},
        {.id = Panel::InkChargePnl,
         .title = w::kInkChargeTitle,
         .texts = w::kInkChargeTexts,
         .ok = {"ChargeOKBtn"}},
        {.id = Panel::InkChargeJigPnl,
         .title = w::kInkChargeJigTitle,
         .texts = w::kInkChargeJigTexts,
         .ok = {"ChargeForJigOKBtn"}},
        {.id = Panel::TraStep0Pnl,
         .title = w::kRefurbishmentTitle,
         .texts = w::kRefurbishmentStartTexts,
         .ok = {"MessageOKBtn"}},
        {.id = Panel::TraStep4Pnl,
         .title = w::kRefurbishmentTitle,
         .texts = w::kRefurbishmentEndSteps,
         .body = dischargeCountDown,
         .ok = {"PowerSwOffOKBtn"}},
        {.id = Panel::ProCounterItemsPnl,
         .title = w::kProtectionCounterTitle,
         .radio = "CounterRdoBtn",
         .items = w::kProtectionCounterItems,
         .ok = {"ProCounterOKBtn"}},
        {.id = Panel::ProCounterCheckPnl,
         .title = w::kProtectionCounterTitle,
         .texts = w::kProtectionCounterTexts,
         .previous = {"CounterCheckRtnBtn"}},
        {.id = Panel::NewProCounterClearPnl,
         .title = w::kProtectionCounterTitle,
         .texts = w::kInkPadTexts,
         .body = inkPadButtons,
         .previous = {"CounterClearRtnBtn"}},
        {.id = Panel::PageCounterPnl, .title = w::kPageCounterTitle, .ok = {"PageCountOKBtn"}},
        {.id = Panel::PrintPassCountPnl,
         .title = w::kPrintPassCounterTitle,
         .ok = {"PrintPassCountOKBtn"}},
        // Appendix.
        {.id = Panel::EEPROMItemsPnl,
         .title = w::kEepromDataTitle,
         .radio = "EepromCheckRdoGrp",
         .items = w::kEepromDataItems,
         .ok = {"EepromItemsOKBtn"},
         .tail = &TFormAdjust::buildEepromFileButtons},
        {.id = Panel::EEPROMCheckPnl,
         .title = w::kEepromCheckTitle,
         .text = w::kEepromReadText,
         .body = eepromRange,
         .ok = {"EepromReadOkBtn"},
         .previous = {"EepromReadRtnBtn"}},
        {.id = Panel::EEPROMGridPnl,
         .title = w::kEepromCheckTitle,
         .body = eepromGrid,
         .previous = {"EepromGridRtnBtn"}},
        {.id = Panel::EEPROMChangePnl,
         .title = w::kEepromChangeTitle,
         .text = w::kEepromWriteText,
         .body = eepromWrite,
         .ok = {"EepromWriteOkBtn"},
         .previous = {"EepromWriteRtnBtn"}},
        {.id = Panel::EEPROMDiffPnl,
         .title = w::kEepromDataTitle,
         .body = &TFormAdjust::buildEepromDiff,
         .previous = {"EepromDiffRtnBtn"}},
        {.id = Panel::EEPROMHistoryPnl,
         .title = w::kEepromHistoryTitle,
         .body = &TFormAdjust::buildEepromHistory,
         .previous = {"EepromHistoryRtnBtn"}},
        // Check pattern printing.
        {.id = Panel::A3PPrintPnl,
         .title = w::kA4Title,
         .texts = w::kA4Contents,
         .ok = {"A3PPrintOKBtn"}},
    };
    Builder::build(*this, workArea, panels);
}

}  // namespace veltra::shell
