#pragma once
// Bytes as two hexadecimal digits and back: the one digit table and digit rule of the program.
// Digits are written upper-case; reading takes "0"-"9" and "A"-"F", and "a"-"f" too where a
// caller reads text a person may have typed or edited.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veltra {

inline constexpr std::string_view kHexDigits = "0123456789ABCDEF";

enum class HexCase { UpperOnly, Either };

// 0-15 for a digit, -1 for anything else.
constexpr int hexDigitValue(char c, HexCase accepted = HexCase::UpperOnly) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (accepted == HexCase::Either && c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Exactly two digits as a byte; nullopt for any other text.
constexpr std::optional<std::uint8_t> hexPair(std::string_view text,
                                              HexCase accepted = HexCase::UpperOnly) {
    if (text.size() != 2) {
        return std::nullopt;
    }
    const int hi = hexDigitValue(text[0], accepted);
    const int lo = hexDigitValue(text[1], accepted);
    if (hi < 0 || lo < 0) {
        return std::nullopt;
    }
    return std::uint8_t(hi * 16 + lo);
}

inline void appendHexByte(std::string& out, std::uint8_t value) {
    out += kHexDigits[value >> 4];
    out += kHexDigits[value & 0x0F];
}

inline std::string hexByte(std::uint8_t value) {
    std::string out;
    appendHexByte(out, value);
    return out;
}

}  // namespace veltra
