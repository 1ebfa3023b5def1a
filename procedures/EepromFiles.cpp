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

// What the printer holds at each changed address after the writes, as far as known: read back,
// accepted (not read back), found after a failed write, or never sent.
std::vector<HeldByte> heldAfter(const std::vector<ByteChange>& changes, const WriteBackResult& w) {
    const bool writeFailed =
        w.failedAt && w.written < changes.size() && changes[w.written].address == *w.failedAt;
    std::vector<HeldByte> held;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        HeldByte h{changes[i].address, std::nullopt};
        if (i < w.readBack.size()) {
            h.value = w.readBack[i];
        } else if (i < w.written) {
            h.value = changes[i].want;
        } else if (i == w.written && writeFailed) {
            h.value = w.heldAtFailure;
        } else {
            h.value = changes[i].now;
        }
        held.push_back(h);
    }
    return held;
}

// Writes the changes (journalled already), and records in the journal how far they came and
// what the printer was found to hold.
void writeAndRecord(AdjustFrame& frame, ChangeResult& result, JournalGuard& journal,
                    bool finishPending, const ByteStep& step) {
    ProgramObjects& objects = frame.objects();
    result.journalId = journal.entry().id;
    result.write = WriteBack(objects, result.changes, finishPending, step);
    result.status = result.write.status;
    if (result.status != kOk) {
        result.failureText = frame.FailureMessage(result.status);
        ReadBackFailedByte(objects, result.write);
    }
    result.held = heldAfter(result.changes, result.write);
    std::map<std::uint8_t, std::uint8_t> after;
    for (const HeldByte& h : result.held) {
        if (h.value) {
            after[h.address] = *h.value;
        }
    }
    const EntryState state = result.write.verified()             ? EntryState::Finished
                             : result.write.failedAtFinishValues ? EntryState::Written
                                                                 : EntryState::Failed;
    journal.record(state, after,
                   result.write.finishValuesAcknowledged || !result.write.finishValuesNeeded);
}

// Adds an update to the journal; a journal that cannot take it is shown, the change stands.
void update(AdjustFrame& frame, const JournalUpdate& u) {
    std::string why;
    if (!frame.objects().journal->update(u, why)) {
        frame.ShowStatus(StatusMode::NewLine,
                         "The outcome could not be added to the change journal (" + why + ").");
    }
}

// Notes that FinishValues owed by an earlier entry has been acknowledged.
void finishPending(AdjustFrame& frame, const JournalEntry& pending) {
    JournalUpdate u;
    u.id = pending.id;
    u.finishValuesAcknowledged = true;
    if (pending.state == EntryState::Written) {
        u.state = EntryState::Finished;
    }
    update(frame, u);
}

// Why an image's own bytes and device ID must not go to a printer of the chosen model; "" when
// they name that model or none.
std::string ImageModelMismatch(const EepromImage& image) {
    const ModelInfo* b0 = ModelOfSetting(image.bytes[a::kModelSetting]);
    if (b0 && b0->name != image.header.model) {
        return "its own model setting at B0 (" + Hex2(image.bytes[a::kModelSetting]) +
               ") is that of " + std::string(b0->name) + ", not of " + image.header.model;
    }
    const ModelInfo* id = ModelOfDeviceId(image.header.deviceId);
    if (id && id->name != image.header.model) {
        return "its device ID names " + std::string(id->name) + ", not " + image.header.model;
    }
    return {};
}

std::string hexList(const std::vector<std::uint8_t>& addresses) {
    std::string text;
    for (std::uint8_t address : addresses) {
        text += (text.empty() ? "" : ", ") + Hex2(address);
    }
    return text;
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

bool isUnfinishedUndo(const JournalEntry& e) {
    return e.undoes != 0 && e.state != EntryState::Finished && e.state != EntryState::Undone;
}

}  // namespace

Region RegionOf(std::uint8_t address) {
    if (a::isAdjustmentValue(address) || address == a::kCrReading || address == a::kCrReadingLow) {
        return kRegionAdjustment;
    }
    if ((address >= a::kUsbId && address < a::kUsbId + a::kUsbIdLength) ||
        (address >= a::kHeadIdPairs && address < a::kHeadIdPairs + 5) ||
        address == a::kHeadIdLast || address == a::kHeadIdFirst) {
        return kRegionIdentity;
    }
    if ((address >= 0x02 && address <= 0x03) || (address >= 0x08 && address <= 0x0B) ||
        (address >= 0x10 && address <= 0x27) || address == a::kExchangeFlag ||
        address == a::kExchangeFlag2) {
        return kRegionCounters;
    }
    return kRegionOther;
}

ImageFileResult ReadImageFile(const std::string& path) {
    std::string why;
    const std::optional<std::string> text = readTextFile(path, &why);
    EepromImageRead read = text ? parseEepromImageFile(*text) : EepromImageRead{std::nullopt, why};
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
    if (!writeTextFile(path, formatEepromImageFile(result.image), &result.fileError) &&
        result.fileError.empty()) {
        result.fileError = "cannot write " + path;
    }
    return result;
}

const JournalEntry* PendingFinishValues(const JournalContents& journal, const std::string& usbId) {
    if (IsUnusableIdentity(usbId)) {
        return nullptr;
    }
    for (auto it = journal.entries.rbegin(); it != journal.entries.rend(); ++it) {
        if (IsEntryOfPrinter(*it, usbId) && it->finishValuesPending()) {
            return &*it;
        }
    }
    return nullptr;
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
    if (objects.journal) {
        const JournalContents journal = objects.journal->read();
        if (const JournalEntry* e = PendingFinishValues(journal, usbIdOf(result.printer))) {
            result.finishValuesPendingOf = e->id;
        }
    }
    return result;
}

RestoreResult RestoreFromFile(AdjustFrame& frame, const std::string& path,
                              const RestoreOptions& options) {
    ProgramObjects& objects = frame.objects();
    RestoreResult result;
    const CompareResult read = CompareWithFile(objects, path, options.step);
    if (!read.fileError.empty()) {
        result.refusal = read.fileError;
        result.fileRefused = true;
        return result;
    }
    if (result.status = read.status; result.status != kOk) {
        return result;
    }
    std::string mismatch =
        ModelMismatch(objects, read.image.header.model, read.printer[a::kModelSetting]);
    if (mismatch.empty()) {
        mismatch = ImageModelMismatch(read.image);
    }
    if (!mismatch.empty()) {
        result.refusal = mismatch;
        return result;
    }
    if (options.only) {
        if (const std::optional<std::string> changed =
                changedSince(*options.only, read.differences)) {
            result.refusal = *changed;
            return result;
        }
    }
    for (const ByteChange& c : read.differences) {
        const bool shown = !options.only || std::any_of(options.only->begin(), options.only->end(),
                                                        [&c](const ByteChange& o) {
                                                            return o.address == c.address;
                                                        });
        if (shown && (RegionOf(c.address) & options.regions) != 0) {
            result.changes.push_back(c);
        }
    }
    const std::string usbId = usbIdOf(read.printer);
    const std::string imageUsbId = usbIdOf(read.image.bytes);
    if (imageUsbId != usbId || IsUnusableIdentity(usbId)) {
        result.otherPrinterBytes = std::size_t(
            std::count_if(result.changes.begin(), result.changes.end(), [](const ByteChange& c) {
                return (RegionOf(c.address) & (kRegionIdentity | kRegionCounters)) != 0;
            }));
    }
    if (result.otherPrinterBytes > 0 && !options.otherPrinter && !options.dryRun) {
        result.refusal = "it is of the printer with USB ID " + imageUsbId + ", not of this one (" +
                         usbId + "), and would rewrite " +
                         std::to_string(result.otherPrinterBytes) +
                         " bytes of its identity and counters";
        return result;
    }
    // FinishValues an earlier change of this printer left unsent goes with this one.
    const JournalContents contents = objects.journal ? objects.journal->read() : JournalContents{};
    const JournalEntry* pending = PendingFinishValues(contents, usbId);
    if (options.dryRun) {
        result.dryRun = true;
        return result;
    }
    if (result.changes.empty()) {
        // Nothing differs; only FinishValues that an earlier change left unsent may be owed.
        if (pending) {
            result.write = WriteBack(objects, {}, true);
            result.status = result.write.status;
            if (result.write.finishValuesAcknowledged) {
                finishPending(frame, *pending);
                result.finishedPendingOf = pending->id;
            }
        }
        return result;
    }
    std::map<std::uint8_t, std::uint8_t> before;
    std::map<std::uint8_t, std::uint8_t> wanted;
    for (const ByteChange& c : result.changes) {
        before[c.address] = c.now;
        wanted[c.address] = c.want;
    }
    JournalEntry draft;
    draft.operation = "eeprom restore";
    draft.before = before;
    draft.usbId = usbId;
    draft.usbIdAfter = PlannedUsbId(usbId, wanted);
    JournalGuard journal(frame, std::move(draft));
    if (!journal.ok()) {
        result.journalFailed = true;
        result.status = journal.status();
        return result;
    }
    writeAndRecord(frame, result, journal, pending != nullptr, options.step);
    if (pending && result.write.finishValuesAcknowledged) {
        finishPending(frame, *pending);
        result.finishedPendingOf = pending->id;
    }
    return result;
}

UndoResult UndoChange(AdjustFrame& frame, const UndoOptions& options) {
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
    const bool anyIdentity = options.entry != 0 && options.anyIdentity;
    if (IsUnusableIdentity(usbId) && !anyIdentity) {
        result.refusal = "the printer's USB ID (" + usbId +
                         ") is blank or unprintable, so its entries cannot be told from another "
                         "printer's; only an entry named and allowed explicitly is undone";
        return result;
    }
    const JournalContents contents = objects.journal->read();
    const std::vector<JournalEntry> entries = EntriesOfPrinter(contents, usbId, -1, anyIdentity);
    const JournalEntry* target = nullptr;
    const JournalEntry* cont = nullptr;
    if (options.entry != 0) {
        const auto named = std::find_if(entries.begin(), entries.end(), [&](const JournalEntry& e) {
            return e.id == options.entry;
        });
        if (named == entries.end()) {
            result.refusal = "the journal holds no entry " + std::to_string(options.entry) +
                             " for the printer with USB ID " + usbId;
            return result;
        }
        if (isUnfinishedUndo(*named)) {
            cont = &*named;
        } else {
            target = &*named;
            for (const JournalEntry& e : entries) {
                if (e.undoes == named->id && isUnfinishedUndo(e)) {
                    cont = &e;
                    break;
                }
            }
        }
    } else {
        for (const JournalEntry& e : entries) {
            if (!e.mayHaveChanged() || e.state == EntryState::Undone ||
                (e.undoes != 0 && !isUnfinishedUndo(e))) {
                continue;
            }
            (isUnfinishedUndo(e) ? cont : target) = &e;
            break;
        }
    }
    if (cont) {
        target = contents.find(cont->undoes);
        result.continues = cont->id;
    }
    if (!target) {
        result.refusal =
            "the journal holds no entry for the printer with USB ID " + usbId + " left to undo";
        return result;
    }
    if (target->state == EntryState::Undone) {
        result.refusal =
            "entry " + std::to_string(target->id) + " is undone already" +
            (target->undoneBy != 0 ? " (by entry " + std::to_string(target->undoneBy) + ")"
                                   : std::string());
        return result;
    }
    std::uint8_t b0 = 0;
    if (result.status = objects.link.ReadEepromByte(a::kModelSetting, b0); result.status != kOk) {
        return result;
    }
    if (const std::string mismatch = ModelMismatch(objects, target->model, b0); !mismatch.empty()) {
        result.refusal =
            "entry " + std::to_string(target->id) + " (" + target->operation + "): " + mismatch;
        return result;
    }
    result.target = *target;

    // Changes after the target: later entries of the printer on its addresses (an undone entry
    // and the undo that took it back cancel out), and values that are neither before nor after.
    std::vector<std::uint8_t> later;
    for (const JournalEntry& e : entries) {
        if (e.id <= target->id || (cont && e.id == cont->id) || e.state == EntryState::Undone ||
            !e.mayHaveChanged()) {
            continue;
        }
        if (const JournalEntry* undone = contents.find(e.undoes);
            undone && undone->undoneBy == e.id) {
            continue;
        }
        for (const auto& [address, value] : e.before) {
            if (target->before.count(address) != 0) {
                later.push_back(address);
            }
        }
    }
    std::map<std::uint8_t, std::uint8_t> now;
    for (const auto& [address, value] : target->before) {
        std::uint8_t present = 0;
        if (result.status = objects.link.ReadEepromByte(address, present); result.status != kOk) {
            return result;
        }
        now[address] = present;
        if (present != value) {
            result.changes.push_back({address, present, value});
        }
        const auto after = target->after.find(address);
        if (after != target->after.end() && present != value && present != after->second) {
            later.push_back(address);
        }
    }
    std::sort(later.begin(), later.end());
    later.erase(std::unique(later.begin(), later.end()), later.end());
    result.laterChanges = later;
    if (!later.empty() && !options.overLaterChanges) {
        result.changes.clear();
        result.refusal = "entry " + std::to_string(target->id) + " (" + target->operation +
                         "): " + hexList(later) +
                         " changed after it, and undo would overwrite that change";
        return result;
    }
    const bool finishPending = cont && cont->finishValuesPending();
    if (result.changes.empty() && !finishPending) {
        // The printer holds the values from before: nothing of the entry is left to take back.
        if (cont) {
            update(frame, {cont->id, EntryState::Finished, {}, {}, 0, false});
        }
        update(frame, {target->id, EntryState::Undone, {}, {}, cont ? cont->id : 0, false});
        return result;
    }
    std::optional<JournalGuard> journal;
    if (cont) {
        journal.emplace(frame, *cont, JournalGuard::Continue{});
    } else {
        std::map<std::uint8_t, std::uint8_t> wanted;
        for (const ByteChange& c : result.changes) {
            wanted[c.address] = c.want;
        }
        JournalEntry draft;
        draft.operation = "eeprom undo";
        draft.before = now;
        draft.usbId = usbId;
        draft.usbIdAfter = PlannedUsbId(usbId, wanted);
        draft.undoes = target->id;
        journal.emplace(frame, std::move(draft));
    }
    if (!journal->ok()) {
        result.journalFailed = true;
        result.status = journal->status();
        return result;
    }
    writeAndRecord(frame, result, *journal, finishPending, options.step);
    if (result.write.verified()) {
        journal->recordUndone(target->id);
    }
    return result;
}

HistoryResult HistoryOfPrinter(ProgramObjects& objects, int n, bool anyIdentity) {
    HistoryResult result;
    if (!objects.journal) {
        result.journalOff = true;
        return result;
    }
    if (result.status = ReadJournalUsbId(objects.link, result.usbId); result.status != kOk) {
        return result;
    }
    result.unusableIdentity = IsUnusableIdentity(result.usbId);
    const JournalContents journal = objects.journal->read();
    result.entries = EntriesOfPrinter(journal, result.usbId, n, anyIdentity);
    result.skippedLines = journal.skippedLines;
    result.file = objects.journal->file();
    return result;
}

}  // namespace veltra
