// Commands over the link: printer status, EEPROM table and byte write, EEPROM initialization,
// counters, Bi-D and PF values.
#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "cli/CliApp.h"
#include "procedures/Adjustment.h"
#include "procedures/EepromData.h"
#include "procedures/Identity.h"
#include "procedures/Maintenance.h"

namespace veltra::cli {

namespace {

// A hexadecimal text as the table shows it; -1 when it is empty or not one.
long hexValue(const std::string& text) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 16);
    return text.empty() || *end != '\0' || value < 0 ? -1 : value;
}

// --json: the first value of the status area as "value" (a number when it is one).
int withValue(CliSession& s, Status status) {
    if (status == kOk && !s.view.sawFailure() && !s.view.fields().empty()) {
        s.json.addJson("value", jsonNumberOrString(firstField(s.view)));
    }
    return exitCode(status);
}

struct BidField {
    const char* option;  // as typed on the command line
    std::size_t row;     // index into kBidRows
};
constexpr std::array<BidField, 8> kBidFields{{
    {"vsd1-black", 0},
    {"vsd1-color", 1},
    {"vsd2-black", 2},
    {"vsd2-color", 3},
    {"vsd3-black", 4},
    {"vsd3-color", 5},
    {"eco-black", 6},
    {"eco-color", 7},
}};

// --json: the eight values of "bid read" under the field names of "bid write".
std::string bidValues(const TextView& view) {
    JsonObject values;
    for (const auto& [label, value] : view.fields()) {
        for (const BidField& f : kBidFields) {
            if (label == std::string(kBidRows[f.row].name) + " value") {
                values.addJson(f.option, jsonNumberOrString(value));
            }
        }
    }
    return values.str();
}

// The EEPROM table from start to end (as typed), on stdout and, with --json, as numbers.
int readEeprom(CliSession& s, const std::string& first, const std::string& last) {
    s.view.setEntryText(Entry::EepReadBegEdit, upper(first));
    s.view.setEntryText(Entry::EepReadEndEdit, upper(last));
    const Status status = EepromReadOkBtnClick(s.frame);
    if (status != kOk || s.view.sawFailure()) {
        return 1;
    }
    const long start = hexValue(first);
    const long end = hexValue(last);
    // Only the rows that hold the bytes asked for.
    s.view.printGrid(s.out, int(start / 16), int(end / 16));
    std::vector<std::string> data;
    for (long address = start; address >= 0 && address <= end; ++address) {
        const long byte = hexValue(s.view.gridCell(int(1 + address / 16), int(1 + address % 16)));
        data.push_back(byte < 0 ? "null" : std::to_string(byte));
    }
    s.json.addNumber("start", start).addNumber("end", end).addJson("data", jsonArray(data));
    return 0;
}

// The Bi-D input panel with only the named field ticked and filled in, then its OK.
int writeBid(CliSession& s, const std::string& field, const std::string& value) {
    for (const BidField& f : kBidFields) {
        const BidRow& row = kBidRows[f.row];
        s.view.setChecked(row.box, field == f.option);
        if (field == f.option) {
            s.view.setEntryText(row.entry, value);
        }
    }
    return exitCode(BidWrtOKBtnClick(s.frame));
}

void addEepromCommands(CliApp& cli) {
    CLI::App& eeprom = addGroup(cli, "eeprom", "EEPROM data");

    auto range = std::make_shared<std::array<std::string, 2>>();
    CLI::App& read =
        addCommand(cli, eeprom, "read", "Show addresses START to END as a table",
                   [range](CliSession& s) { return readEeprom(s, (*range)[0], (*range)[1]); });
    read.add_option("START", (*range)[0], "Start address, two hexadecimal digits")->required();
    read.add_option("END", (*range)[1], "End address, two hexadecimal digits")->required();

    auto byte = std::make_shared<std::array<std::string, 2>>();
    CLI::App& write = addCommand(cli, eeprom, "write", "Write one byte", [byte](CliSession& s) {
        s.view.setEntryText(Entry::EepWriteAddEdit, upper((*byte)[0]));
        s.view.setEntryText(Entry::EepWriteDataEdit, upper((*byte)[1]));
        return exitCode(EepromWriteOkBtnClick(s.frame));
    });
    write.add_option("ADDR", (*byte)[0], "Address, two hexadecimal digits")->required();
    write.add_option("DATA", (*byte)[1], "Data, two hexadecimal digits")->required();

    addCommand(cli, eeprom, "init", "EEPROM initialization (factory settings of a new main board)",
               runs(DefaultSetBtnClick));
    addEepromFileCommands(cli, eeprom);
}

// A body that runs one procedure and, with --json, gives the value it shows.
template <class... Args>
CommandBody showsValue(Status (*procedure)(AdjustFrame&, Args...),
                       std::type_identity_t<Args>... args) {
    return [=](CliSession& s) { return withValue(s, procedure(s.frame, args...)); };
}

void addCounterCommands(CliApp& cli) {
    CLI::App& counter = addGroup(cli, "counter", "Protection, page and pass counters");
    addCommands(cli, counter,
                {
                    {"protection", "Show the protection (waste ink) counter",
                     showsValue(ProCounterOKBtnClick, CounterChoice::CheckPresent)},
                    {"page", "Show the page counter", showsValue(PageCountOKBtnClick)},
                    {"passes", "Show the print pass counter", showsValue(PrintPassCountOKBtnClick)},
                });
    addCommand(cli, counter, "clear",
               "Clear the protection counter; PAD is one of: old, new (old: counter 0; new: "
               "counter 3937, for a new ink pad)",
               "PAD", "old: counter 0; new: counter 3937",
               [](CliSession& s, const std::string& pad) {
                   return exitCode(pad == "old" ? OldInkPadClearBtnClick(s.frame)
                                                : NewInkPadClearBtnClick(s.frame));
               })
        .get_option("PAD")
        ->check(CLI::IsMember({"old", "new"}));
}

void addBidPfCommands(CliApp& cli) {
    CLI::App& bid = addGroup(cli, "bid", "Bi-D adjustment values");
    addCommand(cli, bid, "read", "Show the present Bi-D values", [](CliSession& s) {
        const Status status = BidOKBtnClick(s.frame, BidChoice::CheckPresent);
        if (status == kOk && !s.view.sawFailure()) {
            s.json.addJson("values", bidValues(s.view));
        }
        return exitCode(status);
    });
    auto field = std::make_shared<std::string>();
    auto value = std::make_shared<std::string>();
    std::vector<std::string> names;
    std::string allowed;
    for (const BidField& f : kBidFields) {
        names.emplace_back(f.option);
        allowed += (allowed.empty() ? "" : ", ") + std::string(f.option);
    }
    CLI::App& write = addCommand(
        cli, bid, "write", "Write one Bi-D value (-60 to 60); FIELD is one of: " + allowed,
        [field, value](CliSession& s) { return writeBid(s, *field, *value); });
    write.add_option("FIELD", *field, "Field")->required()->check(CLI::IsMember(names));
    write.add_option("VALUE", *value, "Value read off the pattern")->required();

    CLI::App& pf = addGroup(cli, "pf", "Paper feed adjustment value");
    addCommand(cli, pf, "read", "Show the present PF value",
               showsValue(PFOKBtnClick, PfChoice::CheckPresent));
    addCommand(cli, pf, "write", "Write the PF value (-4 to 4)", "VALUE",
               "Value read off the pattern", [](CliSession& s, const std::string& pfValue) {
                   s.view.setEntryText(Entry::PFEdit, pfValue);
                   return exitCode(PFWriteOKBtnClick(s.frame));
               });
}

}  // namespace

void addLinkCommands(CliApp& cli) {
    addCommand(cli, cli.app(), "status", "Read and show the printer status",
               [](CliSession& s) { return exitCode(s.frame.GetStatusBtnClick()); });
    addEepromCommands(cli);
    addCounterCommands(cli);
    addBidPfCommands(cli);
}

}  // namespace veltra::cli
