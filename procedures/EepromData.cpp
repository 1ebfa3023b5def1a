#include "procedures/EepromData.h"

#include <map>
#include <optional>
#include <string>

#include "procedures/EepromBackup.h"
#include "procedures/JournalGuard.h"
#include "procedures/Progress.h"

namespace veltra {

namespace {

constexpr std::size_t kHexFieldLength = 2;
constexpr int kAddressCount = 256;

std::string HexText(const TPDataManu& manu, std::uint8_t value) {
    char digits[3] = {};
    manu.ByteToHex(value, digits);
    return std::string(digits, kHexFieldLength);
}

Status RejectInput(AdjustFrame& frame, Entry focus) {
    frame.Refuse(kInputRejected, msg::kInputDataWrong);
    frame.view().setFocus(focus);
    return kInputRejected;
}

void EmptyGrid(AdjustView& view) {
    for (int address = 0; address < kAddressCount; ++address) {
        view.setGridCell(GridRow(std::uint8_t(address)), GridColumn(std::uint8_t(address)), "");
    }
}

}  // namespace

std::optional<std::uint8_t> HexPairField(std::string_view text) {
    std::uint8_t value = 0;
    if (text.size() != kHexFieldLength || !TPDataManu{}.HexToByte(text[0], text[1], value)) {
        return std::nullopt;
    }
    return value;
}

void EepromItemsOKBtnClick(AdjustFrame& frame, EepromChoice choice) {
    AdjustView& view = frame.view();
    frame.HideAllPanels(false);
    if (choice == EepromChoice::Check) {
        view.showPanel(Panel::EEPROMCheckPnl);
        view.setEntryText(Entry::EepReadBegEdit, "");
        view.setEntryText(Entry::EepReadEndEdit, "");
        view.setFocus(Entry::EepReadBegEdit);
    } else {
        view.showPanel(Panel::EEPROMChangePnl);
        view.setEntryText(Entry::EepWriteAddEdit, "");
        view.setEntryText(Entry::EepWriteDataEdit, "");
        view.setFocus(Entry::EepWriteAddEdit);
    }
}

Status EepromReadOkBtnClick(AdjustFrame& frame) {
    AdjustView& view = frame.view();
    ProgramObjects& o = frame.objects();
    ProcedureResult& result = frame.NewResult();
    const std::string begText = view.entryText(Entry::EepReadBegEdit);
    const std::string endText = view.entryText(Entry::EepReadEndEdit);
    if (begText.size() != kHexFieldLength) {
        return RejectInput(frame, Entry::EepReadBegEdit);
    }
    if (endText.size() != kHexFieldLength) {
        return RejectInput(frame, Entry::EepReadEndEdit);
    }
    const std::optional<std::uint8_t> first = HexPairField(begText);
    if (!first) {
        return RejectInput(frame, Entry::EepReadBegEdit);
    }
    const std::optional<std::uint8_t> last = HexPairField(endText);
    if (!last || *last < *first) {
        return RejectInput(frame, Entry::EepReadEndEdit);
    }

    frame.HideAllPanels(false);
    view.setWidgetVisible(Widget::StatusMemo, false);
    view.showPanel(Panel::EEPROMGridPnl);
    EmptyGrid(view);
    // The busy lock for the whole readout: a click made during it must not act on the table
    // afterwards.
    view.setHourglass(true);
    view.setWindowEnabled(false);
    ProgressMeter meter(view, o.clock, int(*last) - int(*first) + 1);
    for (int a = 0; a < kAddressCount; ++a) {
        const auto address = std::uint8_t(a);
        if (address < *first || address > *last) {
            continue;
        }
        std::uint8_t value = 0;
        const Status status = o.link.ReadEepromByte(address, value);
        if (status != kOk) {
            // No partial table may stay behind: back to the address entry with the message.
            EmptyGrid(view);
            frame.HideAllPanels(false);
            view.showPanel(Panel::EEPROMCheckPnl);
            frame.ReportStatus(status);
            view.setHourglass(false);
            result.read.clear();  // as the table: nothing of a failed read is kept
            return status;
        }
        result.read.push_back({address, value});
        view.setGridCell(GridRow(address), GridColumn(address), HexText(o.dataManu, value));
        meter.advance();
        view.repaint();
    }
    view.setHourglass(false);
    view.setWindowEnabled(true);
    return kOk;
}

Status EepromWriteOkBtnClick(AdjustFrame& frame) {
    AdjustView& view = frame.view();
    ProgramObjects& o = frame.objects();
    ProcedureResult& result = frame.NewResult();
    const std::optional<std::uint8_t> address =
        HexPairField(view.entryText(Entry::EepWriteAddEdit));
    const std::optional<std::uint8_t> data = HexPairField(view.entryText(Entry::EepWriteDataEdit));
    if (!address || !data) {
        return RejectInput(frame, Entry::EepWriteAddEdit);
    }
    JournalGuard journal(frame, "eeprom write", {*address}, {{*address, *data}});
    if (!journal.ok()) {
        return journal.status();
    }
    const Status status = o.link.WriteEepromByte(*address, *data);
    if (status != kOk) {
        frame.ReportStatus(status);  // worded before the read-back replaces the link's detail
        // A reply lost after the printer took the byte leaves it written: ask what it holds.
        std::optional<std::uint8_t> held;
        if (std::uint8_t value = 0;
            LinkMayStillAnswer(o, status) && o.link.ReadEepromByte(*address, value) == kOk) {
            held = value;
        }
        journal.record(EntryState::Failed,
                       held ? std::map<std::uint8_t, std::uint8_t>{{*address, *held}}
                            : std::map<std::uint8_t, std::uint8_t>{});
        frame.ShowStatus(StatusMode::NewLine, NowHoldsText(*address, held));
        return status;
    }
    result.written.push_back({*address, *data});
    journal.record(EntryState::Finished, {{*address, *data}}, true);
    frame.ShowStatus(StatusMode::Replace, msg::kAddressIs);
    frame.ShowStatus(StatusMode::Append, HexText(o.dataManu, *address));
    frame.ShowStatus(StatusMode::NewLine, msg::kDataIs);
    frame.ShowStatus(StatusMode::Append, HexText(o.dataManu, *data));
    return kOk;
}

Status A3PPrintOKBtnClick(AdjustFrame& frame) {
    ProgramObjects& o = frame.objects();
    VELTRA_TRY(frame.ShowStatus(StatusMode::Busy, msg::kA4Printing));
    PrintResult printed;
    {
        ProgressMeter meter(frame.view(), o.clock, TPCheckPattern::kBands);
        o.raster.setBandObserver([&meter] { meter.advance(); });
        printed = o.printJobs.ReportPrint();
        o.raster.setBandObserver({});
    }
    if (!printed.ok()) {
        // A head ID or USB ID stored in a bad form fails the report with its code's detail.
        frame.ReportStatus(printed.status, o.checkPattern.CodeDetail());
        return printed.status;
    }
    return frame.ShowStatus(StatusMode::Completed, msg::kCompletionPrinting);
}

}  // namespace veltra
