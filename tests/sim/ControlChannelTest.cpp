// The control channel: status text, EEPROM byte read and write, "rs", through whole packets.
#include <gtest/gtest.h>

#include "SimTestUtil.h"
#include "sim/ControlChannel.h"

namespace veltra::sim::test {
namespace {

const Bytes kStatusRequest = {'s', 't', 0x01, 0x00, 0x01};

Bytes readRequest(std::uint8_t m0, std::uint8_t m1, std::uint8_t address) {
    return {'|', '|', 0x06, 0x00, m0, m1, 0x41, 0xBE, 0xA0, address};
}
Bytes writeRequest(std::uint8_t m0, std::uint8_t m1, std::uint8_t address, std::uint8_t value) {
    return {'|', '|', 0x07, 0x00, m0, m1, 0x42, 0xBD, 0x21, address, value};
}
std::string str(const Bytes& b) {
    return {b.begin(), b.end()};
}

class ControlChannelTest : public ::testing::Test {
protected:
    void SetUp() override { host.start(); }
    ManualClock clock;
    VirtualPrinter printer{clock, 0};
    Host host{printer};
};

TEST_F(ControlChannelTest, ReplyTravelsOnSocket2WithAChannelHeader) {
    host.exchange(creditPacket(0x02, 1));
    host.exchange(creditRequestPacket(0x02, 1));
    const Bytes reply = host.exchange(channelPacket(0x02, kStatusRequest));
    ASSERT_GE(reply.size(), 6u);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 6),
              (Bytes{0x02, 0x02, 0x00, std::uint8_t(reply.size()), 0x00, 0x00}));
    EXPECT_EQ(printer.controlRequests().back(), kStatusRequest);
}

TEST_F(ControlChannelTest, StatusTextCarriesStateInksAndErrorWhenThereIsOne) {
    EXPECT_EQ(str(host.control(kStatusRequest)), "@BDC ST\r\nST:04;IQ:50505050505050;\r\n");
    printer.setState(0x00);
    printer.setError(0x06);
    printer.setInkLevels({0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F, 0x64});
    EXPECT_EQ(str(host.control(kStatusRequest)), "@BDC ST\r\nST:00;ER:06;IQ:0A1B2C3D4E5F64;\r\n");
    printer.setError(0x0A);
    printer.setState(0x08);
    const std::string s = str(host.control(kStatusRequest));
    EXPECT_NE(s.find("ST:08;"), std::string::npos);
    EXPECT_NE(s.find("ER:0A;"), std::string::npos);
}

TEST_F(ControlChannelTest, MalformedStatusHasNeitherStNorIq) {
    printer.faults().malformedStatus = true;
    const std::string s = str(host.control(kStatusRequest));
    EXPECT_FALSE(s.empty());
    EXPECT_EQ(s.find("ST:"), std::string::npos);
    EXPECT_EQ(s.find("IQ:"), std::string::npos);
}

TEST_F(ControlChannelTest, EepromReadPutsTheValueInHexAtPositions14And15) {
    printer.eeprom()[0x5D] = 0x2A;
    printer.eeprom()[0xC7] = 0xF0;
    EXPECT_EQ(str(host.control(readRequest(0x3A, 0x91, 0x5D))), "@BDC PS\r\nEE:5D2A;\r\n");
    const Bytes r = host.control(readRequest(0x3A, 0x91, 0xC7));
    ASSERT_GE(r.size(), 16u);
    EXPECT_EQ(str(Bytes(r.begin(), r.begin() + 7)), "@BDC PS");
    EXPECT_EQ(r[14], 'F');
    EXPECT_EQ(r[15], '0');
}

TEST_F(ControlChannelTest, EepromWriteAnswersOAtPosition6AndStoresTheByte) {
    const Bytes r = host.control(writeRequest(0x3A, 0x91, 0x79, 0x19));
    ASSERT_GE(r.size(), 7u);
    EXPECT_EQ(r[6], 'O');
    EXPECT_EQ(printer.eeprom()[0x79], 0x19);
}

TEST_F(ControlChannelTest, RefusedOrBusyWritesChangeNothing) {
    for (char letter : {'B', 'N'}) {
        printer.eeprom()[0x30] = 0x11;
        printer.faults().eepromWriteLetter = letter;
        const Bytes r = host.control(writeRequest(0x3A, 0x91, 0x30, 0x80));
        ASSERT_GE(r.size(), 7u);
        EXPECT_EQ(r[6], letter);
        EXPECT_EQ(printer.eeprom()[0x30], 0x11) << letter;
    }
}

TEST_F(ControlChannelTest, MalformedOrForeignRequestsAreRefused) {
    printer.eeprom()[0x10] = 0x55;
    struct Case {
        const char* name;
        Bytes request;
    };
    const Case cases[] = {
        {"other model's code on a write", writeRequest(0x3B, 0xA5, 0x10, 0x00)},
        {"damaged command bytes", {'|', '|', 0x07, 0x00, 0x3A, 0x91, 0x42, 0xBD, 0x20, 0x10, 0}},
        {"length beyond the payload",
         {'|', '|', 0x09, 0x00, 0x3A, 0x91, 0x42, 0xBD, 0x21, 0x10, 0}},
        {"truncated write", {'|', '|', 0x07, 0x00, 0x3A, 0x91, 0x42}},
        {"unknown request", Bytes{'z', 'z', 0x01, 0x00, 0x01}},
    };
    for (const Case& c : cases) {
        const Bytes r = host.control(c.request);
        ASSERT_GE(r.size(), 7u) << c.name;
        EXPECT_EQ(r[6], 'N') << c.name;
    }
    EXPECT_EQ(printer.eeprom()[0x10], 0x55);
    // A read with the other model's code does not look like a read reply.
    EXPECT_NE(str(host.control(readRequest(0x3B, 0xA5, 0x10))).rfind("@BDC PS", 0), 0u);
}

TEST_F(ControlChannelTest, K45AnswersItsOwnModelCode) {
    VirtualPrinter k45(clock, 1);
    Host h(k45);
    h.start();
    EXPECT_EQ(str(h.control(readRequest(0x3B, 0xA5, 0xB0))), "@BDC PS\r\nEE:B095;\r\n");
    EXPECT_EQ(h.control(writeRequest(0x3A, 0x91, 0xB0, 0x94)).at(6), 'N');
}

TEST_F(ControlChannelTest, RsIsAccepted) {
    const Bytes r = host.control(Bytes{'r', 's', 0x01, 0x00, 0x01});
    ASSERT_GE(r.size(), 7u);
    EXPECT_EQ(r[6], 'O');
}

}  // namespace
}  // namespace veltra::sim::test
