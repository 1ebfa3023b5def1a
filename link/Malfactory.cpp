#include "link/Malfactory.h"

#include "link/CommandBytes.h"

namespace veltra {

namespace {

// Factory frame: ESC "|", 0x00, count of the bytes behind byte 4 (little-endian), model code,
// command byte with its two check bytes, parameters.
namespace frame {
constexpr std::size_t kZero = 2;
constexpr std::size_t kCountLo = 3;
constexpr std::size_t kCountHi = 4;
constexpr std::size_t kModel = 5;
constexpr std::size_t kCommand = 7;
constexpr std::size_t kParams = 10;
}  // namespace frame

namespace command {
constexpr std::uint8_t kReadEeprom = kEepromReadCommand;
constexpr std::uint8_t kSetBid = 0x00;
constexpr std::uint8_t kSetPf = 0x04;
constexpr std::uint8_t kFinish = 0x50;
constexpr std::uint8_t kCleanCharge = 0x84;
constexpr std::uint8_t kHeadAngleMode = 0xD1;
constexpr std::uint8_t kHeadAngleEnd = 0xCB;
constexpr std::uint8_t kMechSet = 0xCD;
constexpr std::uint8_t kMechRun = 0xC5;
constexpr std::uint8_t kMechPause = 0xCA;
}  // namespace command

constexpr std::uint8_t kLow(std::uint16_t v) {
    return std::uint8_t(v & 0xFF);
}
constexpr std::uint8_t kHigh(std::uint16_t v) {
    return std::uint8_t(v >> 8);
}

}  // namespace

void TPFactory::SetModelCode(std::uint8_t c0, std::uint8_t c1) {
    buffer_[frame::kModel] = c0;
    buffer_[frame::kModel + 1] = c1;
}

Status TPFactory::Send(std::uint8_t command, const std::uint8_t* params, std::size_t n) {
    const std::size_t total = frame::kParams + n;
    const std::size_t count = total - (frame::kCountHi + 1);
    buffer_[frame::kZero] = 0x00;
    buffer_[frame::kCountLo] = kLow(std::uint16_t(count));
    buffer_[frame::kCountHi] = kHigh(std::uint16_t(count));
    const auto check = commandCheckBytes(command);
    std::copy(check.begin(), check.end(), buffer_.begin() + frame::kCommand);
    std::copy(params, params + n, buffer_.begin() + frame::kParams);
    return link_.SendCommand(buffer_.data(), total);
}

Status TPFactory::ReadEepromByteData(std::uint8_t address, std::uint8_t& value) {
    lastError_ = kNoError;
    VELTRA_TRY(Send(command::kReadEeprom, &address, 1));
    std::array<std::uint8_t, TPD4Comm::kReplyBufferSize> reply{};
    std::size_t length = 0;
    VELTRA_TRY(link_.ReceiveData(reply.data(), reply.size(), length));
    // A reply without its header, or too short to hold the value, is not a read reply.
    if (decodeEepromReply(reply.data(), length, value) != EepromReply::Ok) {
        lastError_ = factory_error::kNoReplyHeader;
        return kFactoryFailure;
    }
    return kOk;
}

Status TPFactory::SetBidValues(std::uint8_t kind, std::int8_t black, std::int8_t colour) {
    // Each side is the signed value widened to 16 bits, little-endian.
    const auto b = std::uint16_t(std::int16_t(black));
    const auto c = std::uint16_t(std::int16_t(colour));
    const std::uint8_t params[] = {kind, kLow(b), kHigh(b), kLow(c), kHigh(c)};
    return Send(command::kSetBid, params, sizeof params);
}

Status TPFactory::SetPfValue(std::int8_t value) {
    const std::uint8_t param = std::uint8_t(value);
    return Send(command::kSetPf, &param, 1);
}

Status TPFactory::FinishValues() {
    return Send(command::kFinish, nullptr, 0);
}

Status TPFactory::CleanCharge(std::uint8_t n) {
    VELTRA_TRY(Send(command::kCleanCharge, &n, 1));
    // Staged as print data; it leaves with the next flush.
    return link_.WriteData(kInitialiseSequence.data(), kInitialiseSequence.size());
}

Status TPFactory::HeadAngleMode(std::uint8_t v) {
    return Send(command::kHeadAngleMode, &v, 1);
}

Status TPFactory::HeadAngleEnd() {
    return Send(command::kHeadAngleEnd, nullptr, 0);
}

Status TPFactory::MechSet(std::uint8_t unit, std::int16_t value) {
    const auto v = std::uint16_t(value);
    const std::uint8_t params[] = {unit, 0x00, kLow(v), kHigh(v)};
    return Send(command::kMechSet, params, sizeof params);
}

Status TPFactory::MechRun(std::uint8_t unit, std::uint8_t direction, std::uint16_t count) {
    const std::uint8_t params[] = {unit, direction, kLow(count), kHigh(count)};
    return Send(command::kMechRun, params, sizeof params);
}

Status TPFactory::MechPause(std::uint8_t count) {
    return Send(command::kMechPause, &count, 1);
}

}  // namespace veltra
