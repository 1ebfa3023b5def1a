#include "sim/render/PaperOptions.h"
#include "tests/support/RecordingHandler.h"

#include <gtest/gtest.h>

namespace veltra::sim {
namespace {

TEST(PaperOptions, BidErrorNamesSetSideAndDots) {
    struct Case {
        const char* text;
        bool valid;
        DotSet set;
        InkSide side;
        int dots;
    };
    const Case cases[] = {
        {"VSD1:K:+2", true, DotSet::Vsd1, InkSide::Black, 2},
        {"VSD2:C:-3", true, DotSet::Vsd2, InkSide::Colour, -3},
        {"VSD3:K:0", true, DotSet::Vsd3, InkSide::Black, 0},
        {"ECO:C:60", true, DotSet::Eco, InkSide::Colour, 60},
        {"ECO:K:-60", true, DotSet::Eco, InkSide::Black, -60},
        {"ECO:K:61", false, {}, {}, 0},
        {"ECO:K:-61", false, {}, {}, 0},
        {"VSD4:K:1", false, {}, {}, 0},
        {"vsd1:K:1", false, {}, {}, 0},
        {"VSD1:B:1", false, {}, {}, 0},
        {"VSD1:K:", false, {}, {}, 0},
        {"VSD1:K:+", false, {}, {}, 0},
        {"VSD1:K:+-2", false, {}, {}, 0},
        {"VSD1:K:2x", false, {}, {}, 0},
        {"VSD1:K", false, {}, {}, 0},
        {"", false, {}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto e = parseBidError(c.text);
        ASSERT_EQ(e.has_value(), c.valid);
        if (c.valid) {
            EXPECT_EQ(e->set, c.set);
            EXPECT_EQ(e->side, c.side);
            EXPECT_EQ(e->dots, c.dots);
        }
    }
}

TEST(PaperOptions, CommandLineSetsTheHiddenErrors) {
    CLI::App app;
    PaperOptions o;
    addPaperOptions(app, o);
    const char* argv[] = {
        "vprinter", "--paper",    "/tmp/x", "--bid-error",        "VSD2:C:-4", "--bid-error",
        "ECO:K:+7", "--pf-error", "3",      "--head-angle-error", "-2",        "--top-margin-error",
        "-1"};
    app.parse(static_cast<int>(std::size(argv)), argv);
    veltra::test::RecordingHandler ui;
    ui.answer = false;
    StoredAdjustments stored;
    stored.bid[0] = {1, 2};
    stored.bid[3] = {5, 6};
    stored.paperFeed = -1;
    const MechanismErrors e = mechanismErrors(o, stored, ui);
    EXPECT_EQ(e.bidError(DotSet::Vsd2, InkSide::Colour), -4);
    EXPECT_EQ(e.bidError(DotSet::Eco, InkSide::Black), 7);
    EXPECT_EQ(e.bidError(DotSet::Eco, InkSide::Colour), 6);  // not given: the stored value
    EXPECT_EQ(e.bidError(DotSet::Vsd1, InkSide::Black), 1);
    EXPECT_EQ(e.paperFeed, 3);
    EXPECT_EQ(e.headAngle, -2);
    EXPECT_EQ(e.topMargin, -1);

    o.paperFeedError.reset();
    EXPECT_EQ(mechanismErrors(o, stored, ui).paperFeed, -1);

    o.bidErrors = {"VSD9:K:1"};
    EXPECT_THROW(mechanismErrors(o, stored, ui), ProgramEnded);
}

TEST(PaperOptions, ErrorsWithoutPaperOrOutOfRangeAreRefused) {
    const std::vector<std::vector<const char*>> refused = {
        {"vprinter", "--pf-error", "1"},
        {"vprinter", "--paper", "/tmp/x", "--pf-error", "5"},  // beyond what PF adjust corrects
        {"vprinter", "--paper", "/tmp/x", "--pf-error", "-5"},
        {"vprinter", "--paper", "/tmp/x", "--top-margin-error", "3"},
        {"vprinter", "--paper", "/tmp/x", "--head-angle-error", "-21"},
    };
    for (const auto& args : refused) {
        CLI::App app;
        PaperOptions o;
        addPaperOptions(app, o);
        EXPECT_THROW(app.parse(static_cast<int>(args.size()), args.data()), CLI::ParseError)
            << args[1];
    }
}

}  // namespace
}  // namespace veltra::sim
