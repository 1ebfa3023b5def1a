// The panels' handlers of TFormAdjust: each forwards to its procedure in procedures/.
#include <QPushButton>

#include "procedures/Adjustment.h"
#include "procedures/EepromData.h"
#include "procedures/HeadAngle.h"
#include "procedures/Identity.h"
#include "procedures/Maintenance.h"
#include "shell/Malformadjust.h"

namespace veltra::shell {

namespace {
struct PreviousLink {
    const char* name;
    PreviousButton button;
};
constexpr PreviousLink kPreviousButtons[] = {
    {"HeadIDInputRtnBtn", PreviousButton::HeadIDInputRtnBtn},
    {"UsbIdInputRtnBtn", PreviousButton::UsbIdInputRtnBtn},
    {"BidWrtRtnBtn", PreviousButton::BidWrtRtnBtn},
    {"PFRtnBtn", PreviousButton::PFRtnBtn},
    {"TopMarginRtnBtn", PreviousButton::TopMarginRtnBtn},
    {"CounterCheckRtnBtn", PreviousButton::CounterCheckRtnBtn},
    {"CounterClearRtnBtn", PreviousButton::CounterClearRtnBtn},
    {"EepromReadRtnBtn", PreviousButton::EepromReadRtnBtn},
    {"EepromWriteRtnBtn", PreviousButton::EepromWriteRtnBtn},
    {"EepromGridRtnBtn", PreviousButton::EepromGridRtnBtn},
    {"EepromDiffRtnBtn", PreviousButton::EepromDiffRtnBtn},
    {"EepromHistoryRtnBtn", PreviousButton::EepromHistoryRtnBtn},
};

}  // namespace

void TFormAdjust::wireHandlers() {
    auto button = [this](const char* name) {
        auto* found = findChild<QPushButton*>(name);
        Q_ASSERT(found);
        return found;
    };
    for (const PreviousLink& link : kPreviousButtons) {
        const PreviousButton which = link.button;
        connect(button(link.name), &QPushButton::clicked, this,
                [this, which] { run([this, which] { frame_->PreviousClick(which); }); });
    }
    // BidVSD1BkWrtEditChange ... BidECOYMCWrtEditChange: a changed entry ticks its row.
    for (const BidRow& row : kBidRows) {
        const CheckBox box = row.box;
        connect(entry(row.entry), &QLineEdit::textChanged, this,
                [this, box] { setChecked(box, true); });
    }

    // The panels' OK buttons, each running its procedure; where the panel has a radio group, with
    // the chosen item as the procedure's choice (the groups' items are in the order of the
    // choices), and nothing when no item is chosen.
    auto onClick = [this, button](const char* name, auto procedure) {
        connect(button(name), &QPushButton::clicked, this,
                [this, procedure] { run([this, procedure] { (void)procedure(*frame_); }); });
    };
    auto onChoiceClick = [this, button]<typename Result, typename Choice>(
                             const char* name, const char* groupName,
                             Result (*procedure)(AdjustFrame&, Choice)) {
        connect(button(name), &QPushButton::clicked, this, [this, groupName, procedure] {
            if (const auto choice = choiceOf<Choice>(groupName)) {
                run([this, procedure, c = *choice] { (void)procedure(*frame_, c); });
            }
        });
    };
    // EEPROM initialization, head ID, USB ID.
    onClick("DefaultSetBtn", &veltra::DefaultSetBtnClick);
    onChoiceClick("HdVolOKBtn", "HdVolRdoBtn", &veltra::HdVolOKBtnClick);
    onClick("HeadIDInputOKBtn", &veltra::HeadIDInputOKBtnClick);
    onChoiceClick("UsbIdOKBtn", "USBIDRdoGrp", &veltra::UsbIdOKBtnClick);
    onClick("UsbIdInputOKBtn", &veltra::UsbIdInputOKBtnClick);
    // Bi-D, PF, top margin.
    onChoiceClick("BidOKBtn", "BidRdoBtn", &veltra::BidOKBtnClick);
    onClick("BidWrtOKBtn", &veltra::BidWrtOKBtnClick);
    onChoiceClick("PFOKBtn", "PFRdoGrp", &veltra::PFOKBtnClick);
    onClick("PFWriteOKBtn", &veltra::PFWriteOKBtnClick);
    onChoiceClick("TopMarginMainBtn", "TopMarginRdoGrp", &veltra::TopMarginMainBtnClick);
    onClick("TopMarginWriteOKBtn", &veltra::TopMarginWriteOKBtnClick);
    // Head angle, CR motor drive dispersion.
    onClick("HdAngItemsOKBtn", &veltra::HdAngItemsOKBtnClick);
    onChoiceClick("HdAngStep1OKBtn", "HdAngAdjustRdoGrp", &veltra::HdAngStep1OKBtnClick);
    onChoiceClick("SusPlateSelectOKBtn", "SusPlateSelectRdoGrp", &veltra::SusPlateSelectOKBtnClick);
    onClick("HeadAngCompleteBtn", &veltra::HeadAngCompleteBtnClick);
    onClick("CRHeatProtectOffsetOKBtn", &veltra::CRHeatProtectOffsetOKBtnClick);
    // Maintenance.
    onClick("CleaningOKBtn", &veltra::CleaningOKBtnClick);
    onClick("ChargeOKBtn", &veltra::ChargeOKBtnClick);
    onClick("ChargeForJigOKBtn", &veltra::ChargeForJigOKBtnClick);
    onClick("MessageOKBtn", &veltra::MessageOKBtnClick);
    onClick("PowerSwOffOKBtn", &veltra::PowerSwOffOKBtnClick);
    onChoiceClick("ProCounterOKBtn", "CounterRdoBtn", &veltra::ProCounterOKBtnClick);
    onClick("OldInkPadClearBtn", &veltra::OldInkPadClearBtnClick);
    onClick("NewInkPadClearBtn", &veltra::NewInkPadClearBtnClick);
    onClick("PageCountOKBtn", &veltra::PageCountOKBtnClick);
    onClick("PrintPassCountOKBtn", &veltra::PrintPassCountOKBtnClick);
    // EEPROM data, check pattern.
    onChoiceClick("EepromItemsOKBtn", "EepromCheckRdoGrp", &veltra::EepromItemsOKBtnClick);
    onClick("EepromReadOkBtn", &veltra::EepromReadOkBtnClick);
    onClick("EepromWriteOkBtn", &veltra::EepromWriteOkBtnClick);
    onClick("A3PPrintOKBtn", &veltra::A3PPrintOKBtnClick);
    wireEepromFiles();
}

}  // namespace veltra::shell
