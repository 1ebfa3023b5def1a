#include "procedures/EepromFiles.h"

#include <algorithm>
#include <map>

#include "link/EepromAddresses.h"
#include "procedures/JournalGuard.h"

namespace veltra {

namespace a = eeprom_address;

namespace {

// The USB ID as the journal keeps it, from a full read.
std::string usbIdOf(const EepromBytes& bytes) {
    return printableText(
        std::string_view(reinterpret_cast<const char*>(bytes.data()) + a::kUsbId, a::kUsbIdLength));
}

// Writes the changes (journalled already), reads them back and adds what was read back to the
// journal, with the USB ID they leave when they changed it.
void writeAndRecord(ProgramObjects& objects, ChangeResult& result, JournalGuard& journal,
                    const ByteStep& step) {
    result.journalId = journal.entry().id;
    result.write = WriteBack(objects, result.changes, step);
    result.status = result.write.status;
    std::map<std::uint8_t, std::uint8_t> after;
    std::string usbIdAfter = journal.entry().usbId;
    bool usbIdChanged = false;
    for (std::size_t i = 0; i < result.write.readBack.size(); ++i) {
        const std::uint8_t address = result.changes[i].address;
        after[address] = result.write.readBack[i];
        const std::size_t pos = std::size_t(address - a::kUsbId);
        if (address >= a::kUsbId && pos < usbIdAfter.size()) {
            usbIdAfter[pos] = printableText(std::string(1, char(result.write.readBack[i])))[0];
            usbIdChanged = true;
        }
    }
    if (!after.empty()) {
        journal.recordAfter(after, usbIdChanged ? usbIdAfter : std::string());
    }
}

// Why the changes a front end showed are not those the printer and the file have now; nullopt
// when every one of them still differs as shown.
std::optional<std::string> changedSince(const std::vector<ByteChange>& shown,
                                        const std::vector<ByteChange>& now) {
    for (const ByteChange& c : shown) {
        const auto found = std::find_if(
            now.begin(), now.end(), [&c](const ByteChange& n) { return n.address == c.address; });
        if (found == now.end() || found->now != c.now || found->want != c.want) {
            return "the printer or the file has changed at " + Hex2(c.address) +
                   " since the comparison";
        }
    }
    return std::nullopt;
}

std::vector<ByteChange> sortedChanges(std::vector<ByteChange> changes) {
    std::sort(changes.begin(), changes.end(),
              [](const ByteChange& x, const ByteChange& y) { return x.address < y.address; });
    return changes;
}

}  // namespace

ImageFileResult ReadImageFile(const std::string& path) {
    const std::optional<std::string> text = readTextFile(path);
    EepromImageRead read =
        text ? parseEepromImageFile(*text) : EepromImageRead{std::nullopt, "it cannot be read"};
    return {std::move(read.image), std::move(read.error)};
}

BackupResult SaveToFile(ProgramObjects& objects, const std::string& path, bool overwrite,
                        const ByteStep& step) {
    BackupResult result;
    if (!overwrite && std::filesystem::exists(path)) {
        result.exists = true;
        return result;
    }
    EepromBytes bytes{};
    if (result.status = ReadAllEeprom(objects.link, bytes, step); result.status != kOk) {
        return result;
    }
    result.image = ImageOfPrinter(objects, bytes);
    if (!writeTextFile(path, formatEepromImageFile(result.image))) {
        result.fileError = "cannot be written";
    }
    return result;
}

CompareResult CompareWithFile(ProgramObjects& objects, const std::string& path,
                              const ByteStep& step) {
    CompareResult result;
    ImageFileResult file = ReadImageFile(path);
    if (!file.image) {
        result.fileError = std::move(file.error);
        return result;
    }
    result.image = std::move(*file.image);
    if (result.status = ReadAllEeprom(objects.link, result.printer, step); result.status != kOk) {
        return result;
    }
    result.differences = EepromDifferences(result.printer, result.image.bytes);
    return result;
}

ChangeResult RestoreFromFile(AdjustFrame& frame, const std::string& path,
                             const RestoreOptions& options) {
    ProgramObjects& objects = frame.objects();
    ChangeResult result;
    const CompareResult read = CompareWithFile(objects, path, options.step);
    if (!read.fileError.empty()) {
        result.refusal = read.fileError;
        return result;
    }
    if (result.status = read.status; result.status != kOk) {
        return result;
    }
    const std::string mismatch =
        ModelMismatch(objects, read.image.header.model, read.printer[a::kModelSetting]);
    if (!mismatch.empty()) {
        result.refusal = mismatch;
        return result;
    }
    result.changes = read.differences;
    if (options.only) {
        if (const std::optional<std::string> changed =
                changedSince(*options.only, read.differences)) {
            result.refusal = *changed;
            return result;
        }
        result.changes = sortedChanges(*options.only);
    }
    if (result.changes.empty()) {
        return result;
    }
    if (options.dryRun) {
        result.dryRun = true;
        return result;
    }
    std::map<std::uint8_t, std::uint8_t> before;
    for (const ByteChange& c : result.changes) {
        before[c.address] = c.now;
    }
    JournalGuard journal(frame, "eeprom restore", before, usbIdOf(read.printer));
    if (!journal.ok()) {
        result.journalFailed = true;
        result.status = journal.status();
        return result;
    }
    writeAndRecord(objects, result, journal, options.step);
    return result;
}

namespace {

// Undoes the attached printer's entry id, or its newest entry without one.
UndoResult undo(AdjustFrame& frame, std::optional<long long> id, const ByteStep& step) {
    ProgramObjects& objects = frame.objects();
    UndoResult result;
    if (!objects.journal) {
        result.refusal = "the change journal is off";
        return result;
    }
    std::string usbId;
    if (result.status = ReadJournalUsbId(objects.link, usbId); result.status != kOk) {
        return result;
    }
    const std::vector<JournalEntry> entries =
        EntriesOfPrinter(objects.journal->read(), usbId, id ? -1 : 1);
    const auto chosen = std::find_if(entries.begin(), entries.end(),
                                     [id](const JournalEntry& e) { return !id || e.id == *id; });
    if (chosen == entries.end()) {
        result.refusal = "the journal holds no entry" +
                         (id ? " " + std::to_string(*id) : std::string()) +
                         " for the printer with USB ID " + usbId;
        return result;
    }
    const JournalEntry& entry = *chosen;
    std::uint8_t b0 = 0;
    if (result.status = objects.link.ReadEepromByte(a::kModelSetting, b0); result.status != kOk) {
        return result;
    }
    if (const std::string mismatch = ModelMismatch(objects, entry.model, b0); !mismatch.empty()) {
        result.refusal =
            "entry " + std::to_string(entry.id) + " (" + entry.operation + "): " + mismatch;
        return result;
    }
    result.target = entry;
    std::map<std::uint8_t, std::uint8_t> now;
    for (const auto& [address, value] : entry.before) {
        std::uint8_t present = 0;
        if (result.status = objects.link.ReadEepromByte(address, present); result.status != kOk) {
            return result;
        }
        now[address] = present;
        if (present != value) {
            result.changes.push_back({address, present, value});
        }
    }
    if (result.changes.empty()) {
        return result;
    }
    JournalGuard journal(frame, "eeprom undo", now, usbId);
    if (!journal.ok()) {
        result.journalFailed = true;
        result.status = journal.status();
        return result;
    }
    writeAndRecord(objects, result, journal, step);
    return result;
}

}  // namespace

UndoResult UndoLastChange(AdjustFrame& frame) {
    return undo(frame, std::nullopt, {});
}

UndoResult UndoEntry(AdjustFrame& frame, long long id, const ByteStep& step) {
    return undo(frame, id, step);
}

HistoryResult HistoryOfPrinter(ProgramObjects& objects, int n) {
    HistoryResult result;
    if (!objects.journal) {
        result.journalOff = true;
        return result;
    }
    if (result.status = ReadJournalUsbId(objects.link, result.usbId); result.status != kOk) {
        return result;
    }
    const JournalContents journal = objects.journal->read();
    result.entries = EntriesOfPrinter(journal, result.usbId, n);
    result.skippedLines = journal.skippedLines;
    result.file = objects.journal->file();
    return result;
}

}  // namespace veltra
