#pragma once
// TPDataManu: hexadecimal text conversions. Digits are "0"-"9" and upper-case "A"-"F" only.
#include <cstdint>
#include <string_view>

namespace veltra {

class TPDataManu {
public:
    bool HexToByte(char hi, char lo, std::uint8_t& value) const;
    int TextToByte(std::string_view text, std::uint8_t& value) const;
    // Writes two digits and a zero byte into out[0..2].
    int ByteToHex(std::uint8_t value, char out[3]) const;
};

}  // namespace veltra
