// EEPROM image files and the change journal on the command line: backup, diff, restore,
// history and undo.
#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <string>

#include "cli/CliApp.h"
#include "link/EepromAddresses.h"
#include "procedures/ChangeJournal.h"
#include "procedures/EepromBackup.h"
#include "procedures/JournalGuard.h"

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

// Reads and checks an image file; on failure says why in one line on err and gives nullopt.
std::optional<EepromImage> readImage(CliSession& s, const std::string& file, bool toWrite) {
    const std::optional<std::string> text = readTextFile(file);
    EepromImageRead read =
        text ? parseEepromImageFile(*text) : EepromImageRead{std::nullopt, "it cannot be read"};
    if (!read.ok()) {
        s.err << (toWrite ? "Refused: " : "") << file << ": " << read.error
              << (toWrite ? ". Nothing was written.\n" : "\n");
        return std::nullopt;
    }
    return std::move(read.image);
}

// An image file and the printer's EEPROM to hold against it.
struct ImageAndPrinter {
    EepromImage image;
    EepromBytes printer{};
};

// Reads the image file, then the printer's EEPROM; on failure says why and gives nullopt.
std::optional<ImageAndPrinter> readImageAndPrinter(CliSession& s, const std::string& file,
                                                   bool toWrite) {
    std::optional<EepromImage> image = readImage(s, file, toWrite);
    if (!image) {
        return std::nullopt;
    }
    ImageAndPrinter read{std::move(*image)};
    if (!succeeded(s, ReadAllEeprom(s.objects.link, read.printer))) {
        return std::nullopt;
    }
    return read;
}

// The USB ID as the journal keeps it, from a full read.
std::string usbIdOf(const EepromBytes& bytes) {
    return printableText(
        std::string_view(reinterpret_cast<const char*>(bytes.data()) + eeprom_address::kUsbId,
                         eeprom_address::kUsbIdLength));
}

// Writes the changes (journalled already), reads them back, and says what happened: exit 0 only
// when every byte reads back as written.
int writeAndVerify(CliSession& s, const std::vector<ByteChange>& changes, JournalGuard& journal) {
    const WriteBackResult result = WriteBack(s.objects, changes);
    for (std::size_t i = 0; i < result.written; ++i) {
        s.out << "wrote " << changeLine(changes[i]) << '\n';
    }
    // The values read back go into the journal, with the USB ID they leave when they changed it.
    std::map<std::uint8_t, std::uint8_t> after;
    std::string usbIdAfter = journal.entry().usbId;
    bool usbIdChanged = false;
    for (std::size_t i = 0; i < result.readBack.size(); ++i) {
        const std::uint8_t address = changes[i].address;
        after[address] = result.readBack[i];
        const std::size_t pos = std::size_t(address - eeprom_address::kUsbId);
        if (address >= eeprom_address::kUsbId && pos < usbIdAfter.size()) {
            usbIdAfter[pos] = printableText(std::string(1, char(result.readBack[i])))[0];
            usbIdChanged = true;
        }
    }
    if (!after.empty()) {
        journal.recordAfter(after, usbIdChanged ? usbIdAfter : std::string());
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
    if (!args.force && std::filesystem::exists(args.file)) {
        s.err << args.file << " exists; --force overwrites it. Nothing was read.\n";
        return 1;
    }
    EepromBytes bytes{};
    if (!succeeded(s, ReadAllEeprom(s.objects.link, bytes))) {
        return 1;
    }
    const EepromImage image = ImageOfPrinter(s.objects, bytes);
    if (!writeTextFile(args.file, formatEepromImageFile(image))) {
        s.err << "Cannot write " << args.file << '\n';
        return 1;
    }
    s.out << "Saved the EEPROM of " << image.header.model << " (USB ID " << image.header.usbId
          << ") to " << args.file << '\n';
    return 0;
}

// diff(1)'s exit status: 0 equal, 1 different, 2 trouble.
int diff(CliSession& s, const FileArgs& args) {
    const std::optional<ImageAndPrinter> read = readImageAndPrinter(s, args.file, false);
    if (!read) {
        return 2;
    }
    const std::vector<ByteChange> changes = EepromDifferences(read->printer, read->image.bytes);
    for (const ByteChange& c : changes) {
        s.out << changeLine(c) << '\n';
    }
    return changes.empty() ? 0 : 1;
}

int restore(CliSession& s, const FileArgs& args) {
    const std::optional<ImageAndPrinter> read = readImageAndPrinter(s, args.file, true);
    if (!read) {
        return 1;
    }
    const EepromImage& image = read->image;
    const EepromBytes& bytes = read->printer;
    const std::string mismatch =
        ModelMismatch(s.objects, image.header.model, bytes[eeprom_address::kModelSetting]);
    if (!mismatch.empty()) {
        s.err << "Refused: " << args.file << ": " << mismatch << ". Nothing was written.\n";
        return 1;
    }
    const std::vector<ByteChange> changes = EepromDifferences(bytes, image.bytes);
    if (changes.empty()) {
        s.out << "The printer already holds " << args.file << ". Nothing to write.\n";
        return 0;
    }
    if (args.dryRun) {
        for (const ByteChange& c : changes) {
            s.out << "would write " << changeLine(c) << '\n';
        }
        return 0;
    }
    std::map<std::uint8_t, std::uint8_t> before;
    for (const ByteChange& c : changes) {
        before[c.address] = c.now;
    }
    JournalGuard journal(s.frame, "eeprom restore", before, usbIdOf(bytes));
    if (!journal.ok()) {
        return 1;
    }
    return writeAndVerify(s, changes, journal);
}

// The USB ID the journal knows the attached printer by; nullopt when the journal is off (offText
// on err) or the ID cannot be read.
std::optional<std::string> journalledPrinter(CliSession& s, std::string_view offText) {
    if (!s.objects.journal) {
        s.err << offText;
        return std::nullopt;
    }
    std::string usbId;
    if (!succeeded(s, ReadJournalUsbId(s.objects.link, usbId))) {
        return std::nullopt;
    }
    return usbId;
}

// Undoes the newest journal entry of the attached printer, with the checks of restore.
int undo(CliSession& s) {
    const std::optional<std::string> printer =
        journalledPrinter(s, "Refused: the change journal is off. Nothing was written.\n");
    if (!printer) {
        return 1;
    }
    const std::string& usbId = *printer;
    const std::vector<JournalEntry> entries = EntriesOfPrinter(s.objects.journal->read(), usbId, 1);
    if (entries.empty()) {
        s.err << "Refused: the journal holds no entry for the printer with USB ID " << usbId
              << ". Nothing was written.\n";
        return 1;
    }
    const JournalEntry& entry = entries.front();
    std::uint8_t b0 = 0;
    if (!succeeded(s, s.objects.link.ReadEepromByte(eeprom_address::kModelSetting, b0))) {
        return 1;
    }
    if (const std::string mismatch = ModelMismatch(s.objects, entry.model, b0); !mismatch.empty()) {
        s.err << "Refused: entry " << entry.id << " (" << entry.operation << "): " << mismatch
              << ". Nothing was written.\n";
        return 1;
    }
    std::vector<ByteChange> changes;
    std::map<std::uint8_t, std::uint8_t> now;
    for (const auto& [address, value] : entry.before) {
        std::uint8_t present = 0;
        if (!succeeded(s, s.objects.link.ReadEepromByte(address, present))) {
            return 1;
        }
        now[address] = present;
        if (present != value) {
            changes.push_back({address, present, value});
        }
    }
    s.out << "Undoing entry " << entry.id << " (" << entry.operation << ", " << entry.time << ")\n";
    if (changes.empty()) {
        s.out << "The printer already holds the values from before it. Nothing to write.\n";
        return 0;
    }
    JournalGuard journal(s.frame, "eeprom undo", now, usbId);
    if (!journal.ok()) {
        return 1;
    }
    return writeAndVerify(s, changes, journal);
}

// The last n entries of the attached printer, newest first.
int history(CliSession& s, int n) {
    const std::optional<std::string> printer = journalledPrinter(s, "The change journal is off.\n");
    if (!printer) {
        return 1;
    }
    const std::string& usbId = *printer;
    const JournalContents journal = s.objects.journal->read();
    const std::vector<JournalEntry> entries = EntriesOfPrinter(journal, usbId, n);
    if (entries.empty()) {
        s.out << "The journal holds no entry for the printer with USB ID " << usbId << ".\n";
    }
    for (const JournalEntry& e : entries) {
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
    if (journal.skippedLines > 0) {
        s.err << journal.skippedLines << " damaged line(s) of "
              << s.objects.journal->file().string() << " skipped\n";
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
