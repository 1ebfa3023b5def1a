#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/patterns/PatternRig.h"

namespace veltra {
namespace {

using namespace test;
using Bytes = std::vector<std::uint8_t>;
using K = Token::Kind;

constexpr char kUsbId[] = "ABCDEFGHIJ0123xyz9";

// A printer with a sound head ID ("101010101011J"), USB ID and protection counter.
void SeedIdentity(FakePrinter& p, std::uint16_t counter = 1234) {
    for (const int a : {0xAF, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xAE}) {
        p.eeprom[std::size_t(a)] = 1;
    }
    for (std::size_t i = 0; i < 18; ++i) {
        p.eeprom[0xC2 + i] = std::uint8_t(kUsbId[i]);
    }
    p.eeprom[0x02] = std::uint8_t(counter >> 8);
    p.eeprom[0x03] = std::uint8_t(counter & 0xFF);
}

std::vector<std::string> Texts(const std::vector<Token>& tokens) {
    std::vector<std::string> out;
    for (const Token* t : OfKind(tokens, K::Text)) {
        out.push_back(t->text());
    }
    return out;
}

// The text-mode bytes that directly follow the first text token equal to `label` (with its
// zero byte), up to the next line end.
Bytes After(const std::vector<Token>& tokens, const std::string& label) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind == K::Text && tokens[i].text() == label + '\0') {
            Bytes out;
            for (std::size_t j = i + 1; j < tokens.size() && tokens[j].kind == K::Text; ++j) {
                out.insert(out.end(), tokens[j].bytes.begin(), tokens[j].bytes.end());
            }
            return out;
        }
    }
    return {};
}

std::string Z(const std::string& s) {
    return s + '\0';
}

TEST(CheckPatternPrint, FourPagesInOrder) {
    PatternRig rig;
    SeedIdentity(rig.printer);
    int told = 0;  // what a progress display counts
    rig.raster.setBandObserver([&told] { ++told; });
    ASSERT_EQ(rig.report.CheckPatternPrint(), kOk);
    const auto tokens = rig.tokens();
    ASSERT_EQ(CountKind(tokens, K::Bad), 0u);

    // Page 1: 90 bands, pages 2-3: four Bi-D dot sizes of 24, page 4: head angular 4, PF row 4.
    EXPECT_EQ(CountKind(tokens, K::Band), 90u + 96 + 8);
    EXPECT_EQ(told, TPCheckPattern::kBands);
    EXPECT_EQ(std::size_t(told), CountKind(tokens, K::Band));
    EXPECT_EQ(CountKind(tokens, K::FormFeed), 4u);
    EXPECT_EQ(tokens.back().kind, K::FormFeed);
    EXPECT_EQ(rig.link.stagedCount(), 0u);

    // Service frames: head angle mode around the Bi-D pages and again around the strokes.
    std::vector<std::uint8_t> modes;
    std::vector<std::uint8_t> service;
    for (const auto& c : FactoryCalls(tokens)) {
        if (c.command != kSetBidValues) {
            service.push_back(c.command);
            modes.push_back(c.params.empty() ? 0xEE : c.params[0]);
        }
    }
    EXPECT_EQ(service, Bytes({kHeadAngleMode, kHeadAngleMode, kHeadAngleMode, kHeadAngleEnd,
                              kHeadAngleMode}));
    EXPECT_EQ(modes, Bytes({0x00, 0xFF, 0x00, 0xEE, 0xFF}));
    EXPECT_EQ(FactoryCalls(tokens).size(), 5u + 4 * 8);

    // Banners and item numbers in page order.
    const auto texts = Texts(tokens);
    auto indexOf = [&](const std::string& s, std::size_t from = 0) {
        const auto it = std::find(texts.begin() + std::ptrdiff_t(from), texts.end(), s);
        return std::size_t(it - texts.begin());
    };
    std::size_t at = 0;
    const std::string marks[] = {
        Z("    ******************* Veltra K55"),
        Z(" CHECK PATTERN PRINT 1/4 *******************"),
        Z("1. "),
        Z("Beta pattern(BK-YMC VSD1-VSD2-VSD3)"),
        Z("2. "),
        Z("Nozzle check pattern(BK-YMC VSD1-VSD2-VSD3)"),
        Z("3. "),
        Z("Alignment pattern(BK-YMC VSD1-VSD2-VSD3)"),
        Z("4. "),
        Z("Nozzle column shift"),
        Z(" CHECK PATTERN PRINT 2/4 *******************"),
        Z("5. "),
        Z("Bi-D Adjustment"),
        Z("Variable1 DOT"),
        Z("Variable2 DOT"),
        Z(" CHECK PATTERN PRINT 3/4 *******************"),
        Z("Variable3 DOT"),
        Z("ECO DOT"),
        Z(" CHECK PATTERN PRINT 4/4 *******************"),
        Z("6. "),
        Z("Head Angular"),
        Z("7. "),
        Z("PF pattern"),
        Z("         data = "),
        Z("8. "),
        Z("Head ID = "),
        Z("9. "),
        Z("USB ID = "),
        Z("10. "),
        Z("Protection Counter = "),
    };
    for (const auto& m : marks) {
        const std::size_t found = indexOf(m, at);
        ASSERT_LT(found, texts.size()) << "missing after position " << at << ": " << m;
        at = found + 1;
    }
    EXPECT_EQ(Z("1. ").size(), 4u);
    EXPECT_EQ(Z("10. ").size(), 5u);

    const std::string headId = "101010101011J";
    EXPECT_EQ(After(tokens, "Head ID = "), Bytes(headId.begin(), headId.end()));
    EXPECT_EQ(After(tokens, "USB ID = "), Bytes(kUsbId, kUsbId + 18));
    EXPECT_EQ(After(tokens, "Protection Counter = "), Bytes({'1', '2', '3', '4', 0x00}));
    EXPECT_EQ(rig.report.CodeDetail(), kNoError);
}

// One band of page 1 and what one of its lines prints.
struct BandExpect {
    std::size_t index;
    std::uint8_t colour;  // colour byte as sent
    int width;
    std::size_t height;
    std::uint8_t dotByte;  // dot size in force
    std::size_t line;
    int first, count, step;  // the inked columns of that line
    std::uint8_t value;
    int blankLine;  // a line of the other parity that must be blank, or -1
};

TEST(CheckPatternPrint, PageOnePatternsPrintWhereTheirLinesSay) {
    PatternRig rig;
    SeedIdentity(rig.printer);
    ASSERT_EQ(rig.report.CheckPatternPrint(), kOk);
    const auto tokens = rig.tokens();
    std::vector<const Token*> bands;
    std::vector<std::uint8_t> dots;
    std::uint8_t dot = 0;
    for (const Token& t : tokens) {
        if (t.kind == K::DotSize) {
            dot = t.bytes.back();
        } else if (t.kind == K::Band) {
            bands.push_back(&t);
            dots.push_back(dot);
        }
    }
    ASSERT_GE(bands.size(), 90u);
    constexpr std::uint8_t Bk = 0x00, Y = 0x04, M = 0x01, C = 0x02;
    const BandExpect cases[] = {
        // Beta: black then yellow, magenta, cyan per pass; wider and further right per size.
        {0, Bk, 220, 180, 0x10, 0, 0, 110, 1, 0xFF, -1},
        {1, Y, 220, 60, 0x10, 0, 110, 110, 1, 0xFF, -1},
        {2, M, 220, 60, 0x10, 30, 110, 110, 1, 0xFF, -1},
        {7, C, 220, 60, 0x10, 59, 110, 110, 1, 0xFF, -1},
        {8, Bk, 470, 180, 0x11, 0, 250, 110, 1, 0xFF, -1},
        {11, C, 470, 60, 0x11, 0, 360, 110, 1, 0xFF, -1},
        {16, Bk, 720, 180, 0x12, 179, 500, 110, 1, 0xFF, -1},
        {23, C, 720, 60, 0x12, 0, 610, 110, 1, 0xFF, -1},
        // Nozzle check VSD1, twice: even and odd black nozzles, then even and odd colour.
        {24, Bk, 340, 180, 0x10, 0, 0, 170, 1, 0xFF, 1},
        {25, Bk, 340, 180, 0x10, 1, 170, 170, 1, 0xFF, 0},
        {26, Y, 720, 60, 0x10, 58, 380, 170, 1, 0xFF, 59},
        {31, C, 720, 60, 0x10, 1, 550, 170, 1, 0xFF, 0},
        {32, Bk, 340, 180, 0x10, 178, 0, 170, 1, 0xFF, 179},
        // Nozzle check VSD2: one repetition.
        {40, Bk, 340, 180, 0x11, 0, 0, 170, 1, 0xFF, 1},
        {47, C, 720, 60, 0x11, 59, 550, 170, 1, 0xFF, 58},
        // Nozzle check VSD3: black, colour, then the light dot code.
        {48, Bk, 720, 180, 0x12, 0, 0, 115, 1, 0xFF, 1},
        {49, Bk, 720, 180, 0x12, 1, 115, 115, 1, 0xFF, 0},
        {50, Y, 720, 60, 0x12, 0, 260, 115, 1, 0xFF, 1},
        {55, C, 720, 60, 0x12, 1, 375, 115, 1, 0xFF, 0},
        {56, Y, 720, 60, 0x12, 0, 490, 115, 1, 0x55, 1},
        {61, C, 720, 60, 0x12, 1, 605, 115, 1, 0x55, 0},
        // Alignment: nine strokes 40 dots apart; VSD3 turns to dot code 2 after its first
        // black band.
        {62, Bk, 190, 180, 0x10, 0, 0, 9, 10, 0x30, -1},
        {63, Y, 190, 60, 0x10, 0, 100, 9, 10, 0x30, -1},
        {70, Bk, 420, 180, 0x11, 0, 230, 9, 10, 0x30, -1},
        {73, C, 420, 60, 0x11, 0, 330, 9, 10, 0x30, -1},
        {78, Bk, 650, 180, 0x12, 0, 460, 9, 10, 0x30, -1},
        {79, Y, 650, 60, 0x12, 0, 560, 9, 10, 0x20, -1},
        {82, Bk, 650, 180, 0x12, 0, 460, 9, 10, 0x20, -1},
        {85, C, 650, 60, 0x12, 0, 560, 9, 10, 0x20, -1},
        // Nozzle column shift: black and magenta at the same eighteen positions.
        {86, Bk, 180, 60, 0x10, 0, 0, 18, 10, 0x30, -1},
        {87, M, 180, 60, 0x10, 59, 0, 18, 10, 0x30, -1},
        {89, M, 180, 60, 0x10, 0, 0, 18, 10, 0x30, -1},
    };
    for (const auto& c : cases) {
        const Token& b = *bands[c.index];
        EXPECT_EQ(b.colour, c.colour) << c.index;
        EXPECT_EQ(b.width, c.width) << c.index;
        ASSERT_EQ(b.lines.size(), c.height) << c.index;
        EXPECT_EQ(dots[c.index], c.dotByte) << c.index;
        const auto& line = b.lines[c.line];
        std::vector<int> inked;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] != 0) {
                inked.push_back(int(i));
                EXPECT_EQ(line[i], c.value) << c.index << " at " << i;
            }
        }
        std::vector<int> expected;
        for (int i = 0; i < c.count; ++i) {
            expected.push_back(c.first + i * c.step);
        }
        EXPECT_EQ(inked, expected) << c.index;
        if (c.blankLine >= 0) {
            const auto& other = b.lines[std::size_t(c.blankLine)];
            EXPECT_EQ(std::count(other.begin(), other.end(), 0), c.width) << c.index;
        }
    }
    // Page 1 ends at band 89: the next band is the first Bi-D row.
    EXPECT_EQ(bands[90]->width, 720);
    EXPECT_EQ(bands[90]->lines.size(), 180u);
    // Every line ends its packet, except in the head angular strokes (bands 186-189).
    ASSERT_EQ(bands.size(), 194u);
    const auto& ends = rig.printer.dataPacketEnds;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const bool headAngular = i >= 186 && i <= 189;
        std::size_t flushed = 0;
        for (std::size_t end : bands[i]->lineEnds) {
            flushed += std::binary_search(ends.begin(), ends.end(), end) ? 1 : 0;
        }
        if (headAngular) {
            EXPECT_LT(flushed, 10u) << i;
        } else {
            EXPECT_EQ(flushed, bands[i]->lineEnds.size()) << i;
        }
    }
}

TEST(CheckPatternPrint, ValuesAreGatheredBeforeAnythingIsPrinted) {
    PatternRig rig;
    SeedIdentity(rig.printer);
    ASSERT_EQ(rig.report.CheckPatternPrint(), kOk);
    Bytes reads(rig.printer.eepromReads.begin(), rig.printer.eepromReads.begin() + 35);
    Bytes expected{0x02, 0x03, 0xAF, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xAE};
    for (std::uint8_t a = 0xC2; a <= 0xD3; ++a) {
        expected.push_back(a);
    }
    expected.insert(expected.end(), {0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x70, 0x71});
    EXPECT_EQ(reads, expected);
    // Besides, the PF row reads the stored PF value on page 4.
    EXPECT_EQ(rig.printer.eepromReads.size(), 36u);
    EXPECT_EQ(rig.printer.eepromReads.back(), 0x7D);
}

TEST(CheckPatternPrint, BannerFollowsTheModel) {
    struct Case {
        int modelIndex;
        const char* modelLine;  // null: none
    };
    const Case cases[] = {{0, "    ******************* Veltra K55"},
                          {1, "    ******************* Veltra K45"},
                          {-1, nullptr}};
    for (const auto& c : cases) {
        PatternRig rig(c.modelIndex);
        SeedIdentity(rig.printer);
        ASSERT_EQ(rig.report.CheckPatternPrint(), kOk) << c.modelIndex;
        const auto tokens = rig.tokens();
        const auto texts = Texts(tokens);
        for (int page = 1; page <= 4; ++page) {
            const std::string pageLine =
                Z(" CHECK PATTERN PRINT " + std::to_string(page) + "/4 *******************");
            const auto it = std::find(texts.begin(), texts.end(), pageLine);
            ASSERT_NE(it, texts.end()) << page;
            EXPECT_EQ(pageLine.size(), 45u);
            if (c.modelLine != nullptr) {
                ASSERT_NE(it, texts.begin());
                EXPECT_EQ(*(it - 1), Z(c.modelLine)) << page;
                EXPECT_EQ((it - 1)->size(), 35u);
            } else {
                EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                                        [](const std::string& t) {
                                            return t.find("Veltra") != std::string::npos;
                                        }),
                          0);
            }
        }
    }
}

TEST(CheckPatternPrint, CounterFieldAtItsLimits) {
    const std::pair<std::uint16_t, Bytes> cases[] = {
        {0, {0x30, 0x00, 0x20, 0x20, 0x20}},
        {65535, {0x36, 0x35, 0x35, 0x33, 0x35}},
    };
    for (const auto& [counter, field] : cases) {
        PatternRig rig;
        SeedIdentity(rig.printer, counter);
        ASSERT_EQ(rig.report.CheckPatternPrint(), kOk);
        EXPECT_EQ(After(rig.tokens(), "Protection Counter = "), field) << counter;
    }
}

TEST(CheckPatternPrint, InvalidStoredIdentityEndsTheReportBeforeTheFirstPage) {
    struct Case {
        const char* name;
        std::uint8_t address;
        std::uint8_t value;
        Status status;
        Detail detail;
    };
    const Case cases[] = {
        {"USB ID with '-'", 0xC5, '-', kUsbIdFormat, 0x3011},
        {"USB ID with 0x80", 0xD3, 0x80, kUsbIdFormat, 0x3011},
        {"head ID first digit 4", 0xAF, 4, kHeadIdFormat, 0x1000},
    };
    for (const auto& c : cases) {
        PatternRig rig;
        SeedIdentity(rig.printer);
        rig.printer.eeprom[c.address] = c.value;
        EXPECT_EQ(rig.report.CheckPatternPrint(), c.status) << c.name;
        EXPECT_EQ(rig.report.CodeDetail(), c.detail) << c.name;
        rig.raster.FlushData();
        const auto tokens = rig.tokens();
        EXPECT_TRUE(Texts(tokens).empty()) << c.name;
        EXPECT_EQ(CountKind(tokens, K::Band), 0u) << c.name;
        EXPECT_EQ(CountKind(tokens, K::Factory), 0u) << c.name;
    }
}

TEST(CheckPatternPrint, AFailedWriteEndsTheReportWithNothingMoreSent) {
    long total = 0;
    {
        PatternRig rig;
        SeedIdentity(rig.printer);
        ASSERT_EQ(rig.report.CheckPatternPrint(), kOk);
        total = rig.printer.writeAttempts;
    }
    for (const long k : {1L, 40L, total / 3, total - 1, total}) {
        PatternRig rig;
        SeedIdentity(rig.printer);
        rig.failWrite(k);
        EXPECT_EQ(rig.report.CheckPatternPrint(), kPortFailure) << k;
        EXPECT_EQ(rig.printer.attemptsAfterFailure, 0) << k;
    }
}

}  // namespace
}  // namespace veltra
