#pragma once
// Factory frames as the print data stream carries them: ESC "|" 0x00, a 16-bit little-endian
// count of the bytes that follow, then the model code (2 bytes), the command byte c, c XOR 0xFF,
// c rotated right by one bit, and the parameters. The page renderer decodes
// PrintCommand::Kind::Factory entries (whose bytes start at the model code) with these helpers.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/VirtualPrinter.h"

namespace veltra::sim::factory {

inline constexpr std::size_t kFrameHeader = 5;  // ESC "|" 0x00 count(2)
inline constexpr std::size_t kBodyHeader = 5;   // model code(2) c ~c rot

inline constexpr std::uint8_t kSetBidValues = 0x00;        // kind, black LE16, colour LE16
inline constexpr std::uint8_t kSetPfValue = 0x04;          // value
inline constexpr std::uint8_t kReadEepromByteData = 0x41;  // address; answers "@BDC PS"
inline constexpr std::uint8_t kFinishValues = 0x50;
inline constexpr std::uint8_t kCleanCharge = 0x84;  // sequence number (4 cleaning, 6 charge)
inline constexpr std::uint8_t kMechRun = 0xC5;      // unit, direction, count LE16
inline constexpr std::uint8_t kMechPause = 0xCA;    // count
inline constexpr std::uint8_t kHeadAngleEnd = 0xCB;
inline constexpr std::uint8_t kMechSet = 0xCD;        // unit, 0x00, value LE16 signed
inline constexpr std::uint8_t kHeadAngleMode = 0xD1;  // mode

inline constexpr std::int16_t kBidUnchanged = -128;  // a SetBidValues side that stays as it is

constexpr std::uint8_t rotateRight(std::uint8_t c) {
    return static_cast<std::uint8_t>((c >> 1) | ((c & 1) << 7));
}

// Splits a frame body (from the model code on). A body too short for its header, or whose check
// bytes do not follow from c, comes back with checkBytesMatched false.
inline FactoryCommand parseFactoryBody(const std::vector<std::uint8_t>& body, std::uint8_t model0,
                                       std::uint8_t model1) {
    FactoryCommand f;
    if (body.size() < kBodyHeader) {
        f.checkBytesMatched = false;
        f.modelCodeMatched = false;
        return f;
    }
    f.modelCodeMatched = body[0] == model0 && body[1] == model1;
    f.command = body[2];
    f.checkBytesMatched =
        body[3] == std::uint8_t(body[2] ^ 0xFF) && body[4] == rotateRight(body[2]);
    f.params.assign(body.begin() + kBodyHeader, body.end());
    return f;
}

// A signed 16-bit little-endian parameter at params[at]; the caller checks the length.
inline std::int16_t le16(const std::vector<std::uint8_t>& params, std::size_t at) {
    return static_cast<std::int16_t>(params[at] | (params[at + 1] << 8));
}

}  // namespace veltra::sim::factory
