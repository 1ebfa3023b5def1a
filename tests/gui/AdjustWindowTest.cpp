// The individual adjustment window's frame: tabs, item lists, panels, the error-state list, the
// status button, the busy lock and the close order.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

#include "procedures/AdjustFrame.h"
#include "tests/gui/ShellRig.h"

namespace veltra::test {
namespace {

using shell::RadioGroup;

RadioGroup* group(ShellRig& rig, const char* name) {
    return ShellRig::find<RadioGroup>(rig.adjust(), name);
}

std::string visiblePanel(ShellRig& rig) {
    QWidget* p = rig.adjust().visiblePanel();
    return p ? p->objectName().toStdString() : std::string("(none)");
}

TEST(AdjustWindow, TabsGroupsAndFixedItems) {
    ShellRig rig;
    auto* tabs = ShellRig::find<QTabWidget>(rig.adjust(), "AdjustmentTab");
    ASSERT_EQ(tabs->count(), 4);
    const char* sheets[] = {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4"};
    const char* captions[] = {"Adjustment", "Maintenance", "Check pattern printing", "Appendix"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tabs->widget(i)->objectName(), sheets[i]);
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    }
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(group(rig, "AdjustRdoGrp")->title(), "Adjustment items");
    EXPECT_EQ(group(rig, "MaintRdoGrp")->title(), "Maintenance items");
    EXPECT_EQ(group(rig, "PatternPrnItemsRdoGrp")->title(), "Check pattern printing items");
    EXPECT_EQ(group(rig, "AppendixRdoGrp")->title(), "Appendix items");
    EXPECT_EQ(
        group(rig, "MaintRdoGrp")->items(),
        QStringList({"Head cleaning", "Ink charge", "Ink charge for Jig", "Refurbishment for DOA",
                     "Protection counter", "Page counter", "Print pass counter"}));
    EXPECT_EQ(group(rig, "PatternPrnItemsRdoGrp")->items(),
              QStringList({"A4 normal paper printing"}));
    EXPECT_EQ(group(rig, "AppendixRdoGrp")->items(), QStringList({"EEPROM data"}));
    EXPECT_EQ(ShellRig::find<QPushButton>(rig.adjust(), "GetStatusBtn")->text(), "Status");
    EXPECT_EQ(ShellRig::find<QPushButton>(rig.adjust(), "AdjustRtnBtn")->text(), "Quit");
    EXPECT_EQ(ShellRig::find<QGroupBox>(rig.adjust(), "Panel8")->title(), "Adjusted items");
}

// Every control the procedures address exists under its name, and the window starts with the
// empty work area and only DisableTimer running.
TEST(AdjustWindow, ControlsOfTheProceduresExistAndStartReset) {
    ShellRig rig;
    auto& w = rig.adjust();
    for (int p = int(Panel::CanvasPanel); p <= int(Panel::A3PPrintPnl); ++p) {
        ASSERT_NE(w.panel(Panel(p)), nullptr) << p;
        EXPECT_EQ(w.panel(Panel(p))->isHidden(), p != int(Panel::CanvasPanel))
            << w.panel(Panel(p))->objectName().toStdString();
    }
    for (int e = int(Entry::LeftHeadIDInputEdit); e <= int(Entry::EepWriteDataEdit); ++e) {
        ASSERT_NE(w.entry(Entry(e)), nullptr) << e;
        EXPECT_TRUE(w.entry(Entry(e))->text().isEmpty());
    }
    for (int c = int(CheckBox::BidVSD1BkCheckBox); c <= int(CheckBox::ReplaceCRMainShaftCheckBox);
         ++c) {
        EXPECT_NE(w.checkBox(CheckBox(c)), nullptr) << c;
    }
    for (const char* name :
         {"ShowHdVolIDPnl", "ShowVSD1BkPnl", "ShowVSD1ClPnl", "ShowVSD2BkPnl", "ShowVSD2ClPnl",
          "ShowVSD3BkPnl", "ShowVSD3ClPnl", "ShowEcoBkPnl", "ShowEcoClPnl", "ShowUSBIDLbl",
          "ShowProCounterPnl", "ShowTopMarginPnl", "ShowPFPnl", "StatusMemo",
          "DischargeCountDownMemo", "EepromStrGrid", "TopMarginInputCombo"}) {
        EXPECT_NE(w.findChild<QWidget*>(name), nullptr) << name;
    }
    EXPECT_TRUE(w.timer(Timer::DisableTimer)->isActive());
    for (Timer t : {Timer::CountDownTimer, Timer::CountDownTimer2, Timer::HeadAngGetStatusTimer}) {
        EXPECT_FALSE(w.timer(t)->isActive());
        EXPECT_EQ(w.timer(t)->interval(), 1000);
    }
    // The EEPROM grid headings are set at creation.
    EXPECT_EQ(w.grid()->item(0, 1)->text(), "0");
    EXPECT_EQ(w.grid()->item(0, 16)->text(), "F");
    EXPECT_EQ(w.grid()->item(16, 0)->text(), "F");
}

TEST(AdjustWindow, NormalItemListOpensItsPanels) {
    ShellRig rig;
    ASSERT_TRUE(rig.start());
    const QStringList items = {"EEPROM initialization",
                               "Head ID",
                               "CR Motor Drive Dispersion",
                               "Head angular",
                               "Bi-D adjust",
                               "PF adjust",
                               "USB ID",
                               "Top margin"};
    EXPECT_EQ(group(rig, "AdjustRdoGrp")->items(), items);
    const char* panels[] = {"DefaultSetPnl", "HeadIDItemsPnl",  "CRHeatProtectOffsetPnl",
                            "HdAngItemsPnl", "BidItemsPnl",     "PFItemsPnl",
                            "USBIDItemsPnl", "TopMarginMainPnl"};
    for (int i = 0; i < 8; ++i) {
        rig.pick("AdjustRdoGrp", i);
        EXPECT_EQ(visiblePanel(rig), panels[i]);
    }
}

TEST(AdjustWindow, ErrorStateListAndItsRecoveryByStatus) {
    ShellRig rig;
    rig.printer().setState(0x00);
    rig.printer().setError(0x06);  // paper out
    ASSERT_TRUE(rig.start());
    auto& w = rig.adjust();
    EXPECT_EQ(w.statusText(), "Paper out error");
    EXPECT_EQ(w.statusColour(), TextColour::Red);
    EXPECT_EQ(group(rig, "AdjustRdoGrp")->items(),
              QStringList({"EEPROM initialization", "Head ID", "USB ID", "Protection counter",
                           "EEPROM data"}));
    auto* tabs = ShellRig::find<QTabWidget>(w, "AdjustmentTab");
    EXPECT_EQ(tabs->tabText(0), "");
    EXPECT_EQ(group(rig, "AdjustRdoGrp")->title(), "");
    for (const char* g : {"MaintRdoGrp", "PatternPrnItemsRdoGrp", "AppendixRdoGrp"}) {
        EXPECT_FALSE(group(rig, g)->isEnabled()) << g;
    }
    // The error-state list opens its own panels.
    rig.pick("AdjustRdoGrp", 3);
    EXPECT_EQ(visiblePanel(rig), "ProCounterItemsPnl");

    // The cause removed, "Status" brings the normal list back.
    rig.printer().setState(0x04);
    rig.printer().setError(std::nullopt);
    ShellRig::click(w, "GetStatusBtn");
    EXPECT_EQ(w.statusText(), "Ready to print.");
    EXPECT_EQ(w.statusColour(), TextColour::Black);
    EXPECT_EQ(group(rig, "AdjustRdoGrp")->count(), 8);
    EXPECT_EQ(group(rig, "AdjustRdoGrp")->itemIndex(), -1);
    EXPECT_EQ(tabs->tabText(0), "Adjustment");
    EXPECT_EQ(group(rig, "AdjustRdoGrp")->title(), "Adjustment items");
    for (const char* g : {"MaintRdoGrp", "PatternPrnItemsRdoGrp", "AppendixRdoGrp"}) {
        EXPECT_TRUE(group(rig, g)->isEnabled()) << g;
    }
}

TEST(AdjustWindow, StatusButtonWordsEachState) {
    const struct {
        std::uint8_t st;
        std::optional<std::uint8_t> er;
        const char* text;
        TextColour colour;
    } cases[] = {
        {0x01, {}, "Nozzle check pattern printing...", TextColour::Black},
        {0x02, {}, "Printer is busy.", TextColour::Black},
        {0x03, {}, "Printing...", TextColour::Black},
        {0x07, {}, "Cleaning...", TextColour::Black},
        {0x08, {}, "Before initial fill up.", TextColour::Black},
        {0x00, 0x04, "Paper jam error", TextColour::Red},
        {0x00, 0x12, "Double feed error", TextColour::Red},
        {0x00, 0x0A, "Unknown error\nError Code:10", TextColour::Red},
        {0x00, {}, "The printer is in its error state and gives no error code.", TextColour::Red},
    };
    ShellRig rig;
    ASSERT_TRUE(rig.start());
    for (const auto& c : cases) {
        rig.printer().setState(c.st);
        rig.printer().setError(c.er);
        ShellRig::click(rig.adjust(), "GetStatusBtn");
        EXPECT_EQ(rig.adjust().statusText(), c.text);
        EXPECT_EQ(rig.adjust().statusColour(), c.colour) << c.text;
    }
}

TEST(AdjustWindow, FailedStatusReadKeepsTheListAndShowsTheLinkFailureInRed) {
    ShellRig rig;
    ASSERT_TRUE(rig.start());
    rig.printer().faults().noReply = true;
    ShellRig::click(rig.adjust(), "GetStatusBtn");
    EXPECT_FALSE(rig.adjust().statusText().empty());
    EXPECT_EQ(rig.adjust().statusColour(), TextColour::Red);
    EXPECT_EQ(group(rig, "AdjustRdoGrp")->count(), 8);
    EXPECT_TRUE(rig.adjust().isEnabled());
}

TEST(AdjustWindow, ChoosingAnItemClearsTheOtherGroups) {
    ShellRig rig;
    ASSERT_TRUE(rig.start());
    rig.pick("AdjustRdoGrp", 1);
    EXPECT_EQ(visiblePanel(rig), "HeadIDItemsPnl");
    rig.pick("MaintRdoGrp", 4);
    EXPECT_EQ(visiblePanel(rig), "ProCounterItemsPnl");
    EXPECT_EQ(group(rig, "AdjustRdoGrp")->itemIndex(), -1);
    rig.pick("AppendixRdoGrp", 0);
    EXPECT_EQ(visiblePanel(rig), "EEPROMItemsPnl");
    EXPECT_EQ(group(rig, "MaintRdoGrp")->itemIndex(), -1);
    rig.pick("AdjustRdoGrp", 0);
    EXPECT_EQ(group(rig, "AppendixRdoGrp")->itemIndex(), -1);

    // A tab change empties the work area and every selection.
    ShellRig::find<QTabWidget>(rig.adjust(), "AdjustmentTab")->setCurrentIndex(1);
    EXPECT_EQ(visiblePanel(rig), "CanvasPanel");
    EXPECT_EQ(group(rig, "AdjustRdoGrp")->itemIndex(), -1);
}

TEST(AdjustWindow, PreviousButtonsReturnToTheFirstPanelOfTheirItem) {
    const struct {
        const char* group;
        int item;
        const char* okButton;  // opens the second panel (first choice of the panel's group)
        const char* second;
        const char* previous;
        const char* first;
    } cases[] = {
        {"AdjustRdoGrp", 1, "HdVolOKBtn", "HeadIDInputPnl", "HeadIDInputRtnBtn", "HeadIDItemsPnl"},
        {"AdjustRdoGrp", 6, "UsbIdOKBtn", "USBIDInputPnl", "UsbIdInputRtnBtn", "USBIDItemsPnl"},
        {"MaintRdoGrp", 4, "ProCounterOKBtn", "ProCounterCheckPnl", "CounterCheckRtnBtn",
         "ProCounterItemsPnl"},
        {"AppendixRdoGrp", 0, "EepromItemsOKBtn", "EEPROMCheckPnl", "EepromReadRtnBtn",
         "EEPROMItemsPnl"},
    };
    ShellRig rig;
    ASSERT_TRUE(rig.start());
    for (const auto& c : cases) {
        rig.pick(c.group, c.item);
        ShellRig::click(rig.adjust(), c.okButton);
        EXPECT_EQ(visiblePanel(rig), c.second);
        ShellRig::click(rig.adjust(), c.previous);
        EXPECT_EQ(visiblePanel(rig), c.first);
    }
}

TEST(AdjustWindow, EnterAndEscapeUseThePanelsDefaultAndCancelButtons) {
    ShellRig rig;
    ASSERT_TRUE(rig.start());
    rig.pick("AdjustRdoGrp", 1);
    QTest::keyClick(&rig.adjust(), Qt::Key_Return);  // HdVolOKBtn, "Change data"
    EXPECT_EQ(visiblePanel(rig), "HeadIDInputPnl");
    QTest::keyClick(&rig.adjust(), Qt::Key_Escape);  // HeadIDInputRtnBtn
    EXPECT_EQ(visiblePanel(rig), "HeadIDItemsPnl");
    QTest::keyClick(&rig.adjust(), Qt::Key_Escape);  // no panel cancel button: "Quit"
    EXPECT_FALSE(rig.adjust().isVisible());
    EXPECT_TRUE(rig.windows.quit.isVisible());
}

TEST(AdjustWindow, CloseShutsTheLinkInOrderAndEmptiesTheSummary) {
    ShellRig rig;
    ASSERT_TRUE(rig.start());
    auto& w = rig.adjust();
    for (SummaryField f : {SummaryField::ShowHdVolIDPnl, SummaryField::ShowUSBIDLbl,
                           SummaryField::ShowTopMarginPnl, SummaryField::ShowPFPnl}) {
        w.setSummary(f, "X");
    }
    rig.pick("MaintRdoGrp", 0);
    const std::size_t rsBefore = rig.controlCount("rs");
    const std::int64_t before = rig.clock.nowMs();
    ShellRig::click(w, "AdjustRtnBtn");
    EXPECT_EQ(rig.controlCount("rs"), rsBefore + 1);
    EXPECT_GE(rig.clock.nowMs() - before, 300) << "three 100 ms pauses";
    EXPECT_FALSE(rig.objects.driver.isOpen());
    EXPECT_TRUE(rig.windows.quit.isVisible());
    EXPECT_EQ(visiblePanel(rig), "CanvasPanel");
    EXPECT_EQ(group(rig, "MaintRdoGrp")->itemIndex(), -1);
    EXPECT_EQ(ShellRig::find<QLabel>(w, "ShowHdVolIDPnl")->text(), "");
    EXPECT_EQ(ShellRig::find<QLabel>(w, "ShowUSBIDLbl")->text(), "");
    EXPECT_EQ(ShellRig::find<QLabel>(w, "ShowTopMarginPnl")->text(), "X");
    EXPECT_EQ(ShellRig::find<QLabel>(w, "ShowPFPnl")->text(), "X");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The kept values survive a new start-up.
    ShellRig::click(rig.windows.quit, "NextBtn");
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(ShellRig::find<QLabel>(w, "ShowTopMarginPnl")->text(), "X");
}

TEST(AdjustWindow, CloseAfterSwitchOffRequestOnlyClosesThePort) {
    ShellRig rig;
    ASSERT_TRUE(rig.start());
    rig.adjust().frame().state().TransLiquidDone = true;
    const std::size_t packets = rig.printer().hostPackets();
    ShellRig::click(rig.adjust(), "AdjustRtnBtn");
    EXPECT_EQ(rig.printer().hostPackets(), packets) << "no channel or reset commands";
    EXPECT_FALSE(rig.objects.driver.isOpen());
    EXPECT_FALSE(rig.adjust().frame().state().TransLiquidDone);
    EXPECT_TRUE(rig.windows.quit.isVisible());
}

// The window fits a 1024 x 768 screen with a title bar (at most 1024 x 740 in all), the summary
// is whole and beside no panel, and the status area holds eight lines.
TEST(AdjustWindow, FitsA1024By768ScreenWithTheSummaryInView) {
    ShellRig rig;
    ASSERT_TRUE(rig.start());
    auto& w = rig.adjust();
    QApplication::processEvents();
    constexpr int kTitleBar = 30;
    EXPECT_LE(w.width(), 1024);
    EXPECT_LE(w.height(), 740 - kTitleBar);
    const QRect window = w.rect();
    for (const char* name : {"Panel8", "WorkArea", "StatusMemo", "AdjustmentTab"}) {
        QWidget* part = ShellRig::find<QWidget>(w, name);
        ASSERT_NE(part, nullptr);
        const QRect at(part->mapTo(&w, QPoint(0, 0)), part->size());
        EXPECT_TRUE(window.contains(at)) << name;
    }
    auto area = [&w](const char* name) {
        QWidget* part = ShellRig::find<QWidget>(w, name);
        return QRect(part->mapTo(&w, QPoint(0, 0)), part->size());
    };
    EXPECT_FALSE(area("Panel8").intersects(area("WorkArea")));
    auto* memo = ShellRig::find<QPlainTextEdit>(w, "StatusMemo");
    EXPECT_GE(memo->viewport()->height(), 8 * memo->fontMetrics().lineSpacing());
}

}  // namespace
}  // namespace veltra::test
