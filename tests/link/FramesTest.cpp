// Remote-mode frames and factory frames, byte for byte, and the factory EEPROM read.
#include <gtest/gtest.h>

#include <functional>

#include "link/Malfactory.h"
#include "link/Malremote.h"
#include "tests/link/FakePort.h"

namespace veltra::test {
namespace {

// The payload of the last packet written on the print data channel.
Bytes lastPayload(const Rig& r) {
    const Bytes& w = r.port.writes.back();
    EXPECT_GE(w.size(), 6u);
    EXPECT_EQ(w[0], 0x40);
    EXPECT_EQ(std::size_t(w[2]) * 256 + w[3], w.size());
    return Bytes(w.begin() + 6, w.end());
}

TEST(RemoteFrames, Bytes) {
    Rig r;
    r.openChannels();
    TPRemote remote(r.link);
    ASSERT_EQ(remote.EnterRemote(), kOk);
    EXPECT_EQ(lastPayload(r), cat({{0x1B, 0x28, 0x52, 0x08, 0x00, 0x00}, bytesOf("REMOTE1")}));
    ASSERT_EQ(remote.RemoteSN(0, 3), kOk);
    EXPECT_EQ(lastPayload(r), (Bytes{'S', 'N', 0x03, 0x00, 0x00, 0x00, 0x03}));
    ASSERT_EQ(remote.ExitRemote(), kOk);
    EXPECT_EQ(lastPayload(r), (Bytes{0x1B, 0x00, 0x00, 0x00, 0x1B, 0x40}));
    EXPECT_EQ(r.port.writes.size(), 3u);

    r.port.writeResults.push_back(-1);
    EXPECT_EQ(remote.RemoteSN(0, 0), kPortFailure);
}

TEST(FactoryFrames, BytesOfEveryCommand) {
    struct Case {
        const char* name;
        std::function<Status(TPFactory&)> send;
        Bytes frame;
    };
    const Bytes head{0x1B, 0x7C, 0x00};
    const Bytes model{0x3A, 0x91};
    const std::vector<Case> cases{
        {"SetBidValues VSD2 -3/-128", [](TPFactory& f) { return f.SetBidValues(2, -3, -128); },
         cat({head, {0x0A, 0x00}, model, {0x00, 0xFF, 0x00, 0x02, 0xFD, 0xFF, 0x80, 0xFF}})},
        {"SetBidValues ECO 60/5", [](TPFactory& f) { return f.SetBidValues(4, 60, 5); },
         cat({head, {0x0A, 0x00}, model, {0x00, 0xFF, 0x00, 0x04, 0x3C, 0x00, 0x05, 0x00}})},
        {"SetPfValue -4", [](TPFactory& f) { return f.SetPfValue(-4); },
         cat({head, {0x06, 0x00}, model, {0x04, 0xFB, 0x02, 0xFC}})},
        {"FinishValues", [](TPFactory& f) { return f.FinishValues(); },
         cat({head, {0x05, 0x00}, model, {0x50, 0xAF, 0x28}})},
        {"HeadAngleMode 255", [](TPFactory& f) { return f.HeadAngleMode(255); },
         cat({head, {0x06, 0x00}, model, {0xD1, 0x2E, 0xE8, 0xFF}})},
        {"HeadAngleEnd", [](TPFactory& f) { return f.HeadAngleEnd(); },
         cat({head, {0x05, 0x00}, model, {0xCB, 0x34, 0xE5}})},
        {"MechSet 6 -6", [](TPFactory& f) { return f.MechSet(6, -6); },
         cat({head, {0x09, 0x00}, model, {0xCD, 0x32, 0xE6, 0x06, 0x00, 0xFA, 0xFF}})},
        {"MechRun 2 1 300", [](TPFactory& f) { return f.MechRun(2, 1, 300); },
         cat({head, {0x09, 0x00}, model, {0xC5, 0x3A, 0xE2, 0x02, 0x01, 0x2C, 0x01}})},
        {"MechPause 9", [](TPFactory& f) { return f.MechPause(9); },
         cat({head, {0x06, 0x00}, model, {0xCA, 0x35, 0x65, 0x09}})},
    };
    for (const auto& c : cases) {
        Rig r;
        r.openChannels();
        TPFactory factory(r.link);
        factory.SetModelCode(0x3A, 0x91);
        ASSERT_EQ(c.send(factory), kOk) << c.name;
        EXPECT_EQ(lastPayload(r), c.frame) << c.name;
    }
}

TEST(FactoryFrames, CleanChargeStagesTheInitialiseSequence) {
    Rig r;
    r.openChannels();
    TPFactory factory(r.link);
    factory.SetModelCode(0x3B, 0xA5);
    ASSERT_EQ(factory.CleanCharge(4), kOk);
    EXPECT_EQ(lastPayload(r),
              (Bytes{0x1B, 0x7C, 0x00, 0x06, 0x00, 0x3B, 0xA5, 0x84, 0x7B, 0x42, 0x04}));
    EXPECT_EQ(r.link.stagedCount(), 2u);
    ASSERT_EQ(r.link.FlushData(), kOk);
    EXPECT_EQ(lastPayload(r), (Bytes{0x1B, 0x40}));

    // A refused frame sends no initialise sequence.
    r.port.writeResults.push_back(-1);
    EXPECT_EQ(factory.CleanCharge(6), kPortFailure);
    EXPECT_EQ(r.link.stagedCount(), 0u);
}

TEST(FactoryFrames, ReadEepromByteData) {
    const std::vector<EepromReadCase> cases{
        {"FD", packet(0x40, eepromReadText(0xFD)), kOk, kNoError, 0xFD},
        {"7a", packet(0x40, eepromReadText('7', 'a')), kOk, kNoError, 154},
        {"header two bytes late", packet(0x40, cat({bytesOf("xx"), eepromReadText(0x10)})),
         kFactoryFailure, factory_error::kNoReplyHeader, 0xEE},
        {"too short for the value", packet(0x40, bytesOf("@BDC PS\r\n")), kFactoryFailure,
         factory_error::kNoReplyHeader, 0xEE},
        {"empty payload", packet(0x40, {}), kFactoryFailure, factory_error::kNoReplyHeader, 0xEE},
    };
    for (const auto& c : cases) {
        Rig r;
        r.openChannels();
        TPFactory factory(r.link);
        factory.SetModelCode(0x3A, 0x91);
        r.port.reply(c.reply);
        std::uint8_t value = 0xEE;
        EXPECT_EQ(factory.ReadEepromByteData(0x73, value), c.status) << c.name;
        EXPECT_EQ(factory.LastError(), c.detail) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
        EXPECT_EQ(lastPayload(r),
                  (Bytes{0x1B, 0x7C, 0x00, 0x06, 0x00, 0x3A, 0x91, 0x41, 0xBE, 0xA0, 0x73}));
    }

    // Link failures pass up unchanged and leave the factory's detail alone.
    Rig r;
    r.openChannels();
    TPFactory factory(r.link);
    r.port.reply(errorPacket(0x84, 0x40));
    std::uint8_t value = 0;
    EXPECT_EQ(factory.ReadEepromByteData(0x70, value), kTransportFailure);
    EXPECT_EQ(r.link.LastError(), 0x84);
    EXPECT_EQ(factory.LastError(), kNoError);
}

TEST(FactoryFrames, ModelCodeStaysBetweenCommandsAndShorterFramesSendOnlyTheirBytes) {
    Rig r;
    r.openChannels();
    TPFactory factory(r.link);
    factory.SetModelCode(0x3B, 0xA5);
    ASSERT_EQ(factory.MechRun(1, 2, 3), kOk);
    ASSERT_EQ(factory.FinishValues(), kOk);
    EXPECT_EQ(lastPayload(r), (Bytes{0x1B, 0x7C, 0x00, 0x05, 0x00, 0x3B, 0xA5, 0x50, 0xAF, 0x28}));
}

}  // namespace
}  // namespace veltra::test
