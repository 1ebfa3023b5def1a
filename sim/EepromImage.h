#pragma once
// The printer's 256-byte EEPROM: the factory image each model leaves the line with, image files,
// and the identity values as the printer's own label shows them.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "link/EepromImageFile.h"

namespace veltra::sim {

using Eeprom = std::array<std::uint8_t, 256>;

namespace eeprom_addr {
inline constexpr std::uint8_t kProtectionCounter = 0x02;  // 16-bit, high byte first
inline constexpr std::uint8_t kPageCounter = 0x20;        // 32-bit, high byte first
inline constexpr std::uint8_t kPassCounter = 0x24;        // 32-bit, high byte first
inline constexpr std::uint8_t kFactory51 = 0x51;
inline constexpr std::uint8_t kFactory52 = 0x52;
inline constexpr std::uint8_t kTopMargin = 0x5D;
inline constexpr std::uint8_t kFactory65 = 0x65;
inline constexpr std::uint8_t kBidEco = 0x70;   // black; colour at +1
inline constexpr std::uint8_t kBidVsd1 = 0x72;  // black; colour at +1
inline constexpr std::uint8_t kBidVsd2 = 0x74;
inline constexpr std::uint8_t kBidVsd3 = 0x76;
inline constexpr std::uint8_t kCrDispersion = 0x79;
inline constexpr std::uint8_t kPf = 0x7D;
inline constexpr std::uint8_t kCrReading = 0x7E;    // 16-bit, high byte first
inline constexpr std::uint8_t kHeadIdPairs = 0xA0;  // five pairs, 0xA0-0xA4
inline constexpr std::uint8_t kHeadIdLast = 0xAE;   // twelfth digit
inline constexpr std::uint8_t kHeadIdFirst = 0xAF;  // first digit
inline constexpr std::uint8_t kModelSetting = 0xB0;
inline constexpr std::uint8_t kUsbId = 0xC2;  // 18 characters, 0xC2-0xD3
inline constexpr std::size_t kUsbIdLength = 18;
inline constexpr std::uint8_t kFactoryE1 = 0xE1;
}  // namespace eeprom_addr

// The image of a new printer of the model (0 K55, 1 K45; anything else is taken as K55).
Eeprom defaultEepromImage(int modelIndex);

// Image files are in the text format of link/EepromImageFile.h; a file of exactly 256 raw bytes
// is read as well. The result says why a file was refused.
EepromImageRead loadEepromImage(const std::string& path);
bool saveEepromImage(const EepromImage& image, const std::string& path);

// The head ID's check value over its seven values (first digit, five pairs, last digit):
// 37 - ((1*v1 + ... + 7*v7) mod 37), 1-37.
int headIdCheckValue(const std::array<std::uint8_t, 7>& v);
// The check character of a check value 1-37 ("A".."H", "J".."N", "P".."Z", "0".."9", "%", "*",
// "+"); 0 for a value outside 1-37.
char headIdCheckChar(int value);
// The 13-character head ID held in the image; nullopt when a digit is out of range.
std::optional<std::string> headIdText(const Eeprom& image);
// The 18 characters at 0xC2-0xD3.
std::string usbIdText(const Eeprom& image);

std::uint16_t readBe16(const Eeprom& image, std::uint8_t address);
void writeBe16(Eeprom& image, std::uint8_t address, std::uint16_t value);
void writeBe32(Eeprom& image, std::uint8_t address, std::uint32_t value);

}  // namespace veltra::sim
