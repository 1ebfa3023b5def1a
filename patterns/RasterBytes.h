#pragma once
// Byte builders for the raster print stream: every printer command that TPRaster writes, built
// from a fixed template. Multi-byte values inside raster commands are little-endian. No builder
// produces more than 13 bytes, so each command leaves in a single WriteData call.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace veltra::raster {

inline constexpr std::uint8_t kEsc = 0x1B;
inline constexpr std::uint8_t kCr = 0x0D;
inline constexpr std::uint8_t kLf = 0x0A;
inline constexpr std::uint8_t kFf = 0x0C;

// Fixed settings of every print job of the program.
inline constexpr std::uint8_t kUnit = 10;  // 10/3600 inch: positions in 1/360 inch
inline constexpr std::array<std::uint8_t, 4> kResolution{0x68, 0x01, 0x02, 0x01};  // 360, v2, h1
inline constexpr std::uint8_t kCompressed = 1;
inline constexpr std::uint8_t kTwoBitsPerDot = 2;

// Print direction argument.
inline constexpr std::uint8_t kOneDirection = 1;
inline constexpr std::uint8_t kBothDirections = 0;

// Colour-mode argument and the mode byte it selects.
inline constexpr int kMonochrome = 0;
inline constexpr int kColour = 128;
inline constexpr std::uint8_t kMonochromeByte = 0x01;
inline constexpr std::uint8_t kColourByte = 0x02;
inline constexpr std::uint8_t kBadColourModeByte = 0x00;  // sent after the "error" box

// Colour codes of StartRasterBand.
namespace colour {
inline constexpr std::uint8_t kBlack = 0x00;
inline constexpr std::uint8_t kMagenta = 0x81;
inline constexpr std::uint8_t kLightMagenta = 0x82;
inline constexpr std::uint8_t kCyan = 0x83;
inline constexpr std::uint8_t kLightCyan = 0x84;
inline constexpr std::uint8_t kYellow = 0x85;
inline constexpr std::uint8_t kDarkYellow = 0x86;
}  // namespace colour

// Longest run RepeatSend can encode: the header (1 - n) mod 256 reaches 0x80 at n = 129.
inline constexpr int kMaxRun = 129;
// Vertical moves at or below this distance are a program error.
inline constexpr int kMinVerticalMove = -256;

// One command: up to 13 bytes.
struct Command {
    static constexpr std::size_t kCapacity = 13;
    std::array<std::uint8_t, kCapacity> data{};
    std::size_t size = 0;

    constexpr void push(std::uint8_t b) { data[size++] = b; }
    constexpr std::span<const std::uint8_t> bytes() const { return {data.data(), size}; }
};

namespace detail {
constexpr Command make(std::initializer_list<std::uint8_t> bytes) {
    Command c;
    for (std::uint8_t b : bytes) {
        c.push(b);
    }
    return c;
}
constexpr std::uint8_t lo(std::uint16_t v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}
constexpr std::uint8_t hi(std::uint16_t v) {
    return static_cast<std::uint8_t>(v >> 8);
}
}  // namespace detail

// Byte sent for a dot-size code: 1/4 VSD1, 2/5 VSD2, 3/6 VSD3, 7 ECO, 8, 9; 0 for any other.
inline constexpr std::array<std::uint8_t, 10> kDotSizeBytes{0x00, 0x10, 0x11, 0x12, 0x10,
                                                            0x11, 0x12, 0x13, 0x14, 0x15};
constexpr std::uint8_t DotSizeByte(int code) {
    return code >= 0 && code < int(kDotSizeBytes.size()) ? kDotSizeBytes[std::size_t(code)] : 0x00;
}

// Colour codes with their colour bytes; a code not listed has no ink.
struct ColourCodeByte {
    std::uint8_t code;
    std::uint8_t byte;
};
inline constexpr ColourCodeByte kColourBytes[] = {
    {colour::kBlack, 0x00},      {colour::kMagenta, 0x01},   {colour::kLightMagenta, 0x11},
    {colour::kCyan, 0x02},       {colour::kLightCyan, 0x12}, {colour::kYellow, 0x04},
    {colour::kDarkYellow, 0x24},
};
constexpr std::optional<std::uint8_t> ColourByte(std::uint8_t code) {
    for (const ColourCodeByte& c : kColourBytes) {
        if (c.code == code) {
            return c.byte;
        }
    }
    return std::nullopt;
}

// Mode byte of a colour-mode argument; nullopt for anything but 0 and 128.
constexpr std::optional<std::uint8_t> ColourModeByte(int mode) {
    if (mode == kMonochrome) {
        return kMonochromeByte;
    }
    if (mode == kColour) {
        return kColourByte;
    }
    return std::nullopt;
}

constexpr Command InitPrinter() {
    return detail::make({kEsc, '@'});
}
constexpr Command GraphicsMode() {
    return detail::make({kEsc, '(', 'G', 0x01, 0x00, 0x01});
}
constexpr Command Unit(std::uint8_t u) {
    return detail::make({kEsc, '(', 'U', 0x01, 0x00, u});
}
constexpr Command PrintDirection(std::uint8_t n) {
    return detail::make({kEsc, 'U', n});
}
constexpr Command DotSize(int code) {
    return detail::make({kEsc, '(', 'e', 0x02, 0x00, 0x00, DotSizeByte(code)});
}
constexpr Command ColourMode(std::uint8_t modeByte) {
    return detail::make({kEsc, '(', 'K', 0x02, 0x00, 0x00, modeByte});
}
constexpr Command CarriageReturn() {
    return detail::make({kCr});
}
// Relative vertical move in 1/360 inch, then a carriage return.
constexpr Command VerticalPosition(std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    return detail::make({kEsc, '(', 'v', 0x02, 0x00, detail::lo(u), detail::hi(u), kCr});
}
constexpr Command HorizontalPosition(std::uint16_t x) {
    return detail::make({kEsc, '$', detail::lo(x), detail::hi(x)});
}
constexpr Command RasterResolution(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    return detail::make({kEsc, '(', 'D', 0x04, 0x00, a, b, c, d});
}
// Band header with the colour byte already translated from its colour code.
constexpr Command RasterBand(std::uint8_t colourByte, std::uint8_t compression,
                             std::uint8_t bitsPerDot, std::uint8_t nL, std::uint8_t nH,
                             std::uint8_t mL, std::uint8_t mH) {
    return detail::make({kEsc, 'i', colourByte, compression, bitsPerDot, nL, nH, mL, mH});
}
// Run of n copies of v (1 <= n <= 129): header (1 - n) mod 256, then v.
constexpr Command Repeat(int n, std::uint8_t v) {
    return detail::make({static_cast<std::uint8_t>((1 - n) & 0xFF), v});
}
constexpr Command PaperSize(const std::array<std::uint8_t, 8>& p) {
    return detail::make(
        {kEsc, '(', 'S', 0x08, 0x00, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]});
}
constexpr Command PageFormat(const std::array<std::uint8_t, 8>& p) {
    return detail::make(
        {kEsc, '(', 'c', 0x08, 0x00, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]});
}
constexpr Command LineFeed() {
    return detail::make({kCr, kLf});
}
constexpr Command FormFeed() {
    return detail::make({kFf});
}

// Two 32-bit little-endian values, as SetPaperSize and SetPageFormat take them.
constexpr std::array<std::uint8_t, 8> TwoLongs(std::uint32_t first, std::uint32_t second) {
    std::array<std::uint8_t, 8> out{};
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(first >> (8 * i));
        out[4 + i] = static_cast<std::uint8_t>(second >> (8 * i));
    }
    return out;
}

}  // namespace veltra::raster
