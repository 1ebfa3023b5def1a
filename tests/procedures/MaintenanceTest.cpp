#include <gtest/gtest.h>

#include "procedures/Maintenance.h"
#include "tests/procedures/ProcedureRig.h"

namespace veltra::test {
namespace {

// The expected wire, written out from the sequence tables with plain byte layouts.
struct Expect {
    std::vector<Wire> wire;
    Expect& set(std::uint8_t unit, std::int16_t v) {
        const auto u = std::uint16_t(v);
        wire.push_back({0xCD, {unit, 0x00, std::uint8_t(u & 0xFF), std::uint8_t(u >> 8)}});
        return *this;
    }
    Expect& run(std::uint8_t unit, std::uint8_t dir, std::uint16_t count) {
        wire.push_back({0xC5, {unit, dir, std::uint8_t(count & 0xFF), std::uint8_t(count >> 8)}});
        return *this;
    }
    Expect& pause(std::uint8_t c) {
        wire.push_back({0xCA, {c}});
        return *this;
    }
    Expect& finish() {
        wire.push_back({0x50, {}});
        return *this;
    }
    Expect& park() { return set(6, -6).run(53, 1, 150); }
    Expect& sweep() { return set(0, 1900).set(6, 1930).set(6, 1900).set(0, 368); }
    Expect& release() { return set(8, 91).set(6, 0); }
    Expect& pump(int n) {
        run(66, 0, 8000).pause(1).run(64, 0, 6959).pause(1);
        for (int i = 0; i < 2 * n; ++i) {
            run(64, 0, 30000).run(64, 0, 30000).run(64, 0, 30000).run(64, 0, 23088);
        }
        return pause(n == 1 ? 10 : 100).run(67, 1, 150);
    }
    Expect& ret() {
        return set(6, 91)
            .set(7, 242)
            .pause(5)
            .set(6, 338)
            .run(65, 0, 4780)
            .pause(1)
            .run(65, 0, 17090)
            .pause(1)
            .run(66, 1, 8000)
            .pause(1)
            .run(64, 1, 6959);
    }
    Expect& fill() {
        return set(6, 91)
            .run(66, 0, 8000)
            .pause(1)
            .run(64, 0, 6959)
            .pause(1)
            .run(67, 1, 150)
            .set(6, 0);
    }
    Expect& end() { return set(250, 6).run(53, 1, 150).run(53, 0, 150).set(0, 6); }
    Expect& jig0() {
        park().fill();
        for (int i = 0; i < 6; ++i) {
            run(64, 0, 20000);
        }
        run(64, 0, 5800).pause(50).run(67, 1, 150);
        ret().set(8, 116).fill().run(64, 0, 20000).run(64, 0, 14750).pause(50).run(67, 1, 150);
        return ret().set(8, 116).set(6, 91).set(6, 0).end();
    }
    Expect& jig1() {
        park().fill().run(64, 0, 12892).pause(50).run(67, 1, 150);
        ret().set(8, 116).set(6, 91);
        set(6, 0).pause(30).set(6, 91).set(0, 2092).pause(30).set(0, 268);
        return set(6, 0).end();
    }
};

std::vector<Wire> Received(const Rig& rig) {
    std::vector<Wire> out;
    for (const auto& f : rig.factorySince()) {
        EXPECT_TRUE(f.modelCodeMatched && f.checkBytesMatched);
        out.push_back({f.command, f.params});
    }
    return out;
}

using MaintenanceTest = RigTest;

TEST(MechSequences, StepCountsOfTheTables) {
    EXPECT_EQ(Expect{}.pump(1).wire.size(), 14u);
    EXPECT_EQ(Expect{}.pump(3).wire.size(), 30u);
    EXPECT_EQ(Expect{}.jig0().wire.size(), 59u);
    EXPECT_EQ(Expect{}.jig1().wire.size(), 36u);
}

TEST_F(MaintenanceTest, CleaningAndInkChargeSendOneSequenceAndWaitItOut) {
    struct Case {
        Status (*click)(AdjustFrame&);
        std::uint8_t sequence;
        const char* done;
    };
    const Case cases[] = {{CleaningOKBtnClick, 4, "Head cleaning is completed."},
                          {ChargeOKBtnClick, 6, "Ink Charge is completed."}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.done);
        rig.mark();
        const std::int64_t start = rig.clock.nowMs();
        EXPECT_EQ(c.click(frame), kOk);
        EXPECT_EQ(Received(rig), (std::vector<Wire>{{0x84, {c.sequence}}}));
        // The printer reports cleaning for a while; the completion waits until it is ready.
        EXPECT_GE(rig.clock.nowMs() - start, 5000);
        EXPECT_EQ(view.statusText(), c.done);
        EXPECT_EQ(view.colour, TextColour::Black);
        EXPECT_FALSE(view.enabled);
        frame.OnTimer(Timer::DisableTimer);
        EXPECT_TRUE(view.enabled);
    }
}

TEST_F(MaintenanceTest, CleaningOnAJammedPrinterSendsNothing) {
    rig.printer.setState(0x00);
    rig.printer.setError(0x04);
    EXPECT_EQ(CleaningOKBtnClick(frame), kPrinterError);
    EXPECT_TRUE(Received(rig).empty());
    EXPECT_EQ(view.statusText(), "Paper jam error");
    EXPECT_TRUE(view.enabled);
}

TEST_F(MaintenanceTest, CleaningOnADroppedLinkReportsAndUnlocks) {
    rig.dropAfterMorePackets(2);
    EXPECT_EQ(CleaningOKBtnClick(frame), kPortFailure);
    EXPECT_EQ(view.colour, TextColour::Red);
    EXPECT_NE(view.statusText(), "Head cleaning is completed.");
    EXPECT_TRUE(view.enabled);
    EXPECT_FALSE(view.hourglass);
}

TEST_F(MaintenanceTest, JigChargeSendsBothPassesInOrder) {
    EXPECT_EQ(ChargeForJigOKBtnClick(frame), kOk);
    Expect expected;
    expected.jig0().jig1();
    EXPECT_EQ(Received(rig), expected.wire);
    EXPECT_EQ(view.statusText(), "Ink Charge is completed.");
}

TEST_F(MaintenanceTest, JigChargeFailingInPassZeroSkipsPassOne) {
    const Status status = [&] {
        // Let the ready wait and the first steps through, then drop the cable.
        rig.dropAfterMorePackets(20);
        return ChargeForJigOKBtnClick(frame);
    }();
    EXPECT_EQ(status, kPortFailure);
    const auto received = Received(rig);
    EXPECT_FALSE(received.empty());
    EXPECT_LT(received.size(), Expect{}.jig0().wire.size());
    const auto pass0 = Expect{}.jig0().wire;
    EXPECT_TRUE(std::equal(received.begin(), received.end(), pass0.begin()));
    EXPECT_EQ(view.colour, TextColour::Red);
    EXPECT_TRUE(view.enabled);
}

std::vector<std::pair<std::uint8_t, std::uint8_t>> ExchangeWrites() {
    std::vector<std::pair<std::uint8_t, std::uint8_t>> w{{0x30, 0x80}};
    for (int a : {0x02, 0x03, 0x08, 0x09, 0x0A, 0x0B}) {
        w.emplace_back(std::uint8_t(a), 0);
    }
    for (int a = 0x10; a <= 0x1F; ++a) {
        w.emplace_back(std::uint8_t(a), 0);
    }
    w.emplace_back(0x30, 0x10);
    w.emplace_back(0x31, 0x00);
    return w;
}

TEST_F(MaintenanceTest, LiquidExchangeSendsEveryStepAndWritesTheEeprom) {
    auto& e = rig.printer.eeprom();
    for (int a = 0; a < 0x40; ++a) {
        e[std::size_t(a)] = 0xAA;
    }
    frame.MaintRdoGrpClick(3);
    EXPECT_EQ(MessageOKBtnClick(frame), kOk);

    Expect expected;
    expected.finish().park().set(8, 116);
    for (int i = 0; i < 4; ++i) {
        expected.sweep().release().pump(1).ret().sweep().release().pump(3).ret();
    }
    expected.finish().release().end();
    EXPECT_EQ(expected.wire.size(), 323u);
    EXPECT_EQ(Received(rig), expected.wire);
    EXPECT_EQ(rig.eepromWritesSince(), ExchangeWrites());

    for (int a : {0x02, 0x03, 0x08, 0x0B, 0x10, 0x1F, 0x31}) {
        EXPECT_EQ(e[std::size_t(a)], 0) << a;
    }
    EXPECT_EQ(e[0x30], 0x10);
    EXPECT_EQ(e[0x0C], 0xAA);  // not one of the cleared bytes
    EXPECT_EQ(e[0x20], 0xAA);

    EXPECT_EQ(view.panel, Panel::TraStep4Pnl);
    EXPECT_EQ(view.statusText(), "Transportion Liquid Exchange is completed.");
    EXPECT_TRUE(rig.state.TransLiquidDone);
    for (Control c : {Control::AdjustmentTab, Control::MaintRdoGrp, Control::AdjustRtnBtn,
                      Control::GetStatusBtn}) {
        EXPECT_TRUE(view.controlEnabled(c));
    }
}

TEST_F(MaintenanceTest, LiquidExchangeLocksNavigationWhileRunning) {
    bool lockedDuringRun = false;
    rig.clock.onAdvance([&](std::int64_t) {
        if (!view.controlEnabled(Control::AdjustmentTab) &&
            !view.controlEnabled(Control::AdjustRtnBtn) &&
            !view.controlEnabled(Control::GetStatusBtn) && !view.enabled) {
            lockedDuringRun = true;
        }
    });
    MessageOKBtnClick(frame);
    EXPECT_TRUE(lockedDuringRun);
}

// A link that drops part-way: every step is still sent (the printer must end in its transport
// state), but the exchange is not called completed: the first failure and the count of steps
// that did not reach the printer, no switch-off panel, and the close shuts the link down.
TEST_F(MaintenanceTest, LiquidExchangeOnADroppedLinkRunsOnButIsNotCalledCompleted) {
    frame.MaintRdoGrpClick(3);
    rig.dropAfterMorePackets(30);
    EXPECT_EQ(MessageOKBtnClick(frame), kPortFailure);
    EXPECT_GT(Received(rig).size(), 5u);
    EXPECT_LT(Received(rig).size(), 323u);
    EXPECT_EQ(view.panel, Panel::TraStep0Pnl);
    EXPECT_EQ(view.colour, TextColour::Red);
    const std::string text = view.statusText();
    EXPECT_EQ(text.substr(0, text.find('\n')), "Transmission error");
    EXPECT_NE(text.find(" of 34 steps of the exchange did not reach the printer."),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("completed"), std::string::npos);
    EXPECT_FALSE(rig.state.TransLiquidDone);
    EXPECT_TRUE(view.controlEnabled(Control::AdjustRtnBtn));
    EXPECT_TRUE(view.enabled);
    frame.FormClose();
    EXPECT_FALSE(rig.objects.driver.isOpen());
}

TEST_F(MaintenanceTest, CountDownRunsTenToZeroThenAllowsUnplugging) {
    frame.MaintRdoGrpClick(3);
    view.showPanel(Panel::TraStep4Pnl);
    PowerSwOffOKBtnClick(frame);
    EXPECT_TRUE(view.isVisible(Widget::DischargeWaitLbl));
    EXPECT_TRUE(view.isVisible(Widget::DischargeCountDownMemo));
    EXPECT_EQ(view.timers, std::set<Timer>{Timer::CountDownTimer});
    std::vector<std::string> shown;
    int ticks = 0;
    while (!view.timers.empty() && ticks < 30) {
        ASSERT_EQ(view.timers.size(), 1u);  // the two timers hand over, never run together
        EXPECT_FALSE(view.isVisible(Widget::DischargeCompleteLbl));
        frame.OnTimer(*view.timers.begin());
        shown.push_back(view.countDown);
        ++ticks;
    }
    EXPECT_EQ(ticks, 11);
    EXPECT_EQ(shown,
              (std::vector<std::string>{"10", "9", "8", "7", "6", "5", "4", "3", "2", "1", "0"}));
    EXPECT_TRUE(view.isVisible(Widget::DischargeCompleteLbl));
}

TEST_F(MaintenanceTest, CountDownRestartsCleanlyOnASecondPress) {
    PowerSwOffOKBtnClick(frame);
    frame.OnTimer(Timer::CountDownTimer);
    frame.OnTimer(Timer::CountDownTimer2);
    PowerSwOffOKBtnClick(frame);
    EXPECT_EQ(view.timers, std::set<Timer>{Timer::CountDownTimer});
    frame.OnTimer(Timer::CountDownTimer);
    EXPECT_EQ(view.countDown, "10");
}

struct CounterCase {
    Status (*click)(AdjustFrame&);
    std::uint8_t first;
    std::vector<std::uint8_t> bytes;
    const char* text;
};

Status CheckProtection(AdjustFrame& f) {
    return ProCounterOKBtnClick(f, CounterChoice::CheckPresent);
}

TEST_F(MaintenanceTest, CountersReadTheirBytesInOrder) {
    const CounterCase cases[] = {
        {CheckProtection, 0x02, {0xC2, 0x40}, "Protection Counter = 49728 points"},
        {CheckProtection, 0x02, {0x0F, 0x61}, "Protection Counter = 3937 points"},
        {PageCountOKBtnClick, 0x20, {0x80, 0, 0, 0}, "Page counter = -2147483648"},
        {PageCountOKBtnClick, 0x20, {0, 0x01, 0x02, 0x03}, "Page counter = 66051"},
        {PrintPassCountOKBtnClick, 0x24, {0xFF, 0xFF, 0xFF, 0xFF}, "Print pass counter = -1"},
        {PrintPassCountOKBtnClick,
         0x24,
         {0x7F, 0xFF, 0xFF, 0xFF},
         "Print pass counter = 2147483647"},
    };
    for (const CounterCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::uint8_t> addresses;
        for (std::size_t i = 0; i < c.bytes.size(); ++i) {
            rig.printer.eeprom()[c.first + i] = c.bytes[i];
            addresses.push_back(std::uint8_t(c.first + i));
        }
        rig.mark();
        EXPECT_EQ(c.click(frame), kOk);
        EXPECT_EQ(view.statusText(), c.text);
        EXPECT_EQ(rig.eepromReadsSince(), addresses);
    }
    EXPECT_EQ(view.panel, Panel::ProCounterCheckPnl);
}

TEST_F(MaintenanceTest, FailedCounterReadShowsOnlyTheFailure) {
    rig.printer.faults().malformedStatus = false;
    rig.dropAfterMorePackets(1);
    EXPECT_EQ(PageCountOKBtnClick(frame), kPortFailure);
    EXPECT_EQ(view.statusText().find("Page counter"), std::string::npos);
    EXPECT_EQ(view.colour, TextColour::Red);
}

TEST_F(MaintenanceTest, InkPadClearsWriteTheCounterAndReadBack) {
    struct Case {
        Status (*click)(AdjustFrame&);
        std::uint8_t high, low;
        const char* reads;
    };
    const Case cases[] = {{NewInkPadClearBtnClick, 0x0F, 0x61, "Protection Counter = 3937 points"},
                          {OldInkPadClearBtnClick, 0x00, 0x00, "Protection Counter = 0 points"}};
    for (const Case& c : cases) {
        rig.printer.eeprom()[2] = 0x12;
        rig.printer.eeprom()[3] = 0x34;
        view.setSummary(SummaryField::ShowProCounterPnl, "");
        rig.mark();
        EXPECT_EQ(c.click(frame), kOk);
        EXPECT_EQ(rig.eepromWritesSince(), (std::vector<std::pair<std::uint8_t, std::uint8_t>>{
                                               {0x02, c.high}, {0x03, c.low}}));
        EXPECT_EQ(view.statusText(), "The protection counter has been cleared.");
        EXPECT_EQ(view.summary[SummaryField::ShowProCounterPnl], "Cleared");
        ProCounterOKBtnClick(frame, CounterChoice::CheckPresent);
        EXPECT_EQ(view.statusText(), c.reads);
    }
}

TEST_F(MaintenanceTest, RefusedFirstClearWriteSkipsTheSecond) {
    rig.printer.faults().eepromWriteLetter = 'N';
    view.setStatusText("old");
    EXPECT_EQ(OldInkPadClearBtnClick(frame), kTransportFailure);
    EXPECT_EQ(rig.eepromWritesSince().size(), 1u);
    EXPECT_EQ(view.statusText(), "Communication error.");
    EXPECT_EQ(view.summary.count(SummaryField::ShowProCounterPnl), 0u);
}

}  // namespace
}  // namespace veltra::test
