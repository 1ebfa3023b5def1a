// The panels' handlers of TFormAdjust: each forwards to its procedure in procedures/.
#include <QPushButton>

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

// Each Bi-D entry ticks its row's check box when its text changes.
constexpr std::pair<Entry, CheckBox> kBidEntryBoxes[] = {
    {Entry::BidVSD1BkWrtEdit, CheckBox::BidVSD1BkCheckBox},
    {Entry::BidVSD1YMCWrtEdit, CheckBox::BidVSD1YMCCheckBox},
    {Entry::BidVSD2BkWrtEdit, CheckBox::BidVSD2BkCheckBox},
    {Entry::BidVSD2YMCWrtEdit, CheckBox::BidVSD2YMCCheckBox},
    {Entry::BidVSD3BkWrtEdit, CheckBox::BidVSD3BkCheckBox},
    {Entry::BidVSD3YMCWrtEdit, CheckBox::BidVSD3YMCCheckBox},
    {Entry::BidECOBkWrtEdit, CheckBox::BidECOBkCheckBox},
    {Entry::BidECOYMCWrtEdit, CheckBox::BidECOYMCCheckBox},
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
    for (const auto& [entryId, boxId] : kBidEntryBoxes) {
        const CheckBox box = boxId;
        connect(entry(entryId), &QLineEdit::textChanged, this,
                [this, box] { setChecked(box, true); });
    }

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
}

void TFormAdjust::HeadAngGetStatusTimerTimer() {
    run([this] { frame_->OnTimer(Timer::HeadAngGetStatusTimer); });
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
    run([this] { veltra::MessageOKBtnClick(*frame_); });
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
    const int index = panelGroup("CounterRdoBtn")->itemIndex();
    if (index < 0) {
        return;  // no choice: nothing to do
    }
    const CounterChoice choice = index == 0 ? CounterChoice::CheckPresent : CounterChoice::Clear;
    run([this, choice] { (void)veltra::ProCounterOKBtnClick(*frame_, choice); });
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

}  // namespace veltra::shell
