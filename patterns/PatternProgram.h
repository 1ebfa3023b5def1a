#pragma once
// Patterns as data. A raster line is a run list, a band says which run list each of its lines
// prints, and a program is the list of commands of a pattern (preambles, bands, moves, labels).
// TPRaster::Emit is the one writer that turns a program into the print stream.
//
// Run lists follow the notation "34x[1x30, 9x00], 20x00, 3x[120x00]": a run is n copies of one
// byte; a group repeats the runs that follow it. Everything here is constexpr so that every line
// of every pattern is checked at compile time to fill its band's width exactly.
#include <cstdint>
#include <span>
#include <string_view>

#include "patterns/RasterBytes.h"

namespace veltra::raster {

// One item of a run list: a run (repeat 0) of `count` bytes `value`, or a group that repeats the
// next `count` runs `repeat` times.
struct Item {
    std::uint8_t repeat = 0;
    std::uint8_t count = 0;
    std::uint8_t value = 0;
};
constexpr Item Run(std::uint8_t n, std::uint8_t v) {
    return {0, n, v};
}
constexpr Item Group(std::uint8_t times, std::uint8_t runs) {
    return {times, runs, 0};
}

using Line = std::span<const Item>;

// Bytes a run list fills; -1 when it is malformed (empty run, run above 129, a group that runs
// past the end or holds another group).
constexpr int LineWidth(Line line) {
    int width = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const Item& item = line[i];
        if (item.repeat == 0) {
            if (item.count == 0 || item.count > kMaxRun) {
                return -1;
            }
            width += item.count;
            continue;
        }
        if (item.count == 0 || i + item.count >= line.size()) {
            return -1;
        }
        int groupWidth = 0;
        for (std::size_t j = 1; j <= item.count; ++j) {
            const Item& r = line[i + j];
            if (r.repeat != 0 || r.count == 0 || r.count > kMaxRun) {
                return -1;
            }
            groupWidth += r.count;
        }
        width += item.repeat * groupWidth;
        i += item.count;
    }
    return width;
}

// Calls emit(n, v) for every run of the line, in emission order; stops at the first result that
// is not kOk-like (emit returns true to go on).
template <typename F>
constexpr bool ForEachRun(Line line, F&& emit) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        const Item& item = line[i];
        if (item.repeat == 0) {
            if (!emit(item.count, item.value)) {
                return false;
            }
            continue;
        }
        for (int t = 0; t < item.repeat; ++t) {
            for (std::size_t j = 1; j <= item.count; ++j) {
                if (!emit(line[i + j].count, line[i + j].value)) {
                    return false;
                }
            }
        }
        i += item.count;
    }
    return true;
}

// Which lines of a band a rule covers.
enum class Rows : std::uint8_t { All, Even, Odd };

struct LineRule {
    std::uint8_t first = 0;  // first and last line, inclusive
    std::uint8_t last = 0;
    Rows rows = Rows::All;
    Line line;
};

// A band: its header values and, for each line, the first rule that covers it, else `otherwise`.
struct Band {
    std::uint8_t colour = colour::kBlack;  // colour code
    std::uint16_t width = 0;               // bytes per line
    std::uint8_t height = 0;               // lines
    Line otherwise;
    std::span<const LineRule> rules;
};

constexpr Line LineOf(const Band& band, int k) {
    for (const LineRule& r : band.rules) {
        const bool parity = r.rows == Rows::All || (r.rows == Rows::Even) == (k % 2 == 0);
        if (k >= r.first && k <= r.last && parity) {
            return r.line;
        }
    }
    return band.otherwise;
}

constexpr bool BandValid(const Band& band) {
    if (band.height == 0 || band.width == 0 || !ColourByte(band.colour)) {
        return false;
    }
    for (int k = 0; k < band.height; ++k) {
        if (LineWidth(LineOf(band, k)) != band.width) {
            return false;
        }
    }
    for (const LineRule& r : band.rules) {
        if (r.first > r.last || r.last >= band.height) {
            return false;
        }
    }
    return true;
}

// The commands of a program.
enum class Op : std::uint8_t {
    Prepare,         // PrepareRaster(10, a = direction, b = dot size, c = colour mode)
    Band,            // SetRasterResolution, StartRasterBand, the lines
    Vertical,        // SetVerticalPosition(a)
    Horizontal,      // SetHorizontalPosition(a)
    Init,            // InitPrinter
    GraphicsMode,    // SetGraphicsMode
    Unit,            // SetUnit(a)
    Direction,       // SetPrintDirection(a)
    DotSize,         // SetDotSize(a)
    ColourMode,      // SetColorMode(a)
    CarriageReturn,  // CarriageReturn
    LineFeeds,       // LineFeeds(a)
    Text,            // the text and its terminating zero byte
    Flush,           // FlushData
    FormFeed,        // FormFeed (0C, then FlushData)
    Wait,            // WaitUntilReady
    Repeat,          // the body, a times
};

// Dot size taken from the caller of Emit (the Bi-D rows print one program for four dot sizes).
inline constexpr std::int16_t kCallerDotSize = -1;

struct Step {
    Op op = Op::Init;
    std::int16_t a = 0;
    std::int16_t b = 0;
    std::int16_t c = 0;
    const raster::Band* band = nullptr;
    std::string_view text{};
    std::span<const Step> body{};
};

constexpr Step Prepare(int direction, int dotSize, int colourMode) {
    return {Op::Prepare, static_cast<std::int16_t>(direction), static_cast<std::int16_t>(dotSize),
            static_cast<std::int16_t>(colourMode)};
}
constexpr Step BandStep(const Band& b) {
    return {Op::Band, 0, 0, 0, &b};
}
constexpr Step V(int n) {
    return {Op::Vertical, static_cast<std::int16_t>(n)};
}
constexpr Step H0() {
    return {Op::Horizontal, 0};
}
constexpr Step Init() {
    return {Op::Init};
}
constexpr Step Graphics() {
    return {Op::GraphicsMode};
}
constexpr Step UnitStep(int u) {
    return {Op::Unit, static_cast<std::int16_t>(u)};
}
constexpr Step Direction(int d) {
    return {Op::Direction, static_cast<std::int16_t>(d)};
}
constexpr Step DotSizeStep(int s) {
    return {Op::DotSize, static_cast<std::int16_t>(s)};
}
constexpr Step ColourModeStep(int m) {
    return {Op::ColourMode, static_cast<std::int16_t>(m)};
}
constexpr Step Cr() {
    return {Op::CarriageReturn};
}
constexpr Step LF(int n) {
    return {Op::LineFeeds, static_cast<std::int16_t>(n)};
}
constexpr Step Text(std::string_view t) {
    return {Op::Text, 0, 0, 0, nullptr, t};
}
constexpr Step Flush() {
    return {Op::Flush};
}
constexpr Step FF() {
    return {Op::FormFeed};
}
constexpr Step Wait() {
    return {Op::Wait};
}
constexpr Step Repeat(int times, std::span<const Step> body) {
    return {Op::Repeat, static_cast<std::int16_t>(times), 0, 0, nullptr, {}, body};
}

// Every band of the program (and of its repeated bodies) is valid.
constexpr bool ProgramValid(std::span<const Step> program) {
    for (const Step& s : program) {
        if (s.op == Op::Band && (s.band == nullptr || !BandValid(*s.band))) {
            return false;
        }
        if (s.op == Op::Repeat && (s.a < 1 || !ProgramValid(s.body))) {
            return false;
        }
    }
    return true;
}

// Band sizes: a full-width line is 720 bytes (2880 dots); black bands use all 180 nozzles,
// colour bands the 60 of one colour.
inline constexpr std::uint16_t kFullWidth = 720;
inline constexpr std::uint8_t kBlackLines = 180;
inline constexpr std::uint8_t kColourLines = 60;

// The blank full-width line: 720 zero bytes as six runs of 120.
inline constexpr Item kBlankLine720[] = {Group(6, 1), Run(120, 0x00)};
static_assert(LineWidth(kBlankLine720) == kFullWidth);

// A full-width band of one colour (all 180 nozzles for black, 60 for a colour) whose lines are
// blank except where its rules say otherwise.
constexpr Band RuledBand(std::uint8_t colourCode, std::span<const LineRule> rules) {
    const std::uint8_t lines = colourCode == colour::kBlack ? kBlackLines : kColourLines;
    return {colourCode, kFullWidth, lines, kBlankLine720, rules};
}

// Line flushing of a program: after every raster line, or left to the 1000-byte packets.
enum class LineFlush : std::uint8_t { EachLine, None };

}  // namespace veltra::raster
