#pragma once
// Builders for synthetic print command lists, as the virtual printer records them, and
// measurements on rendered pages.
#include <QImage>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "sim/VirtualPrinter.h"

namespace veltra::sim::test {

using Kind = PrintCommand::Kind;
using Bytes = std::vector<std::uint8_t>;
using Line = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kBlack = 0x00;
inline constexpr std::uint8_t kMagenta = 0x01;
inline constexpr std::uint8_t kCyan = 0x02;
inline constexpr std::uint8_t kYellow = 0x04;
inline constexpr std::uint8_t kLightMagenta = 0x11;
inline constexpr std::uint8_t kLightCyan = 0x12;
inline constexpr std::uint8_t kDarkYellow = 0x24;

inline constexpr std::uint8_t kVsd1 = 0x10;
inline constexpr std::uint8_t kVsd2 = 0x11;
inline constexpr std::uint8_t kVsd3 = 0x12;
inline constexpr std::uint8_t kEco = 0x13;

class Stream {
public:
    Stream& add(Kind kind, Bytes bytes = {});
    Stream& init() { return add(Kind::Init); }
    Stream& unit(std::uint8_t u) { return add(Kind::Unit, {u}); }
    Stream& direction(std::uint8_t n) { return add(Kind::Direction, {n}); }
    Stream& dotSize(std::uint8_t d) { return add(Kind::DotSize, {0x00, d}); }
    Stream& colourMode(std::uint8_t m) { return add(Kind::ColorMode, {0x00, m}); }
    Stream& resolution() { return add(Kind::Resolution, {0x68, 0x01, 0x02, 0x01}); }
    Stream& cr() { return add(Kind::CarriageReturn); }
    Stream& lf(int n = 1);
    Stream& ff() { return add(Kind::FormFeed); }
    Stream& v(int distance);  // ESC ( v relative move, then the carriage return sent with it
    Stream& h(int x);
    Stream& text(const std::string& characters);  // a zero byte is part of the string given
    Stream& paperSize(std::uint32_t width, std::uint32_t length);
    Stream& pageFormat(std::uint32_t top, std::uint32_t bottom);
    // The raster preamble: ESC @, graphics mode, unit 10, direction, dot size, colour mode.
    Stream& prepare(std::uint8_t direction, std::uint8_t dotSizeByte, bool colour);
    // A band whose line k is lines[k]; the header announces lines.size() lines.
    Stream& band(std::uint8_t colour, int bytesPerLine, std::vector<Line> lines);
    // The band alone, without the resolution command that precedes it in the program's stream.
    Stream& bandOnly(std::uint8_t colour, int bytesPerLine, std::vector<Line> lines);
    // Factory frames, from the model code on.
    Stream& factory(std::uint8_t command, Bytes params);
    Stream& setBidValues(int kind, int black, int colour);
    Stream& setPfValue(int value);
    Stream& headAngleMode(std::uint8_t mode) { return factory(0xD1, {mode}); }
    Stream& headAngleEnd() { return factory(0xCB, {}); }

    const std::vector<PrintCommand>& commands() const { return commands_; }

private:
    std::vector<PrintCommand> commands_;
};

// A raster line of the given byte count with the listed (byte index, value) pairs set.
Line lineWith(int bytes, std::initializer_list<std::pair<int, std::uint8_t>> set);
// count lines, those from `first` to `last` (inclusive) equal to `line`, the rest blank.
std::vector<Line> linesWith(int count, int first, int last, const Line& line);

// The Bi-D pattern of one dot size as the program prints it: three rows with the trial pairs
// (a-2, b-2), (a, b), (a+2, b+2), without the labels.
void bidPattern(Stream& s, int kind, std::uint8_t dotSizeByte, int a, int b);

// Measurements. A pixel is inked when any channel is below `threshold`.
bool inked(const QImage& page, int x, int y, int threshold = 250);
struct RowRun {
    int first;
    int last;
};
// Runs of consecutive rows that hold inked pixels within columns [x0, x1).
std::vector<RowRun> inkedRows(const QImage& page, int x0, int x1);
// The first inked column of row y within [x0, x1), or -1.
int firstInkedColumn(const QImage& page, int y, int x0, int x1);
// The first inked row of column x, or -1.
int firstInkedRow(const QImage& page, int x, int threshold = 250);

}  // namespace veltra::sim::test
