// Commands over the link: printer status, EEPROM table and byte write, EEPROM initialization,
// counters, Bi-D and PF values. With --json each gives the data of its procedure.
#include <array>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "cli/CliApp.h"
#include "link/DecimalText.h"
#include "link/Malbid.h"
#include "procedures/Adjustment.h"
#include "procedures/EepromData.h"
#include "procedures/Identity.h"
#include "procedures/Maintenance.h"

namespace veltra::cli {

namespace {

constexpr int kPfMin = -4;
constexpr int kPfMax = 4;
constexpr int kBidMin = -60;
constexpr int kBidMax = 60;

struct CodeName {
    std::int16_t code;
    const char* name;
};
constexpr std::array<CodeName, 7> kStateNames{{
    {printer_state::kError, "error"},
    {printer_state::kNozzleCheck, "nozzle-check"},
    {printer_state::kBusy, "busy"},
    {printer_state::kPrinting, "printing"},
    {printer_state::kReady, "ready"},
    {printer_state::kCleaning, "cleaning"},
    {printer_state::kBeforeFill, "before-initial-fill"},
}};
constexpr std::array<CodeName, 8> kErrorNames{{
    {printer_error::kFatal, "fatal"},
    {printer_error::kNotSelected, "not-selected"},
    {printer_error::kPaperJam, "paper-jam"},
    {printer_error::kInkOut, "ink-out"},
    {printer_error::kPaperOut, "paper-out"},
    {printer_error::kMaintenance, "maintenance"},
    {printer_error::kDoubleFeed, "double-feed"},
    {printer_error::kUnknownError, "unknown"},
}};

template <std::size_t N>
const char* nameOf(const std::array<CodeName, N>& table, std::int16_t code) {
    for (const CodeName& entry : table) {
        if (entry.code == code) {
            return entry.name;
        }
    }
    return "unknown";
}

// The status read; a printer in its error state fails the command (its texts are shown).
int status(CliSession& s) {
    const Status read = s.frame.GetStatusBtnClick();
    const std::optional<PrinterStatus>& printer = s.frame.result().printer;
    if (read != kOk || !printer) {
        return 1;
    }
    Json state{{"state", nameOf(kStateNames, printer->state)}};
    if (printer->error != printer_error::kNone) {
        state["error"] = nameOf(kErrorNames, printer->error);
    }
    if (printer->error == printer_error::kUnknownError) {
        state["errorCode"] = printer->rawError;  // the code the printer sent, as the window shows
    }
    s.json["printer"] = state;
    return printer->state == printer_state::kError ? 1 : 0;
}

// The one value a read procedure found, as "value".
int withValue(CliSession& s, Status status, std::string_view name) {
    if (const auto value = s.frame.result().value(name); status == kOk && value) {
        s.json["value"] = *value;
    }
    return exitCode(status);
}

// The EEPROM table from start to end, on stdout and, with --json, as numbers.
int readEeprom(CliSession& s, const std::string& first, const std::string& last) {
    s.view.setEntryText(Entry::EepReadBegEdit, upper(first));
    s.view.setEntryText(Entry::EepReadEndEdit, upper(last));
    if (EepromReadOkBtnClick(s.frame) != kOk) {
        return 1;
    }
    const std::vector<EepromByte>& read = s.frame.result().read;
    // Only the rows that hold the bytes asked for.
    s.view.printGrid(s.out, read.empty() ? 0 : read.front().address / 16,
                     read.empty() ? 0 : read.back().address / 16);
    Json data = Json::array();
    for (const EepromByte& byte : read) {
        data.push_back(byte.value);
    }
    s.json["start"] = read.empty() ? 0 : read.front().address;
    s.json["end"] = read.empty() ? 0 : read.back().address;
    s.json["data"] = data;
    return 0;
}

// The Bi-D input panel with only the named field ticked and filled in, then its OK.
int writeBid(CliSession& s, const std::string& field, const std::string& value) {
    for (const BidRow& row : kBidRows) {
        s.view.setChecked(row.box, field == row.key);
        if (field == row.key) {
            s.view.setEntryText(row.entry, value);
        }
    }
    return exitCode(BidWrtOKBtnClick(s.frame));
}

void addEepromCommands(CliApp& cli) {
    CLI::App& eeprom = addGroup(cli, "eeprom", "EEPROM data");

    auto range = std::make_shared<std::array<std::string, 2>>();
    CLI::App& read = *eeprom.add_subcommand("read", "Show addresses START to END as a table");
    read.add_option("START", (*range)[0], "Start address, two hexadecimal digits 00-FF")
        ->required()
        ->check(hexByteValidator());
    read.add_option("END", (*range)[1], "End address, two hexadecimal digits START-FF")
        ->required()
        ->check(hexByteValidator());
    read.callback([&cli, range] {
        const auto& [first, last] = *range;
        if (std::stoi(last, nullptr, 16) < std::stoi(first, nullptr, 16)) {
            refuseArgument("END: an address from START (" + first + ") to FF, not " + last);
        }
        cli.setAction([range](CliSession& s) { return readEeprom(s, (*range)[0], (*range)[1]); });
    });

    auto byte = std::make_shared<std::array<std::string, 2>>();
    CLI::App& write = addCommand(cli, eeprom, "write", "Write one byte", [byte](CliSession& s) {
        s.view.setEntryText(Entry::EepWriteAddEdit, upper((*byte)[0]));
        s.view.setEntryText(Entry::EepWriteDataEdit, upper((*byte)[1]));
        return exitCode(EepromWriteOkBtnClick(s.frame));
    });
    write.add_option("ADDR", (*byte)[0], "Address, two hexadecimal digits 00-FF")
        ->required()
        ->check(hexByteValidator());
    write.add_option("DATA", (*byte)[1], "Data, two hexadecimal digits 00-FF")
        ->required()
        ->check(hexByteValidator());

    addCommand(cli, eeprom, "init", "EEPROM initialization (factory settings of a new main board)",
               runs(DefaultSetBtnClick));
    addEepromFileCommands(cli, eeprom);
}

// A body that runs one read procedure and, with --json, gives the value it found.
template <class... Args>
CommandBody showsValue(std::string_view name, Status (*procedure)(AdjustFrame&, Args...),
                       std::type_identity_t<Args>... args) {
    return [=](CliSession& s) { return withValue(s, procedure(s.frame, args...), name); };
}

void addCounterCommands(CliApp& cli) {
    CLI::App& counter = addGroup(cli, "counter", "Protection, page and pass counters");
    addCommands(
        cli, counter,
        {
            {"protection", "Show the protection (waste ink) counter",
             showsValue(kProtectionCounterName, ProCounterOKBtnClick, CounterChoice::CheckPresent)},
            {"page", "Show the page counter", showsValue(kPageCounterName, PageCountOKBtnClick)},
            {"passes", "Show the print pass counter",
             showsValue(kPrintPassCounterName, PrintPassCountOKBtnClick)},
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
    CLI::App* bid = &addGroup(cli, "bid", "Bi-D adjustment values");
    addCommand(cli, *bid, "read", "Show the present Bi-D values", [](CliSession& s) {
        return exitCode(BidOKBtnClick(s.frame, BidChoice::CheckPresent));
    });
    auto field = std::make_shared<std::string>();
    auto value = std::make_shared<std::string>();
    std::vector<std::string> names;
    std::string allowed;
    for (const BidRow& row : kBidRows) {
        names.emplace_back(row.key);
        allowed += (allowed.empty() ? "" : ", ") + std::string(row.key);
    }
    CLI::App& write = *bid->add_subcommand(
        "write", "Write one Bi-D value (-60 to 60); FIELD is one of: " + allowed);
    write.add_option("FIELD", *field, "Field")->required()->check(CLI::IsMember(names));
    write.add_option("VALUE", *value, "Value read off the pattern, -60 to 60")->required();
    // A value out of range is refused before the link starts, in the window's words for its
    // field.
    write.callback([&cli, field, value] {
        for (const BidRow& row : kBidRows) {
            const int typed = DecimalOr100(*value);
            if (*field == row.key && (typed < kBidMin || typed > kBidMax)) {
                refuseArgument(
                    std::string(BidRangeMessage(TPBid::RangeError(row.colour, row.kind))) +
                    " Typed: \"" + *value + "\"");
            }
        }
        cli.setAction([field, value](CliSession& s) { return writeBid(s, *field, *value); });
    });

    CLI::App& pf = addGroup(cli, "pf", "Paper feed adjustment value");
    addCommand(cli, pf, "read", "Show the present PF value",
               showsValue(kPfName, PFOKBtnClick, PfChoice::CheckPresent));
    addCommand(cli, pf, "write", "Write the PF value (-4 to 4)", "VALUE",
               "Value read off the pattern, -4 to 4",
               [](CliSession& s, const std::string& pfValue) {
                   s.view.setEntryText(Entry::PFEdit, pfValue);
                   return exitCode(PFWriteOKBtnClick(s.frame));
               })
        .get_option("VALUE")
        ->check(decimalValidator(kPfMin, kPfMax));
}

}  // namespace

void addLinkCommands(CliApp& cli) {
    addCommand(cli, cli.app(), "status", "Read and show the printer status", status);
    addEepromCommands(cli);
    addCounterCommands(cli);
    addBidPfCommands(cli);
}

}  // namespace veltra::cli
