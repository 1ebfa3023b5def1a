// EEPROM image files and the change journal on the command line: backup, diff, restore,
// history and undo.
#include <memory>
#include <ostream>
#include <string>

#include "cli/CliApp.h"
#include "link/EepromAddresses.h"
#include "procedures/EepromFiles.h"

namespace veltra::cli {

namespace {

struct FileArgs {
    std::string file;
    bool force = false;
    bool dryRun = false;
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

// What a restore or undo did, in the words of the command line: exit 0 only when every byte
// reads back as written (or nothing needed writing).
int reportChange(CliSession& s, const ChangeResult& r, const std::string& refusalPrefix) {
    if (r.refusal) {
        s.err << "Refused: " << refusalPrefix << *r.refusal << ". Nothing was written.\n";
        return 1;
    }
    if (r.journalFailed) {
        return 1;
    }
    if (r.changes.empty() && r.status != kOk) {
        s.frame.ReportStatus(r.status);
        return 1;
    }
    if (r.dryRun) {
        for (const ByteChange& c : r.changes) {
            s.out << "would write " << changeLine(c) << '\n';
        }
        return 0;
    }
    const WriteBackResult& result = r.write;
    const std::vector<ByteChange>& changes = r.changes;
    for (std::size_t i = 0; i < result.written; ++i) {
        s.out << "wrote " << changeLine(changes[i]) << '\n';
    }
    if (result.failedAt) {
        s.frame.ReportStatus(result.status);
        const bool inWrites =
            result.written < changes.size() && changes[result.written].address == *result.failedAt;
        s.err << (inWrites ? "The write of " : "The read-back of ") << Hex2(*result.failedAt)
              << " failed";
        if (inWrites) {
            s.err << "; it and the " << changes.size() - result.written - 1
                  << " bytes after it are left as they were.\n";
        } else {
            s.err << "; the written bytes are not all verified.\n";
        }
        return 1;
    }
    if (!succeeded(s, result.status)) {
        return 1;
    }
    if (result.mismatchAt) {
        s.err << Hex2(*result.mismatchAt) << " does not read back as written.\n";
        return 1;
    }
    s.out << "Verified " << result.written << (result.written == 1 ? " byte" : " bytes")
          << " by reading back.\n";
    return 0;
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
        s.err << "Cannot write " << args.file << '\n';
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
    return r.differences.empty() ? 0 : 1;
}

int restore(CliSession& s, const FileArgs& args) {
    const ChangeResult r = RestoreFromFile(s.frame, args.file, {args.dryRun});
    if (!r.refusal && r.status == kOk && r.changes.empty()) {
        s.out << "The printer already holds " << args.file << ". Nothing to write.\n";
        return 0;
    }
    return reportChange(s, r, args.file + ": ");
}

// Undoes the newest journal entry of the attached printer, with the checks of restore.
int undo(CliSession& s) {
    const UndoResult r = UndoLastChange(s.frame);
    if (r.target) {
        s.out << "Undoing entry " << r.target->id << " (" << r.target->operation << ", "
              << r.target->time << ")\n";
        if (r.status == kOk && r.changes.empty()) {
            s.out << "The printer already holds the values from before it. Nothing to write.\n";
            return 0;
        }
    }
    return reportChange(s, r, "");
}

// The last n entries of the attached printer, newest first.
int history(CliSession& s, int n) {
    const HistoryResult r = HistoryOfPrinter(s.objects, n);
    if (r.journalOff) {
        s.err << "The change journal is off.\n";
        return 1;
    }
    if (!succeeded(s, r.status)) {
        return 1;
    }
    if (r.entries.empty()) {
        s.out << "The journal holds no entry for the printer with USB ID " << r.usbId << ".\n";
    }
    for (const JournalEntry& e : r.entries) {
        s.out << e.id << "  " << e.time << "  " << e.operation << "  " << e.model << "  " << e.port
              << '\n';
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

    auto count = std::make_shared<int>(10);
    addCommand(cli, eeprom, "history",
               "The newest journal entries of the attached printer (by its USB ID)",
               [count](CliSession& s) { return history(s, *count); })
        .add_option("N", *count, "How many entries")
        ->check(CLI::NonNegativeNumber);

    addCommand(cli, eeprom, "undo",
               "Put back the values from before the newest journal entry of the attached "
               "printer, and verify them",
               undo);
}

}  // namespace veltra::cli
