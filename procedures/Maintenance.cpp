#include "procedures/Maintenance.h"

#include <span>
#include <string>

#include "link/EepromAddresses.h"
#include "procedures/JournalGuard.h"
#include "procedures/Progress.h"

namespace veltra {

namespace {

// Values of the liquid exchange flag.
constexpr std::uint8_t kExchangeStarted = 0x80;
constexpr std::uint8_t kExchangeFinished = 0x10;
// Cleared at the end of the exchange, in ascending order (protection counter first): every byte
// the exchange writes except its two flags, which end the list.
constexpr std::span<const std::uint8_t, 22> kExchangeClearedAddresses =
    std::span(eeprom_address::kLiquidExchange).first<22>();
static_assert(eeprom_address::kLiquidExchange[22] == eeprom_address::kExchangeFlag &&
              eeprom_address::kLiquidExchange[23] == eeprom_address::kExchangeFlag2);

// Mechanism units of the sequences besides kUnitCarriage and kUnitCrMotor. What a unit moves
// belongs to the printer; the names say where the sequences use it.
constexpr std::uint8_t kUnitReturnSet = 7;  // set once in SeqReturn
constexpr std::uint8_t kUnitRelease = 8;    // SeqRelease, the exchange start, the jig charge
constexpr std::uint8_t kUnitPark = 53;      // run out and back by SeqPark and SeqEnd
constexpr std::uint8_t kUnitPump = 64;      // the long pumping runs
constexpr std::uint8_t kUnitReturn = 65;    // the two runs of SeqReturn
constexpr std::uint8_t kUnitFill = 66;  // the first run of SeqPump and SeqFill, back in SeqReturn
constexpr std::uint8_t kUnitPumpEnd = 67;  // the last run of SeqPump, SeqFill and the jig charge
constexpr std::uint8_t kUnitEnd = 250;     // the first step of SeqEnd

constexpr int kExchangeCycles = 4;
constexpr int kCountDownStart = 11;  // the first tick shows 11 - 1

// Sends one mechanism step and counts it on the meter, if any, whatever it returned. The
// sequences stop at the first failing step with VELTRA_TRY, so later steps are neither sent nor
// counted.
class Mech {
public:
    Mech(TPFactory& factory, ProgressMeter* meter) : factory_(factory), meter_(meter) {}

    Status set(std::uint8_t unit, std::int16_t value) const {
        return counted(factory_.MechSet(unit, value));
    }
    Status run(std::uint8_t unit, std::uint8_t direction, std::uint16_t count) const {
        return counted(factory_.MechRun(unit, direction, count));
    }
    Status pause(std::uint8_t count) const { return counted(factory_.MechPause(count)); }
    // The fill run and the short pump run after it, both one way (0 out, 1 back): how SeqPump
    // and SeqFill start and SeqReturn ends.
    Status fillAndPump(std::uint8_t direction) const {
        VELTRA_TRY(run(kUnitFill, direction, 8000));
        VELTRA_TRY(pause(1));
        return run(kUnitPump, direction, 6959);
    }

private:
    Status counted(Status status) const {
        if (meter_) {
            meter_->advance();
        }
        return status;
    }

    TPFactory& factory_;
    ProgressMeter* meter_;
};

// Busy, one CleanCharge sequence, completed; the first failure is reported.
Status RunCleanCharge(AdjustFrame& frame, std::uint8_t sequence, std::string_view running,
                      std::string_view done) {
    // A failed ready wait has reported itself.
    VELTRA_TRY(frame.ShowStatus(StatusMode::Busy, running));
    const Status status = frame.objects().factory.CleanCharge(sequence);
    if (status != kOk) {
        frame.ReportStatus(status);
        return status;
    }
    return frame.ShowStatus(StatusMode::Completed, done);
}

Status ShowCounter(AdjustFrame& frame, std::string_view caption, std::string_view name,
                   Status (TPMaintenance::*read)(std::int64_t&)) {
    ProcedureResult& result = frame.NewResult();
    std::int64_t value = 0;
    const Status status = (frame.objects().maintenance.*read)(value);
    if (status != kOk) {
        frame.ReportStatus(status);
        return status;
    }
    result.values.push_back({std::string(name), value});
    frame.ShowStatus(StatusMode::Replace, caption);
    frame.ShowStatus(StatusMode::Append, std::to_string(value));
    return kOk;
}

Status ClearCounter(AdjustFrame& frame, Status (TPMaintenance::*write)(), std::uint16_t count) {
    ProcedureResult& result = frame.NewResult();
    frame.view().setStatusText("");
    const std::uint8_t high = eeprom_address::kProtectionCounter;
    JournalGuard journal(frame, "counter clear", {high, std::uint8_t(high + 1)});
    if (!journal.ok()) {
        return journal.status();
    }
    const Status status = (frame.objects().maintenance.*write)();
    if (status != kOk) {
        frame.ReportStatus(status);
        return status;
    }
    result.written = {{high, std::uint8_t(count >> 8)},
                      {std::uint8_t(high + 1), std::uint8_t(count & 0xFF)}};
    result.values.push_back({std::string(kProtectionCounterName), count});
    frame.ShowStatus(StatusMode::Replace, msg::kProtectionCounterCleared);
    frame.view().setSummary(SummaryField::ShowProCounterPnl, msg::kCleared);
    return kOk;
}

}  // namespace

Status SeqPark(TPFactory& f, ProgressMeter* meter) {
    const Mech m(f, meter);
    VELTRA_TRY(m.set(kUnitCrMotor, -6));
    return m.run(kUnitPark, 1, 150);
}

Status SeqSweep(TPFactory& f, ProgressMeter* meter) {
    const Mech m(f, meter);
    VELTRA_TRY(m.set(kUnitCarriage, 1900));
    VELTRA_TRY(m.set(kUnitCrMotor, 1930));
    VELTRA_TRY(m.set(kUnitCrMotor, 1900));
    return m.set(kUnitCarriage, 368);
}

Status SeqRelease(TPFactory& f, ProgressMeter* meter) {
    const Mech m(f, meter);
    VELTRA_TRY(m.set(kUnitRelease, 91));
    return m.set(kUnitCrMotor, 0);
}

Status SeqPump(TPFactory& f, PumpLength length, ProgressMeter* meter) {
    const int groups = length == PumpLength::Short ? 2 : 6;  // 2 x n, n = 1 or 3
    const std::uint8_t settle = length == PumpLength::Short ? 10 : 100;
    const Mech m(f, meter);
    VELTRA_TRY(m.fillAndPump(0));
    VELTRA_TRY(m.pause(1));
    for (int i = 0; i < groups; ++i) {
        VELTRA_TRY(m.run(kUnitPump, 0, 30000));
        VELTRA_TRY(m.run(kUnitPump, 0, 30000));
        VELTRA_TRY(m.run(kUnitPump, 0, 30000));
        VELTRA_TRY(m.run(kUnitPump, 0, 23088));
    }
    VELTRA_TRY(m.pause(settle));
    return m.run(kUnitPumpEnd, 1, 150);
}

Status SeqReturn(TPFactory& f, ProgressMeter* meter) {
    const Mech m(f, meter);
    VELTRA_TRY(m.set(kUnitCrMotor, 91));
    VELTRA_TRY(m.set(kUnitReturnSet, 242));
    VELTRA_TRY(m.pause(5));
    VELTRA_TRY(m.set(kUnitCrMotor, 338));
    VELTRA_TRY(m.run(kUnitReturn, 0, 4780));
    VELTRA_TRY(m.pause(1));
    VELTRA_TRY(m.run(kUnitReturn, 0, 17090));
    VELTRA_TRY(m.pause(1));
    return m.fillAndPump(1);
}

Status SeqFill(TPFactory& f, ProgressMeter* meter) {
    const Mech m(f, meter);
    VELTRA_TRY(m.set(kUnitCrMotor, 91));
    VELTRA_TRY(m.fillAndPump(0));
    VELTRA_TRY(m.pause(1));
    VELTRA_TRY(m.run(kUnitPumpEnd, 1, 150));
    return m.set(kUnitCrMotor, 0);
}

Status SeqEnd(TPFactory& f, ProgressMeter* meter) {
    const Mech m(f, meter);
    VELTRA_TRY(m.set(kUnitEnd, 6));
    VELTRA_TRY(m.run(kUnitPark, 1, 150));
    VELTRA_TRY(m.run(kUnitPark, 0, 150));
    return m.set(kUnitCarriage, 6);
}

Status SeqExchangeStart(TPFactory& f, ProgressMeter* meter) {
    VELTRA_TRY(SeqPark(f, meter));
    return Mech(f, meter).set(kUnitRelease, 116);
}

Status SeqExchangeCycle(TPFactory& f, ProgressMeter* meter) {
    for (const PumpLength length : {PumpLength::Short, PumpLength::Long}) {
        VELTRA_TRY(SeqSweep(f, meter));
        VELTRA_TRY(SeqRelease(f, meter));
        VELTRA_TRY(SeqPump(f, length, meter));
        VELTRA_TRY(SeqReturn(f, meter));
    }
    return kOk;
}

Status SeqJigCharge(TPFactory& f, int pass, ProgressMeter* meter) {
    const bool first = pass == 0;
    const Mech m(f, meter);
    VELTRA_TRY(SeqPark(f, meter));
    VELTRA_TRY(SeqFill(f, meter));
    if (first) {
        for (int i = 0; i < 6; ++i) {
            VELTRA_TRY(m.run(kUnitPump, 0, 20000));
        }
        VELTRA_TRY(m.run(kUnitPump, 0, 5800));
    } else {
        VELTRA_TRY(m.run(kUnitPump, 0, 12892));
    }
    VELTRA_TRY(m.pause(50));
    VELTRA_TRY(m.run(kUnitPumpEnd, 1, 150));
    if (first) {
        VELTRA_TRY(SeqReturn(f, meter));
        VELTRA_TRY(m.set(kUnitRelease, 116));
        VELTRA_TRY(SeqFill(f, meter));
        VELTRA_TRY(m.run(kUnitPump, 0, 20000));
        VELTRA_TRY(m.run(kUnitPump, 0, 14750));
        VELTRA_TRY(m.pause(50));
        VELTRA_TRY(m.run(kUnitPumpEnd, 1, 150));
    }
    VELTRA_TRY(SeqReturn(f, meter));
    VELTRA_TRY(m.set(kUnitRelease, 116));
    VELTRA_TRY(m.set(kUnitCrMotor, 91));
    if (!first) {
        VELTRA_TRY(m.set(kUnitCrMotor, 0));
        VELTRA_TRY(m.pause(30));
        VELTRA_TRY(m.set(kUnitCrMotor, 91));
        VELTRA_TRY(m.set(kUnitCarriage, 2092));
        VELTRA_TRY(m.pause(30));
        VELTRA_TRY(m.set(kUnitCarriage, 268));
    }
    VELTRA_TRY(m.set(kUnitCrMotor, 0));
    return SeqEnd(f, meter);
}

Status CleaningOKBtnClick(AdjustFrame& frame) {
    return RunCleanCharge(frame, kCleaningSequence, msg::kCleaningRunning, msg::kCleaningDone);
}

Status ChargeOKBtnClick(AdjustFrame& frame) {
    return RunCleanCharge(frame, kInkChargeSequence, msg::kInkChargeRunning, msg::kInkChargeDone);
}

Status ChargeForJigOKBtnClick(AdjustFrame& frame) {
    VELTRA_TRY(frame.ShowStatus(StatusMode::Busy, msg::kInkChargeRunning));
    Status status = kOk;
    TPFactory& factory = frame.objects().factory;
    {
        ProgressMeter meter(frame.view(), frame.objects().clock, kJigChargeFrames);
        status = SeqJigCharge(factory, 0, &meter);
        if (status == kOk) {
            status = SeqJigCharge(factory, 1, &meter);
        }
    }
    if (status != kOk) {
        frame.ReportStatus(status);
        return status;
    }
    return frame.ShowStatus(StatusMode::Completed, msg::kInkChargeDone);
}

Status MessageOKBtnClick(AdjustFrame& frame) {
    // Once started the exchange cannot be left half done: every step is sent whatever the one
    // before returned, since the printer must end in its transport state. The steps' results
    // are counted, and the first failure's message kept as it stood then.
    ProgramObjects& o = frame.objects();
    AdjustView& view = frame.view();
    const auto& changed = eeprom_address::kLiquidExchange;
    JournalGuard journal(frame, "exchange", {changed.begin(), changed.end()});
    if (!journal.ok()) {
        return journal.status();  // not started: the panel stays, with the reason in red
    }
    Status first = kOk;
    std::string firstMessage;
    int steps = 0;
    int missed = 0;
    const auto step = [&](Status s) {
        ++steps;
        if (s != kOk) {
            if (missed == 0) {
                first = s;
                firstMessage = frame.FailureMessage(s);
            }
            ++missed;
        }
    };
    step(o.link.WriteEepromByte(eeprom_address::kExchangeFlag, kExchangeStarted));
    step(o.factory.FinishValues());
    (void)frame.ShowStatus(StatusMode::Busy, msg::kExchangeRunning);
    view.setControlEnabled(Control::AdjustmentTab, false);
    view.setControlEnabled(Control::AdjustRtnBtn, false);
    view.setControlEnabled(Control::GetStatusBtn, false);
    view.setControlEnabled(Control::MaintRdoGrp, true);

    {
        ProgressMeter meter(view, o.clock, kExchangeFrames);
        step(SeqExchangeStart(o.factory, &meter));
        for (int i = 0; i < kExchangeCycles; ++i) {
            step(SeqExchangeCycle(o.factory, &meter));
        }
        for (std::uint8_t address : kExchangeClearedAddresses) {
            step(o.link.WriteEepromByte(address, 0));
        }
        step(o.link.WriteEepromByte(eeprom_address::kExchangeFlag, kExchangeFinished));
        step(o.link.WriteEepromByte(eeprom_address::kExchangeFlag2, 0));
        step(o.factory.FinishValues());
        meter.advance();
        step(SeqRelease(o.factory, &meter));
        step(SeqEnd(o.factory, &meter));
    }

    view.setControlEnabled(Control::AdjustmentTab, true);
    view.setControlEnabled(Control::MaintRdoGrp, true);
    view.setControlEnabled(Control::AdjustRtnBtn, true);
    view.setControlEnabled(Control::GetStatusBtn, true);
    if (missed > 0) {
        // Not an exchange done: no completion, no switch-off panel, and the close still shuts
        // the link down in order.
        frame.ShowStatus(StatusMode::Error,
                         firstMessage.empty() ? msg::kCommunicationError : firstMessage);
        frame.ShowStatus(StatusMode::NewLine,
                         std::to_string(missed) + std::string(msg::kExchangeStepsMissedOf) +
                             std::to_string(steps) + std::string(msg::kExchangeStepsMissedEnd));
        return first;
    }
    (void)frame.ShowStatus(StatusMode::Completed, "");
    frame.HideAllPanels(false);
    view.showPanel(Panel::TraStep4Pnl);
    (void)frame.ShowStatus(StatusMode::Replace, msg::kExchangeDone);
    frame.state().TransLiquidDone = true;
    return kOk;
}

void PowerSwOffOKBtnClick(AdjustFrame& frame) {
    AdjustView& view = frame.view();
    view.setWidgetVisible(Widget::DischargeWaitLbl, true);
    view.setWidgetVisible(Widget::DischargeCountDownMemo, true);
    view.setCountDownText("");
    frame.state().countDown = CountDownState{};
    // A second press restarts the count; the partner timer must not keep ticking alongside.
    view.stopTimer(Timer::CountDownTimer2);
    view.startTimer(Timer::CountDownTimer);
}

void CountDownTimerTimer(AdjustFrame& frame) {
    AdjustView& view = frame.view();
    CountDownState& cd = frame.state().countDown;
    view.stopTimer(Timer::CountDownTimer);
    view.startTimer(Timer::CountDownTimer2);
    cd.current = cd.secondPhase ? cd.other - 1 : kCountDownStart - 1;
    if (cd.current <= 0) {
        view.stopTimer(Timer::CountDownTimer);
        view.stopTimer(Timer::CountDownTimer2);
        view.setWidgetVisible(Widget::DischargeCompleteLbl, true);
    }
    view.setCountDownText(std::to_string(cd.current));
}

void CountDownTimer2Timer(AdjustFrame& frame) {
    AdjustView& view = frame.view();
    CountDownState& cd = frame.state().countDown;
    view.stopTimer(Timer::CountDownTimer2);
    view.startTimer(Timer::CountDownTimer);
    cd.other = cd.current - 1;
    view.setCountDownText(std::to_string(cd.other));
    if (cd.other <= 0) {
        view.stopTimer(Timer::CountDownTimer);
        view.stopTimer(Timer::CountDownTimer2);
        view.setCountDownText("");
        view.setWidgetVisible(Widget::DischargeCompleteLbl, true);
    }
    cd.secondPhase = true;
}

Status ProCounterOKBtnClick(AdjustFrame& frame, CounterChoice choice) {
    frame.HideAllPanels(false);
    if (choice == CounterChoice::Clear) {
        frame.view().showPanel(Panel::NewProCounterClearPnl);
        return kOk;
    }
    frame.view().showPanel(Panel::ProCounterCheckPnl);
    const Status status = ShowCounter(frame, msg::kProtectionCounterIs, kProtectionCounterName,
                                      &TPMaintenance::ReadProtectionCounter);
    if (status == kOk) {
        frame.ShowStatus(StatusMode::Append, msg::kPoints);
    }
    return status;
}

Status OldInkPadClearBtnClick(AdjustFrame& frame) {
    return ClearCounter(frame, &TPMaintenance::ClearProtectionCounter, 0);
}

Status NewInkPadClearBtnClick(AdjustFrame& frame) {
    return ClearCounter(frame, &TPMaintenance::PresetProtectionCounter, kNewInkPadCount);
}

Status PageCountOKBtnClick(AdjustFrame& frame) {
    return ShowCounter(frame, msg::kPageCounterIs, kPageCounterName,
                       &TPMaintenance::ReadPageCounter);
}

Status PrintPassCountOKBtnClick(AdjustFrame& frame) {
    return ShowCounter(frame, msg::kPrintPassCounterIs, kPrintPassCounterName,
                       &TPMaintenance::ReadPrintPassCounter);
}

}  // namespace veltra
