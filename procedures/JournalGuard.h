#pragma once
// JournalGuard: what every procedure that changes the EEPROM does before its first command. It
// reads the addresses the operation will change and the printer's USB ID (once per link
// session), and appends one entry
// to the change journal, on disk before the guard reports ok(). When the reads fail or the
// journal cannot be written, the failure has been shown and the procedure sends nothing.
// Without a journal (objects.journal null) it reads and writes nothing and is always ok().
//
//   JournalGuard journal(frame, "top-margin write", {eeprom_address::kTopMargin});
//   if (!journal.ok()) return journal.status();
//   ... the operation's commands, unchanged ...
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "procedures/AdjustFrame.h"
#include "procedures/ChangeJournal.h"

namespace veltra {

class JournalGuard {
public:
    // planned: the values the operation means to write, where it knows them; those in C2-D3 give
    // the USB ID the entry means to leave, so the entry stays the printer's whatever part of the
    // change is made.
    JournalGuard(AdjustFrame& frame, std::string_view operation,
                 const std::vector<std::uint8_t>& addresses,
                 const std::map<std::uint8_t, std::uint8_t>& planned = {});
    // For an operation that has read the printer already (restore, undo): the draft's operation,
    // before, usbId, usbIdAfter and undoes are appended as they are.
    JournalGuard(AdjustFrame& frame, JournalEntry draft);
    // Continues an entry already in the journal (a retried undo): nothing is appended now, the
    // records go to that entry.
    struct Continue {};
    JournalGuard(AdjustFrame& frame, const JournalEntry& existing, Continue);

    bool ok() const { return status_ == kOk; }
    Status status() const { return status_; }
    // The appended entry (id 0 when the journal is off).
    const JournalEntry& entry() const { return entry_; }
    // Adds the values the operation read back after its writes (and the USB ID it left, when it
    // changed it): the entry is finished. A journal that cannot take them is reported, but the
    // change is done.
    void recordAfter(const std::map<std::uint8_t, std::uint8_t>& after,
                     const std::string& usbIdAfter = {});
    // Moves the entry to state with what the printer was found to hold.
    void record(EntryState state, const std::map<std::uint8_t, std::uint8_t>& after,
                bool finishValuesAcknowledged = false);
    // Marks another entry undone by this one.
    void recordUndone(long long target);

private:
    void append();
    void write(const JournalUpdate& update);

    AdjustFrame& frame_;
    JournalEntry entry_;
    Status status_ = kOk;
};

// The USB ID the planned values leave of usbId (both as printableText gives them).
std::string PlannedUsbId(std::string usbId, const std::map<std::uint8_t, std::uint8_t>& planned);

// The printer's USB ID as the journal keeps it: the 18 bytes at 0xC2-0xD3 through printableText,
// read once per link session.
Status ReadJournalUsbId(TPD4Comm& link, std::string& usbId);

// "The printer now holds 2A at 5D." or, for an unknown value, that it is unknown.
std::string NowHoldsText(std::uint8_t address, std::optional<std::uint8_t> value);

// The one-line message for a journal that cannot be written.
std::string JournalFailureText(std::string_view why);

}  // namespace veltra
