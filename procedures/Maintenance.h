#pragma once
// The maintenance items: head cleaning, ink charge, ink charge with the ink supply jig, the
// transportation liquid exchange with its power-off count-down, and the protection, page and
// print pass counters. Each handler takes the frame (which carries the program objects, the
// view and the window state) and returns kOk or the first failing status, already reported.
#include <cstdint>
#include <string_view>

#include "link/Malfactory.h"
#include "procedures/AdjustFrame.h"

namespace veltra {

// Service sequence numbers of CleanCharge.
inline constexpr std::uint8_t kCleaningSequence = 4;
inline constexpr std::uint8_t kInkChargeSequence = 6;

// Mechanism units of MechSet and MechRun shared by the sequences and the CR motor measurement.
// What a unit moves belongs to the printer.
inline constexpr std::uint8_t kUnitCarriage = 0;
inline constexpr std::uint8_t kUnitCrMotor = 6;

// The mechanism sequences. Each sends its steps in order, stops at the first failing step and
// returns its status; kOk when every step was accepted. A meter, when given, counts each step
// sent.
class ProgressMeter;
enum class PumpLength { Short, Long };
Status SeqPark(TPFactory& factory, ProgressMeter* meter = nullptr);
Status SeqSweep(TPFactory& factory, ProgressMeter* meter = nullptr);
Status SeqRelease(TPFactory& factory, ProgressMeter* meter = nullptr);
Status SeqPump(TPFactory& factory, PumpLength length, ProgressMeter* meter = nullptr);
Status SeqReturn(TPFactory& factory, ProgressMeter* meter = nullptr);
Status SeqFill(TPFactory& factory, ProgressMeter* meter = nullptr);
Status SeqEnd(TPFactory& factory, ProgressMeter* meter = nullptr);
Status SeqExchangeStart(TPFactory& factory, ProgressMeter* meter = nullptr);
Status SeqExchangeCycle(TPFactory& factory, ProgressMeter* meter = nullptr);
Status SeqJigCharge(TPFactory& factory, int pass,
                    ProgressMeter* meter = nullptr);  // pass 0 or 1

// Mechanism steps of both passes of the jig ink charge, and of the liquid exchange from its start
// sequence to its end: the steps of their progress.
inline constexpr int kJigChargeFrames = 95;
inline constexpr int kExchangeFrames = 322;

// Head cleaning (CL3): busy, CleanCharge(4), completed.
Status CleaningOKBtnClick(AdjustFrame& frame);
// Ink charge: busy, CleanCharge(6), completed.
Status ChargeOKBtnClick(AdjustFrame& frame);
// Ink charge with the jig: busy, SeqJigCharge(0), SeqJigCharge(1), completed.
Status ChargeForJigOKBtnClick(AdjustFrame& frame);

// Transportation liquid exchange. Always runs to its end whatever a command returns, so that the
// printer ends in its transport state. When every step reached the printer: TraStep4Pnl with
// the completion text, TransLiquidDone set, kOk. Otherwise the first failure's message in red
// and how many of the steps failed; no completion, no TraStep4Pnl, TransLiquidDone left clear;
// returns the first failing status.
Status MessageOKBtnClick(AdjustFrame& frame);
// The power-off count-down: OK starts it, the two timers hand over to each other once a second.
// The memo counts 10 down to 1; the eleventh tick shows 0 and the "remove AC cable" label.
void PowerSwOffOKBtnClick(AdjustFrame& frame);
void CountDownTimerTimer(AdjustFrame& frame);
void CountDownTimer2Timer(AdjustFrame& frame);

// The names of the counters in the procedures' results.
inline constexpr std::string_view kProtectionCounterName = "protection-counter";
inline constexpr std::string_view kPageCounterName = "page-counter";
inline constexpr std::string_view kPrintPassCounterName = "pass-counter";

// Protection counter: the choice of CounterRdoBtn.
enum class CounterChoice { CheckPresent, Clear };
Status ProCounterOKBtnClick(AdjustFrame& frame, CounterChoice choice);
Status OldInkPadClearBtnClick(AdjustFrame& frame);  // counter to 0
Status NewInkPadClearBtnClick(AdjustFrame& frame);  // counter to 3937
Status PageCountOKBtnClick(AdjustFrame& frame);
Status PrintPassCountOKBtnClick(AdjustFrame& frame);

}  // namespace veltra
