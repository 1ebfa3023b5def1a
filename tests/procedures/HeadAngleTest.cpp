#include "procedures/HeadAngle.h"

#include <gtest/gtest.h>

#include <optional>

#include "sim/FactoryFrame.h"
#include "tests/procedures/ProcedureRig.h"

namespace veltra::test {
namespace {
constexpr auto kHeadAngleModeCmd = sim::factory::kHeadAngleMode;
constexpr auto kHeadAngleEndCmd = sim::factory::kHeadAngleEnd;
constexpr auto kMechSetCmd = sim::factory::kMechSet;
constexpr auto kMechRunCmd = sim::factory::kMechRun;
constexpr auto kFinishCmd = sim::factory::kFinishValues;

Wire Set(std::uint8_t unit, std::int16_t v) {
    const auto u = std::uint16_t(v);
    return {kMechSetCmd, {unit, 0x00, std::uint8_t(u & 0xFF), std::uint8_t(u >> 8)}};
}

const std::vector<Wire> kPatternPrintWire{
    {kHeadAngleModeCmd, {0x00}}, {kHeadAngleEndCmd, {}}, {kHeadAngleModeCmd, {0xFF}}};

constexpr std::array<Control, 4> kLocked{Control::AdjustmentTab, Control::MaintRdoGrp,
                                         Control::AdjustRtnBtn, Control::GetStatusBtn};

class HeadAngleTest : public RigTest {
protected:
    void SetUp() override {
        RigTest::SetUp();
        mark();
    }
    void mark() {
        rig.mark();
        printMark = rig.printer.printCommands().size();
    }
    std::vector<Wire> received() const {
        std::vector<Wire> out;
        for (const auto& f : rig.factorySince()) {
            EXPECT_TRUE(f.modelCodeMatched && f.checkBytesMatched);
            out.push_back({f.command, f.params});
        }
        return out;
    }
    int formFeeds() const {
        const auto& all = rig.printer.printCommands();
        int n = 0;
        for (std::size_t i = printMark; i < all.size(); ++i) {
            n += all[i].kind == sim::PrintCommand::Kind::FormFeed ? 1 : 0;
        }
        return n;
    }
    // true when all four navigation controls are disabled, false when all are enabled.
    bool locked() const {
        int disabled = 0;
        for (Control c : kLocked) {
            disabled += view.controlEnabled(c) ? 0 : 1;
        }
        EXPECT_TRUE(disabled == 0 || disabled == int(kLocked.size())) << disabled;
        return disabled == int(kLocked.size());
    }
    bool timerRunning() const { return view.timers.count(Timer::HeadAngGetStatusTimer) != 0; }

    // Pattern printed and the decision panel on view, locked.
    void printFirstPattern() {
        ASSERT_EQ(HdAngItemsOKBtnClick(frame), kOk);
        EXPECT_EQ(view.panel, Panel::HdAngStep1Pnl);
        EXPECT_TRUE(locked());
        EXPECT_EQ(view.statusText(), "Completion the printing.");
    }
    // The technician presses the ink switch; the next tick prints the check pattern.
    void cleaningTick() {
        rig.printer.pressInkSwitch();
        mark();
        const std::int64_t start = rig.clock.nowMs();
        frame.OnTimer(Timer::HeadAngGetStatusTimer);
        EXPECT_GE(rig.clock.nowMs() - start, sim::VirtualPrinter::kCleaningMs);
        EXPECT_EQ(received(), kPatternPrintWire);
        EXPECT_EQ(view.panel, Panel::HdAngStep1Pnl);
        EXPECT_EQ(view.statusText(), "Completion the printing.");
        EXPECT_FALSE(timerRunning());
    }

    // The adjustment over: the first panel again, the page ejected, the fastener to be asked
    // for again and the navigation free.
    void expectEndedAtItems() {
        EXPECT_EQ(view.panel, Panel::HdAngItemsPnl);
        EXPECT_EQ(formFeeds(), 1);
        EXPECT_EQ(state.HeadAngFastenerChosen, 0);
        EXPECT_FALSE(locked());
    }

    AdjustState& state = rig.state;
    std::size_t printMark = 0;
};

TEST_F(HeadAngleTest, NoNeedRightAfterTheFirstPatternEjectsThePageAndUnlocks) {
    printFirstPattern();
    EXPECT_EQ(received(), kPatternPrintWire);
    EXPECT_EQ(formFeeds(), 0);  // the page stays in until the decision

    view.groups[Group::HdAngAdjustRdoGrp] = 1;
    EXPECT_EQ(HdAngStep1OKBtnClick(frame, HeadAngleChoice::NoNeedToAdjust), kOk);
    EXPECT_EQ(view.panel, Panel::HdAngItemsPnl);
    EXPECT_EQ(formFeeds(), 1);
    EXPECT_FALSE(locked());
    EXPECT_FALSE(timerRunning());
    EXPECT_EQ(view.groups[Group::HdAngAdjustRdoGrp], 0);
    EXPECT_EQ(state.HeadAngFastenerChosen, 0);
}

TEST_F(HeadAngleTest, OldFastenerPollsForTheCleaningAndReturnsWithoutTheSpringPanel) {
    printFirstPattern();
    EXPECT_EQ(HdAngStep1OKBtnClick(frame, HeadAngleChoice::AdjustHeadAngle), kOk);
    EXPECT_EQ(view.panel, Panel::HeadAngSusPlateSelectPnl);
    EXPECT_FALSE(timerRunning());

    SusPlateSelectOKBtnClick(frame, FastenerChoice::Old);
    EXPECT_EQ(view.panel, Panel::HeadAngOldPnl);
    EXPECT_TRUE(timerRunning());
    EXPECT_EQ(state.HeadAngFastenerChosen, 1);
    EXPECT_EQ(state.HeadAngFastenerOld, 1);

    // Idle printer: the instructions stay, nothing is printed, the lock holds.
    mark();
    frame.OnTimer(Timer::HeadAngGetStatusTimer);
    EXPECT_EQ(view.panel, Panel::HeadAngOldPnl);
    EXPECT_TRUE(received().empty());
    EXPECT_TRUE(locked());
    EXPECT_TRUE(timerRunning());

    cleaningTick();
    EXPECT_FALSE(locked());

    mark();
    EXPECT_EQ(HdAngStep1OKBtnClick(frame, HeadAngleChoice::NoNeedToAdjust), kOk);
    expectEndedAtItems();
}

TEST_F(HeadAngleTest, NewFastenerAdjustsAgainWithoutTheQuestionThenReinstallsTheSpring) {
    printFirstPattern();
    HdAngStep1OKBtnClick(frame, HeadAngleChoice::AdjustHeadAngle);
    SusPlateSelectOKBtnClick(frame, FastenerChoice::New);
    EXPECT_EQ(view.panel, Panel::HeadAngNewPnl);
    EXPECT_EQ(state.HeadAngFastenerOld, 0);
    cleaningTick();

    // Second round: the instructions come at once, and the timer starts again.
    EXPECT_EQ(HdAngStep1OKBtnClick(frame, HeadAngleChoice::AdjustHeadAngle), kOk);
    EXPECT_EQ(view.panel, Panel::HeadAngNewPnl);
    EXPECT_TRUE(timerRunning());
    cleaningTick();

    mark();
    EXPECT_EQ(HdAngStep1OKBtnClick(frame, HeadAngleChoice::NoNeedToAdjust), kOk);
    EXPECT_EQ(view.panel, Panel::HeadAngCompletePnl);
    EXPECT_EQ(formFeeds(), 0);
    EXPECT_EQ(state.HeadAngFastenerChosen, 1);

    EXPECT_EQ(HeadAngCompleteBtnClick(frame), kOk);
    expectEndedAtItems();
}

TEST_F(HeadAngleTest, PrinterErrorWhilePollingEndsTheAdjustmentWithItsMessage) {
    printFirstPattern();
    HdAngStep1OKBtnClick(frame, HeadAngleChoice::AdjustHeadAngle);
    SusPlateSelectOKBtnClick(frame, FastenerChoice::Old);
    rig.printer.setState(0x00);
    rig.printer.setError(0x04);
    mark();
    frame.OnTimer(Timer::HeadAngGetStatusTimer);
    EXPECT_EQ(view.panel, Panel::HdAngItemsPnl);
    EXPECT_EQ(view.statusText(), "Paper jam error");
    EXPECT_EQ(view.colour, TextColour::Red);
    EXPECT_FALSE(locked());
    EXPECT_FALSE(timerRunning());
    EXPECT_TRUE(received().empty());
    EXPECT_EQ(state.HeadAngFastenerChosen, 0) << "the next adjustment asks for the fastener again";
}

TEST_F(HeadAngleTest, PollingReadsAgainWhileThePrinterMovesAndEndsTheTickOnAStuckState) {
    printFirstPattern();
    HdAngStep1OKBtnClick(frame, HeadAngleChoice::AdjustHeadAngle);
    SusPlateSelectOKBtnClick(frame, FastenerChoice::New);

    // Printing for two seconds, then ready: one tick reads until it sees ready.
    rig.printer.setState(0x03);
    const std::int64_t readyAt = rig.clock.nowMs() + 2000;
    rig.clock.onAdvance([this, readyAt](std::int64_t now) {
        if (now >= readyAt && rig.printer.state() == 0x03) {
            rig.printer.setState(0x04);
        }
    });
    mark();
    SetHeadAngleLock(view, false);
    frame.OnTimer(Timer::HeadAngGetStatusTimer);
    EXPECT_GE(rig.clock.nowMs(), readyAt);
    EXPECT_GT(rig.statusReadsSince(), 1);
    EXPECT_TRUE(locked());  // ready re-applies the lock

    // Before the initial fill the printer does not move on by itself: the tick must end.
    rig.printer.setState(0x08);
    mark();
    frame.OnTimer(Timer::HeadAngGetStatusTimer);
    EXPECT_EQ(rig.statusReadsSince(), 1);
    EXPECT_EQ(view.panel, Panel::HeadAngNewPnl);
    EXPECT_TRUE(timerRunning());
}

// However the adjustment ends, it ends whole: no timer ticks on (into the next session), the
// fastener question comes again, the navigation is free, and a failure is said once, in its
// own words, with the window back at the first panel (or the error-state canvas).
enum class Ending { PrinterErrorAtOk, PatternFails, CheckPrintFails, StatusReadFails, Closed };

class HeadAngleEndingTest : public HeadAngleTest, public ::testing::WithParamInterface<Ending> {
protected:
    void startPolling() {
        printFirstPattern();
        HdAngStep1OKBtnClick(frame, HeadAngleChoice::AdjustHeadAngle);
        SusPlateSelectOKBtnClick(frame, FastenerChoice::Old);
        mark();
    }
    // Once the printer is in head angle mode, the next print data packet draws an Error
    // packet: the print stops part-way while the link still answers.
    void faultInThePattern() {
        rig.printer.setPrintCommandObserver([this](const sim::PrintCommand& c) {
            if (c.kind == sim::PrintCommand::Kind::Factory && !c.bytes.empty() &&
                rig.printer.factoryCommands().back().command == kHeadAngleModeCmd &&
                rig.printer.factoryCommands().back().params == std::vector<std::uint8_t>{0x00}) {
                rig.printer.faults().errorPacket = 0x82;
                rig.printer.faults().errorPacketSocket = 0x40;
            }
        });
    }
};

TEST_P(HeadAngleEndingTest, EndsWhole) {
    Panel panel = Panel::HdAngItemsPnl;
    std::vector<Wire> wire;  // factory commands from the failing step on
    switch (GetParam()) {
        case Ending::PrinterErrorAtOk:
            rig.printer.setState(0x00);
            rig.printer.setError(0x04);
            EXPECT_EQ(HdAngItemsOKBtnClick(frame), kPrinterError);
            EXPECT_EQ(view.statusText(), "Paper jam error");
            panel = Panel::CanvasPanel;  // the error-state list has no head angle item
            break;
        case Ending::PatternFails:
            faultInThePattern();
            EXPECT_EQ(HdAngItemsOKBtnClick(frame), kTransportFailure);
            EXPECT_EQ(view.statusText(), "Communication error.");
            wire = {{kHeadAngleModeCmd, {0x00}}, {kHeadAngleModeCmd, {0xFF}}};
            break;
        case Ending::CheckPrintFails:
            startPolling();
            rig.printer.pressInkSwitch();
            faultInThePattern();
            frame.OnTimer(Timer::HeadAngGetStatusTimer);
            EXPECT_EQ(view.statusText(), "Communication error.");
            wire = {{kHeadAngleModeCmd, {0x00}}, {kHeadAngleModeCmd, {0xFF}}};
            break;
        case Ending::StatusReadFails:
            startPolling();
            rig.dropAfterMorePackets(0);
            frame.OnTimer(Timer::HeadAngGetStatusTimer);
            EXPECT_EQ(view.colour, TextColour::Red);
            EXPECT_FALSE(view.statusText().empty());
            break;
        case Ending::Closed:
            startPolling();
            frame.FormClose();
            panel = Panel::CanvasPanel;
            break;
    }
    EXPECT_EQ(view.panel, panel);
    EXPECT_FALSE(timerRunning());
    EXPECT_EQ(state.HeadAngFastenerChosen, 0);
    for (Control c : {Control::AdjustmentTab, Control::AdjustRtnBtn, Control::GetStatusBtn}) {
        EXPECT_TRUE(view.controlEnabled(c)) << int(c);
    }
    EXPECT_NE(view.statusText(), "Now head angle pattern is printing.");
    EXPECT_EQ(received(), wire);
}

INSTANTIATE_TEST_SUITE_P(HeadAngle, HeadAngleEndingTest,
                         ::testing::Values(Ending::PrinterErrorAtOk, Ending::PatternFails,
                                           Ending::CheckPrintFails, Ending::StatusReadFails,
                                           Ending::Closed));

TEST_F(HeadAngleTest, FailedEjectIsReportedButTheWindowCanStillBeLeft) {
    printFirstPattern();
    rig.dropAfterMorePackets(0);
    EXPECT_EQ(HdAngStep1OKBtnClick(frame, HeadAngleChoice::NoNeedToAdjust), kPortFailure);
    EXPECT_EQ(view.colour, TextColour::Red);
    EXPECT_EQ(view.panel, Panel::HdAngItemsPnl);
    EXPECT_FALSE(locked());
}

// --- CR motor drive dispersion

struct Parts {
    bool mainBoard, psBoard, crMotor, guideShaft;
};

void Tick(FakeView& view, const Parts& p) {
    view.setChecked(CheckBox::ReplaceMainBoardCheckBox, p.mainBoard);
    view.setChecked(CheckBox::ReplacePSBoardCheckBox, p.psBoard);
    view.setChecked(CheckBox::ReplaceCRMotorCheckBox, p.crMotor);
    view.setChecked(CheckBox::ReplaceCRMainShaftCheckBox, p.guideShaft);
}

TEST(CrDispersionValue, TruncatesTowardZeroAndMarksOutOfRange) {
    struct Case {
        std::int32_t a, b;
        std::int8_t v;
    };
    const Case cases[] = {
        {3000, 3570, 2},     // the worked example
        {3000, 3900, -120},  // -108
        {3600, 3900, 120},   // 92
        {0, 581, -1},        // -5 / 3 rounds toward zero, not down
        {0, 441, 45},        // 135 / 3: the upper bound stays
        {0, 438, 120},       // 138 / 3 = 46: one over
        {0, 711, -45},       // -135 / 3: the lower bound stays
        {0, 714, -120},      // -138 / 3 = -46
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " " << c.b);
        EXPECT_EQ(CrDispersionValue(c.a, c.b), c.v);
    }
}

class CrDispersionTest : public HeadAngleTest {};

TEST_F(CrDispersionTest, TickedPartsDecideBetweenNothingTheFixedValueAndTheMeasurement) {
    const std::string notNecessary =
        "It's not necessary to execute this function in case when you've not replaced 1.main "
        "board, 2.PS board, and 3.CR motor with new one.";
    const std::string fixedQuestion =
        "Once you select OK button, a value for the CR motor drive dispersion will automatically "
        "be registered.";
    const std::string measureQuestion =
        "Once you select OK button, the CR motor drive dispersion measurement sequence will be "
        "run.";
    const std::string registered =
        "A value for the CR motor drive dispersion has successfully registered.";
    using Writes = std::vector<std::pair<std::uint8_t, std::uint8_t>>;
    const Writes fixedValue{{0x79, 0x19}};  // the fixed dispersion value
    struct Case {
        const char* name;
        Parts parts;
        bool answer;
        std::string question;  // "" when none is asked
        Writes writes;
        std::string status;
    };
    const Case cases[] = {
        {"nothing ticked", {false, false, false, false}, true, "", {}, notNecessary},
        {"guide shaft alone", {false, false, false, true}, true, "", {}, notNecessary},
        {"PS board, OK", {false, true, false, false}, true, fixedQuestion, fixedValue, registered},
        {"PS board, cancel", {false, true, false, false}, false, fixedQuestion, {}, ""},
        {"main board and motor, OK",
         {true, false, true, false},
         true,
         fixedQuestion,
         fixedValue,
         registered},
        {"motor and shaft, cancel", {false, false, true, true}, false, measureQuestion, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tick(view, c.parts);
        view.setStatusText("earlier text");
        rig.handler.questions.clear();
        rig.handler.answer = c.answer;
        mark();
        EXPECT_EQ(CRHeatProtectOffsetOKBtnClick(frame), kOk);
        if (c.question.empty()) {
            EXPECT_TRUE(rig.handler.questions.empty());
        } else {
            ASSERT_EQ(rig.handler.questions.size(), 1u);
            EXPECT_EQ(rig.handler.questions[0].first, "Confirmation");
            EXPECT_EQ(rig.handler.questions[0].second, c.question);
        }
        EXPECT_EQ(rig.eepromWritesSince(), c.writes);
        EXPECT_TRUE(received().empty());
        EXPECT_EQ(view.statusText(), c.status);
        EXPECT_EQ(view.colour, TextColour::Black);
    }
}

TEST_F(CrDispersionTest, MeasurementSendsTheSequenceAndWritesTheComputedValue) {
    struct Case {
        std::uint16_t readingA, readingB;  // each of the three readings
        std::uint8_t written;
    };
    const Case cases[] = {{1000, 1190, 0x02}, {1000, 1300, 0x88}, {1200, 1300, 0x78}};

    std::vector<Wire> wire{Set(6, -6), {kMechRunCmd, {53, 1, 150, 0}}, Set(6, 268)};
    for (int i = 0; i < 5; ++i) {
        wire.push_back(Set(0, 1268));
        wire.push_back(Set(0, 268));
    }
    for (const std::uint8_t unit : {std::uint8_t(4), std::uint8_t(3)}) {
        for (int i = 0; i < 3; ++i) {
            wire.push_back(Set(0, 1268));
            wire.push_back(Set(unit, 268));
        }
    }
    wire.push_back({kFinishCmd, {}});
    wire.push_back(Set(6, 0));
    const std::vector<std::uint8_t> reads{0x7E, 0x7F, 0x7E, 0x7F, 0x7E, 0x7F,
                                          0x7E, 0x7F, 0x7E, 0x7F, 0x7E, 0x7F};

    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.readingA << " " << c.readingB);
        rig.printer.setCrMeasurementReadings(c.readingA, c.readingB);
        rig.printer.eeprom()[0x79] = 0x55;
        Tick(view, {true, false, false, true});
        mark();
        const std::int64_t start = rig.clock.nowMs();
        EXPECT_EQ(CRHeatProtectOffsetOKBtnClick(frame), kOk);
        EXPECT_GE(rig.clock.nowMs() - start, 31000);
        EXPECT_EQ(received(), wire);
        EXPECT_EQ(rig.eepromReadsSince(), reads);
        EXPECT_EQ(rig.eepromWritesSince(),
                  (std::vector<std::pair<std::uint8_t, std::uint8_t>>{{0x79, c.written}}));
        EXPECT_EQ(rig.printer.eeprom()[0x79], c.written);
        const std::string text = view.statusText();
        EXPECT_EQ(text.substr(0, text.find('\n')),
                  "A value for the CR motor drive dispersion has successfully registered.");
        // An out-of-range mark is explained below the success text.
        const bool mark = c.written == 0x78 || c.written == 0x88;
        EXPECT_EQ(text.find("out of range") != std::string::npos, mark);
    }
}

// The virtual printer's motor gives readings whose sums make the dispersion it was set to, so a
// measurement on it registers that value (a fresh printer's is small, not the out-of-range mark).
TEST_F(CrDispersionTest, MeasurementOnTheVirtualPrinterFindsItsMotorsDispersion) {
    const std::pair<std::optional<int>, std::uint8_t> cases[] = {
        {std::nullopt, std::uint8_t(sim::VirtualPrinter::kDefaultCrDispersion)},
        {-30, 0xE2},
        {45, 0x2D},
    };
    for (const auto& [dispersion, written] : cases) {
        if (dispersion) {
            rig.printer.setCrMotorDispersion(*dispersion);
        }
        Tick(view, {true, false, false, true});
        EXPECT_EQ(CRHeatProtectOffsetOKBtnClick(frame), kOk);
        EXPECT_EQ(rig.printer.eeprom()[0x79], written) << dispersion.value_or(999);
    }
}

// A measurement that fails part-way while the link still answers releases the motor before the
// failure is reported; one that ends on an out-of-range mark says so after the success text.
TEST_F(CrDispersionTest, FailedMeasurementReleasesTheMotorAndAMarkIsExplained) {
    // The first reading draws an Error packet, once the motor is held.
    rig.printer.setPrintCommandObserver([this](const sim::PrintCommand& c) {
        const auto& f = rig.printer.factoryCommands();
        if (c.kind == sim::PrintCommand::Kind::Factory && f.back().command == kMechSetCmd &&
            Wire{f.back().command, f.back().params} == Set(6, 268)) {
            rig.printer.faults().errorPacket = 0x82;
            rig.printer.faults().errorPacketSocket = 0x02;
        }
    });
    Tick(view, {true, false, false, true});
    EXPECT_EQ(CRHeatProtectOffsetOKBtnClick(frame), kTransportFailure);
    EXPECT_EQ(view.statusText(), "Communication error.");
    ASSERT_FALSE(received().empty());
    EXPECT_EQ(received().back(), Set(6, 0));
    EXPECT_TRUE(rig.eepromWritesSince().empty());
    rig.printer.setPrintCommandObserver(nullptr);

    for (const int dispersion : {100, -100}) {
        rig.printer.setCrMotorDispersion(dispersion);
        EXPECT_EQ(CRHeatProtectOffsetOKBtnClick(frame), kOk);
        EXPECT_EQ(view.statusText(),
                  "A value for the CR motor drive dispersion has successfully registered.\n"
                  "The measured dispersion is out of range (-45 to 45): the out-of-range mark "
                  "was written. Check that the CR motor, the CR guide shaft and the carriage "
                  "move freely and are mounted correctly, then run the measurement again.")
            << dispersion;
    }
}

TEST_F(CrDispersionTest, RefusedWriteIsReportedAndNotCalledSuccess) {
    rig.printer.faults().eepromWriteLetter = 'N';
    Tick(view, {false, true, false, false});
    EXPECT_EQ(CRHeatProtectOffsetOKBtnClick(frame), kTransportFailure);
    EXPECT_EQ(view.statusText(), "Communication error.");
    EXPECT_EQ(view.colour, TextColour::Red);
    EXPECT_TRUE(view.enabled);
}

TEST_F(CrDispersionTest, MeasurementStopsAtTheFirstFailureWithoutWritingTheValue) {
    rig.printer.setCrMeasurementReadings(1000, 1190);
    Tick(view, {false, false, true, true});
    rig.dropAfterMorePackets(12);  // the ready wait and a few moves get through
    EXPECT_EQ(CRHeatProtectOffsetOKBtnClick(frame), kPortFailure);
    EXPECT_TRUE(rig.eepromWritesSince().empty());
    EXPECT_EQ(view.colour, TextColour::Red);
    EXPECT_TRUE(view.enabled);
    EXPECT_FALSE(view.hourglass);
}

}  // namespace
}  // namespace veltra::test
