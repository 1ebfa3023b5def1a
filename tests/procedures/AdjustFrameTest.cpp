#include <gtest/gtest.h>

#include "codes/Malheadid.h"
#include "codes/Malusbid.h"
#include "tests/procedures/ProcedureRig.h"

namespace veltra::test {
namespace {

using sim::VirtualPrinter;

using FrameTest = RigTest;

struct ModeCase {
    StatusMode mode;
    TextColour colour;
    bool enabled;
    bool hourglass;
    bool disableTimer;
    const char* status;  // status text after writing "new" over "old"
};

TEST_F(FrameTest, ShowStatusModesSetColourLockAndText) {
    const ModeCase cases[] = {
        {StatusMode::Replace, TextColour::Black, true, false, false, "new"},
        {StatusMode::Completed, TextColour::Black, true, false, true, "new"},
        {StatusMode::Busy, TextColour::Blue, false, true, false, "new"},
        {StatusMode::Error, TextColour::Red, true, false, false, "new"},
        {StatusMode::Append, TextColour::Red, true, false, false, "oldnew"},
        {StatusMode::NewLine, TextColour::Red, true, false, false, "old\nnew"},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(int(c.mode));
        view.setStatusText("old");
        view.colour = TextColour::Red;  // modes 5 and 6 must leave it
        view.enabled = true;
        view.hourglass = false;
        view.timers.clear();
        const int repaints = view.repaints;
        EXPECT_EQ(frame.ShowStatus(c.mode, "new"), kOk);
        EXPECT_EQ(view.statusText(), c.status);
        EXPECT_EQ(view.colour, c.colour);
        EXPECT_EQ(view.enabled, c.enabled);
        EXPECT_EQ(view.hourglass, c.hourglass);
        EXPECT_EQ(view.timers.count(Timer::DisableTimer) == 1, c.disableTimer);
        EXPECT_GT(view.repaints, repaints);
    }
}

TEST_F(FrameTest, ModeFourLeavesTheBusyLock) {
    frame.ShowStatus(StatusMode::Busy, "working");
    ASSERT_FALSE(view.enabled);
    frame.ShowStatus(StatusMode::Error, "failed");
    EXPECT_TRUE(view.enabled);
    EXPECT_FALSE(view.hourglass);
}

TEST_F(FrameTest, BusyModesWaitUntilThePrinterIsReady) {
    std::int64_t readyAt = 0;
    rig.clock.onAdvance([&](std::int64_t now) {
        if (now >= readyAt) {
            rig.printer.setState(0x04);
        }
    });
    for (StatusMode mode : {StatusMode::Busy, StatusMode::Completed}) {
        const std::int64_t start = rig.clock.nowMs();
        readyAt = start + 3000;
        rig.printer.setState(0x02);  // busy for three seconds
        rig.mark();
        EXPECT_EQ(frame.ShowStatus(mode, "done"), kOk);
        EXPECT_GE(rig.clock.nowMs() - start, 3000);
        EXPECT_GE(rig.statusReadsSince(), 4);
        EXPECT_EQ(view.statusText(), "done");
    }
}

TEST_F(FrameTest, FailedReadyWaitIsReportedAndTheTextNotWritten) {
    view.setStatusText("before");
    rig.printer.setState(0x00);
    rig.printer.setError(0x04);  // paper jam
    EXPECT_EQ(frame.ShowStatus(StatusMode::Busy, "working"), kPrinterError);
    EXPECT_EQ(view.statusText(), "Paper jam error");
    EXPECT_EQ(view.colour, TextColour::Red);
    EXPECT_TRUE(view.enabled);
    EXPECT_FALSE(view.hourglass);
    EXPECT_EQ(view.adjustItems.size(), kErrorAdjustItems.size());  // list rebuilt
}

// The older text must not stay to read as the outcome: the state is worded instead.
TEST_F(FrameTest, BeforeInitialFillEndsTheWaitSayingWhy) {
    view.setStatusText("before");
    rig.printer.setState(0x08);
    view.adjustItems.clear();
    EXPECT_EQ(frame.ShowStatus(StatusMode::Completed, "done"), kPrinterError);
    EXPECT_EQ(view.statusText(), msg::kBeforeFillRunsNothing);
    EXPECT_EQ(view.colour, TextColour::Red);
    EXPECT_EQ(view.adjustItems.size(), kNormalAdjustItems.size());
    EXPECT_FALSE(view.timers.count(Timer::DisableTimer));
}

TEST_F(FrameTest, PaperOutIsShownOncePerPollAndWaitedOut) {
    rig.printer.setState(0x00);
    rig.printer.setError(0x06);
    const std::int64_t start = rig.clock.nowMs();
    rig.clock.onAdvance([&rig = rig, start](std::int64_t now) {
        if (now - start >= 2500) {
            rig.printer.setError(std::nullopt);
            rig.printer.setState(0x04);
        }
    });
    EXPECT_EQ(frame.ShowStatus(StatusMode::Busy, "printing"), kOk);
    EXPECT_EQ(rig.handler.errors, std::vector<std::string>(3, "Paper out error"));
    EXPECT_EQ(view.statusText(), "printing");
}

TEST_F(FrameTest, CompletedModeKeepsTheLockUntilTheDisableTimerTicks) {
    frame.ShowStatus(StatusMode::Busy, "working");
    frame.ShowStatus(StatusMode::Completed, "done");
    EXPECT_FALSE(view.enabled);
    ASSERT_TRUE(view.timers.count(Timer::DisableTimer));
    frame.OnTimer(Timer::DisableTimer);
    EXPECT_TRUE(view.enabled);
    EXPECT_FALSE(view.timers.count(Timer::DisableTimer));
}

struct ErrorCase {
    std::uint8_t er;
    const char* text;
};

TEST_F(FrameTest, StatusButtonWordsEveryPrinterError) {
    const ErrorCase cases[] = {
        {0x00, "Fatal error"},
        {0x01, "I/F not select error"},
        {0x04, "Paper jam error"},
        {0x05, "Ink out error"},
        {0x06, "Paper out error"},
        {0x10, "Maintenance error"},
        {0x12, "Double feed error"},
        {0x0A, "Unknown error\nError Code:10"},
        {0xFF, "Unknown error\nError Code:255"},
    };
    rig.printer.setState(0x00);
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.text);
        rig.printer.setError(c.er);
        view.setStatusText("stale");
        EXPECT_EQ(frame.GetStatusBtnClick(), kOk);
        EXPECT_EQ(view.statusText(), c.text);
        EXPECT_EQ(view.colour, TextColour::Red);
    }
}

struct StateCase {
    std::uint8_t st;
    const char* text;
};

TEST_F(FrameTest, StatusButtonWordsEveryPrinterState) {
    const StateCase cases[] = {
        {0x01, "Nozzle check pattern printing..."},
        {0x02, "Printer is busy."},
        {0x03, "Printing..."},
        {0x04, "Ready to print."},
        {0x07, "Cleaning..."},
        {0x08, "Before initial fill up."},
        {0x05, "stale"},
        {0x06, "stale"},
    };
    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.text);
        rig.printer.setState(c.st);
        view.setStatusText("stale");
        view.colour = TextColour::Red;
        EXPECT_EQ(frame.GetStatusBtnClick(), kOk);
        EXPECT_EQ(view.statusText(), c.text);
        EXPECT_EQ(view.colour,
                  std::string(c.text) == "stale" ? TextColour::Red : TextColour::Black);
    }
}

TEST_F(FrameTest, ErrorStateOffersFiveItemsAndRestoresEightWhenCleared) {
    frame.AdjustRdoGrpClick(1);  // a panel on view before the error
    rig.printer.setState(0x00);
    rig.printer.setError(0x06);
    frame.GetStatusBtnClick();
    EXPECT_EQ(view.statusText(), "Paper out error");  // kept by the reset
    EXPECT_EQ(view.panel, Panel::CanvasPanel);
    EXPECT_EQ(view.adjustItems,
              (std::vector<std::string>{"EEPROM initialization", "Head ID", "USB ID",
                                        "Protection counter", "EEPROM data"}));
    EXPECT_EQ(view.tabCaption, "");
    EXPECT_EQ(view.groupCaption, "");
    for (Control c :
         {Control::MaintRdoGrp, Control::PatternPrnItemsRdoGrp, Control::AppendixRdoGrp}) {
        EXPECT_FALSE(view.controlEnabled(c));
    }
    // The error list opens its own panels.
    frame.AdjustRdoGrpClick(3);
    EXPECT_EQ(view.panel, Panel::ProCounterItemsPnl);

    rig.printer.setError(std::nullopt);
    rig.printer.setState(0x04);
    frame.GetStatusBtnClick();
    EXPECT_EQ(view.adjustItems.size(), 8u);
    EXPECT_EQ(view.adjustItems[2], "CR Motor Drive Dispersion");
    EXPECT_EQ(view.tabCaption, "Adjustment");
    EXPECT_EQ(view.groupCaption, "Adjustment items");
    for (Control c :
         {Control::MaintRdoGrp, Control::PatternPrnItemsRdoGrp, Control::AppendixRdoGrp}) {
        EXPECT_TRUE(view.controlEnabled(c));
    }
    EXPECT_EQ(view.panel, Panel::ProCounterItemsPnl);  // the panel on view stays
    frame.AdjustRdoGrpClick(3);
    EXPECT_EQ(view.panel, Panel::HdAngItemsPnl);
}

TEST_F(FrameTest, FailedStatusReadKeepsTheListAndShowsTheLinkMessage) {
    frame.GetStatusBtnClick();
    const auto items = view.adjustItems;
    rig.printer.faults().malformedStatus = true;
    EXPECT_EQ(frame.GetStatusBtnClick(), kTransportFailure);
    EXPECT_EQ(view.statusText(), "Communication error.");
    EXPECT_EQ(view.colour, TextColour::Red);
    EXPECT_EQ(view.adjustItems, items);
}

TEST_F(FrameTest, PortFailuresAreWordedByThePortDetail) {
    rig.printer.faults().dropAfterPackets = 0;
    EXPECT_EQ(frame.GetStatusBtnClick(), kPortFailure);
    const Detail detail = rig.objects.driver.LastError();
    const std::string expected =
        (detail == port_error::kRead || detail == port_error::kReadTime)     ? "Receive error"
        : (detail == port_error::kWrite || detail == port_error::kWriteTime) ? "Transmission error"
                                                                             : "";
    ASSERT_FALSE(expected.empty()) << "detail " << detail;
    EXPECT_EQ(view.statusText(), expected);
    EXPECT_EQ(view.colour, TextColour::Red);
    // The same failure as data: the port's detail and the words shown.
    EXPECT_EQ(frame.result().status, kPortFailure);
    EXPECT_EQ(frame.result().detail, detail);
    EXPECT_EQ(frame.result().failure, expected);

    rig.objects.driver.ClosePort();
    EXPECT_EQ(frame.GetStatusBtnClick(), kPortFailure);
    EXPECT_EQ(rig.objects.driver.LastError(), port_error::kOpen);
    EXPECT_EQ(view.statusText(), "Cannot open port.");
}

TEST_F(FrameTest, SilentPrinterIsAReceiveError) {
    rig.printer.faults().noReply = true;
    EXPECT_EQ(frame.GetStatusBtnClick(), kPortFailure);
    EXPECT_EQ(view.statusText(), "Receive error");
}

struct ReportCase {
    Status status;
    Detail detail;
    const char* text;
    TextColour colour;
};

TEST_F(FrameTest, ReportStatusFormatMessagesAndSilentStatuses) {
    const ReportCase cases[] = {
        {kHeadIdFormat, headid_error::kLength, "The number of digit is wrong.", TextColour::Red},
        {kHeadIdFormat, headid_error::kInvalidStored, "Head ID is invalid.", TextColour::Red},
        {kUsbIdFormat, usbid_error::kCharacter, "Parameter is only number & alphabet.",
         TextColour::Red},
        {kUsbIdFormat, usbid_error::kInvalidStored, "USB ID is invalid", TextColour::Red},
        // The factory layer did not mark a missing reply header: nothing to say.
        {kFactoryFailure, kNoError, "stale", TextColour::Blue},
        {0x5001, kNoError, "stale", TextColour::Blue},
        {0x6000, kNoError, "stale", TextColour::Blue},
    };
    for (const ReportCase& c : cases) {
        SCOPED_TRACE(c.text);
        frame.ShowStatus(StatusMode::Busy, "stale");
        frame.NewResult();
        frame.ReportStatus(c.status, c.detail);
        EXPECT_EQ(view.statusText(), c.text);
        EXPECT_EQ(frame.result().status, c.status);
        EXPECT_EQ(frame.result().detail, c.detail);
        EXPECT_EQ(frame.result().failure, c.colour == TextColour::Red ? c.text : "");
        EXPECT_EQ(view.colour, c.colour);
        EXPECT_TRUE(view.enabled);  // the lock ends whatever is shown
        EXPECT_FALSE(view.hourglass);
    }
}

TEST_F(FrameTest, BidRangeIsABlackNoteBelowExistingText) {
    view.setStatusText("");
    frame.NewResult();
    frame.ReportStatus(kBidRange, 0x1006);
    EXPECT_EQ(view.statusText(), std::string(BidRangeMessage(0x1006)));
    EXPECT_EQ(view.colour, TextColour::Black);
    frame.ReportStatus(kBidRange, 0x1001);
    EXPECT_EQ(view.statusText(),
              std::string(BidRangeMessage(0x1006)) + "\n" + std::string(BidRangeMessage(0x1001)));
    EXPECT_EQ(view.colour, TextColour::Black);
    // The result keeps the first of the procedure's failures.
    EXPECT_EQ(frame.result().detail, 0x1006);
    EXPECT_EQ(frame.result().failure, BidRangeMessage(0x1006));
}

TEST(BidRangeMessage, NamesEachFieldOnce) {
    const char* names[] = {"VSD1 Black", "VSD2 Black", "VSD3 Black", "ECO Black",
                           "VSD1 Color", "VSD2 Color", "VSD3 Color", "ECO Color"};
    for (Detail d = 0x1001; d <= 0x1008; ++d) {
        const std::string text(BidRangeMessage(d));
        EXPECT_EQ(text.rfind(names[d - 0x1001], 0), 0u) << text;
        EXPECT_NE(text.find("-60 to 60"), std::string::npos);
    }
    EXPECT_EQ(BidRangeMessage(0x1000), "");
    EXPECT_EQ(BidRangeMessage(0x1009), "");
}

TEST_F(FrameTest, ChoosingAnItemClearsTheOtherGroupsAndResets) {
    view.setStatusText("old");
    view.setEntryText(Entry::PFEdit, "3");
    view.setChecked(CheckBox::BidECOBkCheckBox, true);
    view.setWidgetVisible(Widget::DischargeCompleteLbl, true);
    frame.MaintRdoGrpClick(4);
    EXPECT_EQ(view.panel, Panel::ProCounterItemsPnl);
    EXPECT_EQ(view.statusText(), "");
    EXPECT_EQ(view.entryText(Entry::PFEdit), "");
    EXPECT_FALSE(view.isChecked(CheckBox::BidECOBkCheckBox));
    EXPECT_FALSE(view.isVisible(Widget::DischargeCompleteLbl));
    EXPECT_EQ(view.groups[Group::AdjustRdoGrp], -1);
    EXPECT_EQ(view.groups[Group::PatternPrnItemsRdoGrp], -1);
    EXPECT_EQ(view.groups[Group::AppendixRdoGrp], -1);
    EXPECT_EQ(view.groups.count(Group::MaintRdoGrp), 0u);

    frame.AdjustRdoGrpClick(0);
    EXPECT_EQ(view.panel, Panel::DefaultSetPnl);
    EXPECT_EQ(view.groups[Group::MaintRdoGrp], -1);
}

TEST_F(FrameTest, IndexOutsideTheListDoesNothing) {
    frame.MaintRdoGrpClick(1);
    view.setStatusText("kept");
    for (int index : {-1, 7, 100}) {
        frame.MaintRdoGrpClick(index);
        frame.AppendixRdoGrpClick(index < 0 ? index : 1);
        EXPECT_EQ(view.panel, Panel::InkChargePnl);
        EXPECT_EQ(view.statusText(), "kept");
    }
}

TEST_F(FrameTest, CrMotorItemClearsItsFourBoxes) {
    for (CheckBox b : {CheckBox::ReplaceMainBoardCheckBox, CheckBox::ReplacePSBoardCheckBox,
                       CheckBox::ReplaceCRMotorCheckBox, CheckBox::ReplaceCRMainShaftCheckBox}) {
        view.setChecked(b, true);
    }
    frame.AdjustRdoGrpClick(2);
    EXPECT_EQ(view.panel, Panel::CRHeatProtectOffsetPnl);
    for (CheckBox b : {CheckBox::ReplaceMainBoardCheckBox, CheckBox::ReplacePSBoardCheckBox,
                       CheckBox::ReplaceCRMotorCheckBox, CheckBox::ReplaceCRMainShaftCheckBox}) {
        EXPECT_FALSE(view.isChecked(b));
    }
}

TEST_F(FrameTest, LeavingTheEepromTableBringsBackTheStatusArea) {
    view.setStatusText("x");
    view.setWidgetVisible(Widget::StatusMemo, false);
    frame.PreviousClick(PreviousButton::EepromGridRtnBtn);
    EXPECT_EQ(view.panel, Panel::EEPROMCheckPnl);
    EXPECT_EQ(view.statusText(), "");
    EXPECT_TRUE(view.isVisible(Widget::StatusMemo));
}

TEST_F(FrameTest, KeepStatusResetLeavesTheText) {
    view.setStatusText("message");
    view.colour = TextColour::Red;
    frame.HideAllPanels(true);
    EXPECT_EQ(view.statusText(), "message");
    EXPECT_EQ(view.colour, TextColour::Red);
    frame.HideAllPanels(false);
    EXPECT_EQ(view.statusText(), "");
    EXPECT_EQ(view.colour, TextColour::Black);
}

TEST_F(FrameTest, CreateSetsGridHeadingsAndCanvas) {
    rig.state.TransLiquidDone = true;
    frame.Create();
    EXPECT_EQ(view.panel, Panel::CanvasPanel);
    EXPECT_EQ(view.cell(0, 1), "0");
    EXPECT_EQ(view.cell(0, 16), "F");
    EXPECT_EQ(view.cell(11, 0), "A");
    EXPECT_EQ(view.cell(0, 0), "");
    EXPECT_FALSE(rig.state.TransLiquidDone);
}

TEST_F(FrameTest, FormShowNamesTheModelAndReadsStatus) {
    rig.mark();
    frame.FormShow();
    EXPECT_EQ(view.printerName, "Veltra K55");
    EXPECT_EQ(rig.statusReadsSince(), 1);
    EXPECT_EQ(view.statusText(), "Ready to print.");
}

TEST(FrameShow, NoModelIsAProgramMiss) {
    Rig rig;
    rig.frame.FormShow();  // no model chosen, no link
    EXPECT_EQ(rig.handler.errors, std::vector<std::string>{"program miss!!"});
}

bool SentRs(const Rig& rig) {
    for (const auto& p : rig.controlSince()) {
        if (p.size() >= 2 && p[0] == 'r' && p[1] == 's') {
            return true;
        }
    }
    return false;
}

TEST_F(FrameTest, CloseEmptiesTheSummaryButTopMarginAndPf) {
    for (int f = 0; f <= int(SummaryField::ShowPFPnl); ++f) {
        view.setSummary(SummaryField(f), "v");
    }
    view.setControlEnabled(Control::AdjustmentTab, false);
    view.activeTab = 2;
    frame.FormClose();
    for (int f = 0; f <= int(SummaryField::ShowPFPnl); ++f) {
        const bool kept = SummaryField(f) == SummaryField::ShowTopMarginPnl ||
                          SummaryField(f) == SummaryField::ShowPFPnl;
        EXPECT_EQ(view.summary[SummaryField(f)], kept ? "v" : "") << f;
    }
    EXPECT_EQ(view.quitShown, 1);
    EXPECT_TRUE(view.controlEnabled(Control::AdjustmentTab));
    EXPECT_EQ(view.activeTab, 0);
    EXPECT_FALSE(view.hourglass);
    EXPECT_TRUE(SentRs(rig));
    EXPECT_FALSE(rig.objects.driver.isOpen());
}

// The close sends its four shut-down steps with a 100 ms pause before each of the last three.
// A printer that has stopped answering costs one time-out, not one per step: the steps after
// it go out without waiting for replies, and the port is closed.
TEST(FrameClose, ShutDownStepsKeepTheirPausesAndWaitOutOneSilentStepAtMost) {
    struct Writes final : PortTrace {
        void record(std::int64_t ms, char kind, const std::uint8_t*, std::size_t) override {
            if (kind == 'W') {
                at.push_back(ms);
            }
        }
        std::vector<std::int64_t> at;
    };
    for (const bool silent : {false, true}) {
        SCOPED_TRACE(silent ? "printer not answering" : "printer answering");
        Rig rig;
        ASSERT_TRUE(rig.start());
        Writes writes;
        rig.objects.driver.setTrace(&writes);
        rig.printer.faults().noReply = silent;
        const std::size_t before = rig.printer.hostPackets();
        const std::int64_t start = rig.clock.nowMs();
        rig.frame.FormClose();
        const std::int64_t took = rig.clock.nowMs() - start;
        // CloseChannel(40); credit both ways and "rs"; CloseChannel(2); Exit.
        EXPECT_EQ(rig.printer.hostPackets() - before, 6u);
        ASSERT_EQ(writes.at.size(), 6u);
        EXPECT_GE(writes.at[1] - writes.at[0], 100);
        EXPECT_GE(writes.at[4] - writes.at[3], 100);
        EXPECT_GE(writes.at[5] - writes.at[4], 100);
        if (silent) {
            EXPECT_LT(took, 11000) << "more than one step waited out its time-out";
        }
        EXPECT_FALSE(rig.objects.driver.isOpen());
    }
}

TEST_F(FrameTest, CloseAfterTheLiquidExchangeOnlyClosesThePort) {
    rig.state.TransLiquidDone = true;
    frame.FormClose();
    EXPECT_TRUE(rig.controlSince().empty());
    EXPECT_TRUE(rig.printer.channelOpen(kDataSocket));
    EXPECT_FALSE(rig.objects.driver.isOpen());
    EXPECT_FALSE(rig.state.TransLiquidDone);
}

}  // namespace
}  // namespace veltra::test
