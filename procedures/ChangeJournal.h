#pragma once
// The EEPROM change journal: one JSON line per change, appended to
// <state folder>/journal/eeprom-changes.jsonl and flushed to disk before the change's first
// write. An entry holds the time, the operation, the model, the port, the printer's USB ID (and,
// for a change of the USB ID, the one it means to leave), the entry it undoes (for an undo), its
// state and, for each address the operation changes, the value before. Later lines with the same
// id move the entry on (state, the values the printer was found to hold after it):
//
//   {"id":4,"time":"2026-12-08 06:40:12","operation":"eeprom restore","model":"Veltra K55",
//    "port":"ZTUSB1","usb_id":"K55S01234527F95700","before":{"72":"02","73":"01"},
//    "state":"begun"}
//   {"id":4,"state":"finished","after":{"72":"05","73":"01"},"finish_values":true}
//   {"id":4,"state":"undone","undone_by":5}
//
// Entries of the previous version have no state: with an after line they read as finished,
// without one as begun. Only appended, never rewritten, under an exclusive lock of the file (so
// two programs appending get different ids): a line cut short by a crash is skipped when
// reading, and the next entry starts on a line of its own.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltra {

// begun: appended before the first write, nothing known since (the writes may have been made);
// written: every write was accepted, the FinishValues they need not yet acknowledged;
// finished: done (FinishValues acknowledged where needed);
// failed: ended on a failure, after holds what the printer was found to hold;
// undone: taken back by the entry undoneBy.
enum class EntryState { Begun, Written, Finished, Failed, Undone };
std::string_view EntryStateName(EntryState state);

struct JournalEntry {
    long long id = 0;
    std::string time;
    std::string operation;
    std::string model;
    std::string port;
    std::string usbId;  // as printableText gives it, read before the first write
    std::map<std::uint8_t, std::uint8_t> before;
    std::map<std::uint8_t, std::uint8_t> after;  // the addresses the printer was found to hold
    // The USB ID the change means to leave (or, from an older version, left); "" when it keeps
    // the USB ID.
    std::string usbIdAfter;
    long long undoes = 0;  // the entry this one undoes; 0 for a change of its own
    EntryState state = EntryState::Begun;
    long long undoneBy = 0;
    bool finishValuesAcknowledged = false;

    // True unless the entry is known to have left every byte as it was (a refused write read
    // back, a pattern that put its trial values back).
    bool mayHaveChanged() const;
    // Adjustment values were (or may have been) written and FinishValues was not acknowledged.
    bool finishValuesPending() const;
};

// What a later line adds to an entry.
struct JournalUpdate {
    long long id = 0;
    std::optional<EntryState> state;
    std::map<std::uint8_t, std::uint8_t> after;
    std::string usbIdAfter;
    long long undoneBy = 0;
    bool finishValuesAcknowledged = false;
};

struct JournalContents {
    std::vector<JournalEntry> entries;  // oldest first
    std::size_t skippedLines = 0;       // lines that are no entry (cut short, damaged)
    const JournalEntry* find(long long id) const;
};

class ChangeJournal {
public:
    // An empty folder is a journal that has no place to be: every append fails with noFolderWhy.
    explicit ChangeJournal(std::filesystem::path folder, std::string noFolderWhy = {})
        : folder_(std::move(folder)), noFolderWhy_(std::move(noFolderWhy)) {}

    std::filesystem::path file() const { return folder_ / "eeprom-changes.jsonl"; }

    // Gives the entry the next id and appends it, on disk when this returns true. On false, why
    // says in a few words what failed.
    bool append(JournalEntry& entry, std::string& why) const;
    bool update(const JournalUpdate& update, std::string& why) const;
    // Everything readable; a missing file is an empty journal.
    JournalContents read() const;

private:
    // Appends the line under the file's lock; with assignId, the line is made by makeLine from
    // the next id, which is found under the same lock.
    bool appendLocked(const std::function<std::string(long long id)>& makeLine, bool assignId,
                      long long& id, std::string& why) const;

    std::filesystem::path folder_;
    std::string noFolderWhy_;
};

// An entry's operation as the command line's command that makes it: journals written before the
// operations were named so call them by their older names ("liquid exchange" is "exchange").
std::string CommandName(std::string_view operation);

// <state folder>/journal; empty when there is no state folder.
std::filesystem::path defaultJournalFolder();

// A USB ID (as printableText gives it) that tells no printer from another: blank (0x00 or
// 0xFF bytes) or holding any byte that is not printable.
bool IsUnusableIdentity(std::string_view usbId);

// Whether the printer whose USB ID now reads usbId can be the one the entry was made on: at each
// place it holds what the entry found there before or what the entry meant to leave, so a USB ID
// change cut part-way still finds its entry.
bool IsEntryOfPrinter(const JournalEntry& entry, std::string_view usbId);

// The entries of one printer, newest first, at most n (n < 0: all). A printer with an unusable
// identity has none unless anyIdentity is true (an explicit choice).
std::vector<JournalEntry> EntriesOfPrinter(const JournalContents& journal, std::string_view usbId,
                                           int n, bool anyIdentity = false);

}  // namespace veltra
