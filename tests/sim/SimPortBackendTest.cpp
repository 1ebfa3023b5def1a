// The in-process port backend: read and write rules, time on the clock, the dropped line.
#include <gtest/gtest.h>

#include "SimTestUtil.h"
#include "sim/SimPortBackend.h"

namespace veltra::sim::test {
namespace {

class SimPortBackendTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(port.open()); }
    long write(const Bytes& b) { return port.write(b.data(), b.size(), 10000); }

    ManualClock clock;
    VirtualPrinter printer{clock, 0};
    SimPortBackend port{printer, clock};
};

TEST_F(SimPortBackendTest, ReadWithNothingQueuedWaitsTheTimeOutOnTheClock) {
    std::uint8_t buf[16];
    EXPECT_EQ(port.read(buf, sizeof buf, false, 10), 0);
    EXPECT_EQ(port.read(buf, sizeof buf, true, 10000), 0);
    EXPECT_EQ(clock.nowMs(), 10010);
}

TEST_F(SimPortBackendTest, OneReadStopsAtThePacketsEnd) {
    EXPECT_EQ(write(entryPacket()), long(entryPacket().size()));
    EXPECT_EQ(write(initPacket()), 8);
    std::uint8_t buf[256];
    EXPECT_EQ(port.read(buf, sizeof buf, false, 10), 8);  // the entry reply alone
    EXPECT_EQ(buf[6], 0xDA);
    EXPECT_EQ(port.read(buf, 4, false, 10), 4);
    EXPECT_EQ(port.read(buf, sizeof buf, false, 10), 5);  // rest of the Init reply
    EXPECT_EQ(clock.nowMs(), 0);
}

TEST_F(SimPortBackendTest, ExactReadTakesAcrossPacketsAndWaitsWhenShort) {
    write(entryPacket());
    write(initPacket());
    std::uint8_t buf[32];
    EXPECT_EQ(port.read(buf, 6, true, 10000), 6);  // a header, as the parallel read takes it
    EXPECT_EQ(port.read(buf, 4, true, 10000), 4);  // crosses into the next packet
    EXPECT_EQ(clock.nowMs(), 0);
    EXPECT_EQ(port.read(buf, 20, true, 10000), 7);
    EXPECT_EQ(clock.nowMs(), 10000);
}

TEST_F(SimPortBackendTest, DroppedLineRefusesWritesAndEmptyReads) {
    printer.faults().dropAfterPackets = 1;
    EXPECT_EQ(write(entryPacket()), long(entryPacket().size()));
    EXPECT_EQ(write(initPacket()), -1);
    std::uint8_t buf[16];
    EXPECT_EQ(port.read(buf, sizeof buf, false, 10), 8);  // what came before the drop
    EXPECT_EQ(port.read(buf, sizeof buf, false, 10), -1);
    EXPECT_TRUE(port.deviceId().empty());
    port.close();
    EXPECT_FALSE(port.open());
}

TEST_F(SimPortBackendTest, DeviceIdNamesTheModel) {
    const auto id = port.deviceId();
    const std::string text(id.begin(), id.end());
    EXPECT_NE(text.find("MDL:Veltra K55;"), std::string::npos);
    VirtualPrinter k45(clock, 1);
    SimPortBackend other(k45, clock);
    const auto id45 = other.deviceId();
    EXPECT_NE(std::string(id45.begin(), id45.end()).find("MDL:Veltra K45;"), std::string::npos);
}

TEST_F(SimPortBackendTest, ClosedPortRefusesEverything) {
    port.close();
    std::uint8_t buf[4];
    EXPECT_EQ(write(entryPacket()), -1);
    EXPECT_EQ(port.read(buf, sizeof buf, false, 10), -1);
}

}  // namespace
}  // namespace veltra::sim::test
