#include "link/Datamanu.h"

namespace veltra {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

// 0-15 for "0"-"9" and upper-case "A"-"F"; -1 otherwise.
int nibble(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

bool TPDataManu::HexToByte(char hi, char lo, std::uint8_t& value) const {
    const int h = nibble(hi);
    const int l = nibble(lo);
    if (h < 0 || l < 0) {
        return false;
    }
    value = std::uint8_t(h * 16 + l);
    return true;
}

int TPDataManu::TextToByte(std::string_view text, std::uint8_t& value) const {
    if (text.size() < 2) {
        return 0;
    }
    return HexToByte(text[0], text[1], value) ? 1 : 0;
}

int TPDataManu::ByteToHex(std::uint8_t value, char out[3]) const {
    out[0] = kDigits[value >> 4];
    out[1] = kDigits[value & 0x0F];
    out[2] = '\0';
    return 1;
}

}  // namespace veltra
