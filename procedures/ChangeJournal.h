#pragma once
// The EEPROM change journal: one JSON line per change, appended to
// <state folder>/journal/eeprom-changes.jsonl and flushed to disk before the change's first
// write. An entry holds the time, the operation, the model, the port, the printer's USB ID and,
// for each address the operation changes, the value before; a later line with the same id adds
// the values read back after the writes, where the operation reads back:
//
//   {"id":4,"time":"2026-12-08 06:40:12","operation":"bid write","model":"Veltra K55",
//    "port":"ZTUSB1","usb_id":"K55S01234527F95700","before":{"72":"02","73":"01"}}
//   {"id":4,"after":{"72":"05"}}          (and "usb_id_after" when the USB ID was changed)
//
// Only appended, never rewritten: a line cut short by a crash is skipped when reading, and the
// next entry starts on a line of its own.
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltra {

struct JournalEntry {
    long long id = 0;
    std::string time;
    std::string operation;
    std::string model;
    std::string port;
    std::string usbId;  // as printableText gives it
    std::map<std::uint8_t, std::uint8_t> before;
    std::map<std::uint8_t, std::uint8_t> after;  // only the addresses read back
    std::string usbIdAfter;  // the USB ID an operation on it left; "" when it kept the USB ID
};

struct JournalContents {
    std::vector<JournalEntry> entries;  // oldest first
    std::size_t skippedLines = 0;       // lines that are no entry (cut short, damaged)
};

class ChangeJournal {
public:
    explicit ChangeJournal(std::filesystem::path folder) : folder_(std::move(folder)) {}

    std::filesystem::path file() const { return folder_ / "eeprom-changes.jsonl"; }

    // Gives the entry the next id and appends it, on disk when this returns true. On false, why
    // says in a few words what failed.
    bool append(JournalEntry& entry, std::string& why) const;
    // Appends the values read back after the writes of entry id and, for an operation that
    // changed the USB ID, the new one (so the entry still belongs to the printer).
    bool appendAfter(long long id, const std::map<std::uint8_t, std::uint8_t>& after,
                     const std::string& usbIdAfter, std::string& why) const;
    // Everything readable; a missing file is an empty journal.
    JournalContents read() const;

private:
    bool appendLine(const std::string& line, std::string& why) const;

    std::filesystem::path folder_;
};

// An entry's operation as the command line's command that makes it: journals written before the
// operations were named so call them by their older names ("liquid exchange" is "exchange").
std::string CommandName(std::string_view operation);

// <state folder>/journal; empty when there is no state folder.
std::filesystem::path defaultJournalFolder();

// The entries of one printer (by its USB ID before or after the entry), newest first, at most n
// (n < 0: all).
std::vector<JournalEntry> EntriesOfPrinter(const JournalContents& journal, const std::string& usbId,
                                           int n);

}  // namespace veltra
