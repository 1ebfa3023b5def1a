#pragma once
// Test doubles for the link: a scripted port (queued replies, recorded writes), a message
// handler that records boxes, reply builders, and a rig that wires port, driver and transport
// on a ManualClock.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/Clock.h"
#include "link/Mald4comm.h"
#include "link/Malprinterdriver.h"
#include "link/PortBackend.h"
#include "link/Status.h"
#include "tests/support/ChunkQueue.h"
#include "tests/support/RecordingHandler.h"

namespace veltra::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

// A 16-bit value as it goes on the wire: high byte first.
inline Bytes bigEndian(std::uint16_t v) {
    return {std::uint8_t(v >> 8), std::uint8_t(v & 0xFF)};
}

// The state behind a FakeBackend; it outlives the backends the driver makes and destroys.
struct FakePort {
    struct Chunk {
        Bytes bytes;
        bool refuse = false;       // the read call fails
        std::int64_t delayMs = 0;  // time that passes before it arrives
        // Clock time before which it has not arrived: a read then takes nothing of it.
        std::int64_t arrivesAtMs = std::numeric_limits<std::int64_t>::min();
    };
    struct ReadCall {
        std::size_t n;
        bool exact;
        int timeoutMs;
    };

    explicit FakePort(ManualClock& c) : clock(c) {}

    void reply(Bytes b, std::int64_t delayMs = 0) {
        replies.push_back({std::move(b), false, delayMs});
    }
    void refuseRead() { replies.push_back({{}, true, 0}); }
    // A reply that arrives only at clock time atMs.
    void lateReply(Bytes b, std::int64_t atMs) {
        replies.push_back({std::move(b), false, 0, atMs});
    }
    // A reply the printer sends once the next write has reached it.
    void replyToNextWrite(Bytes b) { onWrite.push_back(std::move(b)); }

    ManualClock& clock;
    std::deque<Chunk> replies;
    std::deque<Bytes> onWrite;
    std::vector<ReadCall> reads;
    int discardReads = 0;
    std::vector<Bytes> writes;
    std::deque<long> writeResults;  // scripted results of the next writes; empty: all taken
    std::int64_t writeDelayMs = 0;
    bool timeoutPassesOnClock = false;  // an empty read sleeps its time-out on the clock
    bool openResult = true;
    int opens = 0;
    int closes = 0;
    std::string closing;  // 'D' for each drain, 'C' for each close, in order
    Bytes deviceId = bytesOf("MFG:Veltra;CMD:D4;MDL:K55;CLS:PRINTER;");
    std::string failureReason;  // what the system would say of any transfer that failed
};

class FakeBackend final : public PortBackend {
public:
    explicit FakeBackend(FakePort& p) : p_(p) {}

    bool open() override {
        ++p_.opens;
        return p_.openResult;
    }
    void close() override {
        ++p_.closes;
        p_.closing += 'C';
    }
    bool drain(int) override {
        p_.closing += 'D';
        return true;
    }

    long write(const std::uint8_t* data, std::size_t n, int) override {
        p_.clock.advance(p_.writeDelayMs);
        long result = long(n);
        if (!p_.writeResults.empty()) {
            result = p_.writeResults.front();
            p_.writeResults.pop_front();
        }
        if (result >= 0) {
            p_.writes.emplace_back(data, data + std::min<std::size_t>(n, std::size_t(result)));
            if (!p_.onWrite.empty()) {
                p_.reply(std::move(p_.onWrite.front()));
                p_.onWrite.pop_front();
            }
        }
        return result;
    }

    // Exact reads run on across queued chunks as a byte stream; other reads take from the
    // front chunk only, as one transfer carries one reply.
    long read(std::uint8_t* data, std::size_t n, bool exact, int timeoutMs) override {
        // A read that does not wait is the driver emptying the port; it is counted apart.
        if (!exact && timeoutMs == 0) {
            ++p_.discardReads;
        } else {
            p_.reads.push_back({n, exact, timeoutMs});
        }
        std::size_t got = 0;
        while (got < n && !p_.replies.empty()) {
            auto& front = p_.replies.front();
            if (p_.clock.nowMs() < front.arrivesAtMs) {
                break;
            }
            if (front.refuse) {
                if (got == 0) {
                    p_.replies.pop_front();
                    return -1;
                }
                break;
            }
            p_.clock.advance(front.delayMs);
            front.delayMs = 0;
            got += takeFromFront(p_.replies, data + got, n - got);
            if (!exact) {
                break;
            }
        }
        if (got < n && (exact || got == 0) && p_.timeoutPassesOnClock) {
            p_.clock.advance(timeoutMs);
        }
        return long(got);
    }

    std::vector<std::uint8_t> deviceId() override { return p_.deviceId; }
    std::string transferFailure() const override { return p_.failureReason; }

private:
    FakePort& p_;
};

// ---- Reply builders (printer to host) ----

// A packet on a socket: header s s length(BE) credit 0, then the payload.
inline Bytes packet(std::uint8_t socket, const Bytes& payload, std::uint8_t credit = 0x00) {
    const std::size_t total = payload.size() + 6;
    Bytes out{socket, socket, std::uint8_t(total >> 8), std::uint8_t(total & 0xFF), credit, 0x00};
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

// A transport reply: command + 0x80, result, then the command's reply fields.
inline Bytes transportReply(std::uint8_t command, std::uint8_t result, const Bytes& tail = {}) {
    Bytes payload{std::uint8_t(command | 0x80), result};
    payload.insert(payload.end(), tail.begin(), tail.end());
    return packet(0x00, payload, 0x01);
}

inline Bytes packetModeReply(std::uint8_t result = 0) {
    return transportReply('Z', result);
}
inline Bytes initReply(std::uint8_t result = 0) {
    return transportReply(0x00, result, {0x10});
}
inline Bytes openReply(std::uint8_t socket, std::uint8_t result = 0) {
    return transportReply(0x01, result, {socket, socket, 0x04, 0x00, 0x04, 0x00, 0x00, 0x00});
}
inline Bytes closeReply(std::uint8_t socket, std::uint8_t result = 0) {
    return transportReply(0x02, result, {socket, socket});
}
// The Credit reply carries no amount.
inline Bytes creditReply(std::uint8_t socket, std::uint8_t result = 0) {
    return transportReply(0x03, result, {socket, socket});
}
inline Bytes creditRequestReply(std::uint8_t socket, std::uint16_t credit,
                                std::uint8_t result = 0) {
    return transportReply(0x04, result,
                          {socket, socket, std::uint8_t(credit >> 8), std::uint8_t(credit & 0xFF)});
}
inline Bytes exitReply() {
    return transportReply(0x08, 0x00);
}
inline Bytes errorPacket(std::uint8_t code, std::uint8_t socket = 0x02) {
    return packet(0x00, {0x7F, socket, socket, code}, 0x01);
}

// A status text as the printer sends it.
inline Bytes statusText(std::string_view st, std::string_view extra = "") {
    std::string t =
        "@BDC ST2\r\nST:" + std::string(st) + ";" + std::string(extra) + "IQ:3C3C3C3C3C3C3C;";
    return bytesOf(t);
}

// An EEPROM read reply whose value characters at payload positions 14-15 are hi and lo.
inline Bytes eepromReadText(char hi, char lo) {
    std::string t = "@BDC PS\r\nEE:00";
    t += hi;
    t += lo;
    t += ";";
    return bytesOf(t);
}
inline Bytes eepromReadText(std::uint8_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return eepromReadText(kDigits[value >> 4], kDigits[value & 0x0F]);
}
// A write-type control reply with its letter at payload position 6.
inline Bytes writeReplyText(char letter) {
    std::string t = "@BDC  ";
    t += letter;
    t += "\r\n";
    return bytesOf(t);
}

// One EEPROM byte read: the printer's reply, and the status, error detail and value it gives
// (the value 0xEE stands for "left as it was").
struct EepromReadCase {
    const char* name;
    Bytes reply;
    Status status;
    Detail detail;
    std::uint8_t value;
};

// ---- Host requests, byte for byte ----

inline const Bytes kPacketModeEntry =
    cat({{0x00, 0x00, 0x00, 0x1B, 0x01}, bytesOf("@ZJL 1284.4\n@ZJL\n@ZJL\n")});
inline const Bytes kInitRequest{0x00, 0x00, 0x00, 0x08, 0x01, 0x00, 0x00, 0x10};
inline Bytes openRequest(std::uint8_t s) {
    return {0x00, 0x00, 0x00, 0x11, 0x01, 0x00, 0x01, s, s, 0x04, 0x00, 0x04, 0x00, 0, 0, 0, 0};
}
inline Bytes closeRequest(std::uint8_t s, std::uint8_t flag) {
    return {0x00, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x02, s, s, flag};
}
inline Bytes creditRequest(std::uint8_t s, std::uint16_t n) {
    return cat({{0x00, 0x00, 0x00, 0x0B, 0x01, 0x00, 0x03, s, s}, bigEndian(n)});
}
inline Bytes creditRequestRequest(std::uint8_t s, std::uint16_t n) {
    return cat({{0x00, 0x00, 0x00, 0x0D, 0x01, 0x00, 0x04, s, s, 0xFF, 0xFF}, bigEndian(n)});
}
inline const Bytes kExitRequest{0x00, 0x00, 0x00, 0x07, 0x01, 0x00, 0x08};

// ---- The rig ----

struct Rig {
    explicit Rig(std::uint16_t portKind = 0x500, std::uint16_t interfaceCode = 0x501)
        : port(clock),
          driver(clock, choice,
                 [this](std::uint16_t, const std::string&) {
                     return std::make_unique<FakeBackend>(port);
                 }),
          link(driver, clock, ui) {
        choice.PortKind = portKind;
        EXPECT_EQ(driver.OpenPort(interfaceCode), kOk);
        link.SetModelCode(0x3A, 0x91);
    }

    // Queues the replies of one control-channel exchange whose reply payload is given.
    void queueControl(const Bytes& payload) {
        port.reply(creditReply(kControlSocket));
        port.reply(creditRequestReply(kControlSocket, 1));
        port.reply(packet(kControlSocket, payload));
    }

    // Opens both channels without print data credit and queues the reply payload of the one
    // control exchange that follows.
    void openForControl(const Bytes& payload) {
        openChannels(0, 0);
        queueControl(payload);
    }

    // Opens both channels with the given print data credit (through the transport itself).
    void openChannels(std::uint16_t dataCredit = 200, std::uint16_t printerCredit = 200) {
        port.reply(openReply(kControlSocket));
        ASSERT_EQ(link.OpenChannel(kControlSocket), kOk);
        port.reply(openReply(kDataSocket));
        ASSERT_EQ(link.OpenChannel(kDataSocket), kOk);
        if (dataCredit > 0 || printerCredit > 0) {
            // One SendCommand of nothing tops both counters up; its packet takes one credit.
            port.reply(creditRequestReply(kDataSocket, std::uint16_t(dataCredit + 1)));
            port.reply(transportReply(0x03, 0x00,
                                      {kDataSocket, kDataSocket, std::uint8_t(printerCredit >> 8),
                                       std::uint8_t(printerCredit & 0xFF)}));
            ASSERT_EQ(link.SendCommand(nullptr, 0), kOk);
        }
        port.writes.clear();
    }

    ManualClock clock;
    StartupChoice choice;
    FakePort port;
    RecordingHandler ui;
    TPPrinterDriver driver;
    TPD4Comm link;
};

}  // namespace veltra::test
