// The panels of the "Adjustment" tab: EEPROM initialization, head ID, USB ID, Bi-D, PF, top
// margin, head angle and CR motor drive dispersion.
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPainter>

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

void TFormAdjust::buildAdjustmentPanels(QWidget* workArea) {
    using Role = Builder::Role;
    namespace w = msg::window;
    // EEPROM initialization, head ID, USB ID.
    {
        Builder b(*this, workArea, Panel::DefaultSetPnl, w::kEepromInitTitle);
        b.texts(w::kEepromInitTexts);
        b.ok("DefaultSetBtn");
    }
    {
        Builder b(*this, workArea, Panel::HeadIDItemsPnl, w::kHeadIdTitle);
        b.radio("HdVolRdoBtn", w::kHeadIdItems);
        b.ok("HdVolOKBtn", Role::Default);
    }
    {
        Builder b(*this, workArea, Panel::HeadIDInputPnl, w::kHeadIdTitle);
        b.text(w::kHeadIdEnter);
        b.entryRow(w::kHeadIdEntry, Entry::LeftHeadIDInputEdit, 13, true);
        QLabel* picture = b.text({}, "HeadIDLabelImage");
        picture->setPixmap(headLabelPicture());
        b.ok("HeadIDInputOKBtn", Role::Default);
        b.previous("HeadIDInputRtnBtn", Role::Cancel);
    }
    {
        Builder b(*this, workArea, Panel::USBIDItemsPnl, w::kUsbIdItemsTitle);
        b.radio("USBIDRdoGrp", w::kUsbIdItems);
        b.ok("UsbIdOKBtn", Role::Default);
    }
    {
        Builder b(*this, workArea, Panel::USBIDInputPnl, w::kUsbIdInputTitle);
        b.text(w::kUsbIdInputText);
        b.entryRow(w::kUsbIdOriginal, Entry::OriginalUsbIdInputEdit, 18, true);
        b.entryRow(w::kUsbIdSerial, Entry::UsbIdInputEdit, 10, true);
        b.ok("UsbIdInputOKBtn", Role::Default);
        b.previous("UsbIdInputRtnBtn", Role::Cancel);
    }
    // Bi-D, PF, top margin.
    {
        Builder b(*this, workArea, Panel::BidItemsPnl, w::kBidTitle);
        b.radio("BidRdoBtn", w::kBidItems);
        b.ok("BidOKBtn");
    }
    {
        Builder b(*this, workArea, Panel::BidInputPnl, w::kBidInputTitle);
        b.text(w::kBidRange);
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
        b.ok("BidWrtOKBtn");
        b.previous("BidWrtRtnBtn");
    }
    {
        Builder b(*this, workArea, Panel::PFItemsPnl, w::kPfTitle);
        b.radio("PFRdoGrp", w::kPfItems);
        b.ok("PFOKBtn");
    }
    {
        Builder b(*this, workArea, Panel::PFAdjustPnl, w::kPfAdjustTitle);
        b.text(w::kPfInput);
        b.text(w::kPfRange);
        auto* row = new QHBoxLayout;
        QLineEdit* edit = b.entry(Entry::PFEdit, 3, false);
        row->addWidget(edit);
        row->addWidget(new UpDown("PFUpDown", edit, -4, 4, b.panel()));
        row->addStretch(1);
        b.layout()->addLayout(row);
        b.ok("PFWriteOKBtn");
        b.previous("PFRtnBtn");
    }
    {
        Builder b(*this, workArea, Panel::TopMarginMainPnl, w::kTopMarginTitle);
        b.radio("TopMarginRdoGrp", w::kTopMarginItems);
        b.ok("TopMarginMainBtn");
    }
    {
        Builder b(*this, workArea, Panel::TopMarginPnl, w::kTopMarginTitle);
        b.text(w::kTopMarginSelect);
        TopMarginInputCombo = new QComboBox(b.panel());
        TopMarginInputCombo->setObjectName("TopMarginInputCombo");
        b.layout()->addWidget(TopMarginInputCombo);
        b.ok("TopMarginWriteOKBtn");
        b.previous("TopMarginRtnBtn");
    }
    // Head angle, CR motor drive dispersion.
    {
        Builder b(*this, workArea, Panel::HdAngItemsPnl, w::kHeadAngleTitle);
        b.radio("HdAngItemsRdoGrp", w::kHeadAngleItems);
        b.ok("HdAngItemsOKBtn");
    }
    {
        Builder b(*this, workArea, Panel::HdAngStep1Pnl, w::kHeadAngleTitle);
        b.radio("HdAngAdjustRdoGrp", w::kHeadAngleAdjustItems);
        b.text(w::kHeadAngleLever);
        b.ok("HdAngStep1OKBtn");
    }
    {
        Builder b(*this, workArea, Panel::HeadAngSusPlateSelectPnl, w::kHeadAngleTitle);
        b.texts(w::kSusPlateTexts);
        b.radio("SusPlateSelectRdoGrp", w::kSusPlateItems);
        b.ok("SusPlateSelectOKBtn");
    }
    {
        Builder b(*this, workArea, Panel::HeadAngNewPnl, w::kHeadAngleTitle);
        b.texts(w::kHeadAngleNewSteps);
    }
    {
        Builder b(*this, workArea, Panel::HeadAngOldPnl, w::kHeadAngleTitle);
        b.texts(w::kHeadAngleOldSteps);
    }
    {
        Builder b(*this, workArea, Panel::HeadAngCompletePnl, w::kHeadAngleTitle);
        b.texts(w::kHeadAngleCompleteSteps);
        b.ok("HeadAngCompleteBtn", Role::Cancel);
    }
    {
        Builder b(*this, workArea, Panel::CRHeatProtectOffsetPnl, w::kCrTitle);
        b.texts(w::kCrTexts);
        auto* parts = new QGroupBox(qs(w::kReplacedParts), b.panel());
        parts->setObjectName("ReplacedPartsGrp");
        auto* partsLayout = new QVBoxLayout(parts);
        b.checkBox(CheckBox::ReplaceMainBoardCheckBox, w::kPartMainBoard, partsLayout);
        b.checkBox(CheckBox::ReplacePSBoardCheckBox, w::kPartPsBoard, partsLayout);
        b.checkBox(CheckBox::ReplaceCRMotorCheckBox, w::kPartCrMotor, partsLayout);
        b.checkBox(CheckBox::ReplaceCRMainShaftCheckBox, w::kPartCrGuideShaft, partsLayout);
        b.layout()->addWidget(parts);
        b.ok("CRHeatProtectOffsetOKBtn");
    }
}

}  // namespace veltra::shell
