#pragma once
// USB ID: 18 characters kept at EEPROM 0xC2-0xD3, one character per byte, no terminator. It is
// typed in full, or formed from the 10-character serial number (0xC2-0xCB) followed by an
// 8-character code of the local date and time of the write (0xCC-0xD3).
//
// The writes take upper-case letters and digits only; the read-back also accepts lower case.
// Format errors return kUsbIdFormat (0x8000) with one of the detail codes below and never touch
// the EEPROM. Link failures return the link's status with detail kNoError; bytes written before
// the failure stay written.
//
// Date-and-time code, one character per field:
//   1 year      1999 "9"; 2000-2008 "0"-"8"; 2009-2034 "A"-"Z".
//               Years before 1999 give "9" and years after 2034 give "Z": the nearest year that
//               has a character, so the code stays a letter or digit and keeps its order.
//   2 month     1-9 "1"-"9", 10-12 "A"-"C"
//   3 day       1-9 "1"-"9", 10-31 "A"-"V"
//   4 hour      0-9 "0"-"9", 10-23 "A"-"N"
//   5 minute    minute modulo 30: 0-9 "0"-"9", 10-29 "A"-"T"
//   6 second    second modulo 30, as the minute
//   7 halves    "0" + 2 when the minute is 30 or more, + 1 when the second is 30 or more
//   8           "0"
// A field outside its calendar range (which a clock does not give) is held to the nearest end
// of the range, so the code never holds a character the read-back would reject.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "codes/CodeResult.h"
#include "link/Clock.h"
#include "link/EepromAddresses.h"
#include "link/Mald4comm.h"

namespace veltra {

namespace usbid_error {
inline constexpr Detail kLength = 0x3001;
inline constexpr Detail kCharacter = 0x3002;
inline constexpr Detail kInvalidStored = 0x3011;  // read-back: not a letter or digit
}  // namespace usbid_error

inline constexpr std::size_t kUsbIdLength = 18;
inline constexpr std::size_t kSerialNumberLength = 10;
inline constexpr std::size_t kDateTimeCodeLength = 8;
static_assert(kSerialNumberLength + kDateTimeCodeLength == kUsbIdLength);

static_assert(eeprom_address::kUsbIdLength == kUsbIdLength);
static_assert(eeprom_address::kUsbIdDateTimeCode == eeprom_address::kUsbId + kSerialNumberLength);

// "0"-"9" or "A"-"Z"; every byte of 0x80 or above fails.
bool IsUsbIdWriteCharacter(char c);
// "0"-"9", "A"-"Z" or "a"-"z"; every byte of 0x80 or above fails.
bool IsUsbIdReadCharacter(char c);

// Length first (detail kLength), then each character from the first (detail kCharacter).
CodeResult UsbIdCheck(std::string_view text, std::size_t length);

std::array<char, kDateTimeCodeLength> DateTimeCode(const LocalTime& t);

// Checks and writes a typed 18-character USB ID to 0xC2-0xD3 in order.
CodeResult UsbIdWrite(TPD4Comm& link, std::string_view text);
// Checks and writes a 10-character serial number to 0xC2-0xCB, then reads the local time once
// and writes its code to 0xCC-0xD3. code gets the 8 characters and a zero byte on success and
// is all zero bytes otherwise.
CodeResult SerialNumberWrite(TPD4Comm& link, const Clock& clock, std::string_view serial,
                             std::array<char, kDateTimeCodeLength + 1>& code);
// Reads 0xC2-0xD3 in order into out, followed by a zero byte. Stops at a failed read or at the
// first stored byte that is not a letter or digit (kInvalidStored); out then holds the characters
// read before it and stays zero-terminated.
CodeResult UsbIdRead(TPD4Comm& link, std::array<char, kUsbIdLength + 1>& out);

// The window's text for a USB ID detail code; "" for codes with no text.
std::string_view UsbIdMessage(Detail detail);

}  // namespace veltra
