#include "procedures/JournalGuard.h"

#include "link/EepromAddresses.h"
#include "link/EepromImageFile.h"
#include "procedures/EepromBackup.h"
#include "procedures/Messages.h"

namespace veltra {

namespace a = eeprom_address;

std::string JournalFailureText(std::string_view why) {
    return "The change journal cannot be written (" + std::string(why) +
           "), so nothing was changed. --no-journal turns the journal off.";
}

std::string NowHoldsText(std::uint8_t address, std::optional<std::uint8_t> value) {
    if (!value) {
        return std::string(msg::kNowHoldsUnknown) + Hex2(address) +
               std::string(msg::kNowHoldsUnknownAfter);
    }
    return std::string(msg::kNowHoldsBefore) + Hex2(*value) + std::string(msg::kNowHoldsAt) +
           Hex2(address) + ".";
}

Status ReadJournalUsbId(TPD4Comm& link, std::string& usbId) {
    std::string bytes;
    VELTRA_TRY(link.ReadUsbIdBytes(bytes));
    usbId = printableText(bytes);
    return kOk;
}

std::string PlannedUsbId(std::string usbId, const std::map<std::uint8_t, std::uint8_t>& planned) {
    bool changes = false;
    for (const auto& [address, value] : planned) {
        const std::size_t pos = std::size_t(address - a::kUsbId);
        if (address >= a::kUsbId && pos < usbId.size()) {
            usbId[pos] = printableText(std::string(1, char(value)))[0];
            changes = true;
        }
    }
    return changes ? usbId : std::string();
}

JournalGuard::JournalGuard(AdjustFrame& frame, std::string_view operation,
                           const std::vector<std::uint8_t>& addresses,
                           const std::map<std::uint8_t, std::uint8_t>& planned)
    : frame_(frame) {
    ProgramObjects& o = frame.objects();
    if (!o.journal) {
        return;
    }
    entry_.operation = operation;
    // The operation's own addresses first, then the USB ID (kept for the link session), which
    // gives those of its bytes among them.
    auto isUsbId = [](std::uint8_t address) {
        return address >= a::kUsbId && address < a::kUsbId + a::kUsbIdLength;
    };
    for (std::uint8_t address : addresses) {
        if (std::uint8_t value = 0; !isUsbId(address)) {
            if (status_ = o.link.ReadEepromByte(address, value); status_ != kOk) {
                frame.ReportStatus(status_);
                return;
            }
            entry_.before[address] = value;
        }
    }
    std::string usbIdBytes;
    if (status_ = o.link.ReadUsbIdBytes(usbIdBytes); status_ != kOk) {
        frame.ReportStatus(status_);
        return;
    }
    for (std::uint8_t address : addresses) {
        if (isUsbId(address)) {
            entry_.before[address] = std::uint8_t(usbIdBytes[std::size_t(address - a::kUsbId)]);
        }
    }
    entry_.usbId = printableText(usbIdBytes);
    entry_.usbIdAfter = PlannedUsbId(entry_.usbId, planned);
    append();
}

JournalGuard::JournalGuard(AdjustFrame& frame, JournalEntry draft) : frame_(frame) {
    if (!frame.objects().journal) {
        return;
    }
    entry_ = std::move(draft);
    append();
}

JournalGuard::JournalGuard(AdjustFrame& frame, const JournalEntry& existing, Continue)
    : frame_(frame), entry_(existing) {}

void JournalGuard::append() {
    ProgramObjects& o = frame_.objects();
    const ModelInfo* model = o.choice.model();
    entry_.time = localTimeText(o.clock.localTime());
    entry_.model = model ? std::string(model->name) : std::string();
    entry_.port = std::string(OpenPortName(o.driver));
    std::string why;
    if (!o.journal->append(entry_, why)) {
        status_ = frame_.Refuse(kJournalFailed, JournalFailureText(why));
    }
}

void JournalGuard::write(const JournalUpdate& update) {
    ProgramObjects& o = frame_.objects();
    if (!o.journal || !ok() || entry_.id == 0) {
        return;
    }
    std::string why;
    if (!o.journal->update(update, why)) {
        frame_.ShowStatus(StatusMode::NewLine,
                          "The outcome could not be added to the change journal (" + why + ").");
    }
}

void JournalGuard::recordAfter(const std::map<std::uint8_t, std::uint8_t>& after,
                               const std::string& usbIdAfter) {
    JournalUpdate u;
    u.id = entry_.id;
    u.state = EntryState::Finished;
    u.after = after;
    u.usbIdAfter = usbIdAfter;
    u.finishValuesAcknowledged = true;
    write(u);
}

void JournalGuard::record(EntryState state, const std::map<std::uint8_t, std::uint8_t>& after,
                          bool finishValuesAcknowledged) {
    JournalUpdate u;
    u.id = entry_.id;
    u.state = state;
    u.after = after;
    u.finishValuesAcknowledged = finishValuesAcknowledged;
    write(u);
}

void JournalGuard::recordUndone(long long target) {
    JournalUpdate u;
    u.id = target;
    u.state = EntryState::Undone;
    u.undoneBy = entry_.id;
    write(u);
}

}  // namespace veltra
