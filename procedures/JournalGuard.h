#pragma once
// JournalGuard: what every procedure that changes the EEPROM does before its first command. It
// reads the addresses the operation will change and the printer's USB ID, and appends one entry
// to the change journal, on disk before the guard reports ok(). When the reads fail or the
// journal cannot be written, the failure has been shown and the procedure sends nothing.
// Without a journal (objects.journal null) it reads and writes nothing and is always ok().
//
//   JournalGuard journal(frame, "top margin write", {eeprom_address::kTopMargin});
//   if (!journal.ok()) return journal.status();
//   ... the operation's commands, unchanged ...
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "procedures/AdjustFrame.h"
#include "procedures/ChangeJournal.h"

namespace veltra {

class JournalGuard {
public:
    JournalGuard(AdjustFrame& frame, std::string_view operation,
                 const std::vector<std::uint8_t>& addresses);
    // For an operation that has read the printer already (restore, undo): no reads.
    JournalGuard(AdjustFrame& frame, std::string_view operation,
                 std::map<std::uint8_t, std::uint8_t> before, std::string usbId);

    bool ok() const { return status_ == kOk; }
    Status status() const { return status_; }
    // The appended entry (id 0 when the journal is off).
    const JournalEntry& entry() const { return entry_; }
    // Adds the values the operation read back after its writes (and the USB ID it left, when it
    // changed it). A journal that cannot take them is reported, but the change is done.
    void recordAfter(const std::map<std::uint8_t, std::uint8_t>& after,
                     const std::string& usbIdAfter = {});

private:
    void append();

    AdjustFrame& frame_;
    JournalEntry entry_;
    Status status_ = kOk;
};

// The printer's USB ID as the journal keeps it: the 18 bytes at 0xC2-0xD3 through printableText.
Status ReadJournalUsbId(TPD4Comm& link, std::string& usbId);

// The one-line message for a journal that cannot be written.
std::string JournalFailureText(std::string_view why);

}  // namespace veltra
