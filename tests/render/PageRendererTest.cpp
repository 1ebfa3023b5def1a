#include "sim/render/PageRenderer.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "tests/render/RenderStream.h"

namespace veltra::sim {
namespace {

using namespace test;

constexpr int kLeft = PageRenderer::kLeftMargin;
constexpr int kTop = PageRenderer::kDefaultTopMargin;

struct Rendered {
    std::vector<QImage> pages;  // ejected, in order
    QImage open;                // the sheet still in the printer
    RenderNotes notes;
};

Rendered render(const Stream& s, const MechanismErrors& errors = {},
                const StoredAdjustments& stored = {}) {
    Rendered r;
    PageRenderer renderer(errors, stored, [&r](const QImage& page, int number) {
        EXPECT_EQ(number, static_cast<int>(r.pages.size()) + 1);
        r.pages.push_back(page);
    });
    renderer.feed(s.commands());
    r.open = renderer.currentPage();
    r.notes = renderer.notes();
    return r;
}

// One band of the given ink with a single dot of code 3 at nozzle 5, dot 8, 100 units in.
TEST(PageRendererBand, EachInkLandsOnItsNozzleRowInItsOwnColour) {
    struct Case {
        std::uint8_t colour;
        int rowOffset;  // pixels from the black row's nozzle 0 to this ink's nozzle 0
        std::function<bool(QRgb)> looks;
    };
    const std::vector<Case> cases = {
        {kBlack, 0, [](QRgb p) { return qRed(p) < 60 && qGreen(p) < 60 && qBlue(p) < 60; }},
        {kYellow, 0, [](QRgb p) { return qRed(p) > 200 && qGreen(p) > 180 && qBlue(p) < 60; }},
        {kDarkYellow, 0,
         [](QRgb p) {
             return qRed(p) > 150 && qGreen(p) > 120 && qGreen(p) < 200 && qBlue(p) < 60;
         }},
        {kMagenta, 120, [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) > 80; }},
        {kLightMagenta, 120,
         [](QRgb p) { return qRed(p) > 200 && qGreen(p) > 100 && qGreen(p) < 200; }},
        {kCyan, 240, [](QRgb p) { return qRed(p) < 60 && qBlue(p) > 200; }},
        {kLightCyan, 240, [](QRgb p) { return qRed(p) > 100 && qRed(p) < 200 && qBlue(p) > 200; }},
    };
    std::set<QRgb> seen;
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.colour));
        const int nozzles = c.colour == kBlack ? 180 : 60;
        Stream s;
        s.prepare(1, kVsd3, c.colour != kBlack).h(100);
        s.band(c.colour, 10, linesWith(nozzles, 5, 5, lineWith(10, {{2, 0xC0}})));
        const QImage page = render(s).open;
        const int x = kLeft + 100 + 8;
        const int y = kTop + c.rowOffset + 5 * 2;
        ASSERT_TRUE(inked(page, x, y));
        EXPECT_TRUE(c.looks(page.pixel(x, y))) << std::hex << page.pixel(x, y);
        EXPECT_FALSE(inked(page, x - 1, y));
        EXPECT_FALSE(inked(page, x + 1, y));
        EXPECT_FALSE(inked(page, x, y - 1));
        EXPECT_EQ(inkedRows(page, 0, page.width()).size(), 1u);
        seen.insert(page.pixel(x, y));
    }
    EXPECT_EQ(seen.size(), cases.size()) << "two inks print the same colour";
}

TEST(PageRendererBand, DotCodesAndDotSizesLookDifferent) {
    // Red channel of a black dot: lower is darker.
    auto darkness = [](std::uint8_t dotSize, int code) {
        Stream s;
        s.prepare(1, dotSize, false);
        s.band(kBlack, 1, linesWith(180, 0, 0, Line{static_cast<std::uint8_t>(code << 6)}));
        const QImage page = render(s).open;
        return std::pair{255 - qRed(page.pixel(kLeft, kTop)),
                         255 - qRed(page.pixel(kLeft, kTop + 1))};
    };
    for (std::uint8_t set : {kVsd1, kVsd2, kVsd3, kEco}) {
        SCOPED_TRACE(static_cast<int>(set));
        EXPECT_GT(darkness(set, 1).first, 0);
        EXPECT_LT(darkness(set, 1).first, darkness(set, 2).first);
        EXPECT_LT(darkness(set, 2).first, darkness(set, 3).first);
    }
    EXPECT_LT(darkness(kEco, 3).first, darkness(kVsd1, 3).first);
    EXPECT_LT(darkness(kVsd1, 3).first, darkness(kVsd2, 3).first);
    EXPECT_LT(darkness(kVsd2, 3).first, darkness(kVsd3, 3).first);
    // The big droplets bleed into the row between two nozzles; the small ones do not.
    EXPECT_GT(darkness(kVsd3, 3).second, 0);
    EXPECT_EQ(darkness(kVsd1, 3).second, 0);
}

TEST(PageRendererBand, HorizontalPositionFollowsBandsMovesAndResets) {
    const Line dot = lineWith(10, {{0, 0x40}});  // dot code 1 at the band's first dot
    struct Case {
        const char* name;
        std::function<void(Stream&)> between;
        int expectedX;  // of the second band's dot
    };
    const std::vector<Case> cases = {
        {"band advances by its width", [](Stream&) {}, kLeft + 40},
        {"carriage return", [](Stream& s) { s.cr(); }, kLeft},
        {"initialise", [](Stream& s) { s.init().direction(1).dotSize(kVsd1); }, kLeft},
        {"absolute position", [](Stream& s) { s.h(200); }, kLeft + 200},
        {"position in 1/180 inch", [](Stream& s) { s.unit(20).h(100); }, kLeft + 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stream s;
        s.prepare(1, kVsd1, false).band(kBlack, 10, linesWith(180, 0, 0, dot));
        s.add(Kind::VerticalMove, {20, 0});  // a move alone keeps the column
        c.between(s);
        s.band(kBlack, 10, linesWith(180, 0, 0, dot));
        const QImage page = render(s).open;
        EXPECT_EQ(firstInkedColumn(page, kTop + 20, 0, page.width()), c.expectedX);
    }
}

TEST(PageRendererBand, HorizontalStepOfTheResolutionWidensTheDots) {
    Stream s;
    s.prepare(1, kVsd1, false).add(Kind::Resolution, {0x68, 0x01, 0x02, 0x02});  // 1/180 inch
    s.bandOnly(kBlack, 1, {Line{0xCC}});                                         // dots 0 and 2
    const QImage page = render(s).open;
    std::vector<int> columns;
    for (int x = kLeft; x < kLeft + 8; ++x) {
        if (inked(page, x, kTop)) {
            columns.push_back(x - kLeft);
        }
    }
    EXPECT_EQ(columns, (std::vector<int>{0, 1, 4, 5}));
}

TEST(PageRendererBand, InterlacePassFillsTheRowsBetweenNozzles) {
    const Line dot = lineWith(1, {{0, 0xC0}});
    Stream s;
    s.prepare(1, kVsd1, false).band(kBlack, 1, linesWith(180, 0, 1, dot)).v(1);
    s.prepare(1, kVsd1, false).band(kBlack, 1, linesWith(180, 0, 1, dot));
    const QImage page = render(s).open;
    const auto runs = inkedRows(page, 0, page.width());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].first, kTop);
    EXPECT_EQ(runs[0].last, kTop + 3);
}

TEST(PageRendererBand, MovesCountInTheUnitInForce) {
    const Line dot = lineWith(1, {{0, 0xC0}});
    Stream s;
    s.prepare(1, kVsd1, false).unit(20).v(10).band(kBlack, 1, linesWith(180, 0, 0, dot));
    s.unit(10).v(10).lf(1).band(kBlack, 1, linesWith(180, 0, 0, dot));
    const QImage page = render(s).open;
    EXPECT_EQ(firstInkedRow(page, kLeft), kTop + 20);
    const auto runs = inkedRows(page, 0, page.width());
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1].first, kTop + 20 + 10 + PageRenderer::kLinePitch);
}

// The Bi-D pattern through a mechanism with known hidden errors: the strokes are straight
// exactly in the row printed with the trial value equal to the error, and elsewhere the lower
// half stands off by (error - trial) dots.
TEST(PageRendererBid, StraightStrokesExactlyWhereTheTrialValueCancelsTheError) {
    struct Case {
        int kind;
        std::uint8_t dotSize;
        DotSet set;
        int a, b;                 // stored pair; rows print a-2, a, a+2 (b likewise)
        int errBlack, errColour;  // hidden errors of this dot size
    };
    const std::vector<Case> cases = {
        {1, kVsd1, DotSet::Vsd1, 3, -1, 3, -1},   // stored values right: middle row
        {2, kVsd2, DotSet::Vsd2, 0, 0, 2, -2},    // black bottom row, colour top row
        {3, kVsd3, DotSet::Vsd3, 10, 20, 8, 25},  // black top row, colour in no row
        {4, kEco, DotSet::Eco, -5, 5, -9, 1},     // in no row either side
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        MechanismErrors errors;
        // Other dot sizes carry other errors that must not leak into this one.
        for (auto& sides : errors.bid) {
            sides = {17, -17};
        }
        errors.bidError(c.set, InkSide::Black) = c.errBlack;
        errors.bidError(c.set, InkSide::Colour) = c.errColour;
        Stream s;
        bidPattern(s, c.kind, c.dotSize, c.a, c.b);
        const QImage page = render(s, errors).open;

        struct Side {
            int x0, x1, err, stored;
        };
        for (const Side& side :
             {Side{0, 1440, c.errBlack, c.a}, Side{1480, 2976, c.errColour, c.b}}) {
            const auto runs = inkedRows(page, side.x0, side.x1);
            ASSERT_EQ(runs.size(), 3u);
            for (int row = 0; row < 3; ++row) {
                const int trial = side.stored - 2 + 2 * row;
                const int upper = firstInkedColumn(page, runs[row].first, side.x0, side.x1);
                const int lower = firstInkedColumn(page, runs[row].last, side.x0, side.x1);
                EXPECT_EQ(lower - upper, side.err - trial) << "row " << row;
                EXPECT_EQ(upper, side.x0 == 0 ? kLeft + 1 : kLeft + 1521) << "row " << row;
            }
        }
    }
}

TEST(PageRendererBid, StoredValuesAreInForceUntilAFrameChangesThem) {
    std::array<std::uint8_t, 256> eeprom{};
    eeprom[0x72] = 0xFD;  // VSD1 black -3
    eeprom[0x73] = 0x02;
    eeprom[0x76] = 0x07;  // VSD3 black
    eeprom[0x70] = 0x05;  // ECO black
    eeprom[0x71] = 0xFB;  // ECO colour -5
    eeprom[0x7D] = 0xFE;  // PF -2
    const StoredAdjustments stored = StoredAdjustments::fromEeprom(eeprom);
    EXPECT_EQ(stored.bid[0], (std::array<int, 2>{-3, 2}));
    EXPECT_EQ(stored.bid[2], (std::array<int, 2>{7, 0}));
    EXPECT_EQ(stored.bid[3], (std::array<int, 2>{5, -5}));
    EXPECT_EQ(stored.paperFeed, -2);

    MechanismErrors errors;
    errors.bidError(DotSet::Vsd1, InkSide::Black) = 1;
    const Line stroke = lineWith(10, {{5, 0x30}});
    Stream s;
    s.prepare(1, kVsd1, false).band(kBlack, 10, linesWith(180, 0, 9, stroke));
    s.prepare(0, kVsd1, false).band(kBlack, 10, linesWith(180, 10, 19, stroke));
    PageRenderer renderer(errors, stored, nullptr);
    renderer.feed(s.commands());
    const QImage page = renderer.currentPage();
    EXPECT_EQ(firstInkedColumn(page, kTop + 38, 0, 400) - firstInkedColumn(page, kTop, 0, 400),
              1 - (-3));

    // -128 leaves a side as it is; a frame of no known kind changes nothing.
    Stream frames;
    frames.setBidValues(1, -128, 9).setBidValues(4, 12, -128).setBidValues(5, 1, 1);
    frames.setPfValue(-4);
    renderer.feed(frames.commands());
    EXPECT_EQ(renderer.trialBid(DotSet::Vsd1, InkSide::Black), -3);
    EXPECT_EQ(renderer.trialBid(DotSet::Vsd1, InkSide::Colour), 9);
    EXPECT_EQ(renderer.trialBid(DotSet::Eco, InkSide::Black), 12);
    EXPECT_EQ(renderer.trialBid(DotSet::Eco, InkSide::Colour), -5);
    EXPECT_EQ(renderer.trialPaperFeed(), -4);
    EXPECT_EQ(renderer.notes().malformedCommands, 1);
}

TEST(PageRendererBid, FramesTheRealPrinterWouldIgnoreChangeNothing) {
    StoredAdjustments stored;
    stored.bid[0] = {4, 5};
    stored.modelCode = std::array<std::uint8_t, 2>{0x3B, 0xA5};  // not the frames' model
    PageRenderer renderer(MechanismErrors{}, stored, nullptr);
    Stream s;
    s.setBidValues(1, 1, 1).setPfValue(3);
    renderer.feed(s.commands());
    EXPECT_EQ(renderer.trialBid(DotSet::Vsd1, InkSide::Black), 4);
    EXPECT_EQ(renderer.trialPaperFeed(), 0);

    stored.modelCode = std::array<std::uint8_t, 2>{0x3A, 0x91};
    PageRenderer sameModel(MechanismErrors{}, stored, nullptr);
    Stream wide;
    wide.setBidValues(1, 300, -200).setBidValues(1, 127, -127);
    sameModel.feed(wide.commands().front());  // no signed byte: both sides stay
    EXPECT_EQ(sameModel.trialBid(DotSet::Vsd1, InkSide::Black), 4);
    EXPECT_EQ(sameModel.trialBid(DotSet::Vsd1, InkSide::Colour), 5);
    sameModel.feed(wide.commands().back());
    EXPECT_EQ(sameModel.trialBid(DotSet::Vsd1, InkSide::Black), 127);
    EXPECT_EQ(sameModel.trialBid(DotSet::Vsd1, InkSide::Colour), -127);
}

// One PF row: a bar from the last 60 nozzles, a one-inch feed, a bar from a 60-line band.
TEST(PageRendererPaperFeed, SecondBarMovesByTheErrorLessTheTrialValue) {
    const Line bar1 = [] {
        Line l(720, 0);
        std::fill(l.begin() + 180, l.begin() + 302, std::uint8_t{0xFF});
        return l;
    }();
    const Line bar2 = [] {
        Line l(720, 0);
        std::fill(l.begin() + 216, l.begin() + 338, std::uint8_t{0xFF});
        return l;
    }();
    constexpr int kError = 2;
    MechanismErrors errors;
    errors.paperFeed = kError;
    for (int trial = -4; trial <= 4; ++trial) {
        SCOPED_TRACE(trial);
        Stream s;
        s.setPfValue(trial).lf(3);
        for (int pass = 0; pass < 2; ++pass) {
            s.prepare(1, kVsd3, false).band(kBlack, 720, linesWith(180, 120, 179, bar1)).v(1);
        }
        s.v(358);
        for (int pass = 0; pass < 2; ++pass) {
            s.prepare(1, kVsd3, false).band(kBlack, 720, std::vector<Line>(60, bar2)).v(1);
        }
        const QImage page = render(s, errors).open;
        const int top1 = firstInkedRow(page, kLeft + 800);   // first bar only
        const int top2 = firstInkedRow(page, kLeft + 1250);  // second bar only
        ASSERT_GT(top1, 0);
        EXPECT_EQ(top2 - top1, 120 + (kError - trial));
    }
}

TEST(PageRendererHeadAngle, UpperNozzlesHalfShiftsByTheHeadAngleError) {
    const Line stroke = lineWith(720, {{33, 0xF8}});
    auto pattern = [&](Stream& s, bool mode) {
        if (mode) {
            s.headAngleMode(0);
        }
        s.init().prepare(0, kVsd1, false).v(50);
        for (int pass = 0; pass < 2; ++pass) {
            s.v(0).h(0).band(kBlack, 720, linesWith(180, 95, 179, stroke)).v(1);
        }
        s.init().init().prepare(0, kVsd1, false).v(358);
        for (int pass = 0; pass < 2; ++pass) {
            s.v(0).h(0).band(kBlack, 720, linesWith(180, 0, 84, stroke)).v(1);
        }
        s.v(10);
        if (mode) {
            s.init().headAngleEnd().headAngleMode(255);
        }
        s.lf(4);
    };
    for (int err : {0, 3, -2}) {
        SCOPED_TRACE(err);
        MechanismErrors errors;
        errors.headAngle = err;
        Stream s;
        pattern(s, true);   // in head angle mode: the upper nozzles' strokes stand off
        pattern(s, false);  // the same bands outside it: straight
        s.ff();             // the head angle print's sheet went out at its end: a sheet of its own
        const Rendered r = render(s, errors);
        ASSERT_EQ(r.pages.size(), 2u);
        const std::array<int, 2> expected{err, 0};
        for (std::size_t i = 0; i < r.pages.size(); ++i) {
            const QImage& page = r.pages[i];
            const auto runs = inkedRows(page, 0, page.width());
            ASSERT_EQ(runs.size(), 1u) << "page " << i;
            const int lower = firstInkedColumn(page, runs[0].first, 0, page.width());
            const int upper = firstInkedColumn(page, runs[0].last, 0, page.width());
            EXPECT_EQ(lower, kLeft + 132);
            EXPECT_EQ(upper - lower, expected[i]) << "page " << i;
        }
    }
}

// Each head angle check print comes out on a sheet of its own when the printer ends it; a sheet
// begun before head angle mode (the check-pattern report's last page) stays in the printer.
TEST(PageRendererHeadAngle, CheckPrintsComeOutOneSheetEach) {
    const Line stroke = lineWith(720, {{33, 0xF8}});
    const struct {
        bool sheetBegunBefore;
        int prints;
        std::size_t sheets;  // ejected, after a form feed at the end
    } cases[] = {{false, 1, 1}, {false, 2, 2}, {true, 1, 1}, {true, 2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sheetBegunBefore << " " << c.prints);
        Stream s;
        if (c.sheetBegunBefore) {
            s.lf(1);  // the paper moved: the sheet is begun
        }
        for (int i = 0; i < c.prints; ++i) {
            s.headAngleMode(0).init().prepare(0, kVsd1, false).v(50);
            for (int pass = 0; pass < 2; ++pass) {  // the interlace fills the rows between
                s.band(kBlack, 720, linesWith(180, 95, 179, stroke)).v(1);
            }
            s.v(400).init().headAngleEnd().headAngleMode(255);
        }
        s.ff();
        const Rendered r = render(s);
        ASSERT_EQ(r.pages.size(), c.sheets);
        for (const QImage& page : r.pages) {
            EXPECT_EQ(inkedRows(page, kLeft + 120, kLeft + 150).size(),
                      c.sheetBegunBefore ? std::size_t(c.prints) : 1u);
        }
    }
}

TEST(PageRendererPage, TopMarginLineLandsAtTheStoredMarginPlusTheErrorBesideItsTarget) {
    const Line full(720, 0xFF);
    const Line edge = lineWith(720, {{0, 0xC0}});
    const struct {
        std::uint32_t margin;
        int errorSteps;
        int target;  // the ruler's target mark, pixels from the top edge
    } cases[] = {{14, 0, 42}, {42, 0, 42}, {85, 0, 42}, {162, 0, 120}, {42, 1, 42}, {120, -2, 120}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.margin << " " << c.errorSteps);
        MechanismErrors errors;
        errors.topMargin = c.errorSteps;
        Stream s;
        s.init().prepare(1, kVsd1, false).paperSize(2976, 4208).pageFormat(c.margin, 7966);
        std::vector<Line> lines(180, edge);
        lines[0] = full;
        s.band(kBlack, 720, lines);
        s.init().cr().init().text(std::string(33, ' ') + "Top margin" + '\0').lf(3);
        s.text(std::string("First dot position") + '\0').ff().init();
        const Rendered r = render(s, errors);
        ASSERT_EQ(r.pages.size(), 1u);
        const QImage& page = r.pages[0];
        EXPECT_EQ(page.size(), QSize(2976, 4208));
        const int line = int(c.margin) + c.errorSteps * PageRenderer::kTopMarginStep;
        EXPECT_EQ(firstInkedRow(page, kLeft + 2000), line);
        EXPECT_EQ(firstInkedRow(page, kLeft), line);
        EXPECT_EQ(firstInkedColumn(page, line + 10, 0, 2976), kLeft);
        const QRgb mark = page.pixel(2976 - 200, c.target);
        EXPECT_GT(qRed(mark), 150);
        EXPECT_LT(qGreen(mark), 80) << "no target mark at " << c.target;
    }
    // Without a page format the print starts at the default margin.
    Stream s;
    s.prepare(1, kVsd1, false).band(kBlack, 1, linesWith(180, 0, 0, Line{0xC0}));
    EXPECT_EQ(firstInkedRow(render(s).open, kLeft), kTop);
}

TEST(PageRendererPage, FormFeedEjectsNumberedPagesAndStartsAFreshSheet) {
    const Line dot{0xC0};
    Stream s;
    s.prepare(1, kVsd1, false).v(300).band(kBlack, 1, linesWith(180, 0, 0, dot)).ff();
    s.ff();  // an untouched sheet still feeds through, blank
    s.prepare(1, kVsd1, false).band(kBlack, 1, linesWith(180, 0, 0, dot));
    const Rendered r = render(s);
    ASSERT_EQ(r.pages.size(), 2u);
    EXPECT_EQ(firstInkedRow(r.pages[0], kLeft), kTop + 300);
    EXPECT_TRUE(inkedRows(r.pages[1], 0, r.pages[1].width()).empty());
    EXPECT_EQ(firstInkedRow(r.open, kLeft), kTop);
}

TEST(PageRendererText, LabelsPrintAtTenCharactersPerInchSkippingZeroBytes) {
    Stream s;
    // "  data = ", the value field of 0 (30 00 20 20 00): the 0 stands in column 9.
    s.text(std::string("  data = ") + '\0' + "0" + '\0' + "  " + '\0').cr().lf(1);
    const QImage page = render(s).open;
    auto cellInked = [&](int column) {
        const int x0 = kLeft + column * PageRenderer::kCharacterPitch;
        for (int y = kTop; y < kTop + PageRenderer::kLinePitch; ++y) {
            if (firstInkedColumn(page, y, x0, x0 + PageRenderer::kCharacterPitch) >= 0) {
                return true;
            }
        }
        return false;
    };
    EXPECT_FALSE(cellInked(0));
    EXPECT_TRUE(cellInked(2));  // d
    EXPECT_TRUE(cellInked(9));  // 0
    EXPECT_FALSE(cellInked(10));
    EXPECT_FALSE(cellInked(11));
    const auto runs = inkedRows(page, 0, page.width());
    ASSERT_FALSE(runs.empty());
    EXPECT_GE(runs.front().first, kTop);
    EXPECT_LT(runs.back().last, kTop + PageRenderer::kLinePitch);
}

TEST(PageRendererText, ATextLineBegunGoesOnAfterInitialise) {
    auto inkedCells = [](const QImage& page) {
        std::vector<int> cells;
        for (int column = 0; column < 20; ++column) {
            const int x0 = kLeft + column * PageRenderer::kCharacterPitch;
            const auto runs = inkedRows(page, x0, x0 + PageRenderer::kCharacterPitch);
            if (!runs.empty()) {
                cells.push_back(column);
            }
        }
        return cells;
    };
    // An item number, then a pattern that starts with ESC @ and writes its title.
    Stream s;
    s.text(std::string("6. ") + '\0').init().text(std::string("Head") + '\0').cr().lf(1);
    EXPECT_EQ(inkedCells(render(s).open), (std::vector<int>{0, 1, 3, 4, 5, 6}));
    // After a line end, ESC @ starts at the margin as always.
    Stream t;
    t.text(std::string("6. ") + '\0').cr().lf(1).h(360).init().text("Head").cr();
    EXPECT_EQ(inkedCells(render(t).open), (std::vector<int>{0, 1, 2, 3}));
}

TEST(PageRendererInput, MalformedOrOutOfRangeInputIsDroppedAndCounted) {
    struct Case {
        const char* name;
        std::function<void(Stream&)> build;
        std::function<int(const RenderNotes&)> note;
        int expected;
    };
    const Line dot{0xC0};
    const std::vector<Case> cases = {
        {"unknown colour", [&](Stream& s) { s.band(0x07, 1, linesWith(60, 0, 0, dot)); },
         [](const RenderNotes& n) { return n.unknownColourBands; }, 1},
        {"more lines than nozzles",
         [&](Stream& s) { s.band(kCyan, 1, linesWith(62, 61, 61, dot)); },
         [](const RenderNotes& n) { return n.excessLines; }, 2},
        {"short line", [&](Stream& s) { s.band(kBlack, 4, {Line{0xC0}}); },
         [](const RenderNotes& n) { return n.shortLines; }, 1},
        {"off the right edge", [&](Stream& s) { s.h(2926).band(kBlack, 1, {Line{0xFF}}); },
         [](const RenderNotes& n) { return n.offPaperDots; }, 2},
        {"below the sheet", [&](Stream& s) { s.v(4200).band(kBlack, 1, {Line{0xFF}}); },
         [](const RenderNotes& n) { return n.offPaperDots; }, 4},
        {"vertical move too short", [](Stream& s) { s.add(Kind::VerticalMove, {0x01}); },
         [](const RenderNotes& n) { return n.malformedCommands; }, 1},
        {"factory frame without check bytes",
         [](Stream& s) {
             s.add(Kind::Factory, {0x3A, 0x91, 0x04, 0x00, 0x00, 0x01});
         },
         [](const RenderNotes& n) { return n.malformedCommands; }, 1},
        {"factory frame too short",
         [](Stream& s) {
             s.add(Kind::Factory, {0x3A, 0x91});
         },
         [](const RenderNotes& n) { return n.malformedCommands; }, 1},
        {"Bi-D values cut short",
         [](Stream& s) {
             s.factory(0x00, {0x01, 0x02, 0x00});
         },
         [](const RenderNotes& n) { return n.malformedCommands; }, 1},
        {"huge paper", [](Stream& s) { s.paperSize(100000, 100000); },
         [](const RenderNotes& n) { return n.malformedCommands; }, 1},
        {"resolution base zero",
         [](Stream& s) {
             s.add(Kind::Resolution, {0, 0, 2, 1});
         },
         [](const RenderNotes& n) { return n.malformedCommands; }, 1},
        {"dots wider than 1/45 inch",
         [](Stream& s) {
             s.add(Kind::Resolution, {0x68, 0x01, 0x02, 0x09});
         },
         [](const RenderNotes& n) { return n.malformedCommands; }, 1},
        {"unit zero", [](Stream& s) { s.unit(0); },
         [](const RenderNotes& n) { return n.malformedCommands; }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stream s;
        s.prepare(1, kVsd1, false);
        c.build(s);
        const Rendered r = render(s);
        EXPECT_EQ(c.note(r.notes), c.expected);
        EXPECT_EQ(r.open.size(), QSize(2976, 4208));
    }
}

TEST(PageRendererInput, ReverseFeedStopsAtTheTopEdge) {
    Stream s;
    s.prepare(1, kVsd1, false).v(-300).band(kBlack, 1, linesWith(180, 0, 0, Line{0xC0}));
    EXPECT_EQ(firstInkedRow(render(s).open, kLeft), 0);
}

}  // namespace
}  // namespace veltra::sim
