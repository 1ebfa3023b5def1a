// The status side of the link: the status request and its decoding, the two waits until the
// printer is ready, the "rs" request, and the EEPROM byte requests on the control channel.
// The packet transport under them is in Mald4comm.cpp.
#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>
#include <vector>

#include "link/CommandBytes.h"
#include "link/Datamanu.h"
#include "link/EepromAddresses.h"
#include "link/Mald4comm.h"

namespace veltra {

namespace {

// Control-channel requests: two letters, 16-bit little-endian parameter length, parameters.
constexpr std::array<std::uint8_t, 5> kStatusRequest{'s', 't', 0x01, 0x00, 0x01};
constexpr std::array<std::uint8_t, 5> kRsRequest{'r', 's', 0x01, 0x00, 0x01};
// EEPROM requests: "||", the parameter length, model code, command bytes, address (, value).
constexpr std::uint8_t kEepromRequestLetter = '|';
// A write-type control reply answers with one letter at payload position 6.
constexpr std::size_t kWriteReplyLetter = 6;
constexpr char kReplyAccepted = 'O';
constexpr char kReplyBusy = 'B';
constexpr char kReplyRefused = 'N';

constexpr std::int64_t kPollIntervalMs = 1000;
constexpr std::string_view kPaperOutText = "Paper out error";

struct StateEntry {
    std::uint8_t code;
    std::int16_t state;
};
constexpr StateEntry kStates[] = {
    {0x00, printer_state::kError},      {0x01, printer_state::kNozzleCheck},
    {0x02, printer_state::kBusy},       {0x03, printer_state::kPrinting},
    {0x04, printer_state::kReady},      {0x07, printer_state::kCleaning},
    {0x08, printer_state::kBeforeFill},
};

constexpr StateEntry kErrors[] = {
    {0x00, printer_error::kFatal},      {0x01, printer_error::kNotSelected},
    {0x04, printer_error::kPaperJam},   {0x05, printer_error::kInkOut},
    {0x06, printer_error::kPaperOut},   {0x10, printer_error::kMaintenance},
    {0x12, printer_error::kDoubleFeed},
};

constexpr std::string_view kStateField = "ST:";
constexpr std::string_view kInkField = "IQ:";
constexpr std::string_view kErrorField = "ER:";

// The two characters behind a field name as a hexadecimal byte; false when they are missing or
// not hexadecimal digits.
bool fieldByte(std::string_view text, std::size_t at, std::uint8_t& value) {
    const std::size_t pos = at + kStateField.size();
    if (pos + 2 > text.size()) {
        return false;
    }
    return TPDataManu{}.HexToByte(text[pos], text[pos + 1], value);
}

}  // namespace

Status TPD4Comm::ReadStatus() {
    printerError_ = printer_error::kNone;
    printerState_ = printer_state::kUnknown;
    rawErrorCode_ = 0;
    hasErrorField_ = false;
    VELTRA_TRY(ControlTransact(kStatusRequest.data(), kStatusRequest.size()));
    const std::string_view text = replyText();

    const std::size_t st = text.find(kStateField);
    if (st == std::string_view::npos) {
        return fail(link_error::kBadStatus);
    }
    // A state value that is not two hexadecimal digits leaves the state unknown.
    if (std::uint8_t code = 0; fieldByte(text, st, code)) {
        for (const auto& e : kStates) {
            if (e.code == code) {
                printerState_ = e.state;
            }
        }
    }
    if (text.find(kInkField) == std::string_view::npos) {
        return fail(link_error::kBadStatus);
    }
    if (const std::size_t er = text.find(kErrorField); er != std::string_view::npos) {
        hasErrorField_ = true;
        if (printerState_ != printer_state::kBeforeFill) {
            printerState_ = printer_state::kError;
        }
        // An error value that is not hexadecimal is an error of unknown kind.
        printerError_ = printer_error::kUnknownError;
        if (std::uint8_t code = 0; fieldByte(text, er, code)) {
            const auto known = std::find_if(std::begin(kErrors), std::end(kErrors),
                                            [code](const StateEntry& e) { return e.code == code; });
            if (known != std::end(kErrors)) {
                printerError_ = known->state;
            } else {
                rawErrorCode_ = code;
            }
        }
    }
    if (printerState_ != printer_state::kError && !dataOpen_) {
        // Opened here so that print data can follow; its outcome changes neither this result
        // nor its detail code.
        const Detail kept = lastError_;
        OpenChannel(kDataSocket);
        lastError_ = kept;
    }
    return kOk;
}

Status TPD4Comm::CheckWriteReply() {
    if (replyPayloadLength() <= kWriteReplyLetter) {
        return fail(link_error::kUnexpected);
    }
    switch (char(reply_[kWriteReplyLetter])) {
        case kReplyAccepted:
            return kOk;
        case kReplyBusy:
            return fail(link_error::kBusy);
        case kReplyRefused:
            return fail(link_error::kRefused);
        default:
            return fail(link_error::kUnexpected);
    }
}

Status TPD4Comm::SendRs() {
    VELTRA_TRY(ControlTransact(kRsRequest.data(), kRsRequest.size()));
    return CheckWriteReply();
}

Status TPD4Comm::WaitReady(bool sendInit) {
    bool waited = false;
    const Status s = PollUntilReady(sendInit, waited);
    if (waited && waitObserver_) {
        waitObserver_(false);
    }
    return s;
}

Status TPD4Comm::PollUntilReady(bool sendInit, bool& waited) {
    for (;;) {
        if (sendInit) {
            VELTRA_TRY(WriteData(kInitialiseSequence.data(), kInitialiseSequence.size()));
            VELTRA_TRY(FlushData());
        }
        VELTRA_TRY(ReadStatus());
        if (printerState_ == printer_state::kBeforeFill) {
            return kPrinterError;
        }
        if (printerState_ == printer_state::kReady) {
            return kOk;
        }
        const bool inError = printerState_ == printer_state::kError;
        if (inError) {
            // Paper out is waited out: the technician loads paper and the polling goes on, as
            // long as the error wait's limit (if any) allows.
            if (printerError_ != printer_error::kPaperOut || errorWaitExhausted()) {
                return kPrinterError;
            }
            ui_.showError(kPaperOutText);
        }
        if (stop_ && stop_->stopRequested()) {
            return fail(link_error::kStopped);
        }
        if (!waited && waitObserver_) {
            waitObserver_(true);
        }
        waited = true;
        const std::int64_t before = clock_.nowMs();
        clock_.sleepMs(kPollIntervalMs);
        if (inError) {
            errorWaitedMs_ += clock_.nowMs() - before;
        }
    }
}

Status TPD4Comm::WaitUntilReady() {
    return WaitReady(true);
}

Status TPD4Comm::WaitStatusReady() {
    return WaitReady(false);
}

std::vector<std::uint8_t> TPD4Comm::eepromRequest(
    std::uint8_t command, std::initializer_list<std::uint8_t> params) const {
    const auto check = commandCheckBytes(command);
    const std::size_t length = modelCode_.size() + check.size() + params.size();
    std::vector<std::uint8_t> out{
        kEepromRequestLetter,      kEepromRequestLetter, std::uint8_t(length & 0xFF),
        std::uint8_t(length >> 8), modelCode_[0],        modelCode_[1]};
    out.insert(out.end(), check.begin(), check.end());
    out.insert(out.end(), params);
    return out;
}

Status TPD4Comm::ReadEepromByte(std::uint8_t address, std::uint8_t& value) {
    lastError_ = kNoError;
    ++eepromReads_;
    const auto request = eepromRequest(kEepromReadCommand, {address});
    VELTRA_TRY(ControlTransact(request.data(), request.size()));
    switch (decodeEepromReply(reply_.data(), replyPayloadLength(), value)) {
        case EepromReply::Ok:
            return kOk;
        case EepromReply::NoHeader:
            return fail(link_error::kBadEepromRead);
        case EepromReply::TooShort:
            break;
    }
    return fail(link_error::kUnexpected);
}

Status TPD4Comm::WriteEepromByte(std::uint8_t address, std::uint8_t value) {
    if (address >= eeprom_address::kUsbId &&
        address < eeprom_address::kUsbId + eeprom_address::kUsbIdLength) {
        usbIdBytes_.reset();  // a reply lost after the printer took the byte changes it too
    }
    const auto request = eepromRequest(kEepromWriteCommand, {address, value});
    VELTRA_TRY(ControlTransact(request.data(), request.size()));
    return CheckWriteReply();
}

Status TPD4Comm::ReadUsbIdBytes(std::string& bytes) {
    if (!usbIdBytes_) {
        std::string read;
        for (std::uint8_t i = 0; i < eeprom_address::kUsbIdLength; ++i) {
            std::uint8_t b = 0;
            VELTRA_TRY(ReadEepromByte(std::uint8_t(eeprom_address::kUsbId + i), b));
            read += char(b);
        }
        usbIdBytes_ = std::move(read);
    }
    bytes = *usbIdBytes_;
    return kOk;
}

}  // namespace veltra
