// The packet transport of the virtual printer, driven with hand-built packets and checked byte by
// byte.
#include <gtest/gtest.h>

#include "SimTestUtil.h"
#include "sim/D4Device.h"

namespace veltra::sim::test {
namespace {

class D4DeviceTest : public ::testing::Test {
protected:
    ManualClock clock;
    VirtualPrinter printer{clock, 0};
    Host host{printer};
};

TEST_F(D4DeviceTest, PacketModeEntryIsAnsweredWithZPlus80AndResult) {
    EXPECT_EQ(host.exchange(entryPacket()),
              (Bytes{0x00, 0x00, 0x00, 0x08, 0x01, 0x00, 0xDA, 0x00}));
    EXPECT_TRUE(printer.inPacketMode());
}

TEST_F(D4DeviceTest, PacketModeEntryCarriesTheInjectedResultAndStaysOutOfPacketMode) {
    printer.faults().packetModeResult = 1;
    EXPECT_EQ(host.exchange(entryPacket()),
              (Bytes{0x00, 0x00, 0x00, 0x08, 0x01, 0x00, 0xDA, 0x01}));
    EXPECT_FALSE(printer.inPacketMode());
    EXPECT_TRUE(host.exchange(initPacket()).empty());
}

TEST_F(D4DeviceTest, TransportCommandsBeforeTheEntryGetNoAnswer) {
    EXPECT_TRUE(host.exchange(initPacket()).empty());
    EXPECT_TRUE(host.exchange(openPacket(0x02)).empty());
}

TEST_F(D4DeviceTest, TransportRepliesByteByByte) {
    host.exchange(entryPacket());
    struct Case {
        const char* name;
        Bytes request;
        Bytes reply;
    };
    const Case cases[] = {
        {"Init", initPacket(), {0x00, 0x00, 0x00, 0x09, 0x01, 0x00, 0x80, 0x00, 0x10}},
        {"OpenChannel 2",
         openPacket(0x02),
         {0x00, 0x00, 0x00, 0x10, 0x01, 0x00, 0x81, 0x00, 0x02, 0x02, 0x04, 0x00, 0x04, 0x00, 0x00,
          0x00}},
        {"OpenChannel 40",
         openPacket(0x40),
         {0x00, 0x00, 0x00, 0x10, 0x01, 0x00, 0x81, 0x00, 0x40, 0x40, 0x04, 0x00, 0x04, 0x00, 0x00,
          0x00}},
        {"Credit: no amount in the reply",
         creditPacket(0x40, 2),
         {0x00, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x83, 0x00, 0x40, 0x40}},
        {"CreditRequest: grant at bytes 10-11",
         creditRequestPacket(0x40, 200),
         {0x00, 0x00, 0x00, 0x0C, 0x01, 0x00, 0x84, 0x00, 0x40, 0x40, 0x00, 0xC8}},
        {"CreditRequest 0x0102",
         creditRequestPacket(0x02, 0x0102),
         {0x00, 0x00, 0x00, 0x0C, 0x01, 0x00, 0x84, 0x00, 0x02, 0x02, 0x01, 0x02}},
        {"CloseChannel",
         closePacket(0x40),
         {0x00, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x82, 0x00, 0x40, 0x40}},
        {"OpenChannel on a socket the printer lacks",
         openPacket(0x05),
         {0x00, 0x00, 0x00, 0x10, 0x01, 0x00, 0x81, 0x04, 0x05, 0x05, 0x04, 0x00, 0x04, 0x00, 0x00,
          0x00}},
        {"Exit", exitPacket(), {0x00, 0x00, 0x00, 0x08, 0x01, 0x00, 0x88, 0x00}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(host.exchange(c.request), c.reply) << c.name;
    }
    EXPECT_FALSE(printer.inPacketMode());
    EXPECT_FALSE(printer.channelOpen(0x02));
}

TEST_F(D4DeviceTest, PacketsSplitAtAnyByteAreFramedWhole) {
    const Bytes stream = cat(entryPacket(), initPacket());
    for (std::uint8_t b : stream) {
        host.write({b});
    }
    EXPECT_EQ(host.readAll(), cat({0x00, 0x00, 0x00, 0x08, 0x01, 0x00, 0xDA, 0x00},
                                  {0x00, 0x00, 0x00, 0x09, 0x01, 0x00, 0x80, 0x00, 0x10}));
    EXPECT_EQ(printer.hostPackets(), 2u);
}

TEST_F(D4DeviceTest, ChannelDataOnAClosedChannelDrawsError84) {
    host.exchange(entryPacket());
    host.exchange(initPacket());
    EXPECT_EQ(host.exchange(channelPacket(0x02, Bytes{'s', 't', 0x01, 0x00, 0x01})),
              (Bytes{0x00, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x7F, 0x02, 0x02, 0x84}));
    EXPECT_EQ(host.exchange(creditPacket(0x40, 1)),
              (Bytes{0x00, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x7F, 0x40, 0x40, 0x84}));
    EXPECT_EQ(host.exchange(creditRequestPacket(0x02, 1)),
              (Bytes{0x00, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x7F, 0x02, 0x02, 0x84}));
    EXPECT_EQ(host.exchange(creditRequestPacket(0x05, 1)),
              (Bytes{0x00, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x7F, 0x05, 0x05, 0x84}))
        << "a socket the printer lacks";
}

TEST_F(D4DeviceTest, ImpossibleLengthDrawsError80AndTheLinkRecovers) {
    host.exchange(entryPacket());
    EXPECT_EQ(host.exchange({0x00, 0x00, 0x00, 0x03, 0x01, 0x00}),
              (Bytes{0x00, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x7F, 0x00, 0x00, 0x80}));
    EXPECT_EQ(host.exchange({0x40, 0x40, 0x10, 0x00, 0x00, 0x00}),
              (Bytes{0x00, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x7F, 0x40, 0x40, 0x80}));
    EXPECT_EQ(printer.malformedPackets(), 2u);
    EXPECT_EQ(host.exchange(initPacket()).at(6), 0x80);
}

TEST_F(D4DeviceTest, TruncatedTransportCommandDrawsError80) {
    host.exchange(entryPacket());
    host.exchange(initPacket());
    host.exchange(openPacket(0x40));
    const Bytes error80{0x00, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x7F, 0x00, 0x00, 0x80};
    // Each command one byte short of the fields it carries.
    const Bytes credit = creditPacket(0x40, 2);
    const Bytes creditRequest = creditRequestPacket(0x40, 2);
    const std::pair<const char*, Bytes> cases[] = {
        {"Credit without its sockets", {0x00, 0x00, 0x00, 0x08, 0x01, 0x00, 0x03, 0x40}},
        {"Credit without its last credit byte", Bytes(credit.begin(), credit.end() - 1)},
        {"CreditRequest without its last byte",
         Bytes(creditRequest.begin(), creditRequest.end() - 1)},
    };
    for (const auto& [name, request] : cases) {
        Bytes cut = request;
        cut[3] = std::uint8_t(cut.size());
        EXPECT_EQ(host.exchange(cut), error80) << name;
    }
    EXPECT_EQ(printer.creditFromHost(0x40), 0u);
    EXPECT_EQ(printer.creditForHost(0x40), 0u);
}

// A host may grant and ask for 0xFFFF credits as often as it likes: the totals neither wrap
// nor overflow, and stop at the cap.
TEST_F(D4DeviceTest, CreditTotalsGrowPastTheIntRangeAndStopAtTheCap) {
    host.exchange(entryPacket());
    host.exchange(initPacket());
    host.exchange(openPacket(0x40));
    const std::uint64_t grants = 40000;  // 40000 * 0xFFFF is past the int range
    for (std::uint64_t i = 0; i < grants; ++i) {
        host.exchange(creditPacket(0x40, 0xFFFF));
        host.exchange(creditRequestPacket(0x40, 0xFFFF));
    }
    EXPECT_EQ(printer.creditFromHost(0x40), grants * 0xFFFF);
    EXPECT_EQ(printer.creditForHost(0x40), grants * 0xFFFF);
    for (std::uint64_t i = 0; i < 30000; ++i) {
        host.exchange(creditPacket(0x40, 0xFFFF));
    }
    EXPECT_EQ(printer.creditFromHost(0x40), D4Device::kCreditCap);
}

TEST_F(D4DeviceTest, InjectedErrorPacketAnswersTheNextPacketOnce) {
    host.exchange(entryPacket());
    printer.faults().errorPacket = 0x82;
    EXPECT_EQ(host.exchange(initPacket()),
              (Bytes{0x00, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x7F, 0x00, 0x00, 0x82}));
    EXPECT_FALSE(printer.faults().errorPacket.has_value());
    EXPECT_EQ(host.exchange(initPacket()).at(6), 0x80);
}

TEST_F(D4DeviceTest, InjectedErrorPacketCanWaitForItsSocket) {
    host.start();
    printer.faults().errorPacket = 0x84;
    printer.faults().errorPacketSocket = 0x02;
    // Transport packets travel on socket 0: they are answered as usual.
    EXPECT_EQ(host.exchange(creditPacket(0x02, 1)).size(), 10u);
    EXPECT_EQ(host.exchange(creditRequestPacket(0x02, 1)).size(), 12u);
    EXPECT_EQ(host.exchange(channelPacket(0x02, Bytes{'s', 't', 0x01, 0x00, 0x01})),
              (Bytes{0x00, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x7F, 0x02, 0x02, 0x84}));
    // The host reopens the channel and goes on.
    EXPECT_EQ(host.exchange(openPacket(0x02)).at(7), 0x00);
    EXPECT_EQ(host.control(Bytes{'s', 't', 0x01, 0x00, 0x01}).at(0), '@');
}

TEST_F(D4DeviceTest, NoReplySwallowsEverything) {
    printer.faults().noReply = true;
    EXPECT_TRUE(host.exchange(entryPacket()).empty());
    EXPECT_EQ(printer.hostPackets(), 1u);
    EXPECT_FALSE(printer.inPacketMode());
}

TEST_F(D4DeviceTest, SilentAfterNHostPacketsAnswersTheFirstNAndStillTakesTheRest) {
    printer.faults().silentAfterPackets = 2;
    EXPECT_EQ(host.exchange(entryPacket()).size(), 8u);
    EXPECT_EQ(host.exchange(initPacket()).size(), 9u);
    EXPECT_TRUE(host.exchange(openPacket(0x02)).empty());
    EXPECT_EQ(printer.hostPackets(), 3u);
    EXPECT_TRUE(printer.connected());
    // A new session, on the same line or a new one, counts afresh.
    EXPECT_EQ(host.exchange(entryPacket()).size(), 8u);
    EXPECT_EQ(host.exchange(initPacket()).size(), 9u);
    EXPECT_TRUE(host.exchange(openPacket(0x02)).empty());
    printer.resetLink();
    EXPECT_EQ(host.exchange(entryPacket()).size(), 8u);
}

TEST_F(D4DeviceTest, ConnectionDropsAfterNHostPacketsAndIgnoresFurtherWrites) {
    printer.faults().dropAfterPackets = 2;
    host.write(entryPacket());
    EXPECT_TRUE(printer.connected());
    host.write(initPacket());
    EXPECT_FALSE(printer.connected());
    // The two replies already queued can still be read; a third packet is not taken.
    host.write(openPacket(0x02));
    EXPECT_EQ(printer.hostPackets(), 2u);
    EXPECT_EQ(host.readAll().size(), 8u + 9u);
    printer.resetLink();
    EXPECT_TRUE(printer.connected());
}

TEST_F(D4DeviceTest, PrintDataRepliesWaitForTheHostsCredit) {
    host.exchange(entryPacket());
    host.exchange(initPacket());
    host.exchange(openPacket(0x40));
    host.exchange(creditRequestPacket(0x40, 2));
    // ReadEepromByteData for 0x5D: the answer needs credit from the host.
    host.printData(factoryFrame(0x3A, 0x91, 0x41, 0xBE, 0xA0, {0x5D}));
    EXPECT_EQ(printer.pending(), 0u);
    EXPECT_EQ(printer.heldPackets(), 1u);
    const Bytes reply = host.exchange(creditPacket(0x40, 2));
    ASSERT_EQ(reply.size(), 10u + 6u + 19u);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 10),
              (Bytes{0x00, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x83, 0x00, 0x40, 0x40}));
    EXPECT_EQ(Bytes(reply.begin() + 10, reply.begin() + 16),
              (Bytes{0x40, 0x40, 0x00, 0x19, 0x00, 0x00}));
    EXPECT_EQ(std::string(reply.begin() + 16, reply.end()), "@BDC PS\r\nEE:5D2A;\r\n");
    EXPECT_EQ(printer.creditFromHost(0x40), 1u);
}

TEST_F(D4DeviceTest, HostPacketsBeyondCreditAreCountedAndStillTaken) {
    host.exchange(entryPacket());
    host.exchange(initPacket());
    host.exchange(openPacket(0x40));
    host.exchange(creditRequestPacket(0x40, 1));
    host.printData({0x1B, 0x40});
    EXPECT_EQ(printer.hostOverruns(), 0u);
    EXPECT_EQ(printer.creditForHost(0x40), 0u);
    host.printData({0x1B, 0x40});
    EXPECT_EQ(printer.hostOverruns(), 1u);
    EXPECT_EQ(printer.printCommands().size(), 2u);
}

TEST_F(D4DeviceTest, OpeningTheDataChannelAgainStartsItsCreditAfresh) {
    host.start();
    EXPECT_EQ(printer.creditForHost(0x40), 200u);
    host.exchange(openPacket(0x40));
    EXPECT_EQ(printer.creditForHost(0x40), 0u);
    EXPECT_EQ(printer.creditFromHost(0x40), 0u);
}

}  // namespace
}  // namespace veltra::sim::test
