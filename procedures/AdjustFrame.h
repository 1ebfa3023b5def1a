#pragma once
// AdjustFrame: the window-independent part of the individual adjustment window. It owns the
// rules every procedure relies on — the status area's six modes with their ready waits, the
// translation of a failed status into a message, the busy lock, the reset before a panel change,
// the item lists and which panel each item opens — and carries them out through an AdjustView.
// The Qt window and the command line both drive it; the window forwards its events here.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codes/CodeResult.h"
#include "link/Status.h"
#include "procedures/AdjustView.h"
#include "procedures/Messages.h"
#include "procedures/ProcedureResult.h"
#include "procedures/ProgramObjects.h"

namespace veltra {

// How ShowStatus writes (the numbers are the window's mode numbers).
enum class StatusMode : int {
    Replace = 1,    // black, replaces the text
    Completed = 2,  // waits until ready; black; normal cursor; starts DisableTimer; replaces
    Busy = 3,       // waits until ready; blue; hourglass; window disabled; replaces
    Error = 4,      // red; normal cursor; window enabled; replaces
    Append = 5,     // appends without a line break
    NewLine = 6,    // adds the text as a new line
};

// One entry of an item list: its caption and the panel it opens.
struct ItemEntry {
    std::string_view text;
    Panel panel;
};

inline constexpr std::array<ItemEntry, 8> kNormalAdjustItems{{
    {msg::kItemEepromInit, Panel::DefaultSetPnl},
    {msg::kItemHeadId, Panel::HeadIDItemsPnl},
    {msg::kItemCrMotor, Panel::CRHeatProtectOffsetPnl},
    {msg::kItemHeadAngular, Panel::HdAngItemsPnl},
    {msg::kItemBid, Panel::BidItemsPnl},
    {msg::kItemPf, Panel::PFItemsPnl},
    {msg::kItemUsbId, Panel::USBIDItemsPnl},
    {msg::kItemTopMargin, Panel::TopMarginMainPnl},
}};

// Offered while the printer reports its error state.
inline constexpr std::array<ItemEntry, 5> kErrorAdjustItems{{
    {msg::kItemEepromInit, Panel::DefaultSetPnl},
    {msg::kItemHeadId, Panel::HeadIDItemsPnl},
    {msg::kItemUsbId, Panel::USBIDItemsPnl},
    {msg::kItemProtectionCounter, Panel::ProCounterItemsPnl},
    {msg::kItemEepromData, Panel::EEPROMItemsPnl},
}};

inline constexpr std::array<ItemEntry, 7> kMaintItems{{
    {msg::kItemHeadCleaning, Panel::CleaningPnl},
    {msg::kItemInkCharge, Panel::InkChargePnl},
    {msg::kItemInkChargeJig, Panel::InkChargeJigPnl},
    {msg::kItemRefurbishment, Panel::TraStep0Pnl},
    {msg::kItemProtectionCounter, Panel::ProCounterItemsPnl},
    {msg::kItemPageCounter, Panel::PageCounterPnl},
    {msg::kItemPrintPassCounter, Panel::PrintPassCountPnl},
}};

inline constexpr std::array<ItemEntry, 1> kPatternPrnItems{{
    {msg::kItemA4Printing, Panel::A3PPrintPnl},
}};

inline constexpr std::array<ItemEntry, 1> kAppendixItems{{
    {msg::kItemEepromData, Panel::EEPROMItemsPnl},
}};

// The "Previous" buttons and the first panel of their item.
enum class PreviousButton {
    HeadIDInputRtnBtn,
    UsbIdInputRtnBtn,
    BidWrtRtnBtn,
    PFRtnBtn,
    TopMarginRtnBtn,
    CounterCheckRtnBtn,
    CounterClearRtnBtn,
    EepromReadRtnBtn,
    EepromWriteRtnBtn,
    EepromGridRtnBtn,
    EepromDiffRtnBtn,
    EepromHistoryRtnBtn,
};
Panel PreviousPanel(PreviousButton button);

// The power-off count-down after the transportation liquid exchange.
struct CountDownState {
    int current = 0;           // number shown by CountDownTimer's tick
    int other = 0;             // number shown by CountDownTimer2's tick
    bool secondPhase = false;  // set once CountDownTimer2 has ticked
};

enum class TopMarginSeries : std::uint8_t { None, Low, High };

// The window's own fields; the window (or the command line) owns one and hands it to the frame.
struct AdjustState {
    bool TransLiquidDone = false;  // the printer was asked to be switched off
    bool errorItemList = false;    // AdjustRdoGrp holds the error-state list
    CountDownState countDown;      // power-off count-down
    TopMarginSeries topMarginSeries = TopMarginSeries::None;  // series of the last read
    std::vector<std::string> topMarginLabels;                 // combo items of the last read
    std::uint8_t HeadAngFastenerChosen = 0;                   // head angle: fastener type chosen
    std::uint8_t HeadAngFastenerOld = 0;                      // head angle: 0 "New", 1 "Old"
};

class AdjustFrame {
public:
    // Every ready wait of the link that has to poll is shown in the view while this frame lives.
    AdjustFrame(ProgramObjects& objects, AdjustView& view, AdjustState& state);
    ~AdjustFrame();
    AdjustFrame(const AdjustFrame&) = delete;
    AdjustFrame& operator=(const AdjustFrame&) = delete;

    ProgramObjects& objects() { return objects_; }
    AdjustView& view() { return view_; }
    AdjustState& state() { return state_; }

    // Once, when the window is created: reset, canvas, grid headings, TransLiquidDone cleared.
    void Create();

    // The reset before every panel change. Unless keepStatus, empties the status area (black).
    void HideAllPanels(bool keepStatus = false);

    // Writes to the status area. Returns kOk, or the failing status of the ready wait of modes 2
    // and 3 (already reported through ReportStatus; the text is then not written). With
    // reportPrinterError false, a ready wait that finds the printer's error state is left for the
    // caller to word (kPrinterError, nothing written).
    Status ShowStatus(StatusMode mode, std::string_view text, bool reportPrinterError = true);

    // Shows text in red as ShowStatus's Error mode does and keeps status as the procedure's
    // outcome: for refusals the procedure words itself (input refused, journal failed).
    Status Refuse(Status status, std::string_view text);

    // Enables the window and shows the message of a failed status. detail is the format unit's
    // code for 0x5000 (head ID) and 0x8000 (USB ID); for 0x7000 it defaults to TPBid::LastError.
    void ReportStatus(Status status, Detail detail = kNoError);
    void ReportStatus(const CodeResult& result) { ReportStatus(result.status, result.detail); }

    // The message ReportStatus gives a link failure (port, transport, factory reply) or a
    // printer error, as the failing objects' detail codes stand now; "" when it gives none.
    std::string FailureMessage(Status status) const;
    // A port transfer failure's message, with the system's reason on a second line when it gave
    // one.
    std::string WithSystemReason(std::string_view text) const;

    // The printer error message of the last status read, in red ("Unknown error" with a second
    // line "Error Code:" and the raw code). Nothing when the reply carried no "ER:" field.
    void ShowPrinterError();

    // The data of the procedure that ran last. A procedure starts its record with NewResult;
    // ReportStatus and Refuse note the first failure in it, with its detail code and words.
    ProcedureResult& NewResult();
    ProcedureResult& result() { return result_; }
    const ProcedureResult& result() const { return result_; }

    // Fills AdjustRdoGrp with the normal or the error-state list by the last printer state.
    void BuildItemList();

    // Item choice of the four groups; an index outside the list does nothing.
    void AdjustRdoGrpClick(int index);
    void MaintRdoGrpClick(int index);
    void PatternPrnItemsRdoGrpClick(int index);
    void AppendixRdoGrpClick(int index);
    void PreviousClick(PreviousButton button);
    void AdjustmentTabChange();

    // Shows the model name and reads the status (each time the window is shown).
    void FormShow();
    // Reads and shows the printer status, then rebuilds the item list. Returns the read's status.
    Status GetStatusBtnClick();
    // Resets the window, empties the summary (but top margin and PF), shows the exit question,
    // shuts the link unless TransLiquidDone, closes the port, clears TransLiquidDone.
    void FormClose();

    // A tick of one of the window's timers: DisableTimer, the two count-down timers of the
    // liquid exchange, and HeadAngGetStatusTimer of the head angle adjustment.
    void OnTimer(Timer timer);
    void DisableTimerTimer();  // ends the busy lock

private:
    void ChooseItem(Group group, std::span<const ItemEntry> items, int index);
    void NoteFailure(Status status, Detail detail, std::string_view words);

    ProgramObjects& objects_;
    AdjustView& view_;
    AdjustState& state_;
    // Set during the ready wait of ShowStatus mode 2: the printer is finishing what it was asked.
    bool finishingAsked_ = false;
    ProcedureResult result_;
};

// The text of a Bi-D range detail code 0x1001-0x1008; "" for any other.
std::string_view BidRangeMessage(Detail detail);

}  // namespace veltra
