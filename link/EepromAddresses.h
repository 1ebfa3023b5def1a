#pragma once
// Where the program finds its values in the printer's 256-byte EEPROM. Multi-byte values are
// stored most significant byte first; each Bi-D setting is a black byte with its colour byte
// at the next address.
#include <cstdint>

namespace veltra::eeprom_address {

inline constexpr std::uint8_t kProtectionCounter = 0x02;  // 2 bytes
inline constexpr std::uint8_t kPageCounter = 0x20;        // 4 bytes
inline constexpr std::uint8_t kPrintPassCounter = 0x24;   // 4 bytes
inline constexpr std::uint8_t kTopMargin = 0x5D;
inline constexpr std::uint8_t kBidEco = 0x70;
inline constexpr std::uint8_t kBidVsd1 = 0x72;
inline constexpr std::uint8_t kBidVsd2 = 0x74;
inline constexpr std::uint8_t kBidVsd3 = 0x76;
inline constexpr std::uint8_t kBidColourOffset = 1;
inline constexpr std::uint8_t kPaperFeed = 0x7D;
inline constexpr std::uint8_t kModelSetting = 0xB0;

}  // namespace veltra::eeprom_address
