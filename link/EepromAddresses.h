#pragma once
// Where the program finds its values in the printer's 256-byte EEPROM. Multi-byte values are
// stored most significant byte first; each Bi-D setting is a black byte with its colour byte
// at the next address.
#include <array>
#include <cstdint>
#include <string_view>

namespace veltra::eeprom_address {

inline constexpr std::uint8_t kProtectionCounter = 0x02;  // 2 bytes
inline constexpr std::uint8_t kProtectionCounterLow = kProtectionCounter + 1;
inline constexpr std::uint8_t kPageCounter = 0x20;       // 4 bytes
inline constexpr std::uint8_t kPrintPassCounter = 0x24;  // 4 bytes
inline constexpr std::uint8_t kExchangeFlag = 0x30;
inline constexpr std::uint8_t kExchangeFlag2 = 0x31;
inline constexpr std::uint8_t kFactorySetting51 = 0x51;
inline constexpr std::uint8_t kFactorySetting52 = 0x52;
inline constexpr std::uint8_t kTopMargin = 0x5D;
inline constexpr std::uint8_t kFactorySetting65 = 0x65;
inline constexpr std::uint8_t kBidEco = 0x70;
inline constexpr std::uint8_t kBidVsd1 = 0x72;
inline constexpr std::uint8_t kBidVsd2 = 0x74;
inline constexpr std::uint8_t kBidVsd3 = 0x76;
inline constexpr std::uint8_t kBidColourOffset = 1;
inline constexpr std::uint8_t kCrDispersion = 0x79;
inline constexpr std::uint8_t kPaperFeed = 0x7D;
inline constexpr std::uint8_t kCrReading = 0x7E;  // 2 bytes
inline constexpr std::uint8_t kCrReadingLow = kCrReading + 1;
inline constexpr std::uint8_t kHeadIdPairs = 0xA0;  // 5 bytes
inline constexpr std::uint8_t kHeadIdLast = 0xAE;
inline constexpr std::uint8_t kHeadIdFirst = 0xAF;
inline constexpr std::uint8_t kModelSetting = 0xB0;
inline constexpr std::uint8_t kUsbId = 0xC2;  // 18 bytes, to 0xD3
inline constexpr std::uint8_t kUsbIdLength = 18;
inline constexpr std::uint8_t kUsbIdDateTimeCode =
    0xCC;  // its last 8 bytes, after the serial number
inline constexpr std::uint8_t kFactorySettingE1 = 0xE1;

// The factory settings of the EEPROM initialization, in the order it writes them.
inline constexpr std::array<std::uint8_t, 5> kInitialization{
    kFactorySetting51, kFactorySetting52, kFactorySetting65, kModelSetting, kFactorySettingE1};
// What the transportation liquid exchange writes, in ascending order.
inline constexpr std::array<std::uint8_t, 24> kLiquidExchange{
    0x02, 0x03, 0x08, 0x09, 0x0A, 0x0B, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15,
    0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x30, 0x31};

// One named stretch of the map, as the EEPROM tools show it ("C2-D3 USB ID").
struct NamedRange {
    std::uint8_t first;
    std::uint8_t last;
    std::string_view name;
};

inline constexpr std::array<NamedRange, 28> kNamedRanges{{
    {0x02, 0x03, "02-03 protection counter"},
    {0x08, 0x0B, "08-0B cleared by the liquid exchange"},
    {0x10, 0x1F, "10-1F cleared by the liquid exchange"},
    {0x20, 0x23, "20-23 page counter"},
    {0x24, 0x27, "24-27 print pass counter"},
    {0x30, 0x30, "30 liquid exchange flag"},
    {0x31, 0x31, "31 liquid exchange flag"},
    {0x51, 0x51, "51 factory setting"},
    {0x52, 0x52, "52 factory setting"},
    {0x5D, 0x5D, "5D top margin"},
    {0x65, 0x65, "65 factory setting"},
    {0x70, 0x70, "70 Bi-D ECO black"},
    {0x71, 0x71, "71 Bi-D ECO color"},
    {0x72, 0x72, "72 Bi-D VSD1 black"},
    {0x73, 0x73, "73 Bi-D VSD1 color"},
    {0x74, 0x74, "74 Bi-D VSD2 black"},
    {0x75, 0x75, "75 Bi-D VSD2 color"},
    {0x76, 0x76, "76 Bi-D VSD3 black"},
    {0x77, 0x77, "77 Bi-D VSD3 color"},
    {0x79, 0x79, "79 CR motor drive dispersion"},
    {0x7D, 0x7D, "7D PF adjustment"},
    {0x7E, 0x7F, "7E-7F CR motor measurement reading"},
    {0xA0, 0xA4, "A0-A4 head ID pairs"},
    {0xAE, 0xAE, "AE head ID twelfth digit"},
    {0xAF, 0xAF, "AF head ID first digit"},
    {0xB0, 0xB0, "B0 model setting"},
    {0xC2, 0xD3, "C2-D3 USB ID"},
    {0xE1, 0xE1, "E1 factory setting"},
}};

// The name of what lives at an address; "" for an address the program does not use.
constexpr std::string_view nameOf(std::uint8_t address) {
    for (const NamedRange& r : kNamedRanges) {
        if (address >= r.first && address <= r.last) {
            return r.name;
        }
    }
    return {};
}

// Adjustment values: after one of these changed, the printer is sent FinishValues.
constexpr bool isAdjustmentValue(std::uint8_t address) {
    return address == kTopMargin || (address >= kBidEco && address <= kBidVsd3 + 1) ||
           address == kCrDispersion || address == kPaperFeed;
}

}  // namespace veltra::eeprom_address
