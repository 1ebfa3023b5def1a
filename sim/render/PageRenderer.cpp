#include "sim/render/PageRenderer.h"

#include "sim/FactoryFrame.h"

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <optional>
#include <span>

namespace veltra::sim {

namespace {

using Kind = PrintCommand::Kind;

// Vertical positions are kept in ticks of 1/(360 * 3600) inch so that a feed stretched by the
// paper-feed error stays exact: a feed of L/3600 inch moves L * (360 + error) ticks.
constexpr std::int64_t kTicksPerPixel = 3600;
constexpr std::int64_t kFeedScale = 360;
constexpr std::int64_t kLineFeedLength = 600;  // 1/6 inch in 1/3600 inch
constexpr int kDefaultUnit = 10;               // 1/360 inch
constexpr int kUnitsPerPixel = 10;             // units are counted in 1/3600 inch

// The head angular pattern feeds 358 units between the lower and the upper nozzles' strokes.
constexpr int kHeadAngleFeed = 358;

// Bounds on a paper size command, in pixels: anything from 1 inch to 17 x 44 inches.
constexpr int kMinPaperSide = 360;
constexpr int kMaxPaperWidth = 17 * 360;
constexpr int kMaxPaperLength = 44 * 360;

// Positions past these are off any sheet; holding them there keeps the arithmetic in range
// however long a stream runs on without a line end or a form feed.
constexpr int kMaxColumn = 1 << 20;
constexpr std::int64_t kMaxRowTicks = std::int64_t{4} * kMaxPaperLength * kTicksPerPixel;
constexpr int kMaxDotPitch = 8;  // a dot 1/45 inch wide is already coarser than any mode

constexpr std::size_t kSetBidValuesParams = 5;  // kind, black LE16, colour LE16
constexpr int kMinBid = -127;
constexpr int kMaxBid = 127;

// Dot-size bytes of ESC ( e that name a Bi-D set.
constexpr std::uint8_t kDotSizeVsd1 = 0x10;
constexpr std::uint8_t kDotSizeEco = 0x13;

struct Ink {
    std::uint8_t colourByte;
    std::array<int, 3> rgb;
    int nozzles;
    int rowOffset;  // pixels from the top of the black row to this ink's nozzle 0
    InkSide side;
};

// The colour nozzle rows stand one above the other, yellow, magenta, cyan, each 60 nozzles
// (1/3 inch) high, beside the 180 black nozzles; the light and dark inks share their row.
constexpr int kColourRowHeight = PageRenderer::kColourNozzles * PageRenderer::kNozzlePitch;
constexpr std::array<Ink, 7> kInks{{
    {0x00, {30, 30, 34}, PageRenderer::kBlackNozzles, 0, InkSide::Black},
    {0x04, {250, 222, 0}, PageRenderer::kColourNozzles, 0, InkSide::Colour},
    {0x24, {190, 150, 0}, PageRenderer::kColourNozzles, 0, InkSide::Colour},
    {0x01, {226, 0, 122}, PageRenderer::kColourNozzles, kColourRowHeight, InkSide::Colour},
    {0x11, {240, 150, 200}, PageRenderer::kColourNozzles, kColourRowHeight, InkSide::Colour},
    {0x02, {0, 160, 227}, PageRenderer::kColourNozzles, 2 * kColourRowHeight, InkSide::Colour},
    {0x12, {150, 210, 240}, PageRenderer::kColourNozzles, 2 * kColourRowHeight, InkSide::Colour},
}};

const Ink* findInk(std::uint8_t colourByte) {
    for (const Ink& ink : kInks) {
        if (ink.colourByte == colourByte) {
            return &ink;
        }
    }
    return nullptr;
}

// How much of its pixel a dot covers (0..1) per dot-size set and dot code 1-3, and how much
// ink bleeds into the pixel row below: larger droplets of the bigger sets spread further.
struct DotLook {
    double cover;
    double spill;
};
constexpr int kOtherDotSet = kDotSetCount;  // dot-size bytes outside 0x10-0x13
constexpr std::array<std::array<DotLook, 3>, kDotSetCount + 1> kDotLooks{{
    {{{0.40, 0.0}, {0.55, 0.0}, {0.70, 0.0}}},    // VSD1
    {{{0.55, 0.0}, {0.72, 0.0}, {0.88, 0.25}}},   // VSD2
    {{{0.70, 0.0}, {0.88, 0.30}, {1.00, 0.50}}},  // VSD3
    {{{0.30, 0.0}, {0.38, 0.0}, {0.46, 0.0}}},    // ECO
    {{{0.50, 0.0}, {0.70, 0.0}, {0.90, 0.0}}},    // any other dot size
}};

// Per-channel multipliers in 1/256 for laying ink over paper.
using Factors = std::array<int, 3>;
Factors inkFactors(const Ink& ink, double cover) {
    Factors f{};
    for (std::size_t c = 0; c < 3; ++c) {
        const double keep = 1.0 - cover * (1.0 - ink.rgb[c] / 255.0);
        f[c] = static_cast<int>(keep * 256.0 + 0.5);
    }
    return f;
}

void layInk(QImage& page, int x, int y, const Factors& f) {
    uchar* px = page.scanLine(y) + 3 * x;
    for (std::size_t c = 0; c < 3; ++c) {
        px[c] = static_cast<uchar>((px[c] * f[c] + 128) >> 8);
    }
}

// A command's parameters as the printer records them (for ESC ( commands, what follows the
// count); a command of another length is not one this renderer can read.
std::optional<std::span<const std::uint8_t>> params(const std::vector<std::uint8_t>& bytes,
                                                    std::size_t count) {
    if (bytes.size() != count) {
        return std::nullopt;
    }
    return std::span<const std::uint8_t>(bytes);
}

int le16(std::span<const std::uint8_t> p, std::size_t at) {
    return p[at] | (p[at + 1] << 8);
}

int signedLe16(std::span<const std::uint8_t> p, std::size_t at) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(le16(p, at)));
}

std::int64_t le32(std::span<const std::uint8_t> p, std::size_t at) {
    return static_cast<std::int64_t>(p[at]) | (static_cast<std::int64_t>(p[at + 1]) << 8) |
           (static_cast<std::int64_t>(p[at + 2]) << 16) |
           (static_cast<std::int64_t>(p[at + 3]) << 24);
}

bool haveFonts() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

}  // namespace

StoredAdjustments StoredAdjustments::fromEeprom(const std::array<std::uint8_t, 256>& eeprom) {
    // Black value at the even address, colour at the next: VSD1 0x72, VSD2 0x74, VSD3 0x76,
    // ECO 0x70.
    constexpr std::array<std::size_t, kDotSetCount> kBidAddress{0x72, 0x74, 0x76, 0x70};
    constexpr std::size_t kPfAddress = 0x7D;
    StoredAdjustments s;
    for (std::size_t set = 0; set < kBidAddress.size(); ++set) {
        s.bid[set][0] = static_cast<std::int8_t>(eeprom[kBidAddress[set]]);
        s.bid[set][1] = static_cast<std::int8_t>(eeprom[kBidAddress[set] + 1]);
    }
    s.paperFeed = static_cast<std::int8_t>(eeprom[kPfAddress]);
    return s;
}

PageRenderer::PageRenderer(const MechanismErrors& errors, const StoredAdjustments& stored,
                           PageSink sink)
    : errors_(errors),
      sink_(std::move(sink)),
      modelCode_(stored.modelCode),
      trialBid_(stored.bid),
      trialPf_(stored.paperFeed) {
    initialise();
}

void PageRenderer::feed(const std::vector<PrintCommand>& commands) {
    for (const PrintCommand& c : commands) {
        feed(c);
    }
}

void PageRenderer::feed(const PrintCommand& command) {
    const auto& b = command.bytes;
    switch (command.kind) {
        case Kind::Init:
            initialise();
            break;
        case Kind::Unit:
            if (auto p = params(b, 1); p && (*p)[0] != 0) {
                unit_ = (*p)[0];
            } else {
                ++notes_.malformedCommands;
            }
            break;
        case Kind::Direction:
            if (auto p = params(b, 1)) {
                bidirectional_ = (*p)[0] == 0 || (*p)[0] == '0';
            } else {
                ++notes_.malformedCommands;
            }
            break;
        case Kind::DotSize:
            if (auto p = params(b, 2)) {
                dotSizeByte_ = (*p)[1];
            } else {
                ++notes_.malformedCommands;
            }
            break;
        case Kind::Resolution:
            // Base, vertical step, horizontal step: the vertical step is the head's nozzle
            // pitch, so only the horizontal one changes how wide a dot lands.
            if (auto p = params(b, 4); p && le16(*p, 0) != 0 && (*p)[3] != 0 &&
                                       (*p)[3] * kDotsPerInch / le16(*p, 0) <= kMaxDotPitch) {
                dotPitch_ = std::max(1, (*p)[3] * kDotsPerInch / le16(*p, 0));
            } else {
                ++notes_.malformedCommands;
            }
            break;
        case Kind::CarriageReturn:
            column_ = 0;
            textOnLine_ = false;
            break;
        case Kind::LineFeed:
            moveVertical(kLineFeedLength);
            textOnLine_ = false;
            break;
        case Kind::FormFeed:
            if (ejectedByHeadAngleEnd_ && !pageStarted_) {
                ejectedByHeadAngleEnd_ = false;  // the sheet went out already
                break;
            }
            ejectPage();
            break;
        case Kind::VerticalMove:
            if (auto p = params(b, 2)) {
                const int distance = signedLe16(*p, 0);
                if (distance != 0) {
                    moveVertical(std::int64_t{distance} * unit_);
                }
                if (headAngleMode_ && distance == kHeadAngleFeed) {
                    headAngleUpperHalf_ = true;
                }
            } else {
                ++notes_.malformedCommands;
            }
            break;
        case Kind::HorizontalMove:
            if (auto p = params(b, 2)) {
                column_ = std::min(le16(*p, 0) * unit_ / kUnitsPerPixel, kMaxColumn);
            } else {
                ++notes_.malformedCommands;
            }
            break;
        case Kind::RasterBand:
            printBand(command);
            break;
        case Kind::PaperSize:
            applyPaperSize(b);
            break;
        case Kind::PageFormat:
            applyPageFormat(b);
            break;
        case Kind::Text:
            printText(b);
            break;
        case Kind::Factory:
            applyFactory(b);
            break;
        case Kind::GraphicsMode:
        case Kind::ColorMode:  // the band's colour byte decides the ink
        case Kind::EnterRemote:
        case Kind::RemoteCommand:
        case Kind::ExitRemote:
        case Kind::Unknown:
            break;
    }
}

void PageRenderer::initialise() {
    unit_ = kDefaultUnit;
    bidirectional_ = true;
    dotSizeByte_ = 0;
    dotPitch_ = 1;
    // Back to the left margin, except that a text line already begun goes on where it stands
    // (an item number, then a pattern that starts with ESC @ and its title).
    if (!textOnLine_) {
        column_ = 0;
    }
    topMargin_ = kDefaultTopMargin;
    paperWidth_ = kDefaultPaperWidth;
    paperLength_ = kDefaultPaperLength;
    if (!pageStarted_) {
        rowTicks_ = topMargin_ * kTicksPerPixel;
        marginTarget_.reset();
    }
}

void PageRenderer::startPage() {
    if (pageStarted_) {
        return;
    }
    pageStarted_ = true;
    sheetBegunInHeadAngleMode_ = headAngleMode_;
    ejectedByHeadAngleEnd_ = false;
    page_ = QImage(paperWidth_, paperLength_, QImage::Format_RGB888);
    page_.fill(Qt::white);
}

QImage PageRenderer::currentPage() const {
    if (pageStarted_) {
        return page_;
    }
    QImage blank(paperWidth_, paperLength_, QImage::Format_RGB888);
    blank.fill(Qt::white);
    return blank;
}

void PageRenderer::ejectPage() {
    startPage();  // a form feed on an untouched sheet still feeds it through
    if (marginTarget_) {
        drawMarginRuler();
    }
    ++pagesEjected_;
    if (sink_) {
        sink_(page_, pagesEjected_);
    }
    page_ = QImage();
    pageStarted_ = false;
    column_ = 0;
    textOnLine_ = false;
    headAngleUpperHalf_ = false;
    sheetBegunInHeadAngleMode_ = false;
    marginTarget_.reset();
    rowTicks_ = topMargin_ * kTicksPerPixel;
}

void PageRenderer::drawMarginRuler() {
    // Not ink: a scale beside the print, in colours no ink has.
    constexpr double kPixelsPerMm = kDotsPerInch / 25.4;
    constexpr int kRulerMm = 15;
    constexpr int kTick = 24;
    constexpr int kLongTick = 60;
    const int right = page_.width() - 8;
    QPainter p(&page_);
    const QColor scale(90, 90, 90);
    const QColor target(200, 0, 0);
    p.setPen(QPen(scale, 2));
    p.drawLine(right, 0, right, int(kRulerMm * kPixelsPerMm));
    const bool fonts = haveFonts();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(30);
    font.setStyleStrategy(QFont::NoAntialias);  // keeps the page to a few colours
    p.setFont(font);
    for (int mm = 0; mm <= kRulerMm; ++mm) {
        const int y = int(mm * kPixelsPerMm + 0.5);
        const int length = mm % 5 == 0 ? kLongTick : kTick;
        p.drawLine(right - length, y, right, y);
        if (mm % 5 == 0 && mm > 0 && fonts) {
            p.drawText(right - kLongTick - 110, y + 10, QString("%1 mm").arg(mm));
        }
    }
    const int y = *marginTarget_;
    p.setPen(QPen(target, 2));
    p.drawLine(right - 340, y, right, y);
    if (fonts) {
        p.drawText(right - 340, y - 8,
                   QString("target %1 mm").arg(*marginTarget_ / kPixelsPerMm, 0, 'f', 1));
    }
}

void PageRenderer::moveVertical(std::int64_t length) {
    startPage();
    // The feed roller turns by the trial PF value; the error is what it really feeds per inch.
    const std::int64_t stretch =
        std::clamp<std::int64_t>(errors_.paperFeed - trialPf_, -kFeedScale / 2, kFeedScale / 2);
    rowTicks_ =
        std::clamp<std::int64_t>(rowTicks_ + length * (kFeedScale + stretch), 0, kMaxRowTicks);
}

int PageRenderer::currentRow() const {
    return static_cast<int>((rowTicks_ + kTicksPerPixel / 2) / kTicksPerPixel);
}

void PageRenderer::printText(const std::vector<std::uint8_t>& characters) {
    startPage();
    const bool fonts = haveFonts() && !page_.isNull();
    std::optional<QPainter> painter;
    if (fonts) {
        painter.emplace(&page_);
        QFont font(QStringLiteral("DejaVu Sans Mono"));
        font.setStyleHint(QFont::Monospace);
        font.setPixelSize(40);
        painter->setFont(font);
        painter->setRenderHint(QPainter::TextAntialiasing);
        painter->setCompositionMode(QPainter::CompositionMode_Multiply);
        const auto& ink = kInks[0].rgb;
        painter->setPen(QColor(ink[0], ink[1], ink[2]));
    }
    // The glyph sits in a cell one line pitch high below the print position.
    constexpr int kBaseline = 46;
    const int baseline = currentRow() + kBaseline;
    for (std::uint8_t c : characters) {
        if (c < 0x20 || c == 0x7F) {
            continue;  // the labels' zero terminators and stray controls print nothing
        }
        if (c != ' ') {
            if (fonts) {
                painter->drawText(kLeftMargin + column_, baseline,
                                  QString(QChar::fromLatin1(char(c))));
            } else {
                ++notes_.textWithoutFonts;
            }
        }
        column_ = std::min(column_ + kCharacterPitch, kMaxColumn);
        textOnLine_ = true;
    }
}

void PageRenderer::printBand(const PrintCommand& band) {
    const Ink* ink = findInk(band.colour);
    const int bytesPerLine = std::max(0, band.bytesPerLine);
    const int width = bytesPerLine * 4 * dotPitch_;
    if (ink == nullptr) {
        ++notes_.unknownColourBands;
        column_ = std::min(column_ + width, kMaxColumn);
        textOnLine_ = false;
        return;
    }
    startPage();

    const bool bidSet = dotSizeByte_ >= kDotSizeVsd1 && dotSizeByte_ <= kDotSizeEco;
    const int set = bidSet ? dotSizeByte_ - kDotSizeVsd1 : kOtherDotSet;

    // A unidirectional band is always printed left to right; with bi-directional printing the
    // carriage prints on its way back from wherever the last band left it.
    const bool reverse = bidirectional_ && carriageAtRight_;
    carriageAtRight_ = !reverse;
    int shift = 0;
    if (reverse && bidSet) {
        const auto side = static_cast<std::size_t>(ink->side);
        shift += errors_.bid[set][side] - trialBid_[set][side];
    }
    if (headAngleUpperHalf_) {
        shift += errors_.headAngle;
    }

    std::array<Factors, 3> core{};
    std::array<Factors, 3> spill{};
    std::array<bool, 3> spills{};
    for (std::size_t code = 0; code < 3; ++code) {
        const DotLook& look = kDotLooks[set][code];
        core[code] = inkFactors(*ink, look.cover);
        spill[code] = inkFactors(*ink, look.spill);
        spills[code] = look.spill > 0.0;
    }

    const int top = currentRow() + ink->rowOffset;
    const int left = kLeftMargin + column_ + shift;
    const int pageWidth = page_.width();
    const int pageHeight = page_.height();
    const int lineCount = static_cast<int>(band.lines.size());
    if (lineCount > ink->nozzles) {
        notes_.excessLines += lineCount - ink->nozzles;
    }
    for (int k = 0; k < std::min(lineCount, ink->nozzles); ++k) {
        const auto& line = band.lines[k];
        if (static_cast<int>(line.size()) < bytesPerLine) {
            ++notes_.shortLines;
        }
        const int y = top + k * kNozzlePitch;
        const int used = std::min(static_cast<int>(line.size()), bytesPerLine);
        for (int i = 0; i < used; ++i) {
            const std::uint8_t byte = line[i];
            if (byte == 0) {
                continue;
            }
            for (int d = 0; d < 4; ++d) {
                // Two bits per dot, the first dot in the high bits.
                const int code = (byte >> (6 - 2 * d)) & 0x3;
                if (code == 0) {
                    continue;
                }
                const int x0 = left + (4 * i + d) * dotPitch_;
                for (int x = x0; x < x0 + dotPitch_; ++x) {
                    if (x < 0 || x >= pageWidth || y < 0 || y >= pageHeight) {
                        ++notes_.offPaperDots;
                        continue;
                    }
                    layInk(page_, x, y, core[code - 1]);
                    if (spills[code - 1] && y + 1 < pageHeight) {
                        layInk(page_, x, y + 1, spill[code - 1]);
                    }
                }
            }
        }
    }
    column_ = std::min(column_ + width, kMaxColumn);
    textOnLine_ = false;
}

void PageRenderer::applyFactory(const std::vector<std::uint8_t>& bytes) {
    // The entry keeps the frame from its model code on; the model code is not ours to check.
    if (bytes.size() < factory::kBodyHeader) {
        ++notes_.malformedCommands;
        return;
    }
    const std::uint8_t model0 = modelCode_ ? (*modelCode_)[0] : bytes[0];
    const std::uint8_t model1 = modelCode_ ? (*modelCode_)[1] : bytes[1];
    const FactoryCommand f = factory::parseFactoryBody(bytes, model0, model1);
    if (!f.checkBytesMatched) {
        ++notes_.malformedCommands;
        return;
    }
    if (!f.modelCodeMatched) {
        return;  // another model's frame: the printer does nothing with it
    }
    const auto& p = f.params;
    switch (f.command) {
        case factory::kSetBidValues: {
            if (p.size() < kSetBidValuesParams || p[0] < 1 || p[0] > kDotSetCount) {
                ++notes_.malformedCommands;
                return;
            }
            // Kinds 1-4 are VSD1, VSD2, VSD3, ECO; -128 leaves a side as it is.
            auto& values = trialBid_[p[0] - 1];
            const int black = factory::le16(p, 1);
            const int colour = factory::le16(p, 3);
            // Values travel as signed bytes widened to 16 bits; the printer keeps no wider one.
            auto take = [](int value, int& side) {
                if (value != factory::kBidUnchanged && value >= kMinBid && value <= kMaxBid) {
                    side = value;
                }
            };
            take(black, values[0]);
            take(colour, values[1]);
            break;
        }
        case factory::kSetPfValue:
            if (p.empty()) {
                ++notes_.malformedCommands;
                return;
            }
            trialPf_ = static_cast<std::int8_t>(p[0]);
            break;
        case factory::kHeadAngleMode:
            if (p.empty()) {
                ++notes_.malformedCommands;
                return;
            }
            headAngleMode_ = p[0] == 0;
            if (!headAngleMode_) {
                headAngleUpperHalf_ = false;
            }
            break;
        case factory::kHeadAngleEnd:
            headAngleUpperHalf_ = false;
            // A check print ends here: its sheet comes out, and the next print takes a new one.
            if (pageStarted_ && sheetBegunInHeadAngleMode_) {
                ejectPage();
                ejectedByHeadAngleEnd_ = true;
            }
            break;
        default:
            break;  // cleaning, mechanism and EEPROM commands leave no mark on paper
    }
}

void PageRenderer::applyPageFormat(const std::vector<std::uint8_t>& bytes) {
    auto p = params(bytes, 8);
    if (!p) {
        ++notes_.malformedCommands;
        return;
    }
    // Top margin then bottom margin, both measured from the top edge; the sheet's own edge
    // ends printing first on every page these jobs print, so the bottom margin is not kept.
    const std::int64_t asked =
        std::clamp<std::int64_t>(le32(*p, 0) * unit_ / kUnitsPerPixel, 0, kMaxPaperLength);
    const std::int64_t top = asked + std::int64_t{errors_.topMargin} * kTopMarginStep;
    topMargin_ = static_cast<int>(std::clamp<std::int64_t>(top, 0, kMaxPaperLength));
    marginTarget_ = topMarginTarget(static_cast<int>(asked));
    if (!pageStarted_) {
        rowTicks_ = topMargin_ * kTicksPerPixel;
    }
}

void PageRenderer::applyPaperSize(const std::vector<std::uint8_t>& bytes) {
    auto p = params(bytes, 8);
    if (!p) {
        ++notes_.malformedCommands;
        return;
    }
    const std::int64_t width = le32(*p, 0) * unit_ / kUnitsPerPixel;
    const std::int64_t length = le32(*p, 4) * unit_ / kUnitsPerPixel;
    if (width < kMinPaperSide || width > kMaxPaperWidth || length < kMinPaperSide ||
        length > kMaxPaperLength) {
        ++notes_.malformedCommands;
        return;
    }
    // A sheet already being printed keeps its size; the new one applies from the next sheet.
    paperWidth_ = static_cast<int>(width);
    paperLength_ = static_cast<int>(length);
}

}  // namespace veltra::sim
