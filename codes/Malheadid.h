#pragma once
// Head ID: the 13-character code that describes one print head.
//
//   position 1      first digit "0"-"3"                  -> EEPROM 0xAF
//   positions 2-11  five hexadecimal pairs, each <= 0x65  -> EEPROM 0xA0-0xA4
//   position 12     twelfth digit "0"-"2"                -> EEPROM 0xAE
//   position 13     check character, never stored, recomputed from the seven bytes
//
// The check character alphabet has 37 characters (value 1-37): "A"-"H", "J"-"N", "P"-"Z" (no
// "I" or "O"), "0"-"9", "%", "*", "+". Check value C = 37 - (sum of k * v_k, k = 1..7) mod 37.
//
// A pair is not restricted to hexadecimal digits: an upper-case letter counts as its code minus
// 55 as an 8-bit value, and the pair as (16 * high + low) modulo 256, so "0G" is 0x10 and "G0"
// wraps to 0x00. Any character other than "0"-"9" and "A"-"Z" fails its pair. The entry turns
// letters to upper case before the check. Lengths count characters, not UTF-8 bytes.
//
// Format errors return kHeadIdFormat (0x5000) with one of the detail codes below and never touch
// the EEPROM. Link failures return the link's status with detail kNoError.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "codes/CodeResult.h"
#include "link/EepromAddresses.h"
#include "link/Mald4comm.h"

namespace veltra {

namespace headid_error {
inline constexpr Detail kInvalidStored = 0x1000;  // read-back: stored digit out of range
inline constexpr Detail kLength = 0x1001;
inline constexpr Detail kFirstDigit = 0x1002;
inline constexpr Detail kPair1 = 0x1003;  // pair n fails with kPair1 + n - 1, up to 0x1007
inline constexpr Detail kPair5 = 0x1007;
inline constexpr Detail kTwelfthDigit = 0x1009;
inline constexpr Detail kCheck = 0x1013;
}  // namespace headid_error

inline constexpr std::size_t kHeadIdLength = 13;
inline constexpr std::size_t kHeadIdValueCount = 7;
inline constexpr std::size_t kHeadIdPairCount = 5;
inline constexpr std::uint8_t kHeadIdFirstDigitMax = 3;
inline constexpr std::uint8_t kHeadIdPairMax = 0x65;
inline constexpr std::uint8_t kHeadIdTwelfthDigitMax = 2;
inline constexpr int kHeadIdCheckModulus = 37;

// The seven stored values in their order: first digit, pairs 1-5, twelfth digit.
using HeadIdValues = std::array<std::uint8_t, kHeadIdValueCount>;

// EEPROM address of each value, in the order the values are written and read.
inline constexpr std::array<std::uint8_t, kHeadIdValueCount> kHeadIdAddresses{
    eeprom_address::kHeadIdFirst,     eeprom_address::kHeadIdPairs,
    eeprom_address::kHeadIdPairs + 1, eeprom_address::kHeadIdPairs + 2,
    eeprom_address::kHeadIdPairs + 3, eeprom_address::kHeadIdPairs + 4,
    eeprom_address::kHeadIdLast};

// Check value 1-37 of the seven values.
int HeadIdCheckValue(const HeadIdValues& values);
// Character of a check value 1-37; '\0' for any other value.
char HeadIdCheckCharacter(int value);
// Value 1-37 of a check character; 0 when the character is not one.
int HeadIdCheckCharacterValue(char c);

// Checks a typed head ID in the order of its positions and, when sound, gives its seven values.
// values is left untouched on a format error.
CodeResult HeadIdParse(std::string_view text, HeadIdValues& values);
// Rebuilds the 13 characters and the zero byte from stored values. On failure (kInvalidStored)
// out is all zero bytes.
CodeResult HeadIdFromValues(const HeadIdValues& values, std::array<char, kHeadIdLength + 1>& out);

// Checks the text and, only when every check passed, writes 0xAF, 0xA0-0xA4, 0xAE in this order.
// The first failed write ends it; bytes already written stay written.
CodeResult HeadIdWrite(TPD4Comm& link, std::string_view text);
// Reads 0xAF, 0xA0-0xA4, 0xAE in this order and rebuilds the 13 characters plus a zero byte.
// out is all zero bytes unless the read succeeded.
CodeResult HeadIdRead(TPD4Comm& link, std::array<char, kHeadIdLength + 1>& out);

// The window's text for a head ID detail code; "" for codes with no text.
std::string_view HeadIdMessage(Detail detail);

}  // namespace veltra
