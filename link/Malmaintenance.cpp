#include "link/Malmaintenance.h"

#include <array>

#include "link/EepromAddresses.h"

namespace veltra {

namespace {

using eeprom_address::kPageCounter;
using eeprom_address::kPrintPassCounter;
using eeprom_address::kProtectionCounter;
// A new ink pad starts the protection counter at 3937.
constexpr std::array<std::uint8_t, 2> kNewPadPreset{0x0F, 0x61};

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

Status readSigned32(TPD4Comm& link, std::uint8_t first, std::string& text) {
    std::array<std::uint8_t, 4> b{};
    VELTRA_TRY(readBytes(link, first, b));
    const std::uint32_t value = (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) |
                                (std::uint32_t(b[2]) << 8) | std::uint32_t(b[3]);
    text = std::to_string(std::int32_t(value));
    return kOk;
}

}  // namespace

Status TPMaintenance::ReadProtectionCounter(std::string& text) {
    std::array<std::uint8_t, 2> b{};
    VELTRA_TRY(readBytes(link_, kProtectionCounter, b));
    text = std::to_string(unsigned(b[0]) * 256 + b[1]);
    return kOk;
}

Status TPMaintenance::ClearProtectionCounter() {
    return writePair(link_, kProtectionCounter, 0x00, 0x00);
}

Status TPMaintenance::PresetProtectionCounter() {
    return writePair(link_, kProtectionCounter, kNewPadPreset[0], kNewPadPreset[1]);
}

Status TPMaintenance::ReadPageCounter(std::string& text) {
    return readSigned32(link_, kPageCounter, text);
}

Status TPMaintenance::ReadPrintPassCounter(std::string& text) {
    return readSigned32(link_, kPrintPassCounter, text);
}

}  // namespace veltra
