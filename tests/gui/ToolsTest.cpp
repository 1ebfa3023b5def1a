// The entry's options, the simulation clock and the virtual printer tool window.
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include "shell/ProgramOptions.h"
#include "shell/VirtualPrinterWindow.h"
#include "tests/gui/ShellRig.h"

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

}  // namespace
}  // namespace veltra::test
