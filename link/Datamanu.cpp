#include "link/Datamanu.h"
#include "link/HexText.h"

namespace veltra {

namespace {

int nibble(char c) {
    return hexDigitValue(c);
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
    out[0] = kHexDigits[value >> 4];
    out[1] = kHexDigits[value & 0x0F];
    out[2] = '\0';
    return 1;
}

}  // namespace veltra
