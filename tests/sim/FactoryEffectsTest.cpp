// What the factory frames on the print data channel do to the printer: EEPROM values, the
// cleaning state, the print-channel EEPROM read, the CR measurement readings.
#include <gtest/gtest.h>

#include "SimTestUtil.h"

namespace veltra::sim::test {
namespace {

class FactoryEffectsTest : public ::testing::Test {
protected:
    void SetUp() override { host.start(); }
    void send(std::uint8_t c, std::uint8_t notC, std::uint8_t rot, const Bytes& params) {
        host.printData(factoryFrame(0x3A, 0x91, c, notC, rot, params));
    }
    void setBid(const Bytes& params) { send(0x00, 0xFF, 0x00, params); }
    Bytes bidBytes() const {
        return Bytes(printer.eeprom().begin() + 0x70, printer.eeprom().begin() + 0x78);
    }

    ManualClock clock;
    VirtualPrinter printer{clock, 0};
    Host host{printer};
};

TEST_F(FactoryEffectsTest, SetBidValuesWritesTheKindsAddressesAndLeavesMinus128Alone) {
    const Bytes before = bidBytes();
    struct Case {
        Bytes params;
        std::size_t offset;  // from 0x70
        std::uint8_t black;
        std::uint8_t colour;
    };
    const Case cases[] = {
        {{0x01, 0x05, 0x00, 0x80, 0xFF}, 2, 0x05, before[3]},  // VSD1 black 5
        {{0x02, 0xFD, 0xFF, 0x80, 0xFF}, 4, 0xFD, before[5]},  // VSD2 black -3
        {{0x03, 0x80, 0xFF, 0xC4, 0xFF}, 6, before[6], 0xC4},  // VSD3 colour -60
        {{0x04, 0x3C, 0x00, 0x3C, 0x00}, 0, 0x3C, 0x3C},       // ECO both 60
    };
    for (const Case& c : cases) {
        setBid(c.params);
        EXPECT_EQ(printer.eeprom()[0x70 + c.offset], c.black) << int(c.params[0]);
        EXPECT_EQ(printer.eeprom()[0x71 + c.offset], c.colour) << int(c.params[0]);
    }
}

TEST_F(FactoryEffectsTest, SetBidValuesIgnoresUnknownKindsAndValuesWiderThanAByte) {
    const Bytes before = bidBytes();
    setBid({0x05, 0x01, 0x00, 0x01, 0x00});
    setBid({0x00, 0x01, 0x00, 0x01, 0x00});
    setBid({0x01, 0xC8, 0x00, 0x00, 0x01});  // 200 and 256
    setBid({0x01, 0x01});                    // too short
    EXPECT_EQ(bidBytes(), before);
    EXPECT_EQ(printer.factoryCommands().size(), 4u);
}

TEST_F(FactoryEffectsTest, FramesForAnotherModelOrWithBadCheckBytesDoNothing) {
    host.printData(factoryFrame(0x3B, 0xA5, 0x04, 0xFB, 0x02, {0x03}));
    send(0x04, 0xFB, 0x03, {0x03});
    send(0x04, 0xFA, 0x02, {0x03});
    EXPECT_EQ(printer.eeprom()[0x7D], 0x00);
    ASSERT_EQ(printer.factoryCommands().size(), 3u);
    EXPECT_FALSE(printer.factoryCommands()[0].modelCodeMatched);
    EXPECT_TRUE(printer.factoryCommands()[0].checkBytesMatched);
    EXPECT_TRUE(printer.factoryCommands()[1].modelCodeMatched);
    EXPECT_FALSE(printer.factoryCommands()[1].checkBytesMatched);
    EXPECT_FALSE(printer.factoryCommands()[2].checkBytesMatched);
    send(0x04, 0xFB, 0x02, {0xFC});  // PF -4
    EXPECT_EQ(printer.eeprom()[0x7D], 0xFC);
}

TEST_F(FactoryEffectsTest, FactoryFramesAreRecordedInStreamOrderWithTheirParameters) {
    host.printData({0x1B, 0x40});
    send(0xCD, 0x32, 0xE6, {0x06, 0x00, 0xFA, 0xFF});  // MechSet(6, -6)
    send(0xC5, 0x3A, 0xE2, {0x35, 0x01, 0x96, 0x00});  // MechRun(53, 1, 150)
    send(0xCA, 0x35, 0x65, {0x0A});                    // MechPause(10)
    send(0x50, 0xAF, 0x28, {});                        // FinishValues
    const auto& pc = printer.printCommands();
    ASSERT_EQ(pc.size(), 5u);
    EXPECT_EQ(pc[0].kind, PrintCommand::Kind::Init);
    EXPECT_EQ(pc[1].kind, PrintCommand::Kind::Factory);
    EXPECT_EQ(pc[1].bytes, (Bytes{0x3A, 0x91, 0xCD, 0x32, 0xE6, 0x06, 0x00, 0xFA, 0xFF}));
    const auto& fc = printer.factoryCommands();
    ASSERT_EQ(fc.size(), 4u);
    EXPECT_EQ(fc[0].command, 0xCD);
    EXPECT_EQ(fc[0].params, (Bytes{0x06, 0x00, 0xFA, 0xFF}));
    EXPECT_EQ(fc[1].command, 0xC5);
    EXPECT_EQ(fc[2].params, Bytes{0x0A});
    EXPECT_EQ(fc[3].command, 0x50);
    EXPECT_TRUE(fc[3].params.empty());
}

TEST_F(FactoryEffectsTest, FrameSplitBetweenPacketsTakesEffectOnceWhole) {
    const Bytes frame = factoryFrame(0x3A, 0x91, 0x04, 0xFB, 0x02, {0x02});
    host.printData(Bytes(frame.begin(), frame.begin() + 7));
    EXPECT_TRUE(printer.factoryCommands().empty());
    host.printData(Bytes(frame.begin() + 7, frame.end()));
    EXPECT_EQ(printer.eeprom()[0x7D], 0x02);
}

TEST_F(FactoryEffectsTest, CleanChargeReportsCleaningForAWhileThenReady) {
    send(0x84, 0x7B, 0x42, {0x04});
    EXPECT_EQ(printer.state(), 0x07);
    clock.advance(VirtualPrinter::kCleaningMs - 1);
    EXPECT_EQ(printer.state(), 0x07);
    clock.advance(1);
    EXPECT_EQ(printer.state(), 0x04);

    send(0x84, 0x7B, 0x42, {0x06});  // ink charge runs longer
    clock.advance(VirtualPrinter::kCleaningMs);
    EXPECT_EQ(printer.state(), 0x07);
    clock.advance(VirtualPrinter::kInkChargeMs - VirtualPrinter::kCleaningMs);
    EXPECT_EQ(printer.state(), 0x04);
}

TEST_F(FactoryEffectsTest, InkSwitchRunsACleaningThatStatusShows) {
    printer.pressInkSwitch();
    const Bytes status = host.control({'s', 't', 0x01, 0x00, 0x01});
    EXPECT_NE(std::string(status.begin(), status.end()).find("ST:07;"), std::string::npos);
    clock.advance(VirtualPrinter::kCleaningMs);
    EXPECT_EQ(printer.state(), 0x04);
}

TEST_F(FactoryEffectsTest, ReadEepromByteDataAnswersOnThePrintDataChannel) {
    printer.eeprom()[0x74] = 0xFD;
    send(0x41, 0xBE, 0xA0, {0x74});
    const Bytes reply = host.readAll();
    ASSERT_EQ(reply.size(), 6u + 19u);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 6), (Bytes{0x40, 0x40, 0x00, 0x19, 0x00, 0x00}));
    EXPECT_EQ(std::string(reply.begin() + 6, reply.end()), "@BDC PS\r\nEE:74FD;\r\n");
}

TEST_F(FactoryEffectsTest, CrMeasurementReadingsFollowTheMeasuringMoves) {
    printer.setCrMeasurementReading(0x03E8);
    EXPECT_EQ(printer.eeprom()[0x7E], 0x03);
    EXPECT_EQ(printer.eeprom()[0x7F], 0xE8);
    printer.setCrMeasurementReadings(1000, 1190);
    send(0xCD, 0x32, 0xE6, {0x00, 0x00, 0xF4, 0x04});  // MechSet(0, 1268): no reading
    EXPECT_EQ(printer.eeprom()[0x7F], 0xE8);
    send(0xCD, 0x32, 0xE6, {0x04, 0x00, 0x0C, 0x01});  // MechSet(4, 268)
    EXPECT_EQ((printer.eeprom()[0x7E] << 8) | printer.eeprom()[0x7F], 1000);
    send(0xCD, 0x32, 0xE6, {0x03, 0x00, 0x0C, 0x01});  // MechSet(3, 268)
    EXPECT_EQ((printer.eeprom()[0x7E] << 8) | printer.eeprom()[0x7F], 1190);
}

}  // namespace
}  // namespace veltra::sim::test
