#include "tests/render/RenderStream.h"

#include <algorithm>

namespace veltra::sim::test {

namespace {
constexpr std::uint8_t kModelCode[2] = {0x3A, 0x91};

Bytes le16(int v) {
    const auto u = static_cast<std::uint16_t>(v);
    return {static_cast<std::uint8_t>(u & 0xFF), static_cast<std::uint8_t>(u >> 8)};
}

Bytes le32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
}  // namespace

Stream& Stream::add(Kind kind, Bytes bytes) {
    PrintCommand c;
    c.kind = kind;
    c.bytes = std::move(bytes);
    commands_.push_back(std::move(c));
    return *this;
}

Stream& Stream::lf(int n) {
    for (int i = 0; i < n; ++i) {
        cr();
        add(Kind::LineFeed);
    }
    return *this;
}

Stream& Stream::v(int distance) {
    add(Kind::VerticalMove, le16(distance));
    return cr();
}

Stream& Stream::h(int x) {
    return add(Kind::HorizontalMove, le16(x));
}

Stream& Stream::text(const std::string& characters) {
    return add(Kind::Text, Bytes(characters.begin(), characters.end()));
}

Stream& Stream::paperSize(std::uint32_t width, std::uint32_t length) {
    return add(Kind::PaperSize, concat(le32(width), le32(length)));
}

Stream& Stream::pageFormat(std::uint32_t top, std::uint32_t bottom) {
    return add(Kind::PageFormat, concat(le32(top), le32(bottom)));
}

Stream& Stream::prepare(std::uint8_t direction, std::uint8_t dotSizeByte, bool colour) {
    init();
    add(Kind::GraphicsMode, {0x01});
    unit(10);
    this->direction(direction);
    dotSize(dotSizeByte);
    return colourMode(colour ? 0x02 : 0x01);
}

Stream& Stream::band(std::uint8_t colour, int bytesPerLine, std::vector<Line> lines) {
    resolution();
    return bandOnly(colour, bytesPerLine, std::move(lines));
}

Stream& Stream::bandOnly(std::uint8_t colour, int bytesPerLine, std::vector<Line> lines) {
    PrintCommand c;
    c.kind = Kind::RasterBand;
    c.colour = colour;
    c.bytesPerLine = bytesPerLine;
    const Bytes count = le16(static_cast<int>(lines.size()));
    c.bytes = concat(Bytes{colour, 0x01, 0x02}, concat(le16(bytesPerLine), count));
    c.lines = std::move(lines);
    commands_.push_back(std::move(c));
    return *this;
}

Stream& Stream::factory(std::uint8_t command, Bytes params) {
    const auto rotated = static_cast<std::uint8_t>((command >> 1) | ((command & 1) << 7));
    Bytes body{kModelCode[0], kModelCode[1], command, static_cast<std::uint8_t>(command ^ 0xFF),
               rotated};
    return add(Kind::Factory, concat(body, params));
}

Stream& Stream::setBidValues(int kind, int black, int colour) {
    return factory(
        0x00, concat(Bytes{static_cast<std::uint8_t>(kind)}, concat(le16(black), le16(colour))));
}

Stream& Stream::setPfValue(int value) {
    return factory(0x04, {static_cast<std::uint8_t>(value)});
}

Line lineWith(int bytes, std::initializer_list<std::pair<int, std::uint8_t>> set) {
    Line line(static_cast<std::size_t>(bytes), 0);
    for (const auto& [at, value] : set) {
        line.at(static_cast<std::size_t>(at)) = value;
    }
    return line;
}

std::vector<Line> linesWith(int count, int first, int last, const Line& line) {
    std::vector<Line> lines(static_cast<std::size_t>(count), Line(line.size(), 0));
    for (int k = first; k <= last; ++k) {
        lines.at(static_cast<std::size_t>(k)) = line;
    }
    return lines;
}

void bidPattern(Stream& s, int kind, std::uint8_t dotSizeByte, int a, int b) {
    // 34 one-dot strokes 40 dots apart from dot 1 (black) and from dot 1521 (colour).
    Line black(720, 0);
    Line colour(720, 0);
    for (std::size_t j = 0; j < 34; ++j) {
        black[10 * j] = 0x30;
        colour[380 + 10 * j] = 0x30;
    }
    for (int row = 0; row < 3; ++row) {
        const int x = a - 2 + 2 * row;
        const int y = b - 2 + 2 * row;
        s.setBidValues(kind, x, -128).setBidValues(kind, -128, y);
        s.lf(1).init();
        for (int pass = 0; pass < 2; ++pass) {
            s.prepare(1, dotSizeByte, false).band(kBlack, 720, linesWith(180, 60, 89, black));
            s.prepare(0, dotSizeByte, false).band(kBlack, 720, linesWith(180, 90, 119, black));
            s.v(1);
        }
        for (int pass = 0; pass < 2; ++pass) {
            s.prepare(0, dotSizeByte, true).band(kMagenta, 720, linesWith(60, 30, 59, colour));
            s.prepare(0, dotSizeByte, true).band(kCyan, 720, linesWith(60, 0, 29, colour));
            s.v(1);
        }
        s.init().lf(6);
    }
    s.setBidValues(kind, a, -128).setBidValues(kind, -128, b).lf(3);
}

bool inked(const QImage& page, int x, int y, int threshold) {
    const QRgb p = page.pixel(x, y);
    return qRed(p) < threshold || qGreen(p) < threshold || qBlue(p) < threshold;
}

namespace {
// Rows read straight from the renderer's 24-bit pages; other formats are converted first.
bool rowInked(const QImage& rgb888, int y, int x0, int x1) {
    const uchar* line = rgb888.constScanLine(y);
    for (int i = 3 * std::max(0, x0); i < 3 * std::min(x1, rgb888.width()); ++i) {
        if (line[i] < 250) {
            return true;
        }
    }
    return false;
}
}  // namespace

std::vector<RowRun> inkedRows(const QImage& page, int x0, int x1) {
    const QImage rgb =
        page.format() == QImage::Format_RGB888 ? page : page.convertToFormat(QImage::Format_RGB888);
    std::vector<RowRun> runs;
    for (int y = 0; y < rgb.height(); ++y) {
        if (!rowInked(rgb, y, x0, x1)) {
            continue;
        }
        if (!runs.empty() && runs.back().last == y - 1) {
            runs.back().last = y;
        } else {
            runs.push_back({y, y});
        }
    }
    return runs;
}

int firstInkedColumn(const QImage& page, int y, int x0, int x1) {
    for (int x = x0; x < x1; ++x) {
        if (inked(page, x, y)) {
            return x;
        }
    }
    return -1;
}

int firstInkedRow(const QImage& page, int x, int threshold) {
    for (int y = 0; y < page.height(); ++y) {
        if (inked(page, x, y, threshold)) {
            return y;
        }
    }
    return -1;
}

}  // namespace veltra::sim::test
