// The entry's options, the simulation clock and the virtual printer tool window.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include "shell/ProgramOptions.h"
#include "shell/VirtualPrinterWindow.h"
#include "tests/gui/ShellRig.h"
#include "tests/support/TempDir.h"

namespace veltra::test {
namespace {

std::optional<shell::ShellOptions> parse(std::vector<std::string> args, int& code) {
    args.insert(args.begin(), "veltra-adjust");
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    code = -1;
    return shell::parseOptions(int(argv.size()), argv.data(), code);
}

TEST(ProgramOptions, PortsLeadWhereTheOptionsSay) {
    const struct {
        std::vector<std::string> args;
        std::uint16_t port;
        const char* uri;
    } cases[] = {
        {{}, 0x501, ""},
        {{"--simulate"}, 0x401, "sim"},
        {{"--simulate", "--device", "ZTUSB2=unix:/tmp/p.sock"}, 0x502, "unix:/tmp/p.sock"},
        {{"--simulate", "--device", "ZTUSB2=unix:/tmp/p.sock"}, 0x503, "sim"},
        {{"--device", "LPT3=/dev/lp7", "--device", "LPT1=sim"}, 0x403, "/dev/lp7"},
        {{"--device", "LPT3=/dev/lp7", "--device", "LPT1=sim"}, 0x401, "sim"},
    };
    for (const auto& c : cases) {
        int code = 0;
        const auto options = parse(c.args, code);
        ASSERT_TRUE(options.has_value());
        EXPECT_EQ(shell::portMapFor(*options).uriFor(c.port), c.uri) << c.port;
    }
    int code = 0;
    const auto options = parse({"--trace", "/tmp/t.txt", "--exit-when-shown"}, code);
    ASSERT_TRUE(options.has_value());
    EXPECT_EQ(options->trace, "/tmp/t.txt");
    EXPECT_TRUE(options->exitWhenShown);
    EXPECT_FALSE(options->simulate);
}

TEST(ProgramOptions, MalformedDeviceOrUnknownOptionEndsWithAnError) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--device", "LPT9=sim"},
                                                 {"--device", "ZTUSB1"},
                                                 {"--device", "ZTUSB1="},
                                                 {"--bogus"}}) {
        int code = 0;
        EXPECT_FALSE(parse(args, code).has_value()) << args[0];
        EXPECT_NE(code, 0);
    }
}

TEST(VirtualPrinterWindow, ConditionsReachTheStatusAndTheEepromTableFollows) {
    ShellRig rig;
    shell::VirtualPrinterWindow tool(rig.printers);
    ASSERT_TRUE(rig.start());
    const auto& conditions = shell::VirtualPrinterWindow::conditions();
    const struct {
        const char* caption;
        const char* status;
    } cases[] = {{"Paper out (ST:00 ER:06)", "Paper out error"},
                 {"Before initial fill up (ST:08)", "Before initial fill up."},
                 {"Ready (ST:04)", "Ready to print."}};
    for (const auto& c : cases) {
        int index = -1;
        for (std::size_t i = 0; i < conditions.size(); ++i) {
            if (std::string(conditions[i].caption) == c.caption) {
                index = int(i);
            }
        }
        ASSERT_GE(index, 0) << c.caption;
        tool.applyCondition(index);
        ShellRig::click(rig.adjust(), "GetStatusBtn");
        EXPECT_EQ(rig.adjust().statusText(), c.status);
    }

    rig.printer().eeprom()[0x5D] = 0xA7;
    tool.refresh();
    auto* table = ShellRig::find<QTableWidget>(tool, "VpEepromTable");
    EXPECT_EQ(table->item(5, 13)->text(), "A7");

    // The ink switch runs a cleaning the status reports.
    ShellRig::click(tool, "VpInkSwitchBtn");
    ShellRig::click(rig.adjust(), "GetStatusBtn");
    EXPECT_EQ(rig.adjust().statusText(), "Cleaning...");
}

// A printed Bi-D pattern lands in the paper view; a hidden Bi-D error set in the tool window
// shows in the next print.
TEST(VirtualPrinterWindow, PaperViewHoldsThePrintedPagesAndTheErrorsApply) {
    ShellRig rig;
    rig.printers.enablePaper({}, rig.ui);
    shell::VirtualPrinterWindow tool(rig.printers);
    rig.printers.setOnPage(
        [&tool](int model, const QImage& page, int number) { tool.addPage(model, page, number); });
    ASSERT_TRUE(rig.start());
    auto printBid = [&rig] {
        rig.adjust().tickTimer(Timer::DisableTimer);
        rig.pick("AdjustRdoGrp", 4);
        rig.pick("BidRdoBtn", 0);
        ShellRig::click(rig.adjust(), "BidOKBtn");
    };
    printBid();
    shell::PaperView* view = tool.paperView();
    ASSERT_EQ(view->pageCount(), 2);  // the Bi-D pattern takes two sheets
    const QImage straight = view->shownPage().convertToFormat(QImage::Format_RGB888);
    EXPECT_FALSE(straight.isNull());
    EXPECT_EQ(straight.size(), QSize(2976, 4208));

    for (const char* set : {"VSD1", "VSD2", "VSD3", "ECO"}) {
        for (const char* side : {"K", "C"}) {
            const std::string name = std::string("VpBidError") + set + side;
            ShellRig::find<QSpinBox>(tool, name.c_str())->setValue(6);
        }
    }
    printBid();
    ASSERT_EQ(view->pageCount(), 4);
    EXPECT_NE(view->shownPage().convertToFormat(QImage::Format_RGB888), straight);
}

// Rows of a page's pixel column that carry ink.
int inkedRowsIn(const QImage& page, int x) {
    int n = 0;
    for (int y = 0; y < page.height(); ++y) {
        n += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
    }
    return n;
}

// Each head angle check print is on view as soon as it is printed, on a sheet of its own: the
// first shows the head angle error, the check print after the lever's turn and the cleaning
// shows straight strokes, and leaving the adjustment feeds out no blank sheet.
TEST(VirtualPrinterWindow, HeadAnglePagesAppearAsPrintedOneSheetEach) {
    ShellRig rig;
    rig.printers.enablePaper({}, rig.ui);
    shell::VirtualPrinterWindow tool(rig.printers);
    rig.printers.setOnPage(
        [&tool](int model, const QImage& page, int number) { tool.addPage(model, page, number); });
    ASSERT_TRUE(rig.start());
    ShellRig::find<QSpinBox>(tool, "VpHeadAngleError")->setValue(3);
    shell::PaperView* view = tool.paperView();
    auto& w = rig.adjust();
    rig.pick("AdjustRdoGrp", 3);
    ShellRig::click(w, "HdAngItemsOKBtn");
    ASSERT_EQ(view->pageCount(), 1) << "the pattern is on view while the technician decides";
    // The first stroke's lower half is printed at dot 132, the upper half 3 dots off it.
    constexpr int kStroke = sim::PageRenderer::kLeftMargin + 132;
    const int offRows = inkedRowsIn(view->shownPage(), kStroke);

    auto panel = [&w] {
        return w.visiblePanel() ? w.visiblePanel()->objectName().toStdString() : "(none)";
    };
    w.tickTimer(Timer::DisableTimer);  // the print's busy lock ends
    rig.pick("HdAngAdjustRdoGrp", 0);
    ShellRig::click(w, "HdAngStep1OKBtn");
    rig.pick("SusPlateSelectRdoGrp", 1);  // "Old"
    ShellRig::click(w, "SusPlateSelectOKBtn");
    ASSERT_EQ(panel(), "HeadAngOldPnl");
    ShellRig::find<QSpinBox>(tool, "VpHeadAngleError")->setValue(0);  // the lever turned
    ShellRig::click(tool, "VpInkSwitchBtn");
    w.tickTimer(Timer::HeadAngGetStatusTimer);
    ASSERT_EQ(view->pageCount(), 2) << "the check print has a sheet of its own";
    const int straightRows = inkedRowsIn(view->shownPage(), kStroke);
    EXPECT_GT(offRows, 100);
    EXPECT_GT(straightRows, offRows * 3 / 2) << "both halves now stand in one column";

    w.tickTimer(Timer::DisableTimer);
    rig.pick("HdAngAdjustRdoGrp", 1);  // "No need to adjust"
    ShellRig::click(w, "HdAngStep1OKBtn");
    EXPECT_EQ(panel(), "HdAngItemsPnl");
    EXPECT_EQ(view->pageCount(), 2);
}

// Reduced, a line one dot wide stays as dark as it was printed, at every zoom below 100 %; the
// view opens at a zoom where each dot has a pixel of its own.
TEST(PaperView, ReductionKeepsAOneDotLine) {
    QImage page(2976, 4208, QImage::Format_RGB888);
    page.fill(Qt::white);
    constexpr int kColumn = 1001;
    constexpr int kRow = 2003;
    for (int y = 0; y < page.height(); ++y) {
        page.setPixel(kColumn, y, qRgb(30, 30, 34));
    }
    for (int x = 0; x < page.width(); ++x) {
        page.setPixel(x, kRow, qRgb(30, 30, 34));
    }
    shell::PaperView view;
    view.addPage("page 1", page);
    EXPECT_GE(view.canvas()->zoom(), 1.0);
    auto* zoom = ShellRig::find<QComboBox>(view, "VpZoomCombo");
    for (int index = 0; index < zoom->count(); ++index) {
        const double z = shell::PaperView::kZooms[index];
        if (z >= 1.0) {
            continue;
        }
        SCOPED_TRACE(z);
        zoom->setCurrentIndex(index);
        const QImage shown = view.canvas()->grab().toImage();
        ASSERT_EQ(shown.width(), int(std::ceil(page.width() * z)));
        int darkestInRow = 255;
        int darkestInColumn = 255;
        for (int x = 0; x < shown.width(); ++x) {
            darkestInRow = std::min(darkestInRow, qGray(shown.pixel(x, 100)));
        }
        for (int y = 0; y < shown.height(); ++y) {
            darkestInColumn = std::min(darkestInColumn, qGray(shown.pixel(100, y)));
        }
        EXPECT_LT(darkestInRow, 60) << "the vertical line faded";
        EXPECT_LT(darkestInColumn, 60) << "the horizontal line faded";
    }
}

// The virtual printer's EEPROM file is written as soon as the program changes a value, one file
// per model, with no exit in between.
TEST(SimulatedPrinters, EepromFileWrittenAfterEachChangeOnePerModel) {
    TempDir dir;
    const std::string named = dir.file("trainee.eeprom");
    const struct {
        int model;
        const char* pf;
        std::string file;
    } cases[] = {{kK55, "3", named}, {kK45, "-2", dir.file("trainee-K45.eeprom")}};
    for (const auto& c : cases) {
        ShellRig rig;
        rig.printers.keepEeproms(named, rig.ui);
        ASSERT_TRUE(rig.start(c.model));
        rig.pick("AdjustRdoGrp", 5);
        rig.pick("PFRdoGrp", 1);  // "Adjust"
        ShellRig::click(rig.adjust(), "PFOKBtn");
        rig.adjust().setEntryText(Entry::PFEdit, c.pf);
        ShellRig::click(rig.adjust(), "PFWriteOKBtn");
        ASSERT_EQ(std::int8_t(rig.printer(c.model).eeprom()[0x7D]), std::stoi(c.pf));
        ASSERT_EQ(shell::SimulatedPrinters::eepromFileFor(named, c.model), c.file);
        sim::VirtualPrinter reader(rig.clock, c.model);
        ASSERT_TRUE(reader.loadEeprom(c.file)) << "written while the program runs";
        EXPECT_EQ(reader.eeprom(), rig.printer(c.model).eeprom());
    }
    // The K45's run left the K55's file alone.
    ManualClock clock;
    sim::VirtualPrinter k55(clock, kK55);
    ASSERT_TRUE(k55.loadEeprom(named));
    EXPECT_EQ(std::int8_t(k55.eeprom()[0x7D]), 3);
}

}  // namespace
}  // namespace veltra::test
