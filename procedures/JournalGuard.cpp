#include "procedures/JournalGuard.h"

#include "link/EepromAddresses.h"
#include "link/EepromImageFile.h"
#include "procedures/EepromBackup.h"

namespace veltra {

namespace a = eeprom_address;

std::string JournalFailureText(std::string_view why) {
    return "The change journal cannot be written (" + std::string(why) +
           "), so nothing was changed. --no-journal turns the journal off.";
}

Status ReadJournalUsbId(TPD4Comm& link, std::string& usbId) {
    std::string bytes;
    for (std::uint8_t i = 0; i < a::kUsbIdLength; ++i) {
        std::uint8_t b = 0;
        VELTRA_TRY(link.ReadEepromByte(std::uint8_t(a::kUsbId + i), b));
        bytes += char(b);
    }
    usbId = printableText(bytes);
    return kOk;
}

JournalGuard::JournalGuard(AdjustFrame& frame, std::string_view operation,
                           const std::vector<std::uint8_t>& addresses)
    : frame_(frame) {
    ProgramObjects& o = frame.objects();
    if (!o.journal) {
        return;
    }
    entry_.operation = operation;
    // The operation's own addresses first, then the USB ID bytes not among them.
    std::map<std::uint8_t, std::uint8_t> read;
    auto readByte = [&](std::uint8_t address) {
        if (read.count(address) != 0) {
            return kOk;
        }
        std::uint8_t value = 0;
        const Status s = o.link.ReadEepromByte(address, value);
        read[address] = value;
        return s;
    };
    for (std::uint8_t address : addresses) {
        if (status_ = readByte(address); status_ != kOk) {
            frame.ReportStatus(status_);
            return;
        }
        entry_.before[address] = read[address];
    }
    std::string usbId;
    for (std::uint8_t i = 0; i < a::kUsbIdLength; ++i) {
        const auto address = std::uint8_t(a::kUsbId + i);
        if (status_ = readByte(address); status_ != kOk) {
            frame.ReportStatus(status_);
            return;
        }
        usbId += char(read[address]);
    }
    entry_.usbId = printableText(usbId);
    append();
}

JournalGuard::JournalGuard(AdjustFrame& frame, std::string_view operation,
                           std::map<std::uint8_t, std::uint8_t> before, std::string usbId)
    : frame_(frame) {
    if (!frame.objects().journal) {
        return;
    }
    entry_.operation = operation;
    entry_.before = std::move(before);
    entry_.usbId = std::move(usbId);
    append();
}

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

void JournalGuard::recordAfter(const std::map<std::uint8_t, std::uint8_t>& after,
                               const std::string& usbIdAfter) {
    ProgramObjects& o = frame_.objects();
    if (!o.journal || !ok()) {
        return;
    }
    std::string why;
    if (!o.journal->appendAfter(entry_.id, after, usbIdAfter, why)) {
        frame_.ShowStatus(
            StatusMode::NewLine,
            "The values read back could not be added to the change journal (" + why + ").");
    }
}

}  // namespace veltra
