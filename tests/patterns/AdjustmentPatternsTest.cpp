#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/patterns/PatternRig.h"

namespace veltra {
namespace {

using namespace test;
using Bytes = std::vector<std::uint8_t>;
using K = Token::Kind;

// Text tokens joined, zero bytes shown as '|', for checking labels in order.
std::string Labels(const std::vector<Token>& tokens) {
    std::string out;
    for (const Token* t : OfKind(tokens, K::Text)) {
        for (std::uint8_t c : t->bytes) {
            out += c == 0 ? '|' : char(c);
        }
    }
    return out;
}

// Columns of a line that are not zero, with their byte.
std::vector<std::pair<int, std::uint8_t>> Marks(const std::vector<std::uint8_t>& line) {
    std::vector<std::pair<int, std::uint8_t>> out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != 0) {
            out.emplace_back(int(i), line[i]);
        }
    }
    return out;
}

bool Blank(const std::vector<std::uint8_t>& line) {
    return Marks(line).empty();
}

std::vector<int> StrokeColumns(int first, int count, int step) {
    std::vector<int> out;
    for (int i = 0; i < count; ++i) {
        out.push_back(first + i * step);
    }
    return out;
}

std::vector<int> Columns(const std::vector<std::uint8_t>& line) {
    std::vector<int> out;
    for (const auto& [col, v] : Marks(line)) {
        out.push_back(col);
    }
    return out;
}

// ---- Bi-D ------------------------------------------------------------------------------------

TEST(Bid, RowsCarryTrialValuesAndTheStoredPairIsRestored) {
    PatternRig rig;
    ASSERT_EQ(rig.raster.Bid(4, 3, -2), kOk);
    EXPECT_EQ(rig.link.stagedCount(), 6u);  // the closing line feeds wait for the next flush
    ASSERT_EQ(rig.raster.FlushData(), kOk);
    const auto tokens = rig.tokens();

    const std::vector<FactoryCall> expected{
        SetBid(1, 1, -128), SetBid(1, -128, -4), SetBid(1, 3, -128), SetBid(1, -128, -2),
        SetBid(1, 5, -128), SetBid(1, -128, 0),  SetBid(1, 3, -128), SetBid(1, -128, -2)};
    EXPECT_EQ(FactoryCalls(tokens), expected);

    const std::string gap(30, ' ');
    EXPECT_EQ(Labels(tokens),
              "Variable1 DOT|"
              "  data = |1|  |" +
                  gap +
                  "|  data = |-4| |"
                  "  data = |3|  |" +
                  gap +
                  "|  data = |-2| |"
                  "  data = |5|  |" +
                  gap + "|  data = |0|  |");
    // Ends with three line feeds after the restoration.
    ASSERT_GE(tokens.size(), 6u);
    for (std::size_t i = tokens.size() - 6; i < tokens.size(); i += 2) {
        EXPECT_EQ(tokens[i].kind, K::CarriageReturn);
        EXPECT_EQ(tokens[i + 1].kind, K::LineFeed);
    }
    EXPECT_EQ(tokens[tokens.size() - 7].kind, K::Factory);
}

TEST(Bid, EachRowIsTwoBlackAndTwoColourInterlacedPasses) {
    PatternRig rig;
    ASSERT_EQ(rig.raster.Bid(6, 0, 0), kOk);
    const auto tokens = rig.tokens();
    const auto bands = OfKind(tokens, K::Band);
    ASSERT_EQ(bands.size(), 3u * 8);
    EXPECT_EQ(TotalLines(tokens), 3u * (4 * 180 + 4 * 60));
    EXPECT_EQ(VerticalMoves(tokens), std::vector<int>(3 * 4, 1));

    // Per row: black upper, black lower (twice), then magenta, cyan (twice).
    const std::uint8_t order[] = {0x00, 0x00, 0x00, 0x00, 0x01, 0x02, 0x01, 0x02};
    for (std::size_t i = 0; i < bands.size(); ++i) {
        EXPECT_EQ(bands[i]->colour, order[i % 8]) << i;
        EXPECT_EQ(bands[i]->width, 720);
    }
    // Black upper band: strokes on nozzles 60-89 only, one dot at bytes 0, 10, ... 330.
    const Token& upper = *bands[0];
    for (int k = 0; k < 180; ++k) {
        const bool inked = k >= 60 && k <= 89;
        EXPECT_EQ(!Blank(upper.lines[std::size_t(k)]), inked) << k;
    }
    EXPECT_EQ(Columns(upper.lines[60]), StrokeColumns(0, 34, 10));
    EXPECT_EQ(upper.lines[60][0], 0x30);
    EXPECT_EQ(upper.runsPerLine[60], 34 * 2 + 1 + 3);
    const Token& lower = *bands[1];
    EXPECT_TRUE(Blank(lower.lines[89]));
    EXPECT_EQ(Columns(lower.lines[90]), StrokeColumns(0, 34, 10));
    EXPECT_TRUE(Blank(lower.lines[120]));
    // Colour strokes from byte 380 (dot 1521): magenta lines 30-59, cyan lines 0-29.
    EXPECT_EQ(Columns(bands[4]->lines[30]), StrokeColumns(380, 34, 10));
    EXPECT_TRUE(Blank(bands[4]->lines[29]));
    EXPECT_EQ(Columns(bands[5]->lines[29]), StrokeColumns(380, 34, 10));
    EXPECT_TRUE(Blank(bands[5]->lines[30]));
    // Blank lines go as six runs of 120.
    EXPECT_EQ(upper.runsPerLine[0], 6);

    // Preambles: one-direction then both for black, both for colour; VSD3 in every one.
    const auto directions = OfKind(tokens, K::Direction);
    ASSERT_EQ(directions.size(), 3u * 8);
    const std::uint8_t dirs[] = {1, 0, 1, 0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < directions.size(); ++i) {
        EXPECT_EQ(directions[i]->bytes[0], dirs[i % 8]) << i;
    }
    for (const Token* d : OfKind(tokens, K::DotSize)) {
        EXPECT_EQ(d->bytes.back(), 0x12);
    }
    EXPECT_TRUE(EveryLineEndsAPacket(tokens, rig.printer.dataPacketEnds));
}

TEST(Bid, DotSizeLabelsAndKinds) {
    struct Case {
        int dotSize;
        std::string label;
        std::uint8_t kind;
        std::uint8_t dotByte;
    };
    const Case cases[] = {{4, "Variable1 DOT", 1, 0x10},
                          {5, "Variable2 DOT", 2, 0x11},
                          {6, "Variable3 DOT", 3, 0x12},
                          {7, "ECO DOT", 4, 0x13}};
    for (const auto& c : cases) {
        PatternRig rig;
        ASSERT_EQ(rig.raster.Bid(c.dotSize, 0, 0), kOk);
        const auto tokens = rig.tokens();
        const auto texts = OfKind(tokens, K::Text);
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts[0]->bytes.size(), c.label.size() + 1);
        EXPECT_EQ(texts[0]->text(), c.label + '\0');
        for (const auto& call : FactoryCalls(tokens)) {
            EXPECT_EQ(call.params.at(0), c.kind);
        }
        EXPECT_EQ(OfKind(tokens, K::DotSize).at(0)->bytes.back(), c.dotByte);
    }
}

TEST(Bid, UnknownDotSizeEndsTheProgramBeforeAnythingIsSent) {
    for (const int s : {3, 8, 0}) {
        PatternRig rig;
        EXPECT_THROW(rig.raster.Bid(s, 0, 0), ProgramEnded);
        ASSERT_EQ(rig.ui.ended.size(), 1u);
        EXPECT_EQ(rig.ui.ended[0], "ドットサイズ指定エラー(Raster.Bid())");
        EXPECT_EQ(rig.printer.writeAttempts, 0);
        EXPECT_EQ(rig.link.stagedCount(), 0u);
    }
}

TEST(Bid, TrialValuesStayInsideASignedByteAndNeverMeanUnchanged) {
    PatternRig rig;
    ASSERT_EQ(rig.raster.Bid(4, 127, -127), kOk);
    const auto calls = FactoryCalls(rig.tokens());
    const std::vector<FactoryCall> expected{
        SetBid(1, 125, -128), SetBid(1, -128, -127), SetBid(1, 127, -128), SetBid(1, -128, -127),
        SetBid(1, 127, -128), SetBid(1, -128, -125), SetBid(1, 127, -128), SetBid(1, -128, -127)};
    EXPECT_EQ(calls, expected);
    EXPECT_NE(Labels(rig.tokens()).find("  data = |-127|"), std::string::npos);
}

TEST(BidAdjustmentPrint, ReadsTheEightValuesAndPrintsFourDotSizes) {
    PatternRig rig;
    const std::pair<std::uint8_t, std::int8_t> stored[] = {
        {0x72, 1}, {0x73, -1}, {0x74, 2}, {0x75, -2}, {0x76, 3}, {0x77, -3}, {0x70, 4}, {0x71, -4}};
    for (const auto& [address, value] : stored) {
        rig.printer.eeprom[address] = std::uint8_t(value);
    }
    ASSERT_EQ(rig.raster.BidAdjustmentPrint(), kOk);
    EXPECT_EQ(rig.printer.eepromReads, Bytes({0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x70, 0x71}));

    const auto tokens = rig.tokens();
    const auto calls = FactoryCalls(tokens);
    ASSERT_EQ(calls.size(), 2u + 4 * 8);
    EXPECT_EQ(calls.front(), (FactoryCall{kHeadAngleMode, {0x00}}));
    EXPECT_EQ(calls.back(), (FactoryCall{kHeadAngleMode, {0xFF}}));
    // Each dot size restores its own stored pair.
    for (int k = 0; k < 4; ++k) {
        const std::size_t last = 1 + std::size_t(k) * 8 + 7;
        EXPECT_EQ(calls[last - 1], SetBid(k + 1, stored[2 * k].second, -128));
        EXPECT_EQ(calls[last], SetBid(k + 1, -128, stored[2 * k + 1].second));
    }
    // One form feed between the second and third dot size; the page is left open.
    const auto labels = Labels(tokens);
    EXPECT_EQ(labels.rfind("Bi-D Adjustment|", 0), 0u);
    const auto ffs = OfKind(tokens, K::FormFeed);
    ASSERT_EQ(ffs.size(), 1u);
    const auto texts = OfKind(tokens, K::Text);
    const auto third = std::find_if(texts.begin(), texts.end(), [](const Token* t) {
        return t->text() == "Variable3 DOT" + std::string(1, '\0');
    });
    ASSERT_NE(third, texts.end());
    EXPECT_LT(ffs[0]->begin, (*third)->begin);
    EXPECT_EQ(OfKind(tokens, K::Band).size(), 4u * 24);
}

// ---- Head angular ----------------------------------------------------------------------------

TEST(HeadAngular, TwoHalvesOneInchApartLeftToThePacketLimit) {
    PatternRig rig;
    ASSERT_EQ(rig.raster.HeadAngular(), kOk);
    // After the ready wait, raster data leaves only in full 1000-byte packets; the tail stays
    // staged for the caller's form feed.
    const auto sizes = rig.printer.dataPacketSizes;
    ASSERT_GE(sizes.size(), 3u);
    for (std::size_t i = 1; i < sizes.size(); ++i) {
        EXPECT_EQ(sizes[i], 1000u) << i;
    }
    EXPECT_GT(rig.link.stagedCount(), 0u);

    ASSERT_EQ(rig.raster.FlushData(), kOk);
    const auto tokens = rig.tokens();
    EXPECT_EQ(Labels(tokens), "Head Angular|");
    EXPECT_EQ(VerticalMoves(tokens), (std::vector<int>{50, 0, 1, 0, 1, 358, 0, 1, 0, 1, 10}));
    EXPECT_EQ(CountKind(tokens, K::HorizontalMove), 4u);
    EXPECT_EQ(tokens.back().kind, K::CarriageReturn);  // V(10) and its carriage return

    const auto bands = OfKind(tokens, K::Band);
    ASSERT_EQ(bands.size(), 4u);
    const std::vector<int> strokes{33, 172, 225, 328, 369, 467, 528, 669};
    for (std::size_t b = 0; b < 4; ++b) {
        const bool firstHalf = b < 2;
        for (int k = 0; k < 180; ++k) {
            const bool inked = firstHalf ? k >= 95 : k <= 84;
            const auto& line = bands[b]->lines[std::size_t(k)];
            if (inked) {
                EXPECT_EQ(Columns(line), strokes) << b << " " << k;
                EXPECT_EQ(line[33], 0xF8);
            } else {
                EXPECT_TRUE(Blank(line)) << b << " " << k;
            }
        }
    }
    // Both halves print in both directions with VSD1.
    for (const Token* d : OfKind(tokens, K::Direction)) {
        EXPECT_EQ(d->bytes[0], 0);
    }
    for (const Token* d : OfKind(tokens, K::DotSize)) {
        EXPECT_EQ(d->bytes.back(), 0x10);
    }
}

TEST(HeadAngular, AFailedReadyWaitEndsItBeforeAnyRasterData) {
    PatternRig rig;
    rig.printer.statusPayload = "@BDC ST2\r\nST:00;ER:04;IQ:00000000000000;";  // paper jam
    EXPECT_EQ(rig.raster.HeadAngular(), kPrinterError);
    rig.raster.FlushData();
    const auto tokens = rig.tokens();
    EXPECT_EQ(CountKind(tokens, K::Band), 0u);
    EXPECT_EQ(CountKind(tokens, K::GraphicsMode), 0u);
}

// ---- PF --------------------------------------------------------------------------------------

TEST(PaperFeed, NineTrialRowsThenTheStoredValueWithoutFinish) {
    PatternRig rig;
    rig.printer.eeprom[0x7D] = 0xFE;  // -2
    ASSERT_EQ(rig.raster.PaperFeed(), kOk);
    EXPECT_EQ(rig.printer.eepromReads, Bytes{0x7D});
    const auto tokens = rig.tokens();

    std::vector<FactoryCall> expected;
    for (int v = -4; v <= 4; ++v) {
        expected.push_back({kSetPfValue, {std::uint8_t(v)}});
        expected.push_back({kFinishValues, {}});
    }
    expected.push_back({kSetPfValue, {0xFE}});
    EXPECT_EQ(FactoryCalls(tokens), expected);

    // Each row's label follows the row: "PF pattern", then -4 .. 4.
    std::string labels = "PF pattern|";
    for (int v = -4; v <= 4; ++v) {
        const auto field = ValueField(v);
        labels += "         data = |";
        for (std::uint8_t c : field) {
            labels += c == 0 ? '|' : char(c);
        }
    }
    EXPECT_EQ(Labels(tokens), labels);

    const auto bands = OfKind(tokens, K::Band);
    ASSERT_EQ(bands.size(), 9u * 4);
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const bool upper = i % 4 < 2;
        EXPECT_EQ(bands[i]->lines.size(), upper ? 180u : 60u) << i;
    }
    // Upper bar on the last 60 nozzles from byte 180, lower bar on all 60 from byte 216.
    EXPECT_TRUE(Blank(bands[0]->lines[119]));
    EXPECT_EQ(Columns(bands[0]->lines[120]).front(), 180);
    EXPECT_EQ(Columns(bands[0]->lines[179]).size(), 122u);
    EXPECT_EQ(Columns(bands[2]->lines[0]).front(), 216);
    EXPECT_EQ(Columns(bands[2]->lines[59]).size(), 122u);
    EXPECT_EQ(VerticalMoves(tokens).size(), 9u * 5);
    EXPECT_TRUE(EveryLineEndsAPacket(tokens, rig.printer.dataPacketEnds));

    // The preamble order of this pattern: graphics, direction, unit, colour mode, dot size.
    const std::size_t firstGraphics =
        std::size_t(std::find_if(tokens.begin(), tokens.end(),
                                 [](const Token& t) { return t.kind == K::GraphicsMode; }) -
                    tokens.begin());
    const K preamble[] = {K::GraphicsMode, K::Direction, K::Unit, K::ColourMode, K::DotSize};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(tokens[firstGraphics + i].kind, preamble[i]) << i;
    }
    EXPECT_EQ(tokens[firstGraphics + 4].bytes.back(), 0x12);
    EXPECT_EQ(tokens.back().kind, K::FormFeed);
    EXPECT_EQ(rig.link.stagedCount(), 0u);
}

// ---- Top margin ------------------------------------------------------------------------------

TEST(TopMargin, PageFormatCarriesTheStoredTopMargin) {
    PatternRig rig;
    rig.printer.eeprom[0x5D] = 0x2A;
    const std::int64_t before = rig.clock.sleptMs();
    ASSERT_EQ(rig.raster.TopMargin(), kOk);
    EXPECT_GE(rig.clock.sleptMs() - before, 2010);
    const auto tokens = rig.tokens();

    const auto formats = OfKind(tokens, K::PageFormat);
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_EQ(formats[0]->bytes, Bytes({0x2A, 0x00, 0x00, 0x00, 0x1E, 0x1F, 0x00, 0x00}));
    const auto sizes = OfKind(tokens, K::PaperSize);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0]->bytes, Bytes({0xA0, 0x0B, 0x00, 0x00, 0x70, 0x10, 0x00, 0x00}));

    const auto bands = OfKind(tokens, K::Band);
    ASSERT_EQ(bands.size(), 1u);
    EXPECT_EQ(bands[0]->lines[0], Bytes(720, 0xFF));
    Bytes edge(720, 0x00);
    edge[0] = 0xC0;
    for (int k = 1; k < 180; ++k) {
        EXPECT_EQ(bands[0]->lines[std::size_t(k)], edge) << k;
    }
    EXPECT_EQ(CountKind(tokens, K::VerticalMove), 0u);
    EXPECT_TRUE(EveryLineEndsAPacket(tokens, rig.printer.dataPacketEnds));
    EXPECT_EQ(Labels(tokens), std::string(33, ' ') + "Top margin|First dot position|");
    // Ends: FF, INIT, everything flushed.
    EXPECT_EQ(tokens[tokens.size() - 2].kind, K::FormFeed);
    EXPECT_EQ(tokens.back().kind, K::Init);
    EXPECT_EQ(rig.link.stagedCount(), 0u);
}

// ---- The first failure ends a pattern ----------------------------------------------------------

struct PatternCase {
    const char* name;
    std::function<Status(TPRaster&)> run;
};

TEST(PatternFailure, AFailedWriteEndsThePatternWithNothingMoreSent) {
    const PatternCase patterns[] = {
        {"Bid", [](TPRaster& r) { return r.Bid(5, 0, 0); }},
        {"BidAdjustmentPrint", [](TPRaster& r) { return r.BidAdjustmentPrint(); }},
        {"HeadAngular", [](TPRaster& r) { return r.HeadAngular(); }},
        {"PaperFeed", [](TPRaster& r) { return r.PaperFeed(); }},
        {"TopMargin", [](TPRaster& r) { return r.TopMargin(); }},
    };
    for (const auto& p : patterns) {
        long total = 0;
        {
            PatternRig rig;
            ASSERT_EQ(p.run(rig.raster), kOk) << p.name;
            total = rig.printer.writeAttempts;
        }
        ASSERT_GT(total, 3) << p.name;
        for (const long k : {1L, 2L, total / 2, total}) {
            PatternRig rig;
            rig.failWrite(k);
            EXPECT_EQ(p.run(rig.raster), kPortFailure) << p.name << " write " << k;
            EXPECT_TRUE(rig.printer.failed) << p.name << " write " << k;
            EXPECT_EQ(rig.printer.attemptsAfterFailure, 0) << p.name << " write " << k;
        }
    }
}

}  // namespace
}  // namespace veltra
