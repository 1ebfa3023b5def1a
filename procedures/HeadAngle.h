#pragma once
// The head angle adjustment (pattern print, decision, fastener question, instructions while the
// printer is polled for the cleaning that the ink switch starts, check print) and the CR motor
// drive dispersion registration (measurement sequence or fixed value).
#include <cstdint>

#include "link/Clock.h"
#include "link/Mald4comm.h"
#include "link/Malfactory.h"
#include "procedures/AdjustFrame.h"

namespace veltra {

// The items of HdAngAdjustRdoGrp, in the group's order.
enum class HeadAngleChoice { AdjustHeadAngle, NoNeedToAdjust };
// The items of SusPlateSelectRdoGrp, in the group's order.
enum class FastenerChoice { New, Old };

// The CR motor drive dispersion value (signed) registered without measuring. The value lives at
// eeprom_address::kCrDispersion; the printer leaves each measurement reading at
// eeprom_address::kCrReading, high byte first.
inline constexpr std::uint8_t kCrDispersionFixedValue = 0x19;

// The navigation lock of the head angle adjustment: the tabs, the maintenance items, "Quit" and
// "Status" are disabled while locked.
void SetHeadAngleLock(AdjustView& view, bool locked);
// However a head angle adjustment ends (done, failed, not needed, window closed): the polling
// timer stops, the fastener question comes again next time and the lock is lifted.
void EndHeadAngleAdjustment(AdjustFrame& frame);

// Prints the head angle pattern and shows the decision panel (locked).
Status HdAngItemsOKBtnClick(AdjustFrame& frame);
// The decision after a pattern print.
Status HdAngStep1OKBtnClick(AdjustFrame& frame, HeadAngleChoice choice);
// The fastener question: shows its instructions and starts HeadAngGetStatusTimer.
void SusPlateSelectOKBtnClick(AdjustFrame& frame, FastenerChoice choice);
// A tick of HeadAngGetStatusTimer: waits out a cleaning and prints the check pattern.
void HeadAngGetStatusTimerTimer(AdjustFrame& frame);
// After a new-fastener adjustment: back to the start, page ejected, lock lifted.
Status HeadAngCompleteBtnClick(AdjustFrame& frame);

// Registers the CR motor drive dispersion by the ticked replaced parts, after a question.
// Returns kOk also when nothing was to be done or the question was cancelled.
Status CRHeatProtectOffsetOKBtnClick(AdjustFrame& frame);

// The dispersion value from the sums of the three readings after unit 4 (a) and after unit 3
// (b): (576 + a - b) / 3 toward zero; above 45 becomes 120, below -45 becomes -120.
std::int8_t CrDispersionValue(std::int32_t a, std::int32_t b);

// The printer's measurement sequence: moves, readings, the value written to 0x79, FinishValues,
// carriage motor released. Stops at the first failing step and returns its status; once the
// motor is held (MechSet(6, 268)), a failure that is not a port failure is followed by
// MechSet(6, 0) as a best effort, so that the motor is not left held. written gets the value
// written to 0x79. Its waits, kCrMeasurementWaitMs in all, are slept through the meter.
inline constexpr std::int64_t kCrMeasurementWaitMs = 31000;
class ProgressMeter;
Status RunCrMeasurement(TPFactory& factory, TPD4Comm& link, ProgressMeter& meter,
                        std::int8_t& written);

// True for the two marks of a measurement outside -45..45.
bool IsCrOutOfRangeMark(std::int8_t value);

}  // namespace veltra
