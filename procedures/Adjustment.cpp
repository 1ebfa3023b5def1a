#include "procedures/Adjustment.h"

#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "link/DecimalText.h"
#include "procedures/JournalGuard.h"

namespace veltra {

namespace {

constexpr int kPfMin = -4;
constexpr int kPfMax = 4;
constexpr int kBidMin = -60;  // TPBid sends nothing for a value outside
constexpr int kBidMax = 60;

// The black byte of a Bi-D kind (4 VSD1, 5 VSD2, 6 VSD3, 7 ECO); colour is at the next address.
std::uint8_t BidAddress(int kind) {
    constexpr std::array<std::uint8_t, 3> kVsd{eeprom_address::kBidVsd1, eeprom_address::kBidVsd2,
                                               eeprom_address::kBidVsd3};
    return kind >= 4 && kind <= 6 ? kVsd[std::size_t(kind - 4)] : eeprom_address::kBidEco;
}

std::string Signed(std::uint8_t byte) {
    return std::to_string(int(std::int8_t(byte)));
}

// Reads one stored byte; a failure is reported.
Status ReadStoredByte(AdjustFrame& frame, std::uint8_t address, std::uint8_t& value) {
    const Status s = frame.objects().link.ReadEepromByte(address, value);
    if (s != kOk) {
        frame.ReportStatus(s);
    } else {
        frame.result().read.push_back({address, value});
    }
    return s;
}

// After a value's write: the closing factory command, then a failure of either reported.
Status FinishWrite(AdjustFrame& frame, Status written) {
    const Status s = written == kOk ? frame.objects().factory.FinishValues() : written;
    if (s != kOk) {
        frame.ReportStatus(s);
    }
    return s;
}

// Prints through one of the shared print paths between the busy and the completed texts.
Status RunPrint(AdjustFrame& frame, std::string_view busyText, PrintResult (PrintJobs::*job)()) {
    VELTRA_TRY(frame.ShowStatus(StatusMode::Busy, busyText));
    const PrintResult result = (frame.objects().printJobs.*job)();
    if (!result.ok()) {
        frame.ReportStatus(result.status);
        return result.status;
    }
    return frame.ShowStatus(StatusMode::Completed, msg::kCompletionPrinting);
}

// A pattern that writes (and commits) trial values and puts the stored ones back at its end: it
// is journalled like any change, since a cut link leaves a trial value in the printer.
Status PrintWithTrialValues(AdjustFrame& frame, std::string_view operation,
                            const std::vector<std::uint8_t>& addresses, std::string_view busyText,
                            PrintResult (PrintJobs::*job)()) {
    JournalGuard journal(frame, operation, addresses);
    if (!journal.ok()) {
        return journal.status();
    }
    const Status s = RunPrint(frame, busyText, job);
    // Done, the stored values are back; else what the printer holds is unknown.
    journal.record(s == kOk ? EntryState::Finished : EntryState::Failed,
                   s == kOk ? journal.entry().before : std::map<std::uint8_t, std::uint8_t>{},
                   s == kOk);
    return s;
}

}  // namespace

Status BidOKBtnClick(AdjustFrame& frame, BidChoice choice) {
    ProgramObjects& o = frame.objects();
    AdjustView& view = frame.view();
    switch (choice) {
        case BidChoice::PrintPattern: {
            std::vector<std::uint8_t> addresses;
            for (int a = eeprom_address::kBidEco; a <= eeprom_address::kBidVsd3 + 1; ++a) {
                addresses.push_back(std::uint8_t(a));
            }
            return PrintWithTrialValues(frame, "bid pattern", addresses, msg::kBidPrinting,
                                        &PrintJobs::BidPrint);
        }
        case BidChoice::Adjust: {
            frame.HideAllPanels();
            view.showPanel(Panel::BidInputPnl);
            for (const BidRow& row : kBidRows) {
                std::string text;
                if (Status s = o.bid.ReadBidValue(row.colour, row.kind, text); s != kOk) {
                    frame.ReportStatus(s);
                    return s;
                }
                view.setEntryText(row.entry, text);
                view.setChecked(row.box, true);  // setting an entry ticks its box
            }
            for (const BidRow& row : kBidRows) {
                view.setChecked(row.box, false);
            }
            return kOk;
        }
        case BidChoice::CheckPresent: {
            ProcedureResult& result = frame.NewResult();
            for (std::size_t i = 0; i < kBidRows.size(); i += 2) {
                std::int8_t values[2] = {};
                for (std::size_t side = 0; side < 2; ++side) {
                    const BidRow& row = kBidRows[i + side];
                    if (Status s = o.bid.ReadBidValue(row.colour, row.kind, values[side]);
                        s != kOk) {
                        frame.ReportStatus(s);
                        return s;
                    }
                    result.read.push_back(
                        {TPBid::Address(row.colour, row.kind), std::uint8_t(values[side])});
                    result.values.push_back({std::string(row.key), values[side]});
                }
                const std::string black = std::to_string(int(values[0]));
                const std::string colour = std::to_string(int(values[1]));
                const std::string name(kBidRows[i].name.substr(0, kBidRows[i].name.find(' ')));
                frame.ShowStatus(i == 0 ? StatusMode::Replace : StatusMode::NewLine,
                                 name + std::string(msg::kBidBlackValue));
                frame.ShowStatus(StatusMode::Append, black);
                frame.ShowStatus(StatusMode::Append,
                                 "  " + name + std::string(msg::kBidColorValue));
                frame.ShowStatus(StatusMode::Append, colour);
            }
            return kOk;
        }
    }
    return kOk;
}

Status BidWrtOKBtnClick(AdjustFrame& frame) {
    ProgramObjects& o = frame.objects();
    AdjustView& view = frame.view();
    ProcedureResult& result = frame.NewResult();
    // The journal holds both bytes of each kind a value in range will be sent for: the printer
    // takes a kind's pair in one command.
    // Each typed value is read once: the journal and the write see the same number.
    std::map<Entry, int> typed;
    std::set<std::uint8_t> changing;
    for (const BidRow& row : kBidRows) {
        const int value = typed[row.entry] = DecimalOr100(view.entryText(row.entry));
        if (view.isChecked(row.box) && value >= kBidMin && value <= kBidMax) {
            changing.insert(BidAddress(row.kind));
            changing.insert(std::uint8_t(BidAddress(row.kind) + eeprom_address::kBidColourOffset));
        }
    }
    if (!changing.empty()) {
        JournalGuard journal(frame, "bid write", {changing.begin(), changing.end()});
        if (!journal.ok()) {
            return journal.status();
        }
    }
    Status overall = kOk;
    bool first = true;
    for (const BidRow& row : kBidRows) {
        if (!view.isChecked(row.box)) {
            continue;
        }
        const std::string text = view.entryText(row.entry);
        const StatusMode mode = first ? StatusMode::Replace : StatusMode::NewLine;
        first = false;
        const Status s =
            o.bid.WriteBidValue(row.colour, row.kind, std::to_string(typed[row.entry]));
        if (s != kOk) {
            frame.ReportStatus(s);
            overall = s;
            continue;
        }
        const auto sent = std::int8_t(typed[row.entry]);
        result.written.push_back({TPBid::Address(row.colour, row.kind), std::uint8_t(sent)});
        result.values.push_back({std::string(row.key), sent});
        frame.ShowStatus(mode, std::string(msg::kBidAsBefore) + std::string(row.name) +
                                   std::string(msg::kBidAsData));
        frame.ShowStatus(StatusMode::Append, text);
        frame.ShowStatus(StatusMode::Append, msg::kBidAsAfter);
        view.setSummary(row.summary, text);
    }
    (void)o.factory.FinishValues();  // its result is not reported
    return overall;
}

Status PFOKBtnClick(AdjustFrame& frame, PfChoice choice) {
    switch (choice) {
        case PfChoice::PrintPattern:
            return PrintWithTrialValues(frame, "pf pattern", {kPfAddress}, msg::kPfPrinting,
                                        &PrintJobs::PfPrint);
        case PfChoice::Adjust:
        case PfChoice::CheckPresent: {
            ProcedureResult& result = frame.NewResult();
            if (choice == PfChoice::Adjust) {
                frame.HideAllPanels();
                frame.view().showPanel(Panel::PFAdjustPnl);
            }
            std::uint8_t value = 0;
            if (Status s = ReadStoredByte(frame, kPfAddress, value); s != kOk) {
                return s;
            }
            result.values.push_back({std::string(kPfName), std::int8_t(value)});
            if (choice == PfChoice::Adjust) {
                frame.view().setEntryText(Entry::PFEdit, Signed(value));
            } else {
                frame.ShowStatus(StatusMode::Replace, msg::kPfValueIs);
                frame.ShowStatus(StatusMode::Append, Signed(value));
            }
            return kOk;
        }
    }
    return kOk;
}

Status PFWriteOKBtnClick(AdjustFrame& frame) {
    ProgramObjects& o = frame.objects();
    ProcedureResult& result = frame.NewResult();
    const std::string text = frame.view().entryText(Entry::PFEdit);
    const int value = DecimalOr100(text);
    if (value < kPfMin || value > kPfMax) {
        return frame.Refuse(kInputRejected, msg::kInputDataWrong);
    }
    JournalGuard journal(frame, "pf write", {kPfAddress});
    if (!journal.ok()) {
        return journal.status();
    }
    if (Status s = FinishWrite(frame, o.factory.SetPfValue(std::int8_t(value))); s != kOk) {
        return s;
    }
    result.written.push_back({kPfAddress, std::uint8_t(std::int8_t(value))});
    result.values.push_back({std::string(kPfName), value});
    frame.ShowStatus(StatusMode::Replace, msg::kPfAsBefore);
    frame.ShowStatus(StatusMode::Append, text);
    frame.ShowStatus(StatusMode::Append, msg::kPfAsAfter);
    frame.view().setSummary(SummaryField::ShowPFPnl, text);
    return kOk;
}

std::vector<std::string> TopMarginLabels(std::uint8_t present, TopMarginSeries& series) {
    for (const auto& [values, which] : {std::pair{kTopMarginLow, TopMarginSeries::Low},
                                        std::pair{kTopMarginHigh, TopMarginSeries::High}}) {
        for (int step = 0; step < int(values.size()); ++step) {
            if (values[std::size_t(step)] != present) {
                continue;
            }
            series = which;
            std::vector<std::string> labels;
            for (int k = 0; k < 5; ++k) {
                const int d = k - step;
                labels.push_back(d == 0 ? "0" : (d > 0 ? "+" : "") + std::to_string(d));
            }
            return labels;
        }
    }
    return {};
}

Status TopMarginMainBtnClick(AdjustFrame& frame, TopMarginChoice choice) {
    if (choice == TopMarginChoice::CheckMargin) {
        return RunPrint(frame, msg::kTopMarginPrinting, &PrintJobs::TopMarginPrint);
    }
    ProcedureResult& result = frame.NewResult();
    frame.HideAllPanels();
    frame.view().showPanel(Panel::TopMarginPnl);
    std::uint8_t value = 0;
    if (Status s = ReadStoredByte(frame, kTopMarginAddress, value); s != kOk) {
        return s;
    }
    result.values.push_back({std::string(kTopMarginName), value});
    TopMarginSeries series = TopMarginSeries::None;
    const std::vector<std::string> labels = TopMarginLabels(value, series);
    if (!labels.empty()) {
        frame.state().topMarginSeries = series;
        frame.state().topMarginLabels = labels;
        frame.view().setTopMarginItems(labels);
    }
    return kOk;
}

Status TopMarginWriteOKBtnClick(AdjustFrame& frame) {
    ProgramObjects& o = frame.objects();
    AdjustView& view = frame.view();
    ProcedureResult& result = frame.NewResult();
    const int index = view.topMarginIndex();
    const TopMarginSeries series = frame.state().topMarginSeries;
    // Without a chosen item of a known series there is no value to write: nothing is sent.
    if (index < 0 || index >= int(frame.state().topMarginLabels.size()) ||
        series == TopMarginSeries::None) {
        return frame.Refuse(kInputRejected, msg::kInputDataWrong);
    }
    const auto& values = series == TopMarginSeries::Low ? kTopMarginLow : kTopMarginHigh;
    JournalGuard journal(frame, "top-margin write", {kTopMarginAddress});
    if (!journal.ok()) {
        return journal.status();
    }
    const std::uint8_t stored = values[std::size_t(index)];
    if (Status s = FinishWrite(frame, o.link.WriteEepromByte(kTopMarginAddress, stored));
        s != kOk) {
        return s;
    }
    result.written.push_back({kTopMarginAddress, stored});
    result.values.push_back({std::string(kTopMarginName), stored});
    const std::string& label = frame.state().topMarginLabels[std::size_t(index)];
    frame.ShowStatus(StatusMode::Replace, msg::kTopMarginAsBefore);
    frame.ShowStatus(StatusMode::Append, label);
    frame.ShowStatus(StatusMode::Append, msg::kTopMarginAsAfter);
    view.setSummary(SummaryField::ShowTopMarginPnl, label);
    return kOk;
}

}  // namespace veltra
