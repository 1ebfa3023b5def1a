#include "procedures/AdjustFrame.h"

#include <string>
#include <vector>

#include "codes/Malheadid.h"
#include "codes/Malusbid.h"
#include "link/HexText.h"
#include "procedures/HeadAngle.h"
#include "procedures/Maintenance.h"
#include "procedures/Session.h"

namespace veltra {

namespace {

constexpr int kGridSize = 16;  // 16 x 16 data cells below and right of the headings

// Summary fields emptied at every close; the top margin and PF fields are kept.
constexpr std::array<SummaryField, 11> kSummaryEmptiedAtClose{
    SummaryField::ShowHdVolIDPnl, SummaryField::ShowVSD1BkPnl,    SummaryField::ShowVSD1ClPnl,
    SummaryField::ShowVSD2BkPnl,  SummaryField::ShowVSD2ClPnl,    SummaryField::ShowVSD3BkPnl,
    SummaryField::ShowVSD3ClPnl,  SummaryField::ShowEcoBkPnl,     SummaryField::ShowEcoClPnl,
    SummaryField::ShowUSBIDLbl,   SummaryField::ShowProCounterPnl};

// Entries that the reset empties. The Bi-D entries are emptied before their boxes are cleared,
// since emptying an entry ticks its box.
constexpr std::array<Entry, 12> kEntriesEmptiedByReset{
    Entry::LeftHeadIDInputEdit,    Entry::UsbIdInputEdit,
    Entry::OriginalUsbIdInputEdit, Entry::PFEdit,
    Entry::BidVSD1BkWrtEdit,       Entry::BidVSD1YMCWrtEdit,
    Entry::BidVSD2BkWrtEdit,       Entry::BidVSD2YMCWrtEdit,
    Entry::BidVSD3BkWrtEdit,       Entry::BidVSD3YMCWrtEdit,
    Entry::BidECOBkWrtEdit,        Entry::BidECOYMCWrtEdit};

constexpr std::array<CheckBox, 8> kBidCheckBoxes{
    CheckBox::BidVSD1BkCheckBox,  CheckBox::BidVSD1YMCCheckBox, CheckBox::BidVSD2BkCheckBox,
    CheckBox::BidVSD2YMCCheckBox, CheckBox::BidVSD3BkCheckBox,  CheckBox::BidVSD3YMCCheckBox,
    CheckBox::BidECOBkCheckBox,   CheckBox::BidECOYMCCheckBox};

constexpr std::array<CheckBox, 4> kReplacedPartBoxes{
    CheckBox::ReplaceMainBoardCheckBox, CheckBox::ReplacePSBoardCheckBox,
    CheckBox::ReplaceCRMotorCheckBox, CheckBox::ReplaceCRMainShaftCheckBox};

constexpr std::array<Group, 4> kItemGroups{Group::AdjustRdoGrp, Group::MaintRdoGrp,
                                           Group::PatternPrnItemsRdoGrp, Group::AppendixRdoGrp};

constexpr std::array<Control, 3> kGroupsLockedInErrorState{
    Control::MaintRdoGrp, Control::PatternPrnItemsRdoGrp, Control::AppendixRdoGrp};

struct ErrorText {
    std::int16_t error;
    std::string_view text;
};
constexpr std::array<ErrorText, 7> kPrinterErrorTexts{{
    {printer_error::kFatal, msg::kFatalError},
    {printer_error::kNotSelected, msg::kNotSelectError},
    {printer_error::kPaperJam, msg::kPaperJamError},
    {printer_error::kInkOut, msg::kInkOutError},
    {printer_error::kPaperOut, msg::kPaperOutError},
    {printer_error::kMaintenance, msg::kMaintenanceError},
    {printer_error::kDoubleFeed, msg::kDoubleFeedError},
}};

struct StateText {
    std::int16_t state;
    std::string_view text;
};
constexpr std::array<StateText, 6> kPrinterStateTexts{{
    {printer_state::kNozzleCheck, msg::kNozzleCheckPrinting},
    {printer_state::kBusy, msg::kPrinterBusy},
    {printer_state::kPrinting, msg::kPrinting},
    {printer_state::kReady, msg::kReadyToPrint},
    {printer_state::kCleaning, msg::kCleaning},
    {printer_state::kBeforeFill, msg::kBeforeInitialFill},
}};

constexpr std::array<DetailText, 8> kBidRangeTexts{{
    {bid_error::kVsd1Black, msg::kBidRangeVsd1Black},
    {bid_error::kVsd2Black, msg::kBidRangeVsd2Black},
    {bid_error::kVsd3Black, msg::kBidRangeVsd3Black},
    {bid_error::kEcoBlack, msg::kBidRangeEcoBlack},
    {bid_error::kVsd1Colour, msg::kBidRangeVsd1Color},
    {bid_error::kVsd2Colour, msg::kBidRangeVsd2Color},
    {bid_error::kVsd3Colour, msg::kBidRangeVsd3Color},
    {bid_error::kEcoColour, msg::kBidRangeEcoColor},
}};

// What a failed ready wait or status read without an "ER:" field says, by the printer state.
std::string_view UncodedStateText(std::int16_t state) {
    switch (state) {
        case printer_state::kError:
            return msg::kErrorWithoutCode;
        case printer_state::kBeforeFill:
            return msg::kBeforeFillRunsNothing;
        default:
            return {};
    }
}

template <std::size_t N>
std::vector<std::string> Captions(const std::array<ItemEntry, N>& items) {
    std::vector<std::string> out;
    out.reserve(N);
    for (const ItemEntry& item : items) {
        out.emplace_back(item.text);
    }
    return out;
}

}  // namespace

Panel PreviousPanel(PreviousButton button) {
    switch (button) {
        case PreviousButton::HeadIDInputRtnBtn:
            return Panel::HeadIDItemsPnl;
        case PreviousButton::UsbIdInputRtnBtn:
            return Panel::USBIDItemsPnl;
        case PreviousButton::BidWrtRtnBtn:
            return Panel::BidItemsPnl;
        case PreviousButton::PFRtnBtn:
            return Panel::PFItemsPnl;
        case PreviousButton::TopMarginRtnBtn:
            return Panel::TopMarginMainPnl;
        case PreviousButton::CounterCheckRtnBtn:
        case PreviousButton::CounterClearRtnBtn:
            return Panel::ProCounterItemsPnl;
        case PreviousButton::EepromReadRtnBtn:
        case PreviousButton::EepromWriteRtnBtn:
        case PreviousButton::EepromDiffRtnBtn:
        case PreviousButton::EepromHistoryRtnBtn:
            return Panel::EEPROMItemsPnl;
        case PreviousButton::EepromGridRtnBtn:
            return Panel::EEPROMCheckPnl;
    }
    return Panel::CanvasPanel;
}

std::string_view BidRangeMessage(Detail detail) {
    return TextOf(kBidRangeTexts, detail);
}

void AdjustFrame::Create() {
    HideAllPanels(false);
    view_.showPanel(Panel::CanvasPanel);
    for (int i = 0; i < kGridSize; ++i) {
        const std::string heading(1, kHexDigits[i]);
        view_.setGridCell(0, i + 1, heading);  // low digit of the address
        view_.setGridCell(i + 1, 0, heading);  // high digit
    }
    state_.TransLiquidDone = false;
    view_.startTimer(Timer::DisableTimer);
}

void AdjustFrame::HideAllPanels(bool keepStatus) {
    view_.hideAllPanels();
    // The EEPROM table hides the status area; any other panel needs it back.
    view_.setWidgetVisible(Widget::StatusMemo, true);
    if (!keepStatus) {
        view_.setStatusText("");
        view_.setStatusColour(TextColour::Black);
    }
    for (Entry entry : kEntriesEmptiedByReset) {
        view_.setEntryText(entry, "");
    }
    view_.setTopMarginItems({});
    for (CheckBox box : kBidCheckBoxes) {
        view_.setChecked(box, false);
    }
    view_.setWidgetVisible(Widget::DischargeWaitLbl, false);
    view_.setWidgetVisible(Widget::DischargeCountDownMemo, false);
    view_.setWidgetVisible(Widget::DischargeCompleteLbl, false);
}

AdjustFrame::AdjustFrame(ProgramObjects& objects, AdjustView& view, AdjustState& state)
    : objects_(objects), view_(view), state_(state) {
    objects_.link.setWaitObserver([this](bool waiting) {
        // A printer finishing what it was asked (the cleaning, the print) keeps the item's own
        // text; the wait is shown only when something else holds the printer up.
        if (waiting && finishingAsked_ && objects_.link.PrinterState() != printer_state::kError) {
            return;
        }
        view_.showWaitingForPrinter(waiting);
    });
}

AdjustFrame::~AdjustFrame() {
    objects_.link.setWaitObserver({});
}

Status AdjustFrame::ShowStatus(StatusMode mode, std::string_view text, bool reportPrinterError) {
    switch (mode) {
        case StatusMode::Replace:
            view_.setStatusColour(TextColour::Black);
            view_.setStatusText(text);
            break;
        case StatusMode::Completed:
        case StatusMode::Busy: {
            finishingAsked_ = mode == StatusMode::Completed;
            const Status ready = objects_.link.WaitUntilReady();
            finishingAsked_ = false;
            if (ready == kPrinterError && !reportPrinterError) {
                view_.setWindowEnabled(true);
                view_.setHourglass(false);
                return ready;
            }
            if (ready != kOk) {
                ReportStatus(ready);
                return ready;
            }
            if (mode == StatusMode::Completed) {
                view_.setStatusColour(TextColour::Black);
                view_.setHourglass(false);
                view_.startTimer(Timer::DisableTimer);
            } else {
                view_.setStatusColour(TextColour::Blue);
                view_.setHourglass(true);
                view_.setWindowEnabled(false);
            }
            view_.setStatusText(text);
            break;
        }
        case StatusMode::Error:
            view_.setStatusColour(TextColour::Red);
            view_.setHourglass(false);
            view_.setWindowEnabled(true);
            view_.setStatusText(text);
            break;
        case StatusMode::Append:
            view_.appendStatusText(text);
            break;
        case StatusMode::NewLine:
            view_.addStatusLine(text);
            break;
    }
    view_.repaint();
    return kOk;
}

void AdjustFrame::ShowPrinterError() {
    const std::int16_t error = objects_.link.PrinterError();
    if (error == printer_error::kNone) {
        // No "ER:" field: the state is worded instead, so that no older text reads as the
        // answer.
        if (const std::string_view text = UncodedStateText(objects_.link.PrinterState());
            !text.empty()) {
            ShowStatus(StatusMode::Error, text);
        }
        return;
    }
    for (const ErrorText& entry : kPrinterErrorTexts) {
        if (entry.error == error) {
            ShowStatus(StatusMode::Error, entry.text);
            return;
        }
    }
    ShowStatus(StatusMode::Error, msg::kUnknownError);
    ShowStatus(StatusMode::NewLine,
               std::string(msg::kErrorCode) + std::to_string(objects_.link.RawErrorCode()));
}

std::string AdjustFrame::WithSystemReason(std::string_view text) const {
    const std::string& reason = objects_.driver.transferFailure();
    return reason.empty() ? std::string(text)
                          : std::string(text) + '\n' + std::string(msg::kSystemReason) + reason;
}

std::string AdjustFrame::FailureMessage(Status status) const {
    switch (status) {
        case kPortFailure:
            switch (objects_.driver.LastError()) {
                case port_error::kOpen:
                    return std::string(msg::kCannotOpenPort);
                case port_error::kRead:
                case port_error::kReadTime:
                    return WithSystemReason(msg::kReceiveError);
                case port_error::kWrite:
                case port_error::kWriteTime:
                    return WithSystemReason(msg::kTransmissionError);
                default:
                    return {};
            }
        case kTransportFailure:
            // A wait the user stopped is no fault of the link: the front end says what happened.
            if (objects_.link.LastError() == link_error::kStopped) {
                return {};
            }
            return std::string(msg::kCommunicationError);
        case kFactoryFailure:
            if (objects_.factory.LastError() == factory_error::kNoReplyHeader) {
                return std::string(msg::kReceiveError);
            }
            return {};
        case kPrinterError: {
            const std::int16_t error = objects_.link.PrinterError();
            for (const ErrorText& entry : kPrinterErrorTexts) {
                if (entry.error == error) {
                    return std::string(entry.text);
                }
            }
            return error == printer_error::kNone
                       ? std::string(UncodedStateText(objects_.link.PrinterState()))
                       : std::string(msg::kUnknownError);
        }
        case kBidRange:
            return std::string(BidRangeMessage(objects_.bid.LastError()));
        case kInputRejected:
            return std::string(msg::kInputDataWrong);
        default:
            return {};
    }
}

ProcedureResult& AdjustFrame::NewResult() {
    result_ = ProcedureResult{};
    return result_;
}

void AdjustFrame::NoteFailure(Status status, Detail detail, std::string_view words) {
    if (result_.status == kOk && status != kOk) {
        result_.status = status;
        result_.detail = detail;
        result_.failure = words;
    }
}

Status AdjustFrame::Refuse(Status status, std::string_view text) {
    ShowStatus(StatusMode::Error, text);
    NoteFailure(status, kNoError, text);
    return status;
}

void AdjustFrame::ReportStatus(Status status, Detail detail) {
    // Leaving the busy lock: window enabled and normal cursor, whether a message follows or not.
    view_.setWindowEnabled(true);
    view_.setHourglass(false);
    switch (status) {
        case kPortFailure:
        case kTransportFailure:
        case kFactoryFailure: {
            const std::string text = FailureMessage(status);
            if (!text.empty()) {
                ShowStatus(StatusMode::Error, text);
            }
            const Detail why = status == kPortFailure        ? objects_.driver.LastError()
                               : status == kTransportFailure ? objects_.link.LastError()
                                                             : objects_.factory.LastError();
            NoteFailure(status, why, text);
            break;
        }
        case kPrinterError: {
            const std::string text = FailureMessage(status);
            ShowPrinterError();
            NoteFailure(status, objects_.link.PrinterError(), text);
            BuildItemList();
            break;
        }
        case kHeadIdFormat:
            ShowStatus(StatusMode::Error, HeadIdMessage(detail));
            NoteFailure(status, detail, HeadIdMessage(detail));
            break;
        case kBidRange: {
            const Detail code = detail != kNoError ? detail : objects_.bid.LastError();
            // A range message is a note, not a fault: black, below what is already shown.
            const bool hasText = !view_.statusText().empty();
            ShowStatus(hasText ? StatusMode::NewLine : StatusMode::Replace, BidRangeMessage(code));
            NoteFailure(status, code, BidRangeMessage(code));
            break;
        }
        case kUsbIdFormat:
            ShowStatus(StatusMode::Error, UsbIdMessage(detail));
            NoteFailure(status, detail, UsbIdMessage(detail));
            break;
        default:
            NoteFailure(status, detail, FailureMessage(status));
            break;
    }
}

void AdjustFrame::BuildItemList() {
    if (objects_.link.PrinterState() == printer_state::kError) {
        HideAllPanels(true);
        view_.showPanel(Panel::CanvasPanel);
        view_.setAdjustCaptions("", "");
        view_.setAdjustItems(Captions(kErrorAdjustItems));
        for (Control control : kGroupsLockedInErrorState) {
            view_.setControlEnabled(control, false);
        }
        state_.errorItemList = true;
    } else {
        for (Control control : kGroupsLockedInErrorState) {
            view_.setControlEnabled(control, true);
        }
        view_.setAdjustCaptions(msg::kAdjustmentTab, msg::kAdjustmentItems);
        view_.setAdjustItems(Captions(kNormalAdjustItems));
        state_.errorItemList = false;
    }
}

void AdjustFrame::ChooseItem(Group group, std::span<const ItemEntry> items, int index) {
    if (index < 0 || std::size_t(index) >= items.size()) {
        return;
    }
    HideAllPanels(false);
    const Panel panel = items[std::size_t(index)].panel;
    view_.showPanel(panel);
    if (panel == Panel::CRHeatProtectOffsetPnl) {
        for (CheckBox box : kReplacedPartBoxes) {
            view_.setChecked(box, false);
        }
    }
    for (Group other : kItemGroups) {
        if (other != group) {
            view_.setGroupIndex(other, -1);
        }
    }
}

void AdjustFrame::AdjustRdoGrpClick(int index) {
    if (state_.errorItemList) {
        ChooseItem(Group::AdjustRdoGrp, kErrorAdjustItems, index);
    } else {
        ChooseItem(Group::AdjustRdoGrp, kNormalAdjustItems, index);
    }
}

void AdjustFrame::MaintRdoGrpClick(int index) {
    ChooseItem(Group::MaintRdoGrp, kMaintItems, index);
}

void AdjustFrame::PatternPrnItemsRdoGrpClick(int index) {
    ChooseItem(Group::PatternPrnItemsRdoGrp, kPatternPrnItems, index);
}

void AdjustFrame::AppendixRdoGrpClick(int index) {
    ChooseItem(Group::AppendixRdoGrp, kAppendixItems, index);
}

void AdjustFrame::PreviousClick(PreviousButton button) {
    HideAllPanels(false);
    view_.showPanel(PreviousPanel(button));
}

void AdjustFrame::AdjustmentTabChange() {
    HideAllPanels(false);
    view_.showPanel(Panel::CanvasPanel);
    view_.setStatusText("");
    for (Group group : kItemGroups) {
        view_.setGroupIndex(group, -1);
    }
}

void AdjustFrame::FormShow() {
    const ModelInfo* model = objects_.choice.model();
    if (model == nullptr || objects_.choice.ModelNo == kNoModel) {
        objects_.ui.showError(msg::kProgramMiss);
    } else {
        view_.setPrinterName(model->name);
    }
    GetStatusBtnClick();
}

Status AdjustFrame::GetStatusBtnClick() {
    TPD4Comm& link = objects_.link;
    NewResult();
    const Status status = link.ReadStatus();
    if (status != kOk) {
        ReportStatus(status);
        return status;
    }
    const std::int16_t state = link.PrinterState();
    result_.printer = PrinterStatus{state, link.PrinterError(), link.RawErrorCode()};
    if (state == printer_state::kError) {
        ShowPrinterError();
    } else {
        for (const StateText& entry : kPrinterStateTexts) {
            if (entry.state == state) {
                ShowStatus(StatusMode::Replace, entry.text);
                break;
            }
        }
    }
    BuildItemList();
    return kOk;
}

void AdjustFrame::FormClose() {
    HideAllPanels(false);
    view_.showPanel(Panel::CanvasPanel);
    for (SummaryField field : kSummaryEmptiedAtClose) {
        view_.setSummary(field, "");
    }
    view_.setHourglass(true);
    view_.setGroupIndex(Group::AdjustRdoGrp, -1);
    view_.setGroupIndex(Group::MaintRdoGrp, -1);
    view_.setGroupIndex(Group::PatternPrnItemsRdoGrp, -1);
    view_.setTopMarginIndex(-1);
    view_.setControlEnabled(Control::AdjustmentTab, true);
    view_.setActiveTab(0);
    view_.setControlEnabled(Control::AdjustRtnBtn, true);
    // A head angle adjustment left open ends here: the next session starts with every control
    // as at a fresh start and no timer ticking into it.
    EndHeadAngleAdjustment(*this);
    // The question comes once the link is shut, so that its answer can be acted on at once; the
    // window says what it waits for until then.
    view_.showClosingLink();
    EndSession(objects_, state_.TransLiquidDone);
    state_.TransLiquidDone = false;
    view_.setHourglass(false);
    view_.showQuitWindow();
}

void AdjustFrame::DisableTimerTimer() {
    view_.setWindowEnabled(true);
    view_.stopTimer(Timer::DisableTimer);
}

void AdjustFrame::OnTimer(Timer timer) {
    switch (timer) {
        case Timer::DisableTimer:
            DisableTimerTimer();
            break;
        case Timer::CountDownTimer:
            CountDownTimerTimer(*this);
            break;
        case Timer::CountDownTimer2:
            CountDownTimer2Timer(*this);
            break;
        case Timer::HeadAngGetStatusTimer:
            HeadAngGetStatusTimerTimer(*this);
            break;
    }
}

}  // namespace veltra
