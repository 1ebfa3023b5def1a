// EEPROM image files and the change journal on the command line: backup, diff, restore,
// history and undo.
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "link/EepromAddresses.h"
#include "procedures/EepromFiles.h"

namespace veltra::cli {

namespace {

struct FileArgs {
    std::string file;
    bool force = false;
    bool dryRun = false;
    std::vector<std::string> regions;
    bool otherPrinter = false;
};

struct UndoArgs {
    long long entry = 0;
    bool anyIdentity = false;
    bool overLaterChanges = false;
};

// One line per changed address: address, printer value, file (or wanted) value, what lives there.
std::string changeLine(const ByteChange& c) {
    std::string line = Hex2(c.address) + "  printer " + Hex2(c.now) + "  file " + Hex2(c.want);
    if (const std::string_view name = eeprom_address::nameOf(c.address); !name.empty()) {
        line += "  ";
        line += name;
    }
    return line;
}

// True when the status is kOk; else the status area says why.
bool succeeded(CliSession& s, Status status) {
    if (status != kOk) {
        s.frame.ReportStatus(status);
    }
    return status == kOk;
}

// The status area's report of a failed status, on a line of its own before what follows.
void reportStatus(CliSession& s, Status status) {
    s.frame.ReportStatus(status);
    s.view.finishLine();
}

std::string heldText(const HeldByte& h) {
    return h.value ? Hex2(*h.value) : std::string("unknown");
}

// What a restore or undo did, in the words of the command line: exit 0 only when every byte
// reads back as written (or nothing needed writing). Every failure says what the printer now
// holds at each address of the change.
int reportChange(CliSession& s, const ChangeResult& r, const std::string& refusalPrefix,
                 std::string_view retry) {
    if (r.refusal) {
        s.err << "Refused: " << refusalPrefix << *r.refusal << ". Nothing was written.\n";
        return 1;
    }
    if (r.journalFailed) {
        return 1;
    }
    if (r.dryRun) {
        for (const ByteChange& c : r.changes) {
            s.out << "would write " << changeLine(c) << '\n';
        }
        return 0;
    }
    if (r.journalId == 0 && r.status != kOk) {
        reportStatus(s, r.status);  // a read before the first write: nothing was written
        return 1;
    }
    const WriteBackResult& w = r.write;
    for (std::size_t i = 0; i < w.written; ++i) {
        s.out << "wrote " << changeLine(r.changes[i]) << '\n';
    }
    if (r.finishedPendingOf != 0) {
        s.out << "Sent FinishValues, which entry " << r.finishedPendingOf << " left unsent.\n";
    }
    if (w.verified()) {
        s.out << "Verified " << w.written << (w.written == 1 ? " byte" : " bytes")
              << " by reading back.\n";
        return 0;
    }
    if (w.status != kOk && !r.failureText.empty()) {
        s.frame.ShowStatus(StatusMode::Error, r.failureText);
        s.view.finishLine();
    } else if (w.status != kOk) {
        reportStatus(s, w.status);
    }
    const bool writeFailed =
        w.failedAt && w.written < r.changes.size() && r.changes[w.written].address == *w.failedAt;
    if (writeFailed) {
        s.err << "The write of " << Hex2(*w.failedAt) << " failed"
              << (w.refused ? " (the printer refused it)" : "") << "; nothing after it was sent.\n";
    } else if (w.failedAtFinishValues) {
        s.err << "Every byte was written, but the printer did not acknowledge FinishValues.\n";
    } else if (w.failedAt) {
        s.err << "The read-back of " << Hex2(*w.failedAt)
              << " failed; the written bytes are not all verified.\n";
    } else if (w.mismatchAt) {
        s.err << Hex2(*w.mismatchAt) << " does not read back as written.\n";
    }
    s.err << "The printer now holds:\n";
    for (std::size_t i = 0; i < r.held.size(); ++i) {
        const ByteChange& c = r.changes[i];
        s.err << "  " << Hex2(c.address) << "  " << heldText(r.held[i]) << "  (was " << Hex2(c.now)
              << ", to be " << Hex2(c.want) << ")\n";
    }
    s.err << "Entry " << r.journalId << " keeps this; " << retry << ".\n";
    return 1;
}

int backup(CliSession& s, const FileArgs& args) {
    const BackupResult r = SaveToFile(s.objects, args.file, args.force);
    if (r.exists) {
        s.err << args.file << " exists; --force overwrites it. Nothing was read.\n";
        return 1;
    }
    if (!succeeded(s, r.status)) {
        return 1;
    }
    if (!r.fileError.empty()) {
        s.err << "Cannot save to " << args.file << ": " << r.fileError
              << ". Nothing was changed.\n";
        return 1;
    }
    s.out << "Saved the EEPROM of " << r.image.header.model << " (USB ID " << r.image.header.usbId
          << ") to " << args.file << '\n';
    return 0;
}

// diff(1)'s exit status: 0 equal, 1 different, 2 trouble.
int diff(CliSession& s, const FileArgs& args) {
    const CompareResult r = CompareWithFile(s.objects, args.file);
    if (!r.fileError.empty()) {
        s.err << args.file << ": " << r.fileError << '\n';
        return 2;
    }
    if (!succeeded(s, r.status)) {
        return 2;
    }
    for (const ByteChange& c : r.differences) {
        s.out << changeLine(c) << '\n';
    }
    if (r.finishValuesPendingOf != 0) {
        s.err << "Entry " << r.finishValuesPendingOf
              << " of the journal left FinishValues unacknowledged; eeprom restore sends it.\n";
    }
    return r.differences.empty() ? 0 : 1;
}

// The regions a restore is limited to, from their names.
unsigned regionsOf(const std::vector<std::string>& names) {
    unsigned regions = names.empty() ? unsigned(kRegionAll) : 0u;
    for (const std::string& name : names) {
        regions |= name == "adjustment" ? kRegionAdjustment
                   : name == "counters" ? kRegionCounters
                   : name == "identity" ? kRegionIdentity
                   : name == "other"    ? kRegionOther
                                        : kRegionAll;
    }
    return regions;
}

int restore(CliSession& s, const FileArgs& args) {
    const RestoreResult r = RestoreFromFile(
        s.frame, args.file, {args.dryRun, regionsOf(args.regions), args.otherPrinter});
    if (r.fileRefused) {
        s.err << "Refused: " << args.file << ": " << *r.refusal << ". Nothing was written.\n";
        return 2;
    }
    if (r.refusal && r.otherPrinterBytes > 0) {
        s.err << "Refused: " << args.file << ": " << *r.refusal
              << ". Nothing was written. --other-printer allows it; --region adjustment "
                 "restores only the adjustment values.\n";
        return 1;
    }
    if (!r.refusal && r.status == kOk && r.changes.empty() && r.finishedPendingOf == 0) {
        s.out << "The printer already holds " << args.file << ". Nothing to write.\n";
        return 0;
    }
    return reportChange(s, r, args.file + ": ", "eeprom restore again writes what is left");
}

// Undoes a journal entry of the attached printer, with the checks of restore.
int undo(CliSession& s, const UndoArgs& args) {
    const UndoResult r = UndoChange(s.frame, {args.entry, args.anyIdentity, args.overLaterChanges});
    if (r.refusal && !r.laterChanges.empty()) {
        s.err << "Refused: " << *r.refusal
              << ". Nothing was written. --over-later-changes overwrites it.\n";
        return 1;
    }
    if (r.target) {
        s.out << (r.continues != 0 ? "Carrying on entry " + std::to_string(r.continues) + ", "
                                   : std::string())
              << "Undoing entry " << r.target->id << " (" << r.target->operation << ", "
              << r.target->time << ")\n";
        if (!r.refusal && r.status == kOk && r.changes.empty() && r.journalId == 0) {
            s.out << "The printer already holds the values from before it. Nothing to write.\n";
            return 0;
        }
    }
    return reportChange(s, r, "", "eeprom undo carries the same undo on");
}

// The last n entries of the attached printer, newest first.
int history(CliSession& s, int n, bool anyIdentity) {
    const HistoryResult r = HistoryOfPrinter(s.objects, n, anyIdentity);
    if (r.journalOff) {
        s.err << "The change journal is off.\n";
        return 1;
    }
    if (!succeeded(s, r.status)) {
        return 1;
    }
    if (r.unusableIdentity && !anyIdentity) {
        s.out << "The printer's USB ID (" << r.usbId
              << ") is blank or unprintable, so its entries cannot be told from another "
                 "printer's; --any-identity shows the entries of every such printer.\n";
    } else if (r.entries.empty()) {
        s.out << "The journal holds no entry for the printer with USB ID " << r.usbId << ".\n";
    }
    for (const JournalEntry& e : r.entries) {
        s.out << e.id << "  " << e.time << "  " << e.operation << "  " << e.model << "  " << e.port
              << "  " << EntryStateName(e.state);
        if (e.undoes != 0) {
            s.out << "  undoes " << e.undoes;
        }
        if (e.undoneBy != 0) {
            s.out << "  undone by " << e.undoneBy;
        }
        s.out << '\n';
        for (const auto& [address, value] : e.before) {
            s.out << "    " << Hex2(address) << "  before " << Hex2(value);
            const auto after = e.after.find(address);
            s.out << "  after " << (after == e.after.end() ? "--" : Hex2(after->second));
            if (const std::string_view name = eeprom_address::nameOf(address); !name.empty()) {
                s.out << "  " << name;
            }
            s.out << '\n';
        }
    }
    if (r.skippedLines > 0) {
        s.err << r.skippedLines << " damaged line(s) of " << r.file.string() << " skipped\n";
    }
    return 0;
}

}  // namespace

void addEepromFileCommands(CliApp& cli, CLI::App& eeprom) {
    auto args = std::make_shared<FileArgs>();

    CLI::App& backupCmd = addCommand(cli, eeprom, "backup", "Save all 256 bytes to an image file",
                                     [args](CliSession& s) { return backup(s, *args); });
    backupCmd.add_option("FILE", args->file, "Image file to write")->required();
    backupCmd.add_flag("--force", args->force, "Overwrite an existing file");

    CLI::App* diffCmd = eeprom.add_subcommand(
        "diff", "Compare the printer with an image file (exit 0 equal, 1 different, 2 trouble)");
    diffCmd->add_option("FILE", args->file, "Image file")->required();
    diffCmd->callback([&cli, args] {
        cli.setTroubleExit(2);
        cli.setAction([args](CliSession& s) { return diff(s, *args); });
    });

    CLI::App& restoreCmd =
        addCommand(cli, eeprom, "restore",
                   "Write back the bytes of an image file that differ, and verify them",
                   [args](CliSession& s) { return restore(s, *args); });
    restoreCmd.add_option("FILE", args->file, "Image file")->required();
    restoreCmd.add_flag("--dry-run", args->dryRun, "Only show what would be written");
    restoreCmd
        .add_option("--region", args->regions,
                    "Restore only these parts (repeatable): adjustment, counters, identity, other")
        ->check(CLI::IsMember({"adjustment", "counters", "identity", "other"}));
    restoreCmd.add_flag("--other-printer", args->otherPrinter,
                        "Allow an image of another printer to rewrite the identity and counters");

    auto count = std::make_shared<int>(10);
    auto anyIdentity = std::make_shared<bool>(false);
    CLI::App& historyCmd = addCommand(
        cli, eeprom, "history",
        "The newest journal entries of the attached printer (by its USB ID)",
        [count, anyIdentity](CliSession& s) { return history(s, *count, *anyIdentity); });
    historyCmd.add_option("N", *count, "How many entries")->check(countValidator(1));
    historyCmd.add_flag("--any-identity", *anyIdentity,
                        "With a blank or unprintable USB ID: show the entries of every such "
                        "printer");

    auto undoArgs = std::make_shared<UndoArgs>();
    CLI::App& undoCmd =
        addCommand(cli, eeprom, "undo",
                   "Put back the values from before a journal entry of the attached printer (the "
                   "newest not yet undone, or ID), and verify them; a cut undo is carried on",
                   [undoArgs](CliSession& s) { return undo(s, *undoArgs); });
    undoCmd.add_option("ID", undoArgs->entry, "The entry to undo")->check(countValidator(1));
    undoCmd.add_flag("--any-identity", undoArgs->anyIdentity,
                     "With a blank or unprintable USB ID: undo the entry ID all the same");
    undoCmd.add_flag("--over-later-changes", undoArgs->overLaterChanges,
                     "Overwrite the changes made after the entry");
}

}  // namespace veltra::cli
