// The packet transport: the start-up sequence byte for byte, transport command results, Error
// packets, malformed replies, credits and the staging of print data.
#include <gtest/gtest.h>

#include <numeric>

#include "tests/link/FakePort.h"

namespace veltra::test {
namespace {

const Bytes kStatusPacket{0x02, 0x02, 0x00, 0x0B, 0x00, 0x00, 's', 't', 0x01, 0x00, 0x01};

TEST(D4Comm, StartLinkSendsTheStartUpSequenceByteForByte) {
    Rig r;
    r.port.reply(packetModeReply());
    r.port.reply(initReply());
    r.port.reply(openReply(kControlSocket));
    r.queueControl(statusText("04"));
    r.port.reply(openReply(kDataSocket));

    ASSERT_EQ(r.link.StartLink(), kOk);
    EXPECT_FALSE(r.driver.deviceId().empty());
    const std::vector<Bytes> expected{
        kPacketModeEntry,
        kInitRequest,
        openRequest(0x02),
        creditRequest(0x02, 1),
        creditRequestRequest(0x02, 1),
        kStatusPacket,
        openRequest(0x40),
    };
    EXPECT_EQ(r.port.writes, expected);
    EXPECT_EQ(kPacketModeEntry.size(), 27u);
    EXPECT_EQ(r.link.IsChannelOpen(kControlSocket), 1);
    EXPECT_EQ(r.link.IsChannelOpen(kDataSocket), 1);
    EXPECT_EQ(r.link.PrinterState(), printer_state::kReady);
    EXPECT_EQ(r.link.LastError(), kNoError);
}

TEST(D4Comm, StartLinkStopsAtTheFirstFailure) {
    struct Case {
        const char* name;
        std::vector<Bytes> replies;
        Status status;
        Detail detail;
        std::size_t writes;
    };
    const Bytes badStatus = packet(2, bytesOf("@BDC ST2\r\nST:04;"));
    const std::vector<Case> cases{
        {"packet mode refused", {packetModeReply(1)}, kTransportFailure, 0x51, 1},
        {"packet mode odd result", {packetModeReply(2)}, kTransportFailure, -1, 1},
        {"packet mode wrong echo", {transportReply('Y', 0)}, kTransportFailure, -1, 1},
        {"init 1", {packetModeReply(), initReply(1)}, kTransportFailure, 0x11, 2},
        {"init 2", {packetModeReply(), initReply(2)}, kTransportFailure, 0x12, 2},
        {"init 11", {packetModeReply(), initReply(11)}, kTransportFailure, 0x13, 2},
        {"init 3", {packetModeReply(), initReply(3)}, kTransportFailure, -1, 2},
        {"open control 4",
         {packetModeReply(), initReply(), openReply(2, 4)},
         kTransportFailure,
         0x21,
         3},
        {"status without IQ",
         {packetModeReply(), initReply(), openReply(2), creditReply(2), creditRequestReply(2, 1),
          badStatus},
         kTransportFailure,
         0xA0,
         6},
    };
    for (const auto& c : cases) {
        Rig r;
        for (const auto& b : c.replies) {
            r.port.reply(b);
        }
        EXPECT_EQ(r.link.StartLink(), c.status) << c.name;
        EXPECT_EQ(r.link.LastError(), c.detail) << c.name;
        EXPECT_EQ(r.port.writes.size(), c.writes) << c.name;
    }

    Rig r;
    r.port.deviceId.clear();
    EXPECT_EQ(r.link.StartLink(), kPortFailure);
    EXPECT_EQ(r.driver.LastError(), port_error::kNoDeviceId);
    EXPECT_TRUE(r.port.writes.empty());

    Rig silent;  // no reply at all: the port's failure passes up unchanged
    EXPECT_EQ(silent.link.StartLink(), kPortFailure);
    EXPECT_EQ(silent.driver.LastError(), port_error::kReadTime);
}

TEST(D4Comm, OpenChannelResults) {
    struct Case {
        std::uint8_t result;
        Status status;
        Detail detail;
        bool open;
    };
    const Case cases[] = {
        {0, kOk, kNoError, true},
        {6, kOk, 0x23, true},  // already open: still usable
        {4, kTransportFailure, 0x21, false},
        {5, kTransportFailure, 0x22, false},
        {9, kTransportFailure, 0x24, false},
        {12, kTransportFailure, 0x25, false},
        {13, kTransportFailure, 0x26, false},
        {3, kTransportFailure, -1, false},
    };
    for (const auto& c : cases) {
        for (const std::uint8_t socket : {kControlSocket, kDataSocket}) {
            Rig r;
            r.port.reply(openReply(socket, c.result));
            EXPECT_EQ(r.link.OpenChannel(socket), c.status) << int(c.result);
            EXPECT_EQ(r.link.LastError(), c.detail) << int(c.result);
            EXPECT_EQ(r.link.IsChannelOpen(socket), c.open ? 1 : 0) << int(c.result);
            EXPECT_EQ(r.port.writes.at(0), openRequest(socket));
        }
    }
}

TEST(D4Comm, OpenChannelResultSixKeepsTheCreditCounters) {
    Rig r;
    r.openChannels(50, 60);
    ASSERT_EQ(r.link.DataCredit(), 50);
    r.port.reply(openReply(kDataSocket, 6));
    EXPECT_EQ(r.link.OpenChannel(kDataSocket), kOk);
    EXPECT_EQ(r.link.LastError(), 0x23);
    EXPECT_EQ(r.link.DataCredit(), 50);
    EXPECT_EQ(r.link.PrinterCredit(), 60);

    r.port.reply(openReply(kDataSocket, 0));
    EXPECT_EQ(r.link.OpenChannel(kDataSocket), kOk);
    EXPECT_EQ(r.link.DataCredit(), 0);
    EXPECT_EQ(r.link.PrinterCredit(), 0);
}

TEST(D4Comm, CloseChannelAndExit) {
    struct Case {
        std::uint8_t result;
        Status status;
        Detail detail;
    };
    const Case cases[] = {{0, kOk, kNoError},
                          {3, kTransportFailure, 0x41},
                          {8, kTransportFailure, 0x32},
                          {1, kTransportFailure, -1}};
    for (const auto& c : cases) {
        Rig r;
        r.openChannels(0, 0);
        r.port.reply(closeReply(kDataSocket, c.result));
        EXPECT_EQ(r.link.CloseChannel(kDataSocket, 0), c.status);
        EXPECT_EQ(r.link.LastError(), c.detail);
        EXPECT_EQ(r.link.IsChannelOpen(kDataSocket), c.status == kOk ? 0 : 1);
        EXPECT_EQ(r.link.IsChannelOpen(kControlSocket), 1);
        EXPECT_EQ(r.port.writes.at(0), closeRequest(kDataSocket, 0));
    }

    Rig r;
    r.port.reply(transportReply(0x08, 0x05));  // the result of Exit is not looked at
    EXPECT_EQ(r.link.ExitTransport(), kOk);
    EXPECT_EQ(r.port.writes.at(0), kExitRequest);
}

TEST(D4Comm, CreditResultsOnTheControlChannel) {
    struct Case {
        const char* name;
        std::vector<Bytes> replies;
        Detail detail;
    };
    const std::vector<Case> cases{
        {"credit 7", {creditReply(2, 7)}, 0x31},
        {"credit 8", {creditReply(2, 8)}, 0x32},
        {"credit 2", {creditReply(2, 2)}, -1},
        {"request 7", {creditReply(2), creditRequestReply(2, 1, 7)}, 0x31},
        {"request 8", {creditReply(2), creditRequestReply(2, 1, 8)}, 0x32},
        {"request 9", {creditReply(2), creditRequestReply(2, 1, 9)}, -1},
    };
    for (const auto& c : cases) {
        Rig r;
        r.openChannels(0, 0);
        for (const auto& b : c.replies) {
            r.port.reply(b);
        }
        const std::uint8_t req[2] = {'s', 't'};
        EXPECT_EQ(r.link.ControlTransact(req, 2), kTransportFailure) << c.name;
        EXPECT_EQ(r.link.LastError(), c.detail) << c.name;
        EXPECT_EQ(r.port.writes.size(), c.replies.size()) << "no request after a failed credit";
    }
}

TEST(D4Comm, ErrorPacketsGiveTheirCode) {
    for (int code = 0x7E; code <= 0x89; ++code) {
        Rig r;
        r.port.reply(errorPacket(std::uint8_t(code)));
        EXPECT_EQ(r.link.OpenChannel(kDataSocket), kTransportFailure);
        const bool known = code >= 0x80 && code <= 0x87;
        EXPECT_EQ(r.link.LastError(), known ? Detail(code) : Detail(-1)) << code;
        EXPECT_EQ(r.link.IsChannelOpen(kDataSocket), 0);
    }
}

TEST(D4Comm, ErrorPacket84OnAControlRequestClosesTheControlChannel) {
    Rig r;
    r.openChannels(0, 0);
    r.port.reply(creditReply(2));
    r.port.reply(creditRequestReply(2, 1));
    r.port.reply(errorPacket(0x84));
    const std::uint8_t req[5] = {'s', 't', 1, 0, 1};
    EXPECT_EQ(r.link.ControlTransact(req, 5), kTransportFailure);
    EXPECT_EQ(r.link.LastError(), 0x84);
    EXPECT_EQ(r.link.IsChannelOpen(kControlSocket), 0);
    EXPECT_EQ(r.link.IsChannelOpen(kDataSocket), 1);

    // The next request opens the channel again first.
    r.port.writes.clear();
    r.port.reply(openReply(2));
    r.queueControl(bytesOf("abc"));
    EXPECT_EQ(r.link.ControlTransact(req, 5), kOk);
    EXPECT_EQ(r.port.writes.at(0), openRequest(2));
    EXPECT_EQ(r.port.writes.size(), 4u);

    // Any other Error packet leaves the channel open.
    r.port.reply(creditReply(2));
    r.port.reply(creditRequestReply(2, 1));
    r.port.reply(errorPacket(0x83));
    EXPECT_EQ(r.link.ControlTransact(req, 5), kTransportFailure);
    EXPECT_EQ(r.link.LastError(), 0x83);
    EXPECT_EQ(r.link.IsChannelOpen(kControlSocket), 1);
}

TEST(D4Comm, ControlReplyPayloadMovesToTheStartZeroTerminated) {
    Rig r;
    r.openForControl(bytesOf("xyz"));
    const std::uint8_t req[5] = {'s', 't', 1, 0, 1};
    ASSERT_EQ(r.link.ControlTransact(req, 5), kOk);
    EXPECT_EQ(r.link.replyPayloadLength(), 3u);
    EXPECT_EQ(Bytes(r.link.replyBuffer(), r.link.replyBuffer() + 4), (Bytes{'x', 'y', 'z', 0}));
    EXPECT_EQ(r.link.replyText(), "xyz");
    EXPECT_EQ(r.port.writes.back(), (Bytes{0x02, 0x02, 0x00, 0x0B, 0, 0, 's', 't', 1, 0, 1}));

    // A second packet in the same read is not part of this reply.
    r.port.reply(creditReply(2));
    r.port.reply(creditRequestReply(2, 1));
    r.port.reply(cat({packet(2, bytesOf("ab")), packet(2, bytesOf("cd"))}));
    ASSERT_EQ(r.link.ControlTransact(req, 5), kOk);
    EXPECT_EQ(r.link.replyText(), "ab");

    // A reply on another socket is no control reply.
    r.port.reply(creditReply(2));
    r.port.reply(creditRequestReply(2, 1));
    r.port.reply(packet(0x40, bytesOf("ab")));
    EXPECT_EQ(r.link.ControlTransact(req, 5), kTransportFailure);
    EXPECT_EQ(r.link.LastError(), -1);
}

TEST(D4Comm, MalformedRepliesFailWithoutReadingPastWhatCame) {
    struct Case {
        const char* name;
        Bytes reply;
    };
    const std::vector<Case> cases{
        {"fewer than 6 bytes", {0x00, 0x00, 0x00, 0x08}},
        {"header length below 6", {0x00, 0x00, 0x00, 0x03, 0x01, 0x00, 0x81, 0x00}},
        {"header length past what came", {0x00, 0x00, 0x00, 0x14, 0x01, 0x00, 0x81, 0x00}},
        {"header length one byte past what came",
         {0x00, 0x00, 0x00, 0x11, 0x01, 0x00, 0x81, 0x00, 0x02, 0x02, 0x04, 0x00, 0x04, 0x00, 0x00,
          0x00}},
        {"header length past the buffer", {0x00, 0x00, 0x07, 0xFF, 0x01, 0x00, 0x81, 0x00}},
        {"no result byte", {0x00, 0x00, 0x00, 0x07, 0x01, 0x00, 0x81}},
        {"header only", {0x00, 0x00, 0x00, 0x06, 0x01, 0x00}},
        {"short Error packet", {0x00, 0x00, 0x00, 0x09, 0x01, 0x00, 0x7F, 0x02, 0x02}},
    };
    for (const auto& c : cases) {
        Rig r;
        r.port.reply(c.reply);
        EXPECT_EQ(r.link.OpenChannel(kControlSocket), kTransportFailure) << c.name;
        EXPECT_EQ(r.link.LastError(), -1) << c.name;
        EXPECT_EQ(r.link.IsChannelOpen(kControlSocket), 0) << c.name;
    }
}

TEST(D4Comm, GrantCreditAddsTheGrantedAmountWhenTheReplyCarriesNone) {
    Rig r;
    r.openChannels(0, 0);
    // An earlier, longer reply leaves bytes behind where a credit amount would stand.
    r.port.reply(creditRequestReply(kDataSocket, 0x7777));
    r.port.reply(creditReply(kDataSocket));
    const std::uint8_t cmd[1] = {0};
    ASSERT_EQ(r.link.SendCommand(cmd, 1), kOk);
    EXPECT_EQ(r.link.DataCredit(), 0x7776);
    EXPECT_EQ(r.link.PrinterCredit(), 2);
    EXPECT_EQ(r.port.writes.at(0), creditRequestRequest(0x40, 2));
    EXPECT_EQ(r.port.writes.at(1), creditRequest(0x40, 2));
    EXPECT_EQ(r.port.writes.at(2), (Bytes{0x40, 0x40, 0x00, 0x07, 0x00, 0x00, 0x00}));

    // A credit request reply without its amount is malformed.
    Rig s;
    s.openChannels(0, 0);
    s.port.reply(transportReply(0x04, 0x00, {0x40, 0x40}));
    EXPECT_EQ(s.link.SendCommand(cmd, 1), kTransportFailure);
    EXPECT_EQ(s.link.LastError(), -1);
}

TEST(D4Comm, CreditCountersDoNotWrapBelowZero) {
    Rig r;
    r.openChannels(0, 0);
    r.port.reply(creditRequestReply(kDataSocket, 0));  // the printer grants nothing
    r.port.reply(creditReply(kDataSocket));
    const std::uint8_t cmd[1] = {0};
    ASSERT_EQ(r.link.SendCommand(cmd, 1), kOk);
    EXPECT_EQ(r.link.DataCredit(), 0);

    // So the next command asks again.
    r.port.writes.clear();
    r.port.reply(creditRequestReply(kDataSocket, 2));
    ASSERT_EQ(r.link.SendCommand(cmd, 1), kOk);
    EXPECT_EQ(r.port.writes.at(0), creditRequestRequest(0x40, 2));
    EXPECT_EQ(r.link.DataCredit(), 1);
}

TEST(D4Comm, CreditTopUpThresholds) {
    // SendCommand tops up at 1 or less; WriteData at 10 or less.
    struct Case {
        bool data;
        std::uint16_t credit;
        bool asks;
    };
    const Case cases[] = {{false, 1, true}, {false, 2, false}, {true, 10, true}, {true, 11, false}};
    for (const auto& c : cases) {
        Rig r;
        r.openChannels(c.credit, 300);
        if (c.asks) {
            r.port.reply(creditRequestReply(kDataSocket, 200));
        }
        const std::uint8_t b[1] = {0};
        ASSERT_EQ(c.data ? r.link.WriteData(b, 1) : r.link.SendCommand(b, 1), kOk);
        const bool asked = !r.port.writes.empty() &&
                           r.port.writes[0] == creditRequestRequest(0x40, c.data ? 200 : 2);
        EXPECT_EQ(asked, c.asks) << c.credit;
    }
}

Bytes run(std::size_t n, std::uint8_t start) {
    Bytes b(n);
    std::iota(b.begin(), b.end(), start);
    return b;
}

TEST(D4Comm, PrintDataLeavesIn1000BytePacketsAndSendCommandFlushesFirst) {
    Rig r;
    r.openChannels(0, 0);
    r.port.reply(creditRequestReply(kDataSocket, 200));
    r.port.reply(creditReply(kDataSocket));
    const Bytes a = run(800, 0), b = run(800, 100), c = run(800, 200);
    ASSERT_EQ(r.link.WriteData(a.data(), a.size()), kOk);
    EXPECT_EQ(r.link.stagedCount(), 800u);
    ASSERT_EQ(r.link.WriteData(b.data(), b.size()), kOk);
    ASSERT_EQ(r.link.WriteData(c.data(), c.size()), kOk);

    ASSERT_EQ(r.port.writes.size(), 4u);
    EXPECT_EQ(r.port.writes[0], creditRequestRequest(0x40, 200));
    EXPECT_EQ(r.port.writes[1], creditRequest(0x40, 200));
    const Bytes stream = cat({a, b, c});
    const Bytes header1006{0x40, 0x40, 0x03, 0xEE, 0x00, 0x00};
    EXPECT_EQ(r.port.writes[2], cat({header1006, Bytes(stream.begin(), stream.begin() + 1000)}));
    EXPECT_EQ(r.port.writes[3],
              cat({header1006, Bytes(stream.begin() + 1000, stream.begin() + 2000)}));
    EXPECT_EQ(r.link.stagedCount(), 400u);
    EXPECT_EQ(r.link.DataCredit(), 198);

    const std::uint8_t cmd[3] = {'S', 'N', 0};
    ASSERT_EQ(r.link.SendCommand(cmd, 3), kOk);
    ASSERT_EQ(r.port.writes.size(), 6u);
    EXPECT_EQ(r.port.writes[4], cat({{0x40, 0x40, 0x01, 0x96, 0x00, 0x00},
                                     Bytes(stream.begin() + 2000, stream.end())}));
    EXPECT_EQ(r.port.writes[5], (Bytes{0x40, 0x40, 0x00, 0x09, 0x00, 0x00, 'S', 'N', 0}));
    EXPECT_EQ(r.link.stagedCount(), 0u);
    EXPECT_EQ(r.link.DataCredit(), 196);
}

TEST(D4Comm, StagedCountStaysBelowAPacketEvenForALargeWrite) {
    Rig r;
    r.openChannels(200, 200);
    const Bytes a = run(999, 0), b = run(1024, 7);
    ASSERT_EQ(r.link.WriteData(a.data(), a.size()), kOk);
    ASSERT_EQ(r.link.WriteData(b.data(), b.size()), kOk);
    EXPECT_EQ(r.port.writes.size(), 2u);
    EXPECT_EQ(r.link.stagedCount(), 23u);
    EXPECT_EQ(r.port.writes[1].size(), 1006u);
}

TEST(D4Comm, FlushWithNothingStagedSendsNothing) {
    Rig r;
    EXPECT_EQ(r.link.FlushData(), kOk);
    EXPECT_TRUE(r.port.writes.empty());
}

TEST(D4Comm, AFailedPacketWriteDropsTheStagedPacket) {
    Rig r;
    r.openChannels(200, 200);
    const Bytes a = run(999, 0), b = run(5, 0);
    ASSERT_EQ(r.link.WriteData(a.data(), a.size()), kOk);
    r.port.writeResults.push_back(-1);
    EXPECT_EQ(r.link.WriteData(b.data(), b.size()), kPortFailure);
    EXPECT_EQ(r.driver.LastError(), port_error::kWrite);
    EXPECT_EQ(r.link.stagedCount(), 0u);

    ASSERT_EQ(r.link.WriteData(b.data(), 3), kOk);
    r.port.writeResults.push_back(2);  // a short write
    EXPECT_EQ(r.link.FlushData(), kPortFailure);
    EXPECT_EQ(r.link.stagedCount(), 0u);
    EXPECT_EQ(r.link.FlushData(), kOk);
}

TEST(D4Comm, OversizedPayloadsEndTheProgram) {
    Rig r;
    r.openChannels(200, 200);
    const Bytes big(1025, 0);
    EXPECT_THROW(r.link.WriteData(big.data(), big.size()), ProgramEnded);
    EXPECT_THROW(r.link.SendCommand(big.data(), 1019), ProgramEnded);
    EXPECT_EQ(r.ui.ended, (std::vector<std::string>{"Program miss!!!", "Program miss!!!"}));
    EXPECT_EQ(r.link.SendCommand(big.data(), 1018), kOk);
    EXPECT_EQ(r.port.writes.back().size(), 1024u);
}

TEST(D4Comm, PrintDataOpensTheChannelFirstAndAFailedOpenStops) {
    Rig r;
    r.port.reply(openReply(kDataSocket, 5));
    const std::uint8_t b[1] = {0};
    EXPECT_EQ(r.link.SendCommand(b, 1), kTransportFailure);
    EXPECT_EQ(r.link.LastError(), 0x22);
    EXPECT_EQ(r.port.writes.size(), 1u);

    r.port.reply(openReply(kDataSocket));
    r.port.reply(creditRequestReply(kDataSocket, 200));
    r.port.reply(creditReply(kDataSocket));
    EXPECT_EQ(r.link.WriteData(b, 1), kOk);
    EXPECT_EQ(r.port.writes.at(1), openRequest(0x40));
    EXPECT_EQ(r.link.IsChannelOpen(kDataSocket), 1);
}

TEST(D4Comm, ReceiveDataCopiesThePayloadAndHonoursErrorPackets) {
    Rig r;
    r.openChannels(200, 200);
    r.port.reply(packet(0x40, bytesOf("@BDC PS hello")));
    std::array<std::uint8_t, 64> out{};
    std::size_t n = 0;
    ASSERT_EQ(r.link.ReceiveData(out.data(), out.size(), n), kOk);
    EXPECT_EQ(n, 13u);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 13), bytesOf("@BDC PS hello"));
    EXPECT_EQ(r.link.PrinterCredit(), 199);

    // A payload longer than the caller's buffer is cut there.
    r.port.reply(packet(0x40, Bytes(100, 'q')));
    std::array<std::uint8_t, 8> small{};
    ASSERT_EQ(r.link.ReceiveData(small.data(), small.size(), n), kOk);
    EXPECT_EQ(n, 8u);

    r.port.reply(packet(0x02, bytesOf("x")));
    EXPECT_EQ(r.link.ReceiveData(out.data(), out.size(), n), kTransportFailure);
    EXPECT_EQ(r.link.LastError(), -1);
    EXPECT_EQ(n, 0u);

    r.port.reply(errorPacket(0x84, 0x40));
    EXPECT_EQ(r.link.ReceiveData(out.data(), out.size(), n), kTransportFailure);
    EXPECT_EQ(r.link.LastError(), 0x84);
    EXPECT_EQ(r.link.IsChannelOpen(kDataSocket), 0);
    EXPECT_EQ(r.link.IsChannelOpen(kControlSocket), 1);
}

TEST(D4Comm, ParallelPortCarriesTheSameExchange) {
    Rig r(kParallelKind, 0x401);
    r.port.reply(openReply(kControlSocket));
    r.queueControl(bytesOf("OK"));
    ASSERT_EQ(r.link.OpenChannel(kControlSocket), kOk);
    const std::uint8_t req[2] = {'r', 's'};
    ASSERT_EQ(r.link.ControlTransact(req, 2), kOk);
    EXPECT_EQ(r.link.replyText(), "OK");
}

}  // namespace
}  // namespace veltra::test
