#pragma once
// Byte rules shared by the EEPROM requests, the factory frames and the remote frames.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace veltra {

// ESC @: initialise the printer, sent as print data.
inline constexpr std::array<std::uint8_t, 2> kInitialiseSequence{0x1B, 0x40};

// A command byte travels with its complement and itself rotated right by one bit, so that the
// printer can tell a command from stray bytes ("A" 0x41 -> 0xBE, 0xA0).
inline constexpr std::uint8_t rotateRight1(std::uint8_t c) {
    return std::uint8_t((c >> 1) | ((c & 0x01) << 7));
}
inline constexpr std::array<std::uint8_t, 3> commandCheckBytes(std::uint8_t c) {
    return {c, std::uint8_t(c ^ 0xFF), rotateRight1(c)};
}

// Command letters of the EEPROM byte access, on either channel.
inline constexpr std::uint8_t kEepromReadCommand = 0x41;   // "A"
inline constexpr std::uint8_t kEepromWriteCommand = 0x42;  // "B"

// An EEPROM read reply begins with this text and carries the byte as two hexadecimal
// characters at payload positions 14 and 15, high digit first.
inline constexpr std::string_view kEepromReplyHeader = "@BDC PS";
inline constexpr std::size_t kEepromReplyHigh = 14;
inline constexpr std::size_t kEepromReplyLow = 15;

enum class EepromReply { Ok, NoHeader, TooShort };

// A digit counts as its value and any other character c as c - 0x37, so "A"-"F" give 10-15;
// the printer sends upper-case digits, and other characters are taken the same way.
inline constexpr std::uint8_t eepromReplyDigit(std::uint8_t c) {
    return (c >= '0' && c <= '9') ? std::uint8_t(c - '0') : std::uint8_t(c - 0x37);
}

// Decodes an EEPROM read reply payload of len bytes; value is written only on Ok.
inline EepromReply decodeEepromReply(const std::uint8_t* payload, std::size_t len,
                                     std::uint8_t& value) {
    if (len < kEepromReplyHeader.size() ||
        std::string_view(reinterpret_cast<const char*>(payload), kEepromReplyHeader.size()) !=
            kEepromReplyHeader) {
        return EepromReply::NoHeader;
    }
    if (len <= kEepromReplyLow) {
        return EepromReply::TooShort;
    }
    value = std::uint8_t(eepromReplyDigit(payload[kEepromReplyHigh]) * 16 +
                         eepromReplyDigit(payload[kEepromReplyLow]));
    return EepromReply::Ok;
}

}  // namespace veltra
