#include "procedures/HeadAngle.h"

#include <array>

#include "link/EepromAddresses.h"
#include "procedures/JournalGuard.h"
#include "procedures/Maintenance.h"
#include "procedures/Progress.h"

namespace veltra {

namespace {

constexpr std::array<Control, 4> kLockedControls{Control::AdjustmentTab, Control::MaintRdoGrp,
                                                 Control::AdjustRtnBtn, Control::GetStatusBtn};

constexpr int kAdjustItemIndex = 0;  // "Adjusting the head angle" in HdAngAdjustRdoGrp

// The not-necessary message follows a short pause, so that the emptied area is seen first.
constexpr std::int64_t kNotNecessaryPauseMs = 100;

// Mechanism units (besides kUnitCarriage and kUnitCrMotor) and positions of the measurement.
constexpr std::uint8_t kUnitMeasureB = 3;
constexpr std::uint8_t kUnitMeasureA = 4;
constexpr std::int16_t kPositionNear = 268;
constexpr std::int16_t kPositionFar = 1268;
constexpr std::int16_t kCrMotorReleased = 0;
constexpr int kWarmUpStrokes = 5;
constexpr int kReadingsPerSum = 3;
constexpr std::int64_t kSettleMs = 10000;
constexpr std::int64_t kMeasureAWaitMs = 4000;
constexpr std::int64_t kMeasureBWaitMs = 3000;
static_assert(kCrMeasurementWaitMs ==
              kSettleMs + kReadingsPerSum * (kMeasureAWaitMs + kMeasureBWaitMs));

// v = (576 + A - B) / 3; values beyond +-45 are stored as the out-of-range marks +-120.
constexpr std::int32_t kDispersionOffset = 576;
constexpr std::int32_t kDispersionDivisor = 3;
constexpr std::int32_t kDispersionLimit = 45;
constexpr std::int8_t kDispersionOverMark = 120;
constexpr std::int8_t kDispersionUnderMark = -120;

// Busy text, the head angle pattern print, completed text. A failure is reported with its own
// message: the busy text goes, so that "printing" does not stay up over a print that stopped.
Status PrintHeadAnglePattern(AdjustFrame& frame) {
    // A failed ready wait has reported itself.
    VELTRA_TRY(frame.ShowStatus(StatusMode::Busy, msg::kHeadAnglePrinting));
    const PrintResult result = frame.objects().printJobs.HeadAnglePrint();
    if (!result.ok()) {
        frame.ShowStatus(StatusMode::Replace, "");
        frame.ReportStatus(result.status);
        return result.status;
    }
    return frame.ShowStatus(StatusMode::Completed, msg::kCompletionPrinting);
}

// An adjustment that failed: it ends, and the window goes back to the first panel with the
// failure's message kept (unless the failure brought the error-state item list, which has no
// head angle item and shows the empty canvas).
void FailHeadAngleAdjustment(AdjustFrame& frame) {
    EndHeadAngleAdjustment(frame);
    if (!frame.state().errorItemList) {
        frame.HideAllPanels(true);
        frame.view().showPanel(Panel::HdAngItemsPnl);
    }
}

// The end of an adjustment: the start panel, the pattern page ejected, the fastener forgotten
// and the lock lifted. The lock is lifted even when the eject fails, since the start panel
// offers no way back into the sequence and the window could otherwise not be left.
Status BackToStart(AdjustFrame& frame) {
    frame.view().showPanel(Panel::HdAngItemsPnl);
    const PrintResult eject = frame.objects().printJobs.EjectPage();
    if (!eject.ok()) {
        frame.ReportStatus(eject.status);
    }
    EndHeadAngleAdjustment(frame);
    return eject.status;
}

Panel InstructionsPanel(const AdjustState& state) {
    return state.HeadAngFastenerOld != 0 ? Panel::HeadAngOldPnl : Panel::HeadAngNewPnl;
}

// States the printer leaves by itself; the tick reads again at once while one of them lasts.
// Any other state (unknown, before the initial fill) would hold the tick, and with it the
// window, for good: the tick ends and the next one reads again.
bool PassingState(std::int16_t state) {
    return state == printer_state::kBusy || state == printer_state::kPrinting ||
           state == printer_state::kNozzleCheck;
}

Status ReadCrReading(TPD4Comm& link, std::int32_t& reading) {
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    VELTRA_TRY(link.ReadEepromByte(eeprom_address::kCrReading, high));
    VELTRA_TRY(link.ReadEepromByte(eeprom_address::kCrReadingLow, low));
    reading = std::int32_t(high) * 256 + std::int32_t(low);
    return kOk;
}

// Three times: carriage to the far position, the measuring move of unit, wait, read. The sum of
// the three readings goes to sum.
Status MeasureSum(TPFactory& factory, TPD4Comm& link, ProgressMeter& meter, std::uint8_t unit,
                  std::int64_t waitMs, std::int32_t& sum) {
    sum = 0;
    for (int i = 0; i < kReadingsPerSum; ++i) {
        VELTRA_TRY(factory.MechSet(kUnitCarriage, kPositionFar));
        VELTRA_TRY(factory.MechSet(unit, kPositionNear));
        meter.wait(waitMs);
        std::int32_t reading = 0;
        VELTRA_TRY(ReadCrReading(link, reading));
        sum += reading;
    }
    return kOk;
}

}  // namespace

void SetHeadAngleLock(AdjustView& view, bool locked) {
    for (Control control : kLockedControls) {
        view.setControlEnabled(control, !locked);
    }
}

void EndHeadAngleAdjustment(AdjustFrame& frame) {
    frame.view().stopTimer(Timer::HeadAngGetStatusTimer);
    frame.state().HeadAngFastenerChosen = 0;
    SetHeadAngleLock(frame.view(), false);
    if (frame.state().errorItemList) {
        // The error-state item list keeps the maintenance items closed.
        frame.view().setControlEnabled(Control::MaintRdoGrp, false);
    }
}

Status HdAngItemsOKBtnClick(AdjustFrame& frame) {
    frame.HideAllPanels();
    frame.view().showPanel(Panel::HdAngStep1Pnl);
    SetHeadAngleLock(frame.view(), true);
    const Status status = PrintHeadAnglePattern(frame);
    if (status != kOk) {
        FailHeadAngleAdjustment(frame);
    }
    return status;
}

Status HdAngStep1OKBtnClick(AdjustFrame& frame, HeadAngleChoice choice) {
    AdjustView& view = frame.view();
    AdjustState& state = frame.state();
    frame.HideAllPanels();
    const bool firstTime = state.HeadAngFastenerChosen == 0;
    if (choice == HeadAngleChoice::AdjustHeadAngle) {
        if (firstTime) {
            view.showPanel(Panel::HeadAngSusPlateSelectPnl);
        } else {
            view.showPanel(InstructionsPanel(state));
            view.startTimer(Timer::HeadAngGetStatusTimer);
        }
        return kOk;
    }
    Status status = kOk;
    if (!firstTime && state.HeadAngFastenerOld == 0) {
        // The spring goes back in first; nothing is polled meanwhile.
        view.stopTimer(Timer::HeadAngGetStatusTimer);
        view.showPanel(Panel::HeadAngCompletePnl);
    } else {
        status = BackToStart(frame);
    }
    view.setGroupIndex(Group::HdAngAdjustRdoGrp, kAdjustItemIndex);
    return status;
}

void SusPlateSelectOKBtnClick(AdjustFrame& frame, FastenerChoice choice) {
    AdjustState& state = frame.state();
    frame.HideAllPanels();
    state.HeadAngFastenerOld = choice == FastenerChoice::Old ? 1 : 0;
    frame.view().showPanel(InstructionsPanel(state));
    frame.view().startTimer(Timer::HeadAngGetStatusTimer);
    state.HeadAngFastenerChosen = 1;
}

void HeadAngGetStatusTimerTimer(AdjustFrame& frame) {
    TPD4Comm& link = frame.objects().link;
    AdjustView& view = frame.view();
    for (;;) {
        if (const Status s = link.ReadStatus(); s != kOk) {
            // Reported once: a link that stopped answering ends the adjustment rather than
            // repeating its message every second.
            frame.ReportStatus(s);
            FailHeadAngleAdjustment(frame);
            return;
        }
        const std::int16_t state = link.PrinterState();
        if (state == printer_state::kCleaning) {
            // The ink switch was pressed at the end of the instructions: once the cleaning is
            // over, the check pattern is printed.
            if (const Status s = link.WaitStatusReady(); s != kOk) {
                frame.ReportStatus(s);
                FailHeadAngleAdjustment(frame);
                return;
            }
            frame.HideAllPanels();
            view.showPanel(Panel::HdAngStep1Pnl);
            if (PrintHeadAnglePattern(frame) != kOk) {
                FailHeadAngleAdjustment(frame);  // reported
                return;
            }
            SetHeadAngleLock(view, false);
            view.stopTimer(Timer::HeadAngGetStatusTimer);
            return;
        }
        if (state == printer_state::kReady) {
            SetHeadAngleLock(view, true);
            return;
        }
        if (state == printer_state::kError) {
            frame.HideAllPanels();
            view.showPanel(Panel::HdAngItemsPnl);
            frame.ShowPrinterError();
            EndHeadAngleAdjustment(frame);
            return;
        }
        if (!PassingState(state)) {
            return;
        }
    }
}

Status HeadAngCompleteBtnClick(AdjustFrame& frame) {
    frame.HideAllPanels();
    return BackToStart(frame);
}

std::int8_t CrDispersionValue(std::int32_t a, std::int32_t b) {
    const std::int32_t v = (kDispersionOffset + a - b) / kDispersionDivisor;  // toward zero
    if (v > kDispersionLimit) {
        return kDispersionOverMark;
    }
    if (v < -kDispersionLimit) {
        return kDispersionUnderMark;
    }
    return std::int8_t(v);
}

namespace {

// The measurement from the motor held on: moves, readings, the value, FinishValues, release.
Status MeasureWithMotorHeld(TPFactory& factory, TPD4Comm& link, ProgressMeter& meter,
                            std::int8_t& written) {
    for (int i = 0; i < kWarmUpStrokes; ++i) {
        VELTRA_TRY(factory.MechSet(kUnitCarriage, kPositionFar));
        VELTRA_TRY(factory.MechSet(kUnitCarriage, kPositionNear));
    }
    meter.wait(kSettleMs);
    std::int32_t a = 0;
    VELTRA_TRY(MeasureSum(factory, link, meter, kUnitMeasureA, kMeasureAWaitMs, a));
    std::int32_t b = 0;
    VELTRA_TRY(MeasureSum(factory, link, meter, kUnitMeasureB, kMeasureBWaitMs, b));
    const std::int8_t value = CrDispersionValue(a, b);
    // Two's complement byte.
    VELTRA_TRY(link.WriteEepromByte(eeprom_address::kCrDispersion, std::uint8_t(value)));
    written = value;
    VELTRA_TRY(factory.FinishValues());
    return factory.MechSet(kUnitCrMotor, kCrMotorReleased);
}

}  // namespace

bool IsCrOutOfRangeMark(std::int8_t value) {
    return value == kDispersionOverMark || value == kDispersionUnderMark;
}

Status RunCrMeasurement(TPFactory& factory, TPD4Comm& link, ProgressMeter& meter,
                        std::int8_t& written) {
    VELTRA_TRY(SeqPark(factory));
    VELTRA_TRY(factory.MechSet(kUnitCrMotor, kPositionNear));
    const Status s = MeasureWithMotorHeld(factory, link, meter, written);
    if (s != kOk && s != kPortFailure) {
        // The link still answers: release the motor (best effort; the failure stays the result).
        link.DropStagedData();
        factory.MechSet(kUnitCrMotor, kCrMotorReleased);
    }
    return s;
}

Status CRHeatProtectOffsetOKBtnClick(AdjustFrame& frame) {
    AdjustView& view = frame.view();
    ProgramObjects& objects = frame.objects();
    view.setStatusText("");
    view.repaint();
    const bool mainBoard = view.isChecked(CheckBox::ReplaceMainBoardCheckBox);
    const bool psBoard = view.isChecked(CheckBox::ReplacePSBoardCheckBox);
    const bool crMotor = view.isChecked(CheckBox::ReplaceCRMotorCheckBox);
    const bool guideShaft = view.isChecked(CheckBox::ReplaceCRMainShaftCheckBox);
    if (!mainBoard && !psBoard && !crMotor) {
        objects.clock.sleepMs(kNotNecessaryPauseMs);
        frame.ShowStatus(StatusMode::Replace, msg::kCrNotNecessary);
        return kOk;
    }
    // A replaced guide shaft is measured; the boards and the motor alone get the fixed value.
    const bool measure = guideShaft;
    if (!objects.ui.confirm(msg::kConfirmationTitle,
                            measure ? msg::kCrMeasureQuestion : msg::kCrFixedQuestion)) {
        return kOk;
    }
    // The measurement also leaves its readings at 0x7E-0x7F.
    JournalGuard journal(frame, measure ? "crmotor measure" : "crmotor fixed",
                         measure ? std::vector<std::uint8_t>{eeprom_address::kCrDispersion,
                                                             eeprom_address::kCrReading,
                                                             eeprom_address::kCrReadingLow}
                                 : std::vector<std::uint8_t>{eeprom_address::kCrDispersion});
    if (!journal.ok()) {
        return journal.status();
    }
    // A failed ready wait has reported itself.
    VELTRA_TRY(frame.ShowStatus(StatusMode::Busy,
                                measure ? msg::kCrMeasureRunning : msg::kCrFixedWriting));
    Status status = kOk;
    std::int8_t written = 0;
    if (measure) {
        ProgressMeter meter(view, objects.clock, kCrMeasurementWaitMs, kCrMeasurementWaitMs);
        status = RunCrMeasurement(objects.factory, objects.link, meter, written);
    } else {
        status =
            objects.link.WriteEepromByte(eeprom_address::kCrDispersion, kCrDispersionFixedValue);
    }
    if (status != kOk) {
        frame.ReportStatus(status);
        return status;
    }
    status = frame.ShowStatus(StatusMode::Completed, msg::kCrRegistered);
    if (status == kOk && measure && IsCrOutOfRangeMark(written)) {
        frame.ShowStatus(StatusMode::NewLine, msg::kCrOutOfRange);
    }
    return status;
}

}  // namespace veltra
