// The program's own patterns, sent through the link to the in-process virtual printer and put on
// paper: what a technician would read off the sheets.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "link/Malfactory.h"
#include "link/Malremote.h"
#include "patterns/Malcheckpattern.h"
#include "patterns/Malraster.h"
#include "patterns/PrintJobs.h"
#include "sim/render/PageRenderer.h"
#include "sim/render/PaperOptions.h"
#include "tests/render/RenderStream.h"
#include "tests/support/SimLink.h"

namespace veltra::sim {
namespace {

using test::firstInkedColumn;
using test::firstInkedRow;
using test::inkedRows;
using test::RowRun;

constexpr int kLeft = PageRenderer::kLeftMargin;

// The program's print objects on a started link to the virtual printer, whose pages the
// renderer collects from the first command on.
class PrintedPatterns : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sim.start(), kOk);
        const ModelInfo& m = kModels[0];
        factory.SetModelCode(m.code[0], m.code[1]);
        stored = StoredAdjustments::fromEeprom(sim.printer.eeprom());
        stored.modelCode = sim.printer.modelCode();
        errors.bid = stored.bid;  // a well-adjusted mechanism unless a test says otherwise
        errors.paperFeed = stored.paperFeed;
    }

    void follow() {
        renderer = std::make_unique<PageRenderer>(
            errors, stored, [this](const QImage& page, int) { pages.push_back(page); });
        sim.printer.setPrintCommandObserver([this](const PrintCommand& c) { renderer->feed(c); });
    }

    void expectCleanRender() const {
        const RenderNotes& n = renderer->notes();
        EXPECT_EQ(n.unknownColourBands, 0);
        EXPECT_EQ(n.excessLines, 0);
        EXPECT_EQ(n.shortLines, 0);
        EXPECT_EQ(n.offPaperDots, 0);
        EXPECT_EQ(n.malformedCommands, 0);
        EXPECT_EQ(n.textWithoutFonts, 0);
    }

    // Row runs taller than a text line: the strokes and bars, not the labels.
    static std::vector<RowRun> tallRuns(const QImage& page, int x0, int x1) {
        std::vector<RowRun> runs = inkedRows(page, x0, x1);
        std::erase_if(runs, [](const RowRun& r) { return r.last - r.first < 100; });
        return runs;
    }

    veltra::test::SimLink sim;
    TPFactory factory{sim.link};
    TPRemote remote{sim.link};
    TPRaster raster{sim.link, factory, sim.ui};
    TPCheckPattern report{raster, sim.link, factory, sim.choice};
    PrintJobs jobs{sim.link, remote, factory, raster, report};

    StoredAdjustments stored;
    MechanismErrors errors;
    std::unique_ptr<PageRenderer> renderer;
    std::vector<QImage> pages;
};

TEST_F(PrintedPatterns, BidPrintShowsStraightStrokesInTheRowThatCancelsTheError) {
    const int a = stored.bid[0][0];
    const int b = stored.bid[0][1];
    errors.bidError(DotSet::Vsd1, InkSide::Black) = a + 2;   // the third row is straight
    errors.bidError(DotSet::Vsd1, InkSide::Colour) = b - 2;  // the first row is straight
    follow();
    ASSERT_TRUE(jobs.BidPrint().ok());
    ASSERT_EQ(pages.size(), 2u);
    expectCleanRender();

    struct Side {
        int x0, x1, stored, err;
    };
    for (const Side& side : {Side{0, 1440, a, a + 2}, Side{1480, 2976, b, b - 2}}) {
        const auto runs = tallRuns(pages[0], side.x0, side.x1);
        ASSERT_EQ(runs.size(), 6u);  // three rows of VSD1, three of VSD2
        int straight = 0;
        for (int row = 0; row < 3; ++row) {
            const int upper = firstInkedColumn(pages[0], runs[row].first, side.x0, side.x1);
            const int lower = firstInkedColumn(pages[0], runs[row].last, side.x0, side.x1);
            EXPECT_EQ(lower - upper, side.err - (side.stored - 2 + 2 * row)) << "row " << row;
            straight += lower == upper;
        }
        EXPECT_EQ(straight, 1);
    }
    // The printer is left with its stored pair.
    EXPECT_EQ(renderer->trialBid(DotSet::Vsd1, InkSide::Black), a);
    EXPECT_EQ(renderer->trialBid(DotSet::Vsd1, InkSide::Colour), b);
}

TEST_F(PrintedPatterns, PfPrintShowsTheBarsMeetInTheRowOfThePaperFeedError) {
    errors.paperFeed = 1;
    follow();
    ASSERT_TRUE(jobs.PfPrint().ok());
    ASSERT_EQ(pages.size(), 1u);
    expectCleanRender();
    const auto first = tallRuns(pages[0], kLeft + 800, kLeft + 801);     // first bars only
    const auto second = tallRuns(pages[0], kLeft + 1250, kLeft + 1251);  // second bars only
    ASSERT_EQ(first.size(), 9u);
    ASSERT_EQ(second.size(), 9u);
    for (int row = 0; row < 9; ++row) {
        const int trial = row - 4;
        EXPECT_EQ(second[row].first - first[row].first, 120 + (errors.paperFeed - trial))
            << "PF value " << trial;
    }
}

TEST_F(PrintedPatterns, TopMarginPrintPutsTheTopLineAtTheStoredMargin) {
    for (std::uint8_t margin : {std::uint8_t{42}, std::uint8_t{162}}) {
        SCOPED_TRACE(int(margin));
        sim.printer.eeprom()[0x5D] = margin;
        pages.clear();
        follow();
        ASSERT_TRUE(jobs.TopMarginPrint().ok());
        ASSERT_EQ(pages.size(), 1u);
        expectCleanRender();
        EXPECT_EQ(firstInkedRow(pages[0], kLeft + 2000), margin);
        EXPECT_EQ(firstInkedColumn(pages[0], margin + 100, 0, 2976), kLeft);
    }
}

TEST_F(PrintedPatterns, HeadAnglePrintShowsTheHeadAngleErrorBetweenTheHalves) {
    errors.headAngle = 3;
    follow();
    ASSERT_TRUE(jobs.HeadAnglePrint().ok());
    ASSERT_TRUE(jobs.EjectPage().ok());
    ASSERT_EQ(pages.size(), 1u);
    expectCleanRender();
    // The first stroke stands at dot 132; the label above it is no taller than a text line.
    const auto runs = tallRuns(pages[0], kLeft + 120, kLeft + 150);
    ASSERT_EQ(runs.size(), 1u);
    const int lower = firstInkedColumn(pages[0], runs[0].first, kLeft + 120, kLeft + 150);
    const int upper = firstInkedColumn(pages[0], runs[0].last, kLeft + 120, kLeft + 150);
    EXPECT_EQ(lower, kLeft + 132);
    EXPECT_EQ(upper - lower, 3);
}

TEST_F(PrintedPatterns, CheckPatternReportFillsFourPagesWithinTheSheets) {
    follow();
    ASSERT_TRUE(jobs.ReportPrint().ok());
    ASSERT_EQ(pages.size(), 4u);
    expectCleanRender();
    for (const QImage& page : pages) {
        EXPECT_FALSE(inkedRows(page, 0, page.width()).empty());
    }
}

TEST_F(PrintedPatterns, PaperSessionWritesThePrintersPagesWhileItLives) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("veltra-session-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    PaperOptions options;
    EXPECT_EQ(PaperSession::start(options, sim.printer, sim.ui), nullptr);  // no --paper

    options.directory = dir.string();
    std::vector<std::filesystem::path> written;
    auto session =
        PaperSession::start(options, sim.printer, sim.ui,
                            [&](const std::filesystem::path& f) { written.push_back(f); });
    ASSERT_NE(session, nullptr);
    ASSERT_TRUE(jobs.TopMarginPrint().ok());
    ASSERT_EQ(written, std::vector<std::filesystem::path>{dir / "page-001.png"});
    const QImage page(QString::fromStdString(written[0].string()));
    EXPECT_EQ(firstInkedRow(page, kLeft + 2000), sim.printer.eeprom()[0x5D]);

    session.reset();  // the printer prints on, with no one to take its pages
    ASSERT_TRUE(jobs.TopMarginPrint().ok());
    EXPECT_EQ(written.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir / "page-002.png"));
    std::filesystem::remove_all(dir);

    options.directory = "/proc/veltra-no-such-place/pages";
    EXPECT_THROW(PaperSession::start(options, sim.printer, sim.ui), ProgramEnded);
}

}  // namespace
}  // namespace veltra::sim
