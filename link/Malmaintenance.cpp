#include "link/Malmaintenance.h"

#include <array>

#include "link/EepromAddresses.h"

namespace veltra {

namespace {

using eeprom_address::kPageCounter;
using eeprom_address::kPrintPassCounter;
using eeprom_address::kProtectionCounter;
constexpr std::array<std::uint8_t, 2> kNewPadPreset{std::uint8_t(kNewInkPadCount >> 8),
                                                    std::uint8_t(kNewInkPadCount & 0xFF)};

template <std::size_t N>
Status readBytes(TPD4Comm& link, std::uint8_t first, std::array<std::uint8_t, N>& out) {
    for (std::size_t i = 0; i < N; ++i) {
        VELTRA_TRY(link.ReadEepromByte(std::uint8_t(first + i), out[i]));
    }
    return kOk;
}

Status writePair(TPD4Comm& link, std::uint8_t first, std::uint8_t high, std::uint8_t low) {
    VELTRA_TRY(link.WriteEepromByte(first, high));
    return link.WriteEepromByte(std::uint8_t(first + 1), low);
}

Status readSigned32(TPD4Comm& link, std::uint8_t first, std::int64_t& value) {
    std::array<std::uint8_t, 4> b{};
    VELTRA_TRY(readBytes(link, first, b));
    const std::uint32_t bits = (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) |
                               (std::uint32_t(b[2]) << 8) | std::uint32_t(b[3]);
    value = std::int32_t(bits);
    return kOk;
}

// A counter read as a number, given as its decimal text.
template <class Read>
Status asText(Read read, std::string& text) {
    std::int64_t value = 0;
    VELTRA_TRY(read(value));
    text = std::to_string(value);
    return kOk;
}

}  // namespace

Status TPMaintenance::ReadProtectionCounter(std::int64_t& value) {
    std::array<std::uint8_t, 2> b{};
    VELTRA_TRY(readBytes(link_, kProtectionCounter, b));
    value = unsigned(b[0]) * 256 + b[1];
    return kOk;
}

Status TPMaintenance::ReadProtectionCounter(std::string& text) {
    return asText([this](std::int64_t& v) { return ReadProtectionCounter(v); }, text);
}

Status TPMaintenance::ClearProtectionCounter() {
    return writePair(link_, kProtectionCounter, 0x00, 0x00);
}

Status TPMaintenance::PresetProtectionCounter() {
    return writePair(link_, kProtectionCounter, kNewPadPreset[0], kNewPadPreset[1]);
}

Status TPMaintenance::ReadPageCounter(std::int64_t& value) {
    return readSigned32(link_, kPageCounter, value);
}

Status TPMaintenance::ReadPrintPassCounter(std::int64_t& value) {
    return readSigned32(link_, kPrintPassCounter, value);
}

Status TPMaintenance::ReadPageCounter(std::string& text) {
    return asText([this](std::int64_t& v) { return ReadPageCounter(v); }, text);
}

Status TPMaintenance::ReadPrintPassCounter(std::string& text) {
    return asText([this](std::int64_t& v) { return ReadPrintPassCounter(v); }, text);
}

}  // namespace veltra
