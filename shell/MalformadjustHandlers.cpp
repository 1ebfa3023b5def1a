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
};

}  // namespace

void TFormAdjust::wireHandlers() {
    auto onClick = [this](const char* name, void (TFormAdjust::*slot)()) {
        auto* button = findChild<QPushButton*>(name);
        Q_ASSERT(button);
        connect(button, &QPushButton::clicked, this, slot);
    };
    for (const PreviousLink& link : kPreviousButtons) {
        auto* button = findChild<QPushButton*>(link.name);
        Q_ASSERT(button);
        const PreviousButton which = link.button;
        connect(button, &QPushButton::clicked, this,
                [this, which] { run([this, which] { frame_->PreviousClick(which); }); });
    }
    // BidVSD1BkWrtEditChange ... BidECOYMCWrtEditChange: a changed entry ticks its row.
    for (const BidRow& row : kBidRows) {
        const CheckBox box = row.box;
        connect(entry(row.entry), &QLineEdit::textChanged, this,
                [this, box] { setChecked(box, true); });
    }

    onClick("DefaultSetBtn", &TFormAdjust::DefaultSetBtnClick);
    onClick("HdVolOKBtn", &TFormAdjust::HdVolOKBtnClick);
    onClick("HeadIDInputOKBtn", &TFormAdjust::HeadIDInputOKBtnClick);
    onClick("UsbIdOKBtn", &TFormAdjust::UsbIdOKBtnClick);
    onClick("UsbIdInputOKBtn", &TFormAdjust::UsbIdInputOKBtnClick);
    onClick("BidOKBtn", &TFormAdjust::BidOKBtnClick);
    onClick("BidWrtOKBtn", &TFormAdjust::BidWrtOKBtnClick);
    onClick("PFOKBtn", &TFormAdjust::PFOKBtnClick);
    onClick("PFWriteOKBtn", &TFormAdjust::PFWriteOKBtnClick);
    onClick("TopMarginMainBtn", &TFormAdjust::TopMarginMainBtnClick);
    onClick("TopMarginWriteOKBtn", &TFormAdjust::TopMarginWriteOKBtnClick);
    onClick("HdAngItemsOKBtn", &TFormAdjust::HdAngItemsOKBtnClick);
    onClick("HdAngStep1OKBtn", &TFormAdjust::HdAngStep1OKBtnClick);
    onClick("SusPlateSelectOKBtn", &TFormAdjust::SusPlateSelectOKBtnClick);
    onClick("HeadAngCompleteBtn", &TFormAdjust::HeadAngCompleteBtnClick);
    onClick("CRHeatProtectOffsetOKBtn", &TFormAdjust::CRHeatProtectOffsetOKBtnClick);

    onClick("CleaningOKBtn", &TFormAdjust::CleaningOKBtnClick);
    onClick("ChargeOKBtn", &TFormAdjust::ChargeOKBtnClick);
    onClick("ChargeForJigOKBtn", &TFormAdjust::ChargeForJigOKBtnClick);
    onClick("MessageOKBtn", &TFormAdjust::MessageOKBtnClick);
    onClick("PowerSwOffOKBtn", &TFormAdjust::PowerSwOffOKBtnClick);
    onClick("ProCounterOKBtn", &TFormAdjust::ProCounterOKBtnClick);
    onClick("OldInkPadClearBtn", &TFormAdjust::OldInkPadClearBtnClick);
    onClick("NewInkPadClearBtn", &TFormAdjust::NewInkPadClearBtnClick);
    onClick("PageCountOKBtn", &TFormAdjust::PageCountOKBtnClick);
    onClick("PrintPassCountOKBtn", &TFormAdjust::PrintPassCountOKBtnClick);
    onClick("EepromItemsOKBtn", &TFormAdjust::EepromItemsOKBtnClick);
    onClick("EepromReadOkBtn", &TFormAdjust::EepromReadOkBtnClick);
    onClick("EepromWriteOkBtn", &TFormAdjust::EepromWriteOkBtnClick);
    onClick("A3PPrintOKBtn", &TFormAdjust::A3PPrintOKBtnClick);
}

void TFormAdjust::HeadAngGetStatusTimerTimer() {
    run([this] { frame_->OnTimer(Timer::HeadAngGetStatusTimer); });
}

// --- EEPROM initialization, head ID, USB ID (the radio groups' items are in the order of the
// procedures' choices)

void TFormAdjust::DefaultSetBtnClick() {
    run([this] { (void)veltra::DefaultSetBtnClick(*frame_); });
}
void TFormAdjust::HdVolOKBtnClick() {
    if (const auto choice = choiceOf<HeadIdChoice>("HdVolRdoBtn")) {
        run([this, c = *choice] { (void)veltra::HdVolOKBtnClick(*frame_, c); });
    }
}
void TFormAdjust::HeadIDInputOKBtnClick() {
    run([this] { (void)veltra::HeadIDInputOKBtnClick(*frame_); });
}
void TFormAdjust::UsbIdOKBtnClick() {
    if (const auto choice = choiceOf<UsbIdChoice>("USBIDRdoGrp")) {
        run([this, c = *choice] { (void)veltra::UsbIdOKBtnClick(*frame_, c); });
    }
}
void TFormAdjust::UsbIdInputOKBtnClick() {
    run([this] { (void)veltra::UsbIdInputOKBtnClick(*frame_); });
}

// --- Bi-D, PF, top margin

void TFormAdjust::BidOKBtnClick() {
    if (const auto choice = choiceOf<BidChoice>("BidRdoBtn")) {
        run([this, c = *choice] { (void)veltra::BidOKBtnClick(*frame_, c); });
    }
}
void TFormAdjust::BidWrtOKBtnClick() {
    run([this] { (void)veltra::BidWrtOKBtnClick(*frame_); });
}
void TFormAdjust::PFOKBtnClick() {
    if (const auto choice = choiceOf<PfChoice>("PFRdoGrp")) {
        run([this, c = *choice] { (void)veltra::PFOKBtnClick(*frame_, c); });
    }
}
void TFormAdjust::PFWriteOKBtnClick() {
    run([this] { (void)veltra::PFWriteOKBtnClick(*frame_); });
}
void TFormAdjust::TopMarginMainBtnClick() {
    if (const auto choice = choiceOf<TopMarginChoice>("TopMarginRdoGrp")) {
        run([this, c = *choice] { (void)veltra::TopMarginMainBtnClick(*frame_, c); });
    }
}
void TFormAdjust::TopMarginWriteOKBtnClick() {
    run([this] { (void)veltra::TopMarginWriteOKBtnClick(*frame_); });
}

// --- head angle, CR motor drive dispersion

void TFormAdjust::HdAngItemsOKBtnClick() {
    run([this] { (void)veltra::HdAngItemsOKBtnClick(*frame_); });
}
void TFormAdjust::HdAngStep1OKBtnClick() {
    if (const auto choice = choiceOf<HeadAngleChoice>("HdAngAdjustRdoGrp")) {
        run([this, c = *choice] { (void)veltra::HdAngStep1OKBtnClick(*frame_, c); });
    }
}
void TFormAdjust::SusPlateSelectOKBtnClick() {
    if (const auto choice = choiceOf<FastenerChoice>("SusPlateSelectRdoGrp")) {
        run([this, c = *choice] { veltra::SusPlateSelectOKBtnClick(*frame_, c); });
    }
}
void TFormAdjust::HeadAngCompleteBtnClick() {
    run([this] { (void)veltra::HeadAngCompleteBtnClick(*frame_); });
}
void TFormAdjust::CRHeatProtectOffsetOKBtnClick() {
    run([this] { (void)veltra::CRHeatProtectOffsetOKBtnClick(*frame_); });
}

// --- maintenance

void TFormAdjust::CleaningOKBtnClick() {
    run([this] { (void)veltra::CleaningOKBtnClick(*frame_); });
}
void TFormAdjust::ChargeOKBtnClick() {
    run([this] { (void)veltra::ChargeOKBtnClick(*frame_); });
}
void TFormAdjust::ChargeForJigOKBtnClick() {
    run([this] { (void)veltra::ChargeForJigOKBtnClick(*frame_); });
}
void TFormAdjust::MessageOKBtnClick() {
    run([this] { (void)veltra::MessageOKBtnClick(*frame_); });
}
void TFormAdjust::PowerSwOffOKBtnClick() {
    run([this] { veltra::PowerSwOffOKBtnClick(*frame_); });
}
void TFormAdjust::CountDownTimerTimer() {
    run([this] { frame_->OnTimer(Timer::CountDownTimer); });
}
void TFormAdjust::CountDownTimer2Timer() {
    run([this] { frame_->OnTimer(Timer::CountDownTimer2); });
}
void TFormAdjust::ProCounterOKBtnClick() {
    if (const auto choice = choiceOf<CounterChoice>("CounterRdoBtn")) {
        run([this, c = *choice] { (void)veltra::ProCounterOKBtnClick(*frame_, c); });
    }
}
void TFormAdjust::OldInkPadClearBtnClick() {
    run([this] { (void)veltra::OldInkPadClearBtnClick(*frame_); });
}
void TFormAdjust::NewInkPadClearBtnClick() {
    run([this] { (void)veltra::NewInkPadClearBtnClick(*frame_); });
}
void TFormAdjust::PageCountOKBtnClick() {
    run([this] { (void)veltra::PageCountOKBtnClick(*frame_); });
}
void TFormAdjust::PrintPassCountOKBtnClick() {
    run([this] { (void)veltra::PrintPassCountOKBtnClick(*frame_); });
}

// --- EEPROM data, check pattern

void TFormAdjust::EepromItemsOKBtnClick() {
    if (const auto choice = choiceOf<EepromChoice>("EepromCheckRdoGrp")) {
        run([this, c = *choice] { veltra::EepromItemsOKBtnClick(*frame_, c); });
    }
}
void TFormAdjust::EepromReadOkBtnClick() {
    run([this] { (void)veltra::EepromReadOkBtnClick(*frame_); });
}
void TFormAdjust::EepromWriteOkBtnClick() {
    run([this] { (void)veltra::EepromWriteOkBtnClick(*frame_); });
}
void TFormAdjust::A3PPrintOKBtnClick() {
    run([this] { (void)veltra::A3PPrintOKBtnClick(*frame_); });
}

}  // namespace veltra::shell
