// The port: open and re-open, the 10 s rule, the parallel header read, the USB attempts, the
// device ID and the trace.
#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "tests/link/FakePort.h"

namespace veltra::test {
namespace {

struct DriverRig {
    explicit DriverRig(std::uint16_t portKind = kParallelKind)
        : port(clock), driver(clock, choice, [this](std::uint16_t code, const std::string& uri) {
              lastCode = code;
              lastUri = uri;
              return std::make_unique<FakeBackend>(port);
          }) {
        choice.PortKind = portKind;
    }

    Status read(std::int32_t& length) { return driver.ReadPort(buf.data(), buf.size(), length); }

    ManualClock clock;
    StartupChoice choice;
    FakePort port;
    std::uint16_t lastCode = 0;
    std::string lastUri;
    TPPrinterDriver driver;
    std::array<std::uint8_t, TPPrinterDriver::kReplyBufferSize> buf{};
};

class RecordingTrace final : public PortTrace {
public:
    void record(std::int64_t ms, char kind, const std::uint8_t* data, std::size_t n) override {
        lines.push_back({ms, kind, Bytes(data, data + n)});
    }
    void recordFailure(std::int64_t, char kind, const std::string& reason) override {
        failures.push_back(kind + (' ' + reason));
    }
    std::vector<std::tuple<std::int64_t, char, Bytes>> lines;
    std::vector<std::string> failures;
};

TEST(PrinterDriver, OpenRejectsUnknownInterfaceAndFailedBackends) {
    DriverRig r;
    EXPECT_EQ(r.driver.OpenPort(0x404), kPortFailure);
    EXPECT_EQ(r.driver.LastError(), port_error::kOpen);
    EXPECT_EQ(r.port.opens, 0);

    r.port.openResult = false;
    EXPECT_EQ(r.driver.OpenPort(0x401), kPortFailure);
    EXPECT_EQ(r.driver.LastError(), port_error::kOpen);
    EXPECT_FALSE(r.driver.isOpen());

    ManualClock clock;
    StartupChoice choice;
    TPPrinterDriver none(
        clock, choice,
        [](std::uint16_t, const std::string&) -> std::unique_ptr<PortBackend> { return nullptr; });
    EXPECT_EQ(none.OpenPort(0x501), kPortFailure);
    EXPECT_EQ(none.LastError(), port_error::kOpen);
}

TEST(PrinterDriver, OpenOnAnOpenPortClosesTheOldOneFirst) {
    DriverRig r;
    ASSERT_EQ(r.driver.OpenPort(0x401), kOk);
    EXPECT_EQ(r.driver.LastError(), kNoError);
    ASSERT_EQ(r.driver.OpenPort(0x502), kOk);
    EXPECT_EQ(r.port.opens, 2);
    EXPECT_EQ(r.port.closes, 1);
    EXPECT_EQ(r.lastCode, 0x502);
    r.driver.ClosePort();
    r.driver.ClosePort();  // closing a closed port does nothing
    EXPECT_EQ(r.port.closes, 2);
}

// A write may still be on its way when the port closes; only a reply read since proves it went.
TEST(PrinterDriver, CloseWaitsForAWriteThatNoReadHasFollowed) {
    struct Case {
        const char* name;
        std::uint16_t kind;
        // w write, x refused write, r read that gets a reply, e read that gets nothing,
        // o open again, c close
        const char* steps;
        const char* closing;
    };
    const Case cases[] = {
        {"nothing written", kUsbKind, "c", "C"},
        {"a write, then close", kUsbKind, "wc", "DC"},
        {"the reply came", kUsbKind, "wrc", "C"},
        {"the reply came, then one more write", kUsbKind, "wrwc", "DC"},
        {"no reply came", kUsbKind, "wec", "DC"},
        {"the write was refused", kUsbKind, "xc", "C"},
        {"re-opened after a write", kUsbKind, "wo", "DC"},
        {"parallel: the reply came", kParallelKind, "wrc", "C"},
        {"parallel: no reply came", kParallelKind, "wec", "DC"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DriverRig r(c.kind);
        ASSERT_EQ(r.driver.OpenPort(0x501), kOk);
        const std::uint8_t b[6] = {0x00, 0x00, 0x00, 0x06, 0x00, 0x00};
        std::int32_t length = 0;
        for (const char* s = c.steps; *s != 0; ++s) {
            switch (*s) {
                case 'x':
                    r.port.writeResults.push_back(-1);
                    [[fallthrough]];
                case 'w':
                    r.driver.WritePort(b, sizeof b);
                    break;
                case 'r':
                    r.port.reply(Bytes(b, b + sizeof b));
                    ASSERT_EQ(r.read(length), kOk);
                    break;
                case 'e':
                    ASSERT_EQ(r.read(length), kPortFailure);
                    break;
                case 'o':
                    ASSERT_EQ(r.driver.OpenPort(0x501), kOk);
                    break;
                default:
                    r.driver.ClosePort();
            }
        }
        EXPECT_EQ(r.port.closing, c.closing);
    }
}

TEST(PrinterDriver, PortMapChoosesTheUri) {
    PortMap map;
    EXPECT_TRUE(map.set("ZTUSB1", "unix:/tmp/p.sock"));
    EXPECT_TRUE(map.set("ZTUSB2:", "/dev/pts/4"));
    EXPECT_FALSE(map.set("COM1", "sim"));
    EXPECT_EQ(map.uriFor(0x501), "unix:/tmp/p.sock");
    EXPECT_EQ(map.uriFor(0x502), "/dev/pts/4");
    EXPECT_EQ(map.uriFor(0x401), "");
    map.setAll("sim");
    for (const auto& p : kPorts) {
        EXPECT_EQ(map.uriFor(p.interfaceCode), "sim") << p.name;
    }

    DriverRig r;
    r.driver.portMap().set("LPT2", "unix:/x");
    ASSERT_EQ(r.driver.OpenPort(0x402), kOk);
    EXPECT_EQ(r.lastUri, "unix:/x");
}

TEST(PrinterDriver, ClosedPortFailsWritesAndReadsAfterTheReadWait) {
    DriverRig r;
    const std::uint8_t b[1] = {0};
    EXPECT_EQ(r.driver.WritePort(b, 1), kPortFailure);
    EXPECT_EQ(r.driver.LastError(), port_error::kOpen);
    std::int32_t length = 99;
    EXPECT_EQ(r.read(length), kPortFailure);
    EXPECT_EQ(r.driver.LastError(), port_error::kOpen);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(r.clock.sleptMs(), 10);
    EXPECT_EQ(r.driver.QueryDeviceId(), kPortFailure);
    EXPECT_EQ(r.driver.LastError(), port_error::kNoDeviceId);
}

// The system's reason is kept and traced for a transfer it refused or cut short, not for one
// that took the whole time limit.
TEST(PrinterDriver, WriteFailuresAndTheSystemsReason) {
    struct Case {
        const char* name;
        long result;
        std::int64_t delayMs;
        Status status;
        Detail detail;
        bool reason;
    };
    const Case cases[] = {
        {"taken", 4, 0, kOk, kNoError, false},
        {"refused", -1, 0, kPortFailure, port_error::kWrite, true},
        {"short", 3, 0, kPortFailure, port_error::kWrite, true},
        {"just under 10 s", 4, 9999, kOk, kNoError, false},
        {"10 s", 4, 10000, kPortFailure, port_error::kWriteTime, false},
        {"short and slow", 2, 12000, kPortFailure, port_error::kWriteTime, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DriverRig r;
        RecordingTrace trace;
        r.driver.setTrace(&trace);
        ASSERT_EQ(r.driver.OpenPort(0x401), kOk);
        r.port.failureReason = "Broken pipe";
        r.port.writeResults.push_back(c.result);
        r.port.writeDelayMs = c.delayMs;
        const std::uint8_t block[4] = {1, 2, 3, 4};
        EXPECT_EQ(r.driver.WritePort(block, 4), c.status);
        EXPECT_EQ(r.driver.LastError(), c.detail);
        EXPECT_EQ(r.driver.transferFailure(), c.reason ? "Broken pipe" : "");
        EXPECT_EQ(trace.failures, c.reason ? std::vector<std::string>{"W Broken pipe"}
                                           : std::vector<std::string>{});
        // The next transfer that goes through leaves no reason behind.
        r.port.writeDelayMs = 0;
        EXPECT_EQ(r.driver.WritePort(block, 4), kOk);
        EXPECT_EQ(r.driver.transferFailure(), "");
    }
}

TEST(PrinterDriver, RefusedReadsKeepTheSystemsReasonOnBothKindsOfPort) {
    for (const std::uint16_t kind : {kParallelKind, kUsbKind}) {
        SCOPED_TRACE(kind);
        DriverRig r(kind);
        RecordingTrace trace;
        r.driver.setTrace(&trace);
        ASSERT_EQ(r.driver.OpenPort(std::uint16_t(kind | 1)), kOk);
        r.port.failureReason = "No such device";
        r.port.refuseRead();
        std::int32_t length = 0;
        EXPECT_EQ(r.read(length), kPortFailure);
        EXPECT_EQ(r.driver.LastError(), port_error::kRead);
        EXPECT_EQ(r.driver.transferFailure(), "No such device");
        EXPECT_EQ(trace.failures, std::vector<std::string>{"R No such device"});
    }
}

TEST(PrinterDriver, ParallelReadTakesTheHeaderThenTheRest) {
    DriverRig r;
    ASSERT_EQ(r.driver.OpenPort(0x401), kOk);
    r.port.reply({0x02, 0x02, 0x00, 0x0A, 0x00, 0x00, 'a', 'b', 'c', 'd', 'X', 'Y'});
    std::int32_t length = 0;
    ASSERT_EQ(r.read(length), kOk);
    EXPECT_EQ(length, 10);
    ASSERT_EQ(r.port.reads.size(), 2u);
    EXPECT_EQ(r.port.reads[0].n, 6u);
    EXPECT_TRUE(r.port.reads[0].exact);
    EXPECT_EQ(r.port.reads[1].n, 4u);
    EXPECT_EQ(Bytes(r.buf.begin() + 6, r.buf.begin() + 10), bytesOf("abcd"));
    EXPECT_EQ(r.buf[10], 0);  // nothing read beyond the packet
    EXPECT_EQ(r.clock.sleptMs(), 10);

    // A header-only packet needs no second read.
    r.port.reads.clear();
    r.port.replies.clear();
    r.port.reply({0x00, 0x00, 0x00, 0x06, 0x01, 0x00});
    ASSERT_EQ(r.read(length), kOk);
    EXPECT_EQ(length, 6);
    EXPECT_EQ(r.port.reads.size(), 1u);
}

TEST(PrinterDriver, ParallelHeaderLengthOutsideThePacketOrBufferIsAReceiveFailure) {
    for (const int total : {0, 1, 5, 1026, 0xFFFF}) {
        DriverRig r;
        ASSERT_EQ(r.driver.OpenPort(0x401), kOk);
        r.port.reply({0x40, 0x40, std::uint8_t(total >> 8), std::uint8_t(total & 0xFF), 0, 0});
        r.port.reply(Bytes(2000, 0xEE));
        std::int32_t length = 7;
        EXPECT_EQ(r.read(length), kPortFailure) << total;
        EXPECT_EQ(r.driver.LastError(), port_error::kRead) << total;
        EXPECT_EQ(length, 0);
        EXPECT_EQ(r.port.reads.size(), 1u) << "no read past the header for " << total;
    }
    // The largest packet that fits the buffer is read whole.
    DriverRig r;
    ASSERT_EQ(r.driver.OpenPort(0x401), kOk);
    r.port.reply(cat({{0x40, 0x40, 0x04, 0x01, 0, 0}, Bytes(1019, 0x11)}));
    std::int32_t length = 0;
    EXPECT_EQ(r.read(length), kOk);
    EXPECT_EQ(length, 1025);
}

TEST(PrinterDriver, ParallelReadFailures) {
    {
        DriverRig r;
        ASSERT_EQ(r.driver.OpenPort(0x401), kOk);
        r.port.refuseRead();
        std::int32_t length = 0;
        EXPECT_EQ(r.read(length), kPortFailure);
        EXPECT_EQ(r.driver.LastError(), port_error::kRead);
    }
    {
        // Nothing comes: the read waits out its time-out, which is 10 s or more.
        DriverRig r;
        ASSERT_EQ(r.driver.OpenPort(0x401), kOk);
        r.port.timeoutPassesOnClock = true;
        std::int32_t length = 0;
        EXPECT_EQ(r.read(length), kPortFailure);
        EXPECT_EQ(r.driver.LastError(), port_error::kReadTime);
    }
    {
        // The rest of the packet arrives only after 10 s.
        DriverRig r;
        ASSERT_EQ(r.driver.OpenPort(0x401), kOk);
        r.port.reply({0x02, 0x02, 0x00, 0x08, 0x00, 0x00});
        r.port.reply({'O', 'K'}, 10000);
        std::int32_t length = 0;
        EXPECT_EQ(r.read(length), kPortFailure);
        EXPECT_EQ(r.driver.LastError(), port_error::kReadTime);
    }
    {
        // The device ends the stream inside the header: stale bytes must not pass as a reply.
        DriverRig r;
        ASSERT_EQ(r.driver.OpenPort(0x401), kOk);
        r.buf.fill(0);
        r.buf[3] = 6;
        r.port.reply({0x02, 0x02, 0x00});
        std::int32_t length = 0;
        EXPECT_EQ(r.read(length), kPortFailure);
        EXPECT_EQ(r.driver.LastError(), port_error::kRead);
    }
}

TEST(PrinterDriver, UsbReadGivesUpAfterTenEmptyAttemptsAboutNineSeconds) {
    DriverRig r(kUsbKind);
    ASSERT_EQ(r.driver.OpenPort(0x501), kOk);
    std::int32_t length = 0;
    EXPECT_EQ(r.read(length), kPortFailure);
    EXPECT_EQ(r.driver.LastError(), port_error::kReadTime);
    EXPECT_EQ(r.port.reads.size(), 10u);
    // 10 ms before the read, 10 ms before each attempt, 1000 ms between attempts.
    EXPECT_EQ(r.clock.sleptMs(), 10 + 10 * 10 + 9 * 1000);
    for (const auto& call : r.port.reads) {
        EXPECT_FALSE(call.exact);
        EXPECT_EQ(call.n, 256u);
        EXPECT_LE(call.timeoutMs, 1000) << "attempts are short";
    }
}

TEST(PrinterDriver, UsbReadSucceedsOnTheThirdAttemptWithThatLength) {
    DriverRig r(kUsbKind);
    ASSERT_EQ(r.driver.OpenPort(0x503), kOk);
    r.port.replies.push_back({{}, false, 0});
    r.port.replies.push_back({{}, false, 0});
    r.port.reply({1, 2, 3, 4, 5, 6, 7});
    // The fake delivers an empty chunk as an empty read; drop those as they are taken.
    std::int32_t length = 0;
    ASSERT_EQ(r.read(length), kOk);
    EXPECT_EQ(length, 7);
    EXPECT_EQ(r.port.reads.size(), 3u);
    EXPECT_EQ(r.clock.sleptMs(), 10 + 3 * 10 + 2 * 1000);
    EXPECT_EQ(Bytes(r.buf.begin(), r.buf.begin() + 7), (Bytes{1, 2, 3, 4, 5, 6, 7}));
}

TEST(PrinterDriver, UsbReadTakesAtMost256BytesAndStopsOnARefusal) {
    DriverRig r(kUsbKind);
    ASSERT_EQ(r.driver.OpenPort(0x501), kOk);
    r.port.reply(Bytes(300, 0x55));
    std::int32_t length = 0;
    ASSERT_EQ(r.read(length), kOk);
    EXPECT_EQ(length, 256);

    r.port.replies.clear();
    r.port.refuseRead();
    EXPECT_EQ(r.read(length), kPortFailure);
    EXPECT_EQ(r.driver.LastError(), port_error::kRead);
}

// A reply that comes after its exchange gave up, or bytes left in the port from an earlier
// session, must not pass as the reply to the next exchange: the port is emptied first.
TEST(PrinterDriver, BytesLeftOverFromAFailedReadOrAnEarlierSessionAreDiscarded) {
    const Bytes stale{0x02, 0x02, 0x00, 0x07, 0x00, 0x00, 'S'};
    const Bytes fresh{0x02, 0x02, 0x00, 0x07, 0x00, 0x00, 'F'};
    struct Case {
        const char* name;
        std::uint16_t kind;
        std::uint16_t code;
        bool lateReply;  // else: the stale bytes are in the port before it is opened
    };
    const Case cases[] = {
        {"parallel, late reply", kParallelKind, 0x401, true},
        {"USB, late reply", kUsbKind, 0x501, true},
        {"parallel, left from an earlier session", kParallelKind, 0x401, false},
    };
    for (const auto& c : cases) {
        DriverRig r(c.kind);
        r.port.timeoutPassesOnClock = true;
        const std::uint8_t request[1] = {0x01};
        if (c.lateReply) {
            ASSERT_EQ(r.driver.OpenPort(c.code), kOk);
            r.port.lateReply(stale, r.clock.nowMs() + 30000);
            ASSERT_EQ(r.driver.WritePort(request, 1), kOk);
            std::int32_t length = 0;
            EXPECT_EQ(r.read(length), kPortFailure) << c.name;
            EXPECT_EQ(r.driver.LastError(), port_error::kReadTime) << c.name;
            r.clock.advance(30000);  // the late reply is in the port now
        } else {
            r.port.reply(stale);
            ASSERT_EQ(r.driver.OpenPort(c.code), kOk);
        }
        r.port.replyToNextWrite(fresh);
        ASSERT_EQ(r.driver.WritePort(request, 1), kOk);
        std::int32_t length = 0;
        ASSERT_EQ(r.read(length), kOk) << c.name;
        ASSERT_EQ(length, 7) << c.name;
        EXPECT_EQ(r.buf[6], 'F') << c.name;
    }
}

TEST(PrinterDriver, ReadMethodFollowsPortKindOrElseTheInterfaceCode) {
    struct Case {
        const char* name;
        std::uint16_t portKind;
        std::uint16_t interfaceCode;
        bool exactReads;  // parallel reads are exact, USB reads are not
    };
    const Case cases[] = {
        {"PortKind unset: the USB interface code means USB reads", 0, 0x502, false},
        {"PortKind unset: a parallel interface code", 0, 0x403, true},
        {"the start-up choice wins over the interface code", kUsbKind, 0x401, false},
    };
    for (const auto& c : cases) {
        DriverRig r(c.portKind);
        ASSERT_EQ(r.driver.OpenPort(c.interfaceCode), kOk) << c.name;
        r.port.reply({0x02, 0x02, 0x00, 0x07, 0x00, 0x00, 'x'});
        std::int32_t length = 0;
        ASSERT_EQ(r.read(length), kOk) << c.name;
        EXPECT_EQ(r.port.reads.at(0).exact, c.exactReads) << c.name;
    }
}

TEST(PrinterDriver, DeviceIdQuery) {
    DriverRig r;
    ASSERT_EQ(r.driver.OpenPort(0x401), kOk);
    r.port.deviceId = bytesOf("MDL:Something else entirely;");
    EXPECT_EQ(r.driver.QueryDeviceId(), kOk);  // the model named does not matter
    EXPECT_EQ(r.driver.deviceId(), r.port.deviceId);

    r.port.deviceId = Bytes(300, 'x');
    EXPECT_EQ(r.driver.QueryDeviceId(), kOk);
    EXPECT_EQ(r.driver.deviceId().size(), 200u);

    r.port.deviceId.clear();
    EXPECT_EQ(r.driver.QueryDeviceId(), kPortFailure);
    EXPECT_EQ(r.driver.LastError(), port_error::kNoDeviceId);
}

TEST(PrinterDriver, TraceRecordsEveryTransferWithTimeSinceOpen) {
    DriverRig r;
    RecordingTrace trace;
    r.driver.setTrace(&trace);
    r.clock.advance(5000);
    ASSERT_EQ(r.driver.OpenPort(0x401), kOk);
    r.port.deviceId = bytesOf("ID");
    ASSERT_EQ(r.driver.QueryDeviceId(), kOk);
    const std::uint8_t block[2] = {0xAB, 0xCD};
    ASSERT_EQ(r.driver.WritePort(block, 2), kOk);
    r.port.reply({0x02, 0x02, 0x00, 0x07, 0x00, 0x00, 'Z'});
    std::int32_t length = 0;
    ASSERT_EQ(r.read(length), kOk);

    ASSERT_EQ(trace.lines.size(), 4u);
    EXPECT_EQ(trace.lines[0], std::make_tuple(std::int64_t(0), 'D', bytesOf("ID")));
    EXPECT_EQ(trace.lines[1], std::make_tuple(std::int64_t(0), 'W', Bytes{0xAB, 0xCD}));
    EXPECT_EQ(trace.lines[2],
              std::make_tuple(std::int64_t(10), 'R', Bytes{0x02, 0x02, 0x00, 0x07, 0x00, 0x00}));
    EXPECT_EQ(trace.lines[3], std::make_tuple(std::int64_t(10), 'R', bytesOf("Z")));
}

}  // namespace
}  // namespace veltra::test
