// Procedures driven from their panels: the window's buttons, entries, grid and timers against
// the virtual printer, checked by the status area and by the printer's EEPROM afterwards.
#include <algorithm>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "patterns/Malcheckpattern.h"
#include "procedures/AdjustFrame.h"
#include "tests/gui/ShellRig.h"

namespace veltra::test {
namespace {

constexpr std::uint8_t kCleanCharge = 0x84;

// Each test starts from the start-up window; the test picks the model and port.
class PanelProcedures : public ::testing::Test {
protected:
    ShellRig rig;
    shell::TFormAdjust& w = rig.adjust();
};

std::string visiblePanel(ShellRig& rig) {
    QWidget* p = rig.adjust().visiblePanel();
    return p ? p->objectName().toStdString() : std::string("(none)");
}

TEST_F(PanelProcedures, HeadCleaningLocksUntilTheDisableTimerTicks) {
    ASSERT_TRUE(rig.start());
    w.tickTimer(Timer::DisableTimer);  // the creation tick
    ASSERT_EQ(rig.openItem(1, "MaintRdoGrp", 0), "CleaningPnl");

    ShellRig::click(w, "CleaningOKBtn");
    EXPECT_EQ(w.statusText(), "Head cleaning is completed.");
    EXPECT_EQ(w.statusColour(), TextColour::Black);
    ASSERT_FALSE(rig.printer().factoryCommands().empty());
    const sim::FactoryCommand& sent = rig.printer().factoryCommands().back();
    EXPECT_EQ(sent.command, kCleanCharge);
    EXPECT_EQ(sent.params, std::vector<std::uint8_t>{4});
    EXPECT_EQ(rig.printer().state(), 0x04) << "the completion waited until the cleaning ended";

    // Locked for a second after the black text: a second press does nothing.
    EXPECT_FALSE(w.isEnabled());
    EXPECT_TRUE(w.timer(Timer::DisableTimer)->isActive());
    const std::size_t commands = rig.printer().factoryCommands().size();
    ShellRig::click(w, "CleaningOKBtn");
    EXPECT_EQ(rig.printer().factoryCommands().size(), commands);
    w.tickTimer(Timer::DisableTimer);
    EXPECT_TRUE(w.isEnabled());
    EXPECT_FALSE(w.timer(Timer::DisableTimer)->isActive());
    EXPECT_FALSE(w.hourglass());
}

TEST_F(PanelProcedures, CleaningOnAPrinterInErrorUnlocksWithTheMessageInRed) {
    ASSERT_TRUE(rig.start());
    rig.openItem(1, "MaintRdoGrp", 0);
    rig.printer().setState(0x00);
    rig.printer().setError(0x04);  // paper jam: the ready wait fails
    ShellRig::click(w, "CleaningOKBtn");
    EXPECT_EQ(w.statusText(), "Paper jam error");
    EXPECT_EQ(w.statusColour(), TextColour::Red);
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(ShellRig::find<shell::RadioGroup>(w, "AdjustRdoGrp")->count(), 5)
        << "the printer error rebuilds the item list";
}

TEST_F(PanelProcedures, ProtectionCounterCheckAndClear) {
    rig.printer().eeprom()[0x02] = 0xC2;
    rig.printer().eeprom()[0x03] = 0x40;
    ASSERT_TRUE(rig.start());
    rig.openItem(1, "MaintRdoGrp", 4);
    ShellRig::click(w, "ProCounterOKBtn");  // "Checking the present counter"
    EXPECT_EQ(visiblePanel(rig), "ProCounterCheckPnl");
    EXPECT_EQ(w.statusText(), "Protection Counter = 49728 points");

    const struct {
        const char* button;
        std::uint8_t high;
        std::uint8_t low;
    } cases[] = {{"NewInkPadClearBtn", 0x0F, 0x61}, {"OldInkPadClearBtn", 0x00, 0x00}};
    for (const auto& c : cases) {
        ShellRig::click(w, "CounterCheckRtnBtn");
        ShellRig::find<shell::RadioGroup>(w, "CounterRdoBtn")->button(1)->click();
        ShellRig::click(w, "ProCounterOKBtn");  // "Clearing the protection counter"
        ASSERT_EQ(visiblePanel(rig), "NewProCounterClearPnl");
        ShellRig::click(w, c.button);
        EXPECT_EQ(w.statusText(), "The protection counter has been cleared.");
        EXPECT_EQ(ShellRig::find<QLabel>(w, "ShowProCounterPnl")->text(), "Cleared");
        EXPECT_EQ(rig.printer().eeprom()[0x02], c.high) << c.button;
        EXPECT_EQ(rig.printer().eeprom()[0x03], c.low) << c.button;
        ShellRig::click(w, "CounterClearRtnBtn");
        ShellRig::find<shell::RadioGroup>(w, "CounterRdoBtn")->button(0)->click();
        ShellRig::click(w, "ProCounterOKBtn");
    }
}

// Opens "EEPROM data" on the appendix tab and chooses check (0) or change (1).
void openEepromPanel(ShellRig& rig, int choice) {
    rig.openItem(3, "AppendixRdoGrp", 0);
    ShellRig::find<shell::RadioGroup>(rig.adjust(), "EepromCheckRdoGrp")->button(choice)->click();
    ShellRig::click(rig.adjust(), "EepromItemsOKBtn");
}

TEST_F(PanelProcedures, EepromTableShowsOnlyTheRangeRead) {
    ASSERT_TRUE(rig.start());
    openEepromPanel(rig, 0);
    ASSERT_EQ(visiblePanel(rig), "EEPROMCheckPnl");
    QTest::keyClicks(w.entry(Entry::EepReadBegEdit), "1e");  // typed letters turn upper case
    QTest::keyClicks(w.entry(Entry::EepReadEndEdit), "21");
    EXPECT_EQ(w.entry(Entry::EepReadBegEdit)->text(), "1E");
    ShellRig::click(w, "EepromReadOkBtn");
    EXPECT_EQ(visiblePanel(rig), "EEPROMGridPnl");
    EXPECT_TRUE(w.statusMemo()->isHidden());
    const auto& image = rig.printer().eeprom();
    for (int address = 0; address < 256; ++address) {
        const QString cell = w.grid()->item(address / 16 + 1, address % 16 + 1)->text();
        if (address >= 0x1E && address <= 0x21) {
            EXPECT_EQ(cell,
                      QString("%1").arg(image[std::size_t(address)], 2, 16, QChar('0')).toUpper())
                << address;
        } else {
            EXPECT_TRUE(cell.isEmpty()) << address;
        }
    }
    // "Previous" from the table returns to the address entry with the status area back.
    ShellRig::click(w, "EepromGridRtnBtn");
    EXPECT_EQ(visiblePanel(rig), "EEPROMCheckPnl");
    EXPECT_FALSE(w.statusMemo()->isHidden());
}

TEST_F(PanelProcedures, EepromReadoutInputChecks) {
    const struct {
        const char* begin;
        const char* end;
        Entry focus;
    } cases[] = {
        {"1", "20", Entry::EepReadBegEdit},
        {"10", "0F", Entry::EepReadEndEdit},
        {"G0", "20", Entry::EepReadBegEdit},
        {"10", "2", Entry::EepReadEndEdit},
    };
    ASSERT_TRUE(rig.start());
    openEepromPanel(rig, 0);
    for (const auto& c : cases) {
        const std::size_t requests = rig.printer().controlRequests().size();
        w.entry(Entry::EepReadBegEdit)->setText(c.begin);
        w.entry(Entry::EepReadEndEdit)->setText(c.end);
        ShellRig::click(w, "EepromReadOkBtn");
        EXPECT_EQ(w.statusText(), "Input data is wrong.") << c.begin << "~" << c.end;
        EXPECT_EQ(w.statusColour(), TextColour::Red);
        EXPECT_EQ(w.focusWidget(), w.entry(c.focus)) << c.begin << "~" << c.end;
        EXPECT_EQ(visiblePanel(rig), "EEPROMCheckPnl");
        EXPECT_EQ(rig.printer().controlRequests().size(), requests)
            << "nothing reached the printer";
    }
}

TEST_F(PanelProcedures, EepromByteWriteFromItsPanel) {
    ASSERT_TRUE(rig.start());
    openEepromPanel(rig, 1);
    ASSERT_EQ(visiblePanel(rig), "EEPROMChangePnl");
    QTest::keyClicks(w.entry(Entry::EepWriteAddEdit), "30");
    QTest::keyClicks(w.entry(Entry::EepWriteDataEdit), "1a");
    ShellRig::click(w, "EepromWriteOkBtn");
    EXPECT_EQ(w.statusText(), "Address = 30\nData = 1A");
    EXPECT_EQ(w.statusColour(), TextColour::Black);
    EXPECT_EQ(rig.printer().eeprom()[0x30], 0x1A);
    EXPECT_EQ(w.entry(Entry::EepWriteAddEdit)->text(), "30") << "kept for the next byte";

    // A printer that refuses the write: the failure in red, then what the byte reads back as.
    rig.printer().faults().eepromWriteLetter = 'N';
    w.entry(Entry::EepWriteDataEdit)->setText("55");
    ShellRig::click(w, "EepromWriteOkBtn");
    EXPECT_EQ(w.statusColour(), TextColour::Red);
    EXPECT_EQ(w.statusText(), "Communication error.\nThe printer now holds 1A at 30.");
    EXPECT_EQ(rig.printer().eeprom()[0x30], 0x1A);
}

TEST_F(PanelProcedures, LiquidExchangeCountDownAndCloseWithoutShutdown) {
    ASSERT_TRUE(rig.start());
    ASSERT_EQ(rig.openItem(1, "MaintRdoGrp", 3), "TraStep0Pnl");
    ShellRig::click(w, "MessageOKBtn");
    EXPECT_EQ(visiblePanel(rig), "TraStep4Pnl");
    EXPECT_EQ(w.statusText(), "Transportion Liquid Exchange is completed.");
    EXPECT_EQ(rig.printer().eeprom()[0x30], 0x10);
    w.tickTimer(Timer::DisableTimer);

    auto* memo = ShellRig::find<QPlainTextEdit>(w, "DischargeCountDownMemo");
    auto* done = ShellRig::find<QLabel>(w, "DischargeCompleteLbl");
    EXPECT_TRUE(memo->isHidden());
    ShellRig::click(w, "PowerSwOffOKBtn");
    EXPECT_FALSE(memo->isHidden());
    EXPECT_FALSE(ShellRig::find<QLabel>(w, "DischargeWaitLbl")->isHidden());
    QStringList shown;
    for (int tick = 0; tick < 11; ++tick) {
        const bool first = w.timer(Timer::CountDownTimer)->isActive();
        ASSERT_NE(first, w.timer(Timer::CountDownTimer2)->isActive()) << "one timer at a time";
        w.tickTimer(first ? Timer::CountDownTimer : Timer::CountDownTimer2);
        shown << memo->toPlainText();
    }
    EXPECT_EQ(shown.mid(0, 10), QStringList({"10", "9", "8", "7", "6", "5", "4", "3", "2", "1"}));
    EXPECT_FALSE(done->isHidden());
    EXPECT_FALSE(w.timer(Timer::CountDownTimer)->isActive());
    EXPECT_FALSE(w.timer(Timer::CountDownTimer2)->isActive());

    const std::size_t packets = rig.printer().hostPackets();
    ShellRig::click(w, "AdjustRtnBtn");
    EXPECT_EQ(rig.printer().hostPackets(), packets);
    EXPECT_FALSE(rig.objects.driver.isOpen());
}

TEST_F(PanelProcedures, BidAdjustFillsEntriesAndOnlyChangedRowsAreWritten) {
    rig.printer().eeprom()[0x74] = 0xFD;  // VSD2 black -3
    ASSERT_TRUE(rig.start());
    rig.pick("AdjustRdoGrp", 4);
    ShellRig::find<shell::RadioGroup>(w, "BidRdoBtn")->button(1)->click();  // "Adjust"
    ShellRig::click(w, "BidOKBtn");
    ASSERT_EQ(visiblePanel(rig), "BidInputPnl");
    EXPECT_EQ(w.entry(Entry::BidVSD2BkWrtEdit)->text(), "-3");
    for (int c = int(CheckBox::BidVSD1BkCheckBox); c <= int(CheckBox::BidECOYMCCheckBox); ++c) {
        EXPECT_FALSE(w.isChecked(CheckBox(c))) << c;
    }
    // The spinner steps the entry, which ticks its row only.
    ShellRig::find<QToolButton>(w, "BidVSD2BkUpDownUp")->click();
    EXPECT_EQ(w.entry(Entry::BidVSD2BkWrtEdit)->text(), "-2");
    EXPECT_TRUE(w.isChecked(CheckBox::BidVSD2BkCheckBox));
    EXPECT_FALSE(w.isChecked(CheckBox::BidVSD1BkCheckBox));
    ShellRig::click(w, "BidWrtOKBtn");
    const QString status = QString::fromStdString(w.statusText());
    EXPECT_TRUE(status.startsWith("As VSD2 Black data, \"-2")) << w.statusText();
    EXPECT_TRUE(status.endsWith(" has registered in EEPROM.")) << w.statusText();
    EXPECT_FALSE(status.contains('\n')) << "one ticked row, one line";
    EXPECT_EQ(rig.printer().eeprom()[0x74], 0xFE);
    EXPECT_EQ(ShellRig::find<QLabel>(w, "ShowVSD2BkPnl")->text(), "-2");
    EXPECT_EQ(ShellRig::find<QLabel>(w, "ShowVSD1BkPnl")->text(), "");
}

// A stored value longer than its 3-character entry is shown whole, not cut to an in-range
// value, and OK refuses it with the range message and writes nothing.
TEST_F(PanelProcedures, StoredValuesOutOfRangeAreShownWholeAndRefused) {
    struct Case {
        const char* name;
        int item;
        const char* choiceGroup;
        const char* okButton;
        Entry entry;
        CheckBox box;  // ticked before the write; PF has none
        std::uint8_t address;
        const char* writeButton;
        const char* refusal;
    };
    const Case cases[] = {
        {"Bi-D", 4, "BidRdoBtn", "BidOKBtn", Entry::BidVSD1BkWrtEdit, CheckBox::BidVSD1BkCheckBox,
         0x72, "BidWrtOKBtn", "VSD1 Black: the input value is out of range (-60 to 60)."},
        {"PF", 5, "PFRdoGrp", "PFOKBtn", Entry::PFEdit, CheckBox::BidVSD1BkCheckBox, 0x7D,
         "PFWriteOKBtn", "Input data is wrong."},
    };
    for (const auto& c : cases) {
        for (const std::uint8_t stored : {std::uint8_t(0x80), std::uint8_t(0x9C)}) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(int(std::int8_t(stored))));
            ShellRig fresh;  // a printer of its own for each case, not the fixture's
            fresh.printer().eeprom()[c.address] = stored;
            ASSERT_TRUE(fresh.start());
            auto& win = fresh.adjust();
            fresh.pick("AdjustRdoGrp", c.item);
            ShellRig::find<shell::RadioGroup>(win, c.choiceGroup)->button(1)->click();  // "Adjust"
            ShellRig::click(win, c.okButton);
            EXPECT_EQ(win.entry(c.entry)->text().toStdString(),
                      std::to_string(int(std::int8_t(stored))));
            if (c.entry != Entry::PFEdit) {
                win.setChecked(c.box, true);
            }
            ShellRig::click(win, c.writeButton);
            EXPECT_NE(win.statusText().find(c.refusal), std::string::npos) << win.statusText();
            EXPECT_EQ(fresh.printer().eeprom()[c.address], stored);
        }
    }
}

// The CR motor drive dispersion measurement waits 31 s: the bar advances through the waits with
// the seconds left beside it, and goes when the measurement is over.
TEST_F(PanelProcedures, MeasurementShowsItsProgressWithTheTimeLeft) {
    ASSERT_TRUE(rig.start());
    rig.pick("AdjustRdoGrp", 2);
    ASSERT_EQ(visiblePanel(rig), "CRHeatProtectOffsetPnl");
    w.setChecked(CheckBox::ReplaceMainBoardCheckBox, true);
    w.setChecked(CheckBox::ReplaceCRMainShaftCheckBox, true);
    auto* bar = ShellRig::find<QProgressBar>(w, "ProgressBar");
    auto* left = ShellRig::find<QLabel>(w, "ProgressTimeLbl");
    std::vector<std::pair<int, std::string>> seen;  // value, time left shown
    bool lockedThroughout = true;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        seen.emplace_back(value, left->text().toStdString());
        lockedThroughout = lockedThroughout && !w.isEnabled() && bar->isVisible();
    });
    ShellRig::click(w, "CRHeatProtectOffsetOKBtn");
    ASSERT_GE(seen.size(), 31000u / 250u);
    EXPECT_EQ(seen.front(), (std::pair<int, std::string>{0, "31 s left"}));
    EXPECT_EQ(seen.back(), (std::pair<int, std::string>{31000, "0 s left"}));
    EXPECT_EQ(bar->maximum(), 31000);
    for (std::size_t i = 1; i < seen.size(); ++i) {
        EXPECT_LT(seen[i - 1].first, seen[i].first);
    }
    EXPECT_TRUE(lockedThroughout) << "input stays out while the bar is shown";
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(w.statusText(),
              "A value for the CR motor drive dispersion has successfully registered.");
}

}  // namespace
// A printer still cleaning when the report starts is waited for with a status that says so; the
// report then counts its bands on the bar.
TEST_F(PanelProcedures, ReportWaitsVisiblyForTheCleaningThenCountsItsBands) {
    ASSERT_TRUE(rig.start());
    ASSERT_EQ(rig.openItem(2, "PatternPrnItemsRdoGrp", 0), "A3PPrintPnl");
    std::vector<std::string> statuses;
    QObject::connect(w.statusMemo(), &QPlainTextEdit::textChanged,
                     [&] { statuses.push_back(w.statusText()); });
    auto* bar = ShellRig::find<QProgressBar>(w, "ProgressBar");
    int shown = -1;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) { shown = value; });
    rig.printer().pressInkSwitch();
    ShellRig::click(w, "A3PPrintOKBtn");
    const auto waiting = std::find(statuses.begin(), statuses.end(), "Waiting for the printer...");
    ASSERT_NE(waiting, statuses.end());
    EXPECT_NE(std::find(waiting, statuses.end(), "Now A4 pattern is printing."), statuses.end());
    EXPECT_EQ(bar->maximum(), TPCheckPattern::kBands);
    EXPECT_EQ(shown, TPCheckPattern::kBands);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(w.statusText(), "Completion the printing.");
}

}  // namespace veltra::test
