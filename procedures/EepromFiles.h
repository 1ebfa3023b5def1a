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
    bool compared() const { return fileError.empty() && status == kOk; }
};
CompareResult CompareWithFile(ProgramObjects& objects, const std::string& path,
                              const ByteStep& step = {});

// What a change of several bytes (restore, undo) did. Exactly one of: refused (refusal set,
// nothing written), nothing to write (changes empty), a dry run (planned only), or written
// (write says how far; status the first failure).
struct ChangeResult {
    std::optional<std::string> refusal;  // why nothing was written
    Status status = kOk;                 // the first failed read, journal, write or read-back
    std::vector<ByteChange> changes;     // now = printer before, want = what is written
    bool dryRun = false;
    bool journalFailed = false;  // the journal could not be written (already shown): nothing sent
    WriteBackResult write;
    long long journalId = 0;  // the entry of this change; 0 without a journal
    bool verified() const {
        return !refusal && status == kOk && !journalFailed && !changes.empty() && !dryRun &&
               write.verified();
    }
};

struct RestoreOptions {
    bool dryRun = false;
    // Only these changes, as a front end showed them for confirmation: a difference not among
    // them is left alone, and one that the printer or the file no longer has as shown refuses
    // the restore. All differences when unset.
    std::optional<std::vector<ByteChange>> only = std::nullopt;
    ByteStep step = {};  // after each byte read, written or read back
};
ChangeResult RestoreFromFile(AdjustFrame& frame, const std::string& path,
                             const RestoreOptions& options);

struct UndoResult : ChangeResult {
    std::optional<JournalEntry> target;  // the entry undone
};
// Puts back the values from before the newest journal entry of the attached printer.
UndoResult UndoLastChange(AdjustFrame& frame);
// Puts back the values from before the attached printer's journal entry id.
UndoResult UndoEntry(AdjustFrame& frame, long long id, const ByteStep& step = {});

struct HistoryResult {
    bool journalOff = false;
    Status status = kOk;                // the read of the printer's USB ID
    std::string usbId;                  // the attached printer as the journal knows it
    std::vector<JournalEntry> entries;  // newest first
    std::size_t skippedLines = 0;
    std::filesystem::path file;  // the journal's file
};
// The newest n entries of the attached printer (n < 0: all).
HistoryResult HistoryOfPrinter(ProgramObjects& objects, int n);

}  // namespace veltra
