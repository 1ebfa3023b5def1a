// The printer status grammar, the ready waits, "rs", and the EEPROM byte read and write on the
// control channel.
#include <gtest/gtest.h>

#include "tests/link/FakePort.h"

namespace veltra::test {
namespace {

struct StatusCase {
    const char* name;
    std::string text;
    Status status;
    Detail detail;
    std::int16_t state;
    std::int16_t error;
    std::uint8_t raw;
};

TEST(PrinterStatus, ReplyGrammar) {
    using namespace printer_state;
    using namespace printer_error;
    const std::vector<StatusCase> cases{
        {"ready", "ST:04;IQ:3C3C3C3C3C3C3C;", kOk, kNoError, kReady, kNone, 0},
        {"busy with paper out", "ST:02;ER:06;IQ:00;", kOk, kNoError, kError, kPaperOut, 0},
        {"before fill keeps its state", "ST:08;IQ:00;ER:00;", kOk, kNoError, kBeforeFill, kFatal,
         0},
        {"fields in any order", "IQ:00;ER:12;ST:03;WR:01;", kOk, kNoError, kError, kDoubleFeed, 0},
        {"unlisted error keeps its code", "ST:02;IQ:;ER:0A;", kOk, kNoError, kError, kUnknownError,
         10},
        {"unlisted state", "ST:05;IQ:;", kOk, kNoError, kUnknown, kNone, 0},
        {"lower-case digits are no state", "ST:0a;IQ:;", kOk, kNoError, kUnknown, kNone, 0},
        {"non-hex state", "ST:zz;IQ:;", kOk, kNoError, kUnknown, kNone, 0},
        {"state cut short", "IQ:;ST:4", kOk, kNoError, kUnknown, kNone, 0},
        {"non-hex error", "ST:04;IQ:;ER:x", kOk, kNoError, kError, kUnknownError, 0},
        {"no IQ", "ST:04;", kTransportFailure, 0xA0, kReady, kNone, 0},
        {"no ST", "IQ:00;ER:06;", kTransportFailure, 0xA0, kUnknown, kNone, 0},
        {"fields behind a zero byte are not read", std::string("ST:04;\0IQ:00;", 13),
         kTransportFailure, 0xA0, kReady, kNone, 0},
        {"empty", "", kTransportFailure, 0xA0, kUnknown, kNone, 0},
    };
    for (const auto& c : cases) {
        Rig r;
        r.openForControl(bytesOf(c.text));
        EXPECT_EQ(r.link.ReadStatus(), c.status) << c.name;
        EXPECT_EQ(r.link.LastError(), c.detail) << c.name;
        EXPECT_EQ(r.link.PrinterState(), c.state) << c.name;
        EXPECT_EQ(r.link.PrinterError(), c.error) << c.name;
        EXPECT_EQ(r.link.RawErrorCode(), c.raw) << c.name;
        EXPECT_EQ(r.port.writes.at(2), (Bytes{2, 2, 0, 11, 0, 0, 's', 't', 1, 0, 1})) << c.name;
    }
}

TEST(PrinterStatus, EveryStateAndErrorCode) {
    using namespace printer_state;
    using namespace printer_error;
    // Each "ST:" code alone, then each "ER:" code behind "ST:04".
    struct Case {
        const char* state;
        const char* error;  // empty: no "ER:" field
        std::int16_t wantState;
        std::int16_t wantError;
    };
    const Case cases[] = {
        {"00", "", kError, kNone},          {"01", "", kNozzleCheck, kNone},
        {"02", "", kBusy, kNone},           {"03", "", kPrinting, kNone},
        {"04", "", kReady, kNone},          {"06", "", kUnknown, kNone},
        {"07", "", kCleaning, kNone},       {"08", "", kBeforeFill, kNone},
        {"FF", "", kUnknown, kNone},        {"04", "00", kError, kFatal},
        {"04", "01", kError, kNotSelected}, {"04", "04", kError, kPaperJam},
        {"04", "05", kError, kInkOut},      {"04", "06", kError, kPaperOut},
        {"04", "10", kError, kMaintenance}, {"04", "12", kError, kDoubleFeed},
    };
    for (const auto& c : cases) {
        const std::string error = *c.error != '\0' ? std::string("ER:") + c.error + ";" : "";
        const std::string label = std::string("ST:") + c.state + ";" + error;
        Rig r;
        r.openForControl(statusText(c.state, error));
        ASSERT_EQ(r.link.ReadStatus(), kOk) << label;
        EXPECT_EQ(r.link.PrinterState(), c.wantState) << label;
        EXPECT_EQ(r.link.PrinterError(), c.wantError) << label;
        EXPECT_EQ(r.link.HasErrorField(), !error.empty()) << label;
        EXPECT_EQ(r.link.RawErrorCode(), 0) << label;
    }
}

TEST(PrinterStatus, OpensThePrintDataChannelUnlessThePrinterIsInError) {
    {
        Rig r;
        r.port.reply(openReply(kControlSocket));
        ASSERT_EQ(r.link.OpenChannel(kControlSocket), kOk);
        r.queueControl(statusText("02"));
        r.port.reply(openReply(kDataSocket, 5));  // its failure does not change the result
        EXPECT_EQ(r.link.ReadStatus(), kOk);
        EXPECT_EQ(r.link.LastError(), kNoError);
        EXPECT_EQ(r.port.writes.back(), openRequest(0x40));
        EXPECT_EQ(r.link.IsChannelOpen(kDataSocket), 0);
    }
    {
        Rig r;
        r.port.reply(openReply(kControlSocket));
        ASSERT_EQ(r.link.OpenChannel(kControlSocket), kOk);
        r.queueControl(statusText("04", "ER:05;"));
        EXPECT_EQ(r.link.ReadStatus(), kOk);
        EXPECT_EQ(r.port.writes.size(), 4u);
        EXPECT_EQ(r.link.IsChannelOpen(kDataSocket), 0);
    }
}

TEST(PrinterStatus, AFailedReadLeavesTheResetValues) {
    Rig r;
    r.openForControl(statusText("02", "ER:04;"));
    ASSERT_EQ(r.link.ReadStatus(), kOk);
    r.port.reply(creditReply(2, 7));
    EXPECT_EQ(r.link.ReadStatus(), kTransportFailure);
    EXPECT_EQ(r.link.PrinterState(), printer_state::kUnknown);
    EXPECT_EQ(r.link.PrinterError(), printer_error::kNone);
}

// Queues one poll of WaitUntilReady: the ESC @ packet needs no reply, then the status exchange.
void queuePoll(Rig& r, const Bytes& status) {
    r.queueControl(status);
}

TEST(PrinterStatus, WaitUntilReadyWaitsOutPaperOutAndSendsTheInitialiseSequence) {
    Rig r;
    r.openChannels(200, 200);
    queuePoll(r, statusText("02", "ER:06;"));
    queuePoll(r, statusText("02", "ER:06;"));
    queuePoll(r, statusText("03"));
    queuePoll(r, statusText("04"));
    const auto slept = r.clock.sleptMs();
    EXPECT_EQ(r.link.WaitUntilReady(), kOk);
    EXPECT_EQ(r.ui.errors, (std::vector<std::string>{"Paper out error", "Paper out error"}));
    // Four polls, each with its ESC @ packet, three 1000 ms pauses.
    const Bytes init{0x40, 0x40, 0x00, 0x08, 0x00, 0x00, 0x1B, 0x40};
    EXPECT_EQ(std::count(r.port.writes.begin(), r.port.writes.end(), init), 4);
    EXPECT_EQ(r.port.writes.size(), 16u);
    EXPECT_GE(r.clock.sleptMs() - slept, 3000);
    EXPECT_LT(r.clock.sleptMs() - slept, 4000);
}

TEST(PrinterStatus, WaitsEndOnPrinterErrorsAndBeforeFill) {
    struct Case {
        const char* name;
        Bytes status;
        Status result;
    };
    const std::vector<Case> cases{
        {"ink out", statusText("00", "ER:05;"), kPrinterError},
        {"unknown error", statusText("02", "ER:33;"), kPrinterError},
        {"before fill", statusText("08"), kPrinterError},
        {"ready", statusText("04"), kOk},
    };
    for (const auto& c : cases) {
        for (const bool withInit : {true, false}) {
            Rig r;
            r.openChannels(200, 200);
            r.queueControl(c.status);
            EXPECT_EQ(withInit ? r.link.WaitUntilReady() : r.link.WaitStatusReady(), c.result)
                << c.name;
            EXPECT_EQ(r.port.writes.size(), withInit ? 4u : 3u) << c.name;
            EXPECT_TRUE(r.ui.errors.empty());
        }
    }
}

TEST(PrinterStatus, UnlistedStateKeepsTheWaitPolling) {
    Rig r;
    r.openChannels(200, 200);
    r.queueControl(statusText("05"));
    r.queueControl(statusText("05"));
    r.queueControl(statusText("04"));
    EXPECT_EQ(r.link.WaitStatusReady(), kOk);
    EXPECT_EQ(r.port.writes.size(), 9u);  // no ESC @ in this wait
    EXPECT_EQ(r.clock.sleptMs() >= 2000, true);

    // A link failure in the middle ends the wait with its status.
    Rig s;
    s.openChannels(200, 200);
    s.queueControl(statusText("05"));
    s.queueControl(bytesOf("garbage"));
    EXPECT_EQ(s.link.WaitStatusReady(), kTransportFailure);
    EXPECT_EQ(s.link.LastError(), 0xA0);
}

// The observer hears of a wait only when it polls, and hears its end however it ends.
TEST(PrinterStatus, WaitObserverHearsAPollingWaitBeginAndEnd) {
    struct Case {
        const char* name;
        std::vector<Bytes> replies;
        Status result;
        std::vector<bool> told;
    };
    const std::vector<Case> cases{
        {"ready at once", {statusText("04")}, kOk, {}},
        {"error at once", {statusText("00", "ER:05;")}, kPrinterError, {}},
        {"busy, then ready",
         {statusText("01"), statusText("03"), statusText("04")},
         kOk,
         {true, false}},
        {"paper out, then ink out",
         {statusText("02", "ER:06;"), statusText("00", "ER:05;")},
         kPrinterError,
         {true, false}},
        {"busy, then the link fails",
         {statusText("01"), bytesOf("garbage")},
         kTransportFailure,
         {true, false}},
    };
    for (const auto& c : cases) {
        Rig r;
        r.openChannels(200, 200);
        for (const Bytes& reply : c.replies) {
            r.queueControl(reply);
        }
        std::vector<bool> told;
        r.link.setWaitObserver([&told](bool waiting) { told.push_back(waiting); });
        EXPECT_EQ(r.link.WaitStatusReady(), c.result) << c.name;
        EXPECT_EQ(told, c.told) << c.name;
    }
}

TEST(ControlRequests, RsAndTheWriteReplyLetter) {
    struct Case {
        Bytes reply;
        Status status;
        Detail detail;
    };
    const std::vector<Case> cases{
        {writeReplyText('O'), kOk, kNoError},
        {writeReplyText('B'), kTransportFailure, 0x90},
        {writeReplyText('N'), kTransportFailure, 0x91},
        {writeReplyText('o'), kTransportFailure, -1},
        {bytesOf("@BDC "), kTransportFailure, -1},  // too short to hold the letter
        {bytesOf("@BDC  "), kTransportFailure, -1},
    };
    for (const auto& c : cases) {
        Rig r;
        r.openForControl(c.reply);
        EXPECT_EQ(r.link.SendRs(), c.status);
        EXPECT_EQ(r.link.LastError(), c.detail);
        EXPECT_EQ(r.port.writes.at(2), (Bytes{2, 2, 0, 11, 0, 0, 'r', 's', 1, 0, 1}));
    }
}

TEST(ControlRequests, EepromByteReadBytesAndDecoding) {
    const std::vector<EepromReadCase> cases{
        {"3F", eepromReadText('3', 'F'), kOk, kNoError, 0x3F},
        {"00", eepromReadText(0x00), kOk, kNoError, 0x00},
        {"FF", eepromReadText(0xFF), kOk, kNoError, 0xFF},
        // Lower case is not a hex digit: 'a' counts as 0x61 - 0x37.
        {"7a", eepromReadText('7', 'a'), kOk, kNoError, 154},
        {"no header", bytesOf("@BDC PX\r\nEE:003F;"), kTransportFailure, 0xB0, 0xEE},
        {"header two bytes late", cat({bytesOf("\r\n"), eepromReadText(0x3F)}), kTransportFailure,
         0xB0, 0xEE},
        {"short", bytesOf("@BDC PS"), kTransportFailure, -1, 0xEE},
        {"one digit short", bytesOf("@BDC PS\r\nEE:003"), kTransportFailure, -1, 0xEE},
        {"empty", {}, kTransportFailure, 0xB0, 0xEE},
    };
    for (const auto& c : cases) {
        Rig r;
        r.openForControl(c.reply);
        std::uint8_t value = 0xEE;
        EXPECT_EQ(r.link.ReadEepromByte(0x5D, value), c.status) << c.name;
        EXPECT_EQ(r.link.LastError(), c.detail) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
        EXPECT_EQ(r.port.writes.at(2), (Bytes{2, 2, 0, 16, 0, 0, '|', '|', 0x06, 0x00, 0x3A, 0x91,
                                              0x41, 0xBE, 0xA0, 0x5D}))
            << c.name;
    }
}

TEST(ControlRequests, EepromByteWrite) {
    struct Case {
        char letter;
        Status status;
        Detail detail;
    };
    const Case cases[] = {{'O', kOk, kNoError},
                          {'B', kTransportFailure, 0x90},
                          {'N', kTransportFailure, 0x91},
                          {'?', kTransportFailure, -1}};
    for (const auto& c : cases) {
        Rig r;
        r.link.SetModelCode(0x3B, 0xA5);
        r.openForControl(writeReplyText(c.letter));
        EXPECT_EQ(r.link.WriteEepromByte(0xB0, 0x95), c.status) << c.letter;
        EXPECT_EQ(r.link.LastError(), c.detail) << c.letter;
        EXPECT_EQ(r.port.writes.at(2), (Bytes{2, 2, 0, 17, 0, 0, '|', '|', 0x07, 0x00, 0x3B, 0xA5,
                                              0x42, 0xBD, 0x21, 0xB0, 0x95}));
    }

    // A port failure passes up unchanged.
    Rig r;
    r.openChannels(0, 0);
    r.port.writeResults.push_back(-1);
    EXPECT_EQ(r.link.WriteEepromByte(0x02, 0), kPortFailure);
    EXPECT_EQ(r.driver.LastError(), port_error::kWrite);
}

}  // namespace
}  // namespace veltra::test
