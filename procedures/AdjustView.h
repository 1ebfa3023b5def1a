#pragma once
// AdjustView: what the adjustment procedures need from the individual adjustment window. The Qt
// window implements it with its widgets; the command line implements it with plain text; tests
// record every call. It holds primitives only: the rules (which colour for which status mode,
// what the reset empties, which panel an item opens) live in AdjustFrame, so every
// implementation behaves alike. No member may throw.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veltra {

// Panels of the work area. Exactly one (or none) is on view at a time.
enum class Panel {
    CanvasPanel,  // empty work area, shown when no item is chosen
    // EEPROM initialization, head ID, USB ID
    DefaultSetPnl,
    HeadIDItemsPnl,
    HeadIDInputPnl,
    USBIDItemsPnl,
    USBIDInputPnl,
    // Bi-D, PF, top margin
    BidItemsPnl,
    BidInputPnl,
    PFItemsPnl,
    PFAdjustPnl,
    TopMarginMainPnl,
    TopMarginPnl,
    // head angle, CR motor drive dispersion
    HdAngItemsPnl,
    HdAngStep1Pnl,
    HeadAngSusPlateSelectPnl,
    HeadAngNewPnl,
    HeadAngOldPnl,
    HeadAngCompletePnl,
    CRHeatProtectOffsetPnl,
    // maintenance
    CleaningPnl,
    InkChargePnl,
    InkChargeJigPnl,
    TraStep0Pnl,  // transportation liquid exchange: instructions and OK
    TraStep4Pnl,  // after the exchange: remove the jig, switch off, count-down
    ProCounterItemsPnl,
    ProCounterCheckPnl,
    NewProCounterClearPnl,
    PageCounterPnl,
    PrintPassCountPnl,
    // EEPROM data and check pattern printing
    EEPROMItemsPnl,
    EEPROMCheckPnl,
    EEPROMGridPnl,
    EEPROMChangePnl,
    EEPROMDiffPnl,     // the differences from an image file, and the restore of them
    EEPROMHistoryPnl,  // the change journal's entries of the printer, and undo
    A3PPrintPnl,
};

// Value fields of the "Adjusted items" summary.
enum class SummaryField {
    ShowHdVolIDPnl,
    ShowVSD1BkPnl,
    ShowVSD1ClPnl,
    ShowVSD2BkPnl,
    ShowVSD2ClPnl,
    ShowVSD3BkPnl,
    ShowVSD3ClPnl,
    ShowEcoBkPnl,
    ShowEcoClPnl,
    ShowUSBIDLbl,
    ShowProCounterPnl,
    ShowTopMarginPnl,
    ShowPFPnl,
};

// Text entry fields that procedures read, fill, empty or focus.
enum class Entry {
    LeftHeadIDInputEdit,     // head ID, at most 13 characters, upper case
    OriginalUsbIdInputEdit,  // full USB ID, at most 18 characters, upper case
    UsbIdInputEdit,          // serial number, at most 10 characters, upper case
    PFEdit,                  // PF value, at most 3 characters
    BidVSD1BkWrtEdit,        // the eight Bi-D values, at most 3 characters each
    BidVSD1YMCWrtEdit,
    BidVSD2BkWrtEdit,
    BidVSD2YMCWrtEdit,
    BidVSD3BkWrtEdit,
    BidVSD3YMCWrtEdit,
    BidECOBkWrtEdit,
    BidECOYMCWrtEdit,
    EepReadBegEdit,    // EEPROM readout start address, 2 characters, upper case
    EepReadEndEdit,    // EEPROM readout end address
    EepWriteAddEdit,   // EEPROM write address
    EepWriteDataEdit,  // EEPROM write data
};

enum class CheckBox {
    BidVSD1BkCheckBox,  // the eight Bi-D rows, in the order of their entries
    BidVSD1YMCCheckBox,
    BidVSD2BkCheckBox,
    BidVSD2YMCCheckBox,
    BidVSD3BkCheckBox,
    BidVSD3YMCCheckBox,
    BidECOBkCheckBox,
    BidECOYMCCheckBox,
    ReplaceMainBoardCheckBox,  // replaced parts for the CR motor drive dispersion
    ReplacePSBoardCheckBox,
    ReplaceCRMotorCheckBox,
    ReplaceCRMainShaftCheckBox,
};

// Radio groups whose selection the frame sets (-1 = nothing selected).
enum class Group {
    AdjustRdoGrp,
    MaintRdoGrp,
    PatternPrnItemsRdoGrp,
    AppendixRdoGrp,
    HdAngAdjustRdoGrp,
};

// Controls the procedures enable and disable (the navigation lock).
enum class Control {
    AdjustmentTab,
    MaintRdoGrp,
    PatternPrnItemsRdoGrp,
    AppendixRdoGrp,
    AdjustRtnBtn,  // "Quit"
    GetStatusBtn,  // "Status"
};

// Widgets shown and hidden apart from the panels.
enum class Widget {
    StatusMemo,              // the status area (hidden while the EEPROM table is on view)
    DischargeWaitLbl,        // "Wait for 10 seconds."
    DischargeCountDownMemo,  // the power-off count-down number
    DischargeCompleteLbl,    // "You can remove AC cable now."
};

// The window's 1000 ms timers. A running timer calls AdjustFrame::OnTimer once a second.
enum class Timer {
    DisableTimer,
    CountDownTimer,
    CountDownTimer2,
    HeadAngGetStatusTimer,
};

enum class TextColour { Black, Blue, Red };

// How far a long operation has come: done of total steps (frames sent, bytes read, milliseconds
// waited, bands printed), and the time left where the operation can tell it (-1: not known).
struct Progress {
    std::int64_t done = 0;
    std::int64_t total = 0;
    std::int64_t remainingMs = -1;
};

class AdjustView {
public:
    virtual ~AdjustView() = default;

    // --- status area (lines: set replaces all, append extends the last line, add starts one)
    virtual void setStatusText(std::string_view text) = 0;     // replace the whole text
    virtual void appendStatusText(std::string_view text) = 0;  // add to the end, no line break
    virtual void addStatusLine(std::string_view text) = 0;     // new line (first line if empty)
    virtual std::string statusText() const = 0;                // the whole text, lines by '\n'
    virtual void setStatusColour(TextColour colour) = 0;       // colour of the whole text

    // --- window state
    virtual void setWindowEnabled(bool enabled) = 0;  // false: whole window ignores input
    virtual void setHourglass(bool on) = 0;           // hourglass or normal cursor
    virtual void repaint() = 0;                       // paint now, inside a long handler
    virtual void startTimer(Timer timer) = 0;         // (re)start a 1000 ms timer
    virtual void stopTimer(Timer timer) = 0;          // stop a timer; no-op when stopped

    // --- work area
    virtual void hideAllPanels() = 0;         // hide every panel incl. canvas
    virtual void showPanel(Panel panel) = 0;  // show one panel
    virtual void setWidgetVisible(Widget widget, bool visible) = 0;
    virtual void setCountDownText(std::string_view text) = 0;  // replace the count-down memo

    // --- entries, check boxes, combo, grid
    virtual std::string entryText(Entry entry) const = 0;
    virtual void setEntryText(Entry entry, std::string_view text) = 0;
    virtual void setFocus(Entry entry) = 0;
    virtual bool isChecked(CheckBox box) const = 0;
    virtual void setChecked(CheckBox box, bool checked) = 0;
    virtual void setTopMarginItems(const std::vector<std::string>& items) = 0;  // {} clears
    virtual int topMarginIndex() const = 0;         // -1 when none selected
    virtual void setTopMarginIndex(int index) = 0;  // -1 clears the selection
    virtual void setGridCell(int row, int col, std::string_view text) = 0;  // 0..16 each

    // --- frame: items, navigation, summary
    virtual void setAdjustItems(const std::vector<std::string>& items) = 0;  // fills, no sel.
    virtual void setAdjustCaptions(std::string_view tabCaption, std::string_view groupCaption) = 0;
    virtual void setGroupIndex(Group group, int index) = 0;  // -1 clears the selection
    virtual void setControlEnabled(Control control, bool enabled) = 0;
    virtual void setActiveTab(int index) = 0;  // 0 "Adjustment" ... 3 "Appendix"
    virtual void setSummary(SummaryField field, std::string_view text) = 0;
    virtual void setPrinterName(std::string_view name) = 0;  // SelectPrinterNameLbl
    virtual void showQuitWindow() = 0;  // the exit question, once the link is shut
    // The link is being shut (its pauses, a silent printer's time-out): a view that can say so
    // while it waits does.
    virtual void showClosingLink() {}

    // --- progress of a long operation; a view that shows none keeps the defaults. Shown while
    // the operation runs inside one handler, so it must paint at once.
    virtual void showProgress(const Progress& progress) { (void)progress; }
    virtual void endProgress() {}  // the operation is over (done or failed)
    // A ready wait polls a printer held up by something other than what it was asked to do
    // (busy or printing before a command, out of paper) (true), and that wait is over (false);
    // the status area would otherwise keep an older text.
    virtual void showWaitingForPrinter(bool waiting) { (void)waiting; }
};

}  // namespace veltra
