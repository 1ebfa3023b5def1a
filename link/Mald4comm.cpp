// The packet transport of the link: packet mode, the 1284.4 packets and their transport
// commands, the channels and their credit. Status, ready waits and EEPROM requests are in
// Mald4commStatus.cpp.
#include "link/Mald4comm.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

namespace veltra {

namespace {

// Packet header: primary and secondary socket, total length (big-endian), credit, control.
namespace header {
constexpr std::size_t kSize = 6;
constexpr std::size_t kPrimary = 0;
constexpr std::size_t kSecondary = 1;
constexpr std::size_t kLengthHi = 2;
constexpr std::size_t kLengthLo = 3;
constexpr std::uint8_t kCommandCredit = 0x01;  // credit byte of transport commands
constexpr std::uint8_t kChannelCredit = 0x00;  // credit byte of channel packets
constexpr std::uint8_t kControl = 0x00;
}  // namespace header

// Transport commands go to socket 0. Byte 6 is the command, and the printer's reply carries
// the command plus 0x80 there and its result code in byte 7; an Error packet has 0x7F in byte 6
// and its error code in byte 9. A credit reply carries the amount in bytes 10-11.
namespace transport {
constexpr std::uint8_t kSocket = 0x00;
constexpr std::size_t kCommand = 6;
constexpr std::size_t kResult = 7;
constexpr std::size_t kErrorCode = 9;
constexpr std::size_t kCreditHi = 10;
constexpr std::size_t kCreditLo = 11;
constexpr std::uint8_t kReplyBit = 0x80;
constexpr std::uint8_t kErrorPacket = 0x7F;
constexpr std::uint8_t kErrorFirst = 0x80;
constexpr std::uint8_t kErrorLast = 0x87;

constexpr std::uint8_t kInit = 0x00;
constexpr std::uint8_t kOpenChannel = 0x01;
constexpr std::uint8_t kCloseChannel = 0x02;
constexpr std::uint8_t kCredit = 0x03;
constexpr std::uint8_t kCreditRequest = 0x04;
constexpr std::uint8_t kExit = 0x08;

constexpr std::uint8_t kRevision = 0x10;
constexpr std::uint16_t kMaxPacket = 0x0400;  // each direction, header included
constexpr std::uint16_t kAnyCredit = 0xFFFF;  // CreditRequest: as much as the printer grants
constexpr std::uint8_t kOpenAlreadyOpen = 6;  // OpenChannel result that still counts as open
}  // namespace transport

// The packet-mode entry is a fixed block: a header whose control byte is the "@" of the
// keyword, then the keyword lines. Its byte 6 ("Z") is what the reply answers with 0x80 added.
constexpr std::array<std::uint8_t, 27> kPacketModeEntry{
    0x00, 0x00, 0x00, 0x1B, 0x01, '@', 'Z', 'J',  'L', ' ', '1', '2', '8', '4',
    '.',  '4',  0x0A, '@',  'Z',  'J', 'L', 0x0A, '@', 'Z', 'J', 'L', 0x0A};

// Credit top-ups of the print data channel.
constexpr std::uint16_t kCommandTopUpAt = 1;
constexpr std::uint16_t kCommandTopUp = 2;
constexpr std::uint16_t kDataTopUpAt = 10;
constexpr std::uint16_t kDataTopUp = 200;
constexpr std::uint16_t kControlCredit = 1;

constexpr std::string_view kProgramMiss = "Program miss!!!";
constexpr std::string_view kAllocationError = "Allocation error";

struct ResultDetail {
    std::uint8_t result;
    Detail detail;
};

constexpr ResultDetail kInitResults[] = {{1, 0x11}, {2, 0x12}, {11, 0x13}};
constexpr ResultDetail kOpenResults[] = {{4, 0x21}, {5, 0x22},  {6, 0x23},
                                         {9, 0x24}, {12, 0x25}, {13, 0x26}};
constexpr ResultDetail kCloseResults[] = {{3, 0x41}, {8, 0x32}};
constexpr ResultDetail kCreditResults[] = {{7, 0x31}, {8, 0x32}};
constexpr ResultDetail kPacketModeResults[] = {{1, 0x51}};

template <std::size_t N>
Detail detailFor(std::uint8_t result, const ResultDetail (&table)[N]) {
    for (const auto& r : table) {
        if (r.result == result) {
            return r.detail;
        }
    }
    return link_error::kUnexpected;
}

std::vector<std::uint8_t> transportCommand(std::uint8_t command,
                                           std::initializer_list<std::uint8_t> params) {
    const std::size_t total = header::kSize + 1 + params.size();
    const std::array<std::uint8_t, header::kSize + 1> head{transport::kSocket,
                                                           transport::kSocket,
                                                           std::uint8_t(total >> 8),
                                                           std::uint8_t(total & 0xFF),
                                                           header::kCommandCredit,
                                                           header::kControl,
                                                           command};
    // Sized once: GCC's bounds check misreads an insert behind an initializer list.
    std::vector<std::uint8_t> out(total);
    std::copy(params.begin(), params.end(), std::copy(head.begin(), head.end(), out.begin()));
    return out;
}

constexpr std::uint8_t hi(std::uint16_t v) {
    return std::uint8_t(v >> 8);
}
constexpr std::uint8_t lo(std::uint16_t v) {
    return std::uint8_t(v & 0xFF);
}

// Counters never wrap below zero: a printer that granted nothing must not turn into 65535.
void takeOne(std::uint16_t& counter) {
    if (counter > 0) {
        --counter;
    }
}

}  // namespace

TPD4Comm::TPD4Comm(TPPrinterDriver& port, Clock& clock, MessageHandler& ui)
    : port_(port), clock_(clock), ui_(ui) {
    staging_.reset(new (std::nothrow) std::uint8_t[kStagingSize]);
    if (!staging_) {
        fatalError(ui_, kAllocationError);
    }
}

TPD4Comm::~TPD4Comm() = default;

void TPD4Comm::SetModelCode(std::uint8_t c0, std::uint8_t c1) {
    modelCode_ = {c0, c1};
}

Status TPD4Comm::fail(Detail detail) {
    lastError_ = detail;
    return kTransportFailure;
}

Status TPD4Comm::readPacket() {
    replyLength_ = 0;
    VELTRA_TRY(port_.ReadPort(reply_.data(), reply_.size(), replyLength_));
    // The packet is what its header says; a header that is cut short, or that claims more than
    // arrived, is a malformed reply. Bytes behind the packet (a second packet in one USB read)
    // are not taken.
    if (replyLength_ < std::int32_t(header::kSize)) {
        port_.DiscardBeforeNextWrite();
        return fail(link_error::kUnexpected);
    }
    const std::int32_t total =
        std::int32_t(reply_[header::kLengthHi]) * 256 + reply_[header::kLengthLo];
    if (total < std::int32_t(header::kSize) || total > replyLength_) {
        port_.DiscardBeforeNextWrite();
        return fail(link_error::kUnexpected);
    }
    replyLength_ = total;
    return kOk;
}

bool TPD4Comm::hasReplyByte(std::size_t index) const {
    return replyLength_ > 0 && index < std::size_t(replyLength_);
}

std::size_t TPD4Comm::replyPayloadLength() const {
    return replyLength_ > std::int32_t(header::kSize) ? std::size_t(replyLength_) - header::kSize
                                                      : 0;
}

Status TPD4Comm::writePacket(std::uint8_t socket, const std::uint8_t* payload, std::size_t n) {
    const std::size_t total = header::kSize + n;
    packet_[header::kPrimary] = socket;
    packet_[header::kSecondary] = socket;
    packet_[header::kLengthHi] = std::uint8_t(total >> 8);
    packet_[header::kLengthLo] = std::uint8_t(total & 0xFF);
    packet_[4] = header::kChannelCredit;
    packet_[5] = header::kControl;
    if (n > 0) {
        std::memcpy(packet_.data() + header::kSize, payload, n);
    }
    return port_.WritePort(packet_.data(), total);
}

Status TPD4Comm::Transact(const std::uint8_t* request, std::size_t n) {
    lastError_ = kNoError;
    replyLength_ = 0;
    VELTRA_TRY(port_.WritePort(request, n));
    if (!awaitReplies_) {
        return fail(link_error::kUnexpected);
    }
    VELTRA_TRY(readPacket());
    if (n > transport::kCommand && hasReplyByte(transport::kCommand) &&
        reply_[transport::kCommand] ==
            std::uint8_t(request[transport::kCommand] + transport::kReplyBit)) {
        return kOk;
    }
    return DecodeErrorReply();
}

Status TPD4Comm::DecodeErrorReply() {
    if (hasReplyByte(transport::kErrorCode) &&
        reply_[transport::kCommand] == transport::kErrorPacket &&
        reply_[transport::kErrorCode] >= transport::kErrorFirst &&
        reply_[transport::kErrorCode] <= transport::kErrorLast) {
        return fail(Detail(reply_[transport::kErrorCode]));
    }
    // Not the reply to this request: it may be a late one, with this request's own reply still
    // to come. Neither may pass as the reply to the next request.
    port_.DiscardBeforeNextWrite();
    return fail(link_error::kUnexpected);
}

Status TPD4Comm::transactCommand(const std::vector<std::uint8_t>& request, std::uint8_t& result) {
    VELTRA_TRY(Transact(request.data(), request.size()));
    if (!hasReplyByte(transport::kResult)) {
        return fail(link_error::kUnexpected);
    }
    result = reply_[transport::kResult];
    return kOk;
}

Status TPD4Comm::EnterPacketMode() {
    std::uint8_t result = 0;
    VELTRA_TRY(transactCommand(
        std::vector<std::uint8_t>(kPacketModeEntry.begin(), kPacketModeEntry.end()), result));
    return result == 0 ? kOk : fail(detailFor(result, kPacketModeResults));
}

Status TPD4Comm::InitTransport() {
    std::uint8_t result = 0;
    VELTRA_TRY(transactCommand(transportCommand(transport::kInit, {transport::kRevision}), result));
    return result == 0 ? kOk : fail(detailFor(result, kInitResults));
}

void TPD4Comm::setChannelFlag(std::uint8_t socket, bool open) {
    if (socket == kControlSocket) {
        controlOpen_ = open;
    } else if (socket == kDataSocket) {
        dataOpen_ = open;
    }
}

Status TPD4Comm::OpenChannel(std::uint8_t socket) {
    std::uint8_t result = 0;
    VELTRA_TRY(transactCommand(
        transportCommand(
            transport::kOpenChannel,
            {socket, socket, hi(transport::kMaxPacket), lo(transport::kMaxPacket),
             hi(transport::kMaxPacket), lo(transport::kMaxPacket), 0x00, 0x00, 0x00, 0x00}),
        result));
    if (result == 0) {
        if (socket == kDataSocket) {
            dataCredit_ = 0;
            printerCredit_ = 0;
        }
        setChannelFlag(socket, true);
        return kOk;
    }
    if (result == transport::kOpenAlreadyOpen) {
        // The channel is usable; its credit counters stay as they were.
        lastError_ = detailFor(result, kOpenResults);
        setChannelFlag(socket, true);
        return kOk;
    }
    return fail(detailFor(result, kOpenResults));
}

Status TPD4Comm::CloseChannel(std::uint8_t socket, std::uint8_t flag) {
    std::uint8_t result = 0;
    VELTRA_TRY(transactCommand(transportCommand(transport::kCloseChannel, {socket, socket, flag}),
                               result));
    if (result == 0) {
        setChannelFlag(socket, false);
        return kOk;
    }
    return fail(detailFor(result, kCloseResults));
}

Status TPD4Comm::GrantCredit(std::uint8_t socket, std::uint16_t n) {
    std::uint8_t result = 0;
    VELTRA_TRY(transactCommand(transportCommand(transport::kCredit, {socket, socket, hi(n), lo(n)}),
                               result));
    if (result != 0) {
        return fail(detailFor(result, kCreditResults));
    }
    if (socket == kDataSocket) {
        // The Credit reply normally carries no amount; the printer then has what was granted.
        if (hasReplyByte(transport::kCreditLo)) {
            printerCredit_ = std::uint16_t(printerCredit_ + reply_[transport::kCreditHi] * 256 +
                                           reply_[transport::kCreditLo]);
        } else {
            printerCredit_ = std::uint16_t(printerCredit_ + n);
        }
    }
    return kOk;
}

Status TPD4Comm::RequestCredit(std::uint8_t socket, std::uint16_t n) {
    std::uint8_t result = 0;
    VELTRA_TRY(transactCommand(
        transportCommand(transport::kCreditRequest, {socket, socket, hi(transport::kAnyCredit),
                                                     lo(transport::kAnyCredit), hi(n), lo(n)}),
        result));
    if (result != 0) {
        return fail(detailFor(result, kCreditResults));
    }
    if (socket == kDataSocket) {
        if (!hasReplyByte(transport::kCreditLo)) {
            return fail(link_error::kUnexpected);
        }
        dataCredit_ = std::uint16_t(dataCredit_ + reply_[transport::kCreditHi] * 256 +
                                    reply_[transport::kCreditLo]);
    }
    return kOk;
}

Status TPD4Comm::ExitTransport() {
    const auto request = transportCommand(transport::kExit, {});
    return Transact(request.data(), request.size());
}

int TPD4Comm::IsChannelOpen(std::uint8_t socket) const {
    return (socket == kControlSocket ? controlOpen_ : dataOpen_) ? 1 : 0;
}

Status TPD4Comm::StartLink() {
    controlOpen_ = false;
    dataOpen_ = false;
    // Print data left staged by an earlier session belongs to no one now.
    staged_ = 0;
    usbIdBytes_.reset();  // the printer on the port may have changed since
    lastError_ = kNoError;
    VELTRA_TRY(port_.QueryDeviceId());
    VELTRA_TRY(EnterPacketMode());
    VELTRA_TRY(InitTransport());
    VELTRA_TRY(OpenChannel(kControlSocket));
    return ReadStatus();
}

Status TPD4Comm::topUpCredit(std::uint16_t at, std::uint16_t amount) {
    if (dataCredit_ <= at) {
        VELTRA_TRY(RequestCredit(kDataSocket, amount));
    }
    if (printerCredit_ <= at) {
        VELTRA_TRY(GrantCredit(kDataSocket, amount));
    }
    return kOk;
}

Status TPD4Comm::SendCommand(const std::uint8_t* payload, std::size_t n) {
    VELTRA_TRY(FlushData());
    lastError_ = kNoError;
    if (!dataOpen_) {
        VELTRA_TRY(OpenChannel(kDataSocket));
    }
    if (n + header::kSize > kPacketLimit) {
        fatalError(ui_, kProgramMiss);
    }
    VELTRA_TRY(topUpCredit(kCommandTopUpAt, kCommandTopUp));
    VELTRA_TRY(writePacket(kDataSocket, payload, n));
    takeOne(dataCredit_);
    return kOk;
}

Status TPD4Comm::sendStaged() {
    const Status s = writePacket(kDataSocket, staging_.get(), staged_);
    // A packet the port did not take is dropped rather than sent again in front of later data:
    // a partial write may already have put part of it on the line.
    staged_ = 0;
    VELTRA_TRY(s);
    takeOne(dataCredit_);
    return kOk;
}

Status TPD4Comm::WriteData(const std::uint8_t* bytes, std::size_t n) {
    lastError_ = kNoError;
    if (!dataOpen_) {
        VELTRA_TRY(OpenChannel(kDataSocket));
    }
    if (n > kStagingSize) {
        fatalError(ui_, kProgramMiss);
    }
    VELTRA_TRY(topUpCredit(kDataTopUpAt, kDataTopUp));
    std::size_t done = 0;
    while (done < n) {
        const std::size_t take = std::min(n - done, kStagedPacket - staged_);
        std::memcpy(staging_.get() + staged_, bytes + done, take);
        staged_ += take;
        done += take;
        if (staged_ == kStagedPacket) {
            VELTRA_TRY(sendStaged());
        }
    }
    return kOk;
}

Status TPD4Comm::FlushData() {
    if (staged_ == 0) {
        return kOk;
    }
    return sendStaged();
}

Status TPD4Comm::ReceiveData(std::uint8_t* payload, std::size_t payloadCapacity,
                             std::size_t& payloadLength) {
    payloadLength = 0;
    lastError_ = kNoError;
    VELTRA_TRY(readPacket());
    if (reply_[header::kPrimary] == kDataSocket && reply_[header::kSecondary] == kDataSocket) {
        // A payload longer than the caller's buffer is cut at its end.
        const std::size_t count = std::min(replyPayloadLength(), payloadCapacity);
        if (count > 0) {
            std::memcpy(payload, reply_.data() + header::kSize, count);
        }
        payloadLength = count;
        takeOne(printerCredit_);
        return kOk;
    }
    const Status s = DecodeErrorReply();
    if (lastError_ == link_error::kChannelClosedByPrinter) {
        dataOpen_ = false;
    }
    return s;
}

Status TPD4Comm::ControlTransact(const std::uint8_t* payload, std::size_t n) {
    lastError_ = kNoError;
    if (n + header::kSize > kPacketLimit) {
        fatalError(ui_, kProgramMiss);
    }
    if (!controlOpen_) {
        VELTRA_TRY(OpenChannel(kControlSocket));
    }
    if (!awaitReplies_) {
        // Credit both ways and the request go out back to back; no reply is read.
        GrantCredit(kControlSocket, kControlCredit);
        RequestCredit(kControlSocket, kControlCredit);
        VELTRA_TRY(writePacket(kControlSocket, payload, n));
        return fail(link_error::kUnexpected);
    }
    // Socket 2 gets one credit each way per request; its counters are not kept.
    VELTRA_TRY(GrantCredit(kControlSocket, kControlCredit));
    VELTRA_TRY(RequestCredit(kControlSocket, kControlCredit));
    VELTRA_TRY(writePacket(kControlSocket, payload, n));
    VELTRA_TRY(readPacket());
    if (reply_[header::kPrimary] == kControlSocket &&
        reply_[header::kSecondary] == kControlSocket) {
        // The payload moves to the start of the buffer, zero-terminated; the packet is at most
        // the buffer size, so the terminator always fits.
        const std::size_t len = replyPayloadLength();
        std::memmove(reply_.data(), reply_.data() + header::kSize, len);
        reply_[len] = 0;
        return kOk;
    }
    const Status s = DecodeErrorReply();
    if (lastError_ == link_error::kChannelClosedByPrinter) {
        controlOpen_ = false;
    }
    return s;
}

std::string_view TPD4Comm::replyText() const {
    const char* text = reinterpret_cast<const char*>(reply_.data());
    const std::size_t len = replyPayloadLength();
    return {text, static_cast<std::size_t>(std::find(text, text + len, '\0') - text)};
}

}  // namespace veltra
