#pragma once
// Saving the EEPROM to an image file, comparing and restoring it, the journal's history of the
// attached printer, and undo: the work of every front end (the command line, the desktop
// program) as functions over the frame's objects that give plain data. Nothing here words or
// prints a result, except what the journal guard shows of its own failure; the front end says
// what the result means and reports result.status through the frame.
//
//   const RestoreResult r = RestoreFromFile(frame, path, {});
//   if (r.refusal) ... say *r.refusal, nothing was written
//   else if (r.status != kOk) frame.ReportStatus(r.status); ... r.write says how far it came
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "link/EepromImageFile.h"
#include "procedures/AdjustFrame.h"
#include "procedures/ChangeJournal.h"
#include "procedures/EepromBackup.h"

namespace veltra {

// An image file, read and checked; error says in one line (without the file's name) why it is
// none.
struct ImageFileResult {
    std::optional<EepromImage> image;
    std::string error;
};
ImageFileResult ReadImageFile(const std::string& path);

struct BackupResult {
    bool exists = false;    // the file exists and overwrite was not asked: nothing was read
    Status status = kOk;    // the read of the printer
    std::string fileError;  // why the file could not be written; "" when it was
    EepromImage image;      // what was saved
    bool saved() const { return !exists && status == kOk && fileError.empty(); }
};
BackupResult SaveToFile(ProgramObjects& objects, const std::string& path, bool overwrite,
                        const ByteStep& step = {});

struct CompareResult {
    std::string fileError;  // why the file is no image; then the printer was not read
    Status status = kOk;    // the read of the printer
    EepromImage image;
    EepromBytes printer{};
    std::vector<ByteChange> differences;  // ascending; now = printer, want = file
    // An entry of the printer whose FinishValues was never acknowledged (equal bytes do not
    // mean the printer took them); 0 when none. A restore sends it.
    long long finishValuesPendingOf = 0;
    bool compared() const { return fileError.empty() && status == kOk; }
};
CompareResult CompareWithFile(ProgramObjects& objects, const std::string& path,
                              const ByteStep& step = {});

// The newest entry of the printer (by its USB ID) whose FinishValues is still owed; nullptr when
// none, or when the USB ID tells the printer from no other.
const JournalEntry* PendingFinishValues(const JournalContents& journal, const std::string& usbId);

// What the printer holds at one address after a change, as far as known.
struct HeldByte {
    std::uint8_t address = 0;
    std::optional<std::uint8_t> value;  // nullopt: unknown (the printer stopped answering)
};

// What a change of several bytes (restore, undo) did. Exactly one of: refused (refusal set,
// nothing written), nothing to write (changes empty), a dry run (planned only), or written
// (write says how far; status the first failure; held what the printer holds now).
struct ChangeResult {
    std::optional<std::string> refusal;  // why nothing was written
    Status status = kOk;                 // the first failed read, journal, write or read-back
    std::vector<ByteChange> changes;     // now = printer before, want = what is written
    bool dryRun = false;
    bool journalFailed = false;  // the journal could not be written (already shown): nothing sent
    WriteBackResult write;
    // The failure of the writes as the status area words it, taken before the read-back that
    // follows a failed write; "" when the frame has no words for it (ReportStatus then).
    std::string failureText;
    std::vector<HeldByte> held;  // for each of changes, after the writes
    long long journalId = 0;     // the entry of this change; 0 without a journal
    // FinishValues that an earlier, cut change left unsent was sent now (changes may be empty).
    long long finishedPendingOf = 0;
    bool verified() const {
        return !refusal && status == kOk && !journalFailed && !dryRun && write.verified();
    }
};

// Parts of the EEPROM a restore may be limited to.
enum Region : unsigned {
    kRegionAdjustment = 1,  // Bi-D, PF, top margin, CR motor values
    kRegionCounters = 2,    // protection, page and print pass counters, liquid exchange state
    kRegionIdentity = 4,    // USB ID and head ID
    kRegionOther = 8,       // everything else (model and factory settings, unused bytes)
    kRegionAll = 15,
};
// The region an address belongs to.
Region RegionOf(std::uint8_t address);

struct RestoreOptions {
    bool dryRun = false;
    unsigned regions = kRegionAll;
    // An image of another printer (its USB ID differs) may rewrite the identity and counters.
    bool otherPrinter = false;
    // Only these changes, as a front end showed them for confirmation: a difference not among
    // them is left alone, and one that the printer or the file no longer has as shown refuses
    // the restore. All differences (of the chosen regions) when unset.
    std::optional<std::vector<ByteChange>> only = std::nullopt;
    ByteStep step = {};  // after each byte read, written or read back
};

// Restores the bytes of the image that differ in the chosen regions. Refused (nothing written)
// when the file is no image, when the chosen model, the printer's model byte and device ID, and
// the image's own model byte and device ID do not all name one model, and when an image of
// another printer would rewrite the identity or counters without options.otherPrinter
// (otherPrinterBytes then counts them, so a front end can ask).
struct RestoreResult : ChangeResult {
    bool fileRefused = false;  // the refusal is of the file itself (no image, cannot be read)
    std::size_t otherPrinterBytes = 0;
};
RestoreResult RestoreFromFile(AdjustFrame& frame, const std::string& path,
                              const RestoreOptions& options);

struct UndoOptions {
    long long entry = 0;  // the entry to undo; 0: the newest that changed something
    // The printer's USB ID is blank or unprintable: take the entry named by entry anyway.
    bool anyIdentity = false;
    // Overwrite changes made after the entry (laterChanges) with its before-values.
    bool overLaterChanges = false;
    ByteStep step = {};  // after each byte read, written or read back
};

struct UndoResult : ChangeResult {
    std::optional<JournalEntry> target;  // the entry undone
    long long continues = 0;             // the unfinished undo entry this one carries on (a retry)
    // Addresses changed after the target (by a later entry or by other means); undo is refused
    // over them unless options.overLaterChanges.
    std::vector<std::uint8_t> laterChanges;
};
// Puts back the values from before a journal entry of the attached printer: by default the
// newest that may have changed something, is no undo itself and is not undone yet. An undo left
// unfinished (cut link, refused write, FinishValues not acknowledged) is continued, never undone
// itself: a retry carries the same undo (same entry) on to the values it meant to write. The
// target is marked undone once the printer holds its before-values.
UndoResult UndoChange(AdjustFrame& frame, const UndoOptions& options);

struct HistoryResult {
    bool journalOff = false;
    Status status = kOk;  // the read of the printer's USB ID
    std::string usbId;    // the attached printer as the journal knows it
    // The USB ID is blank or unprintable, so it tells the printer from no other: no entries
    // unless asked for with anyIdentity.
    bool unusableIdentity = false;
    std::vector<JournalEntry> entries;  // newest first
    std::size_t skippedLines = 0;
    std::filesystem::path file;  // the journal's file
};
// The newest n entries of the attached printer (n < 0: all).
HistoryResult HistoryOfPrinter(ProgramObjects& objects, int n, bool anyIdentity = false);

}  // namespace veltra
