// The fault matrix: each fault the port or the printer can produce, against each kind of work
// the program does, on the virtual printer. Every cell ends with its message and status within
// the time-outs, and the EEPROM holds what the work's outcome says it holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "procedures/Adjustment.h"
#include "procedures/EepromData.h"
#include "procedures/Identity.h"
#include "procedures/Maintenance.h"
#include "tests/procedures/ProcedureRig.h"

namespace veltra::test {
namespace {

// Passes everything on to the virtual printer's port; the ports below change how replies come.
class WrappedPort : public PortBackend {
public:
    WrappedPort(std::unique_ptr<PortBackend> inner, ManualClock& clock)
        : inner_(std::move(inner)), clock_(clock) {}
    bool open() override { return inner_->open(); }
    void close() override { inner_->close(); }
    long write(const std::uint8_t* d, std::size_t n, int t) override {
        return inner_->write(d, n, t);
    }
    long read(std::uint8_t* d, std::size_t n, bool exact, int t) override {
        return inner_->read(d, n, exact, t);
    }
    std::vector<std::uint8_t> deviceId() override { return inner_->deviceId(); }

protected:
    std::unique_ptr<PortBackend> inner_;
    ManualClock& clock_;
};

// Holds the printer's replies back until the exchange waiting for them has given up: every read
// from the first one on finds nothing, until holdMs have passed on the clock.
class LateReplyPort final : public WrappedPort {
public:
    LateReplyPort(std::unique_ptr<PortBackend> inner, ManualClock& clock, std::int64_t holdMs)
        : WrappedPort(std::move(inner), clock), holdMs_(holdMs) {}
    long read(std::uint8_t* d, std::size_t n, bool exact, int t) override {
        if (armed && !holdUntil_) {
            holdUntil_ = clock_.nowMs() + holdMs_;
        }
        if (holdUntil_ && clock_.nowMs() < *holdUntil_) {
            clock_.advance(t);
            return 0;
        }
        return WrappedPort::read(d, n, exact, t);
    }
    bool armed = false;

private:
    std::int64_t holdMs_;
    std::optional<std::int64_t> holdUntil_;
};

// Unplugged part-way: once armed, the system refuses every write and read, and says why.
class UnpluggedPort final : public WrappedPort {
public:
    using WrappedPort::WrappedPort;
    long write(const std::uint8_t* d, std::size_t n, int t) override {
        return armed ? -1 : WrappedPort::write(d, n, t);
    }
    long read(std::uint8_t* d, std::size_t n, bool exact, int t) override {
        return armed ? -1 : WrappedPort::read(d, n, exact, t);
    }
    std::string transferFailure() const override { return armed ? "No such device" : ""; }
    bool armed = false;
};

// Hands the replies over one byte at a time, perByteMs apart, as a slow parallel cable does.
class ByteByBytePort final : public WrappedPort {
public:
    ByteByBytePort(std::unique_ptr<PortBackend> inner, ManualClock& clock, std::int64_t perByteMs)
        : WrappedPort(std::move(inner), clock), perByteMs_(perByteMs) {}
    long read(std::uint8_t* d, std::size_t n, bool exact, int t) override {
        std::size_t got = 0;
        while (got < n) {
            const long r = inner_->read(d + got, 1, false, t);
            if (r <= 0) {
                return got > 0 ? long(got) : r;
            }
            clock_.advance(perByteMs_);
            ++got;
            if (!exact) {
                break;
            }
        }
        return long(got);
    }

private:
    std::int64_t perByteMs_;
};

enum class Fault {
    None,
    NoReply,
    ErrorPacket80,
    ErrorPacket84,
    ErrorPacket87,
    WriteBusy,
    WriteRefused,
    MalformedStatus,
    DroppedPartWay,
    LateReply,
    ByteByByte,
    Unplugged,
};
enum class Work { Status, EepromRead, EepromWrite, FactoryCommand, PatternPrint, LongSequence };

const char* name(Fault f) {
    static constexpr std::array kNames{"none",       "no reply",   "Error 0x80",   "Error 0x84",
                                       "Error 0x87", "write B",    "write N",      "bad status",
                                       "dropped",    "late reply", "byte by byte", "unplugged"};
    return kNames[std::size_t(f)];
}
const char* name(Work w) {
    static constexpr std::array kNames{"status",          "EEPROM read",   "EEPROM write",
                                       "factory command", "pattern print", "long sequence"};
    return kNames[std::size_t(w)];
}

struct Outcome {
    Status status = 0;
    std::string message;  // the error box, else the status area's text
    std::int64_t elapsedMs = 0;
    bool eepromWritten = false;  // 0x20 holds 0x5A (EEPROM write) or 0xB0 the init value
    bool heldLine = false;       // the failure said what the printer holds (or that it is unknown)
};

constexpr std::uint8_t kWriteAddress = 0x20;
constexpr std::uint8_t kWriteValue = 0x5A;

Outcome run(Fault fault, Work work) {
    Rig rig;
    LateReplyPort* late = nullptr;
    UnpluggedPort* unplugged = nullptr;
    rig.wrapPort = [&](std::unique_ptr<PortBackend> port) -> std::unique_ptr<PortBackend> {
        if (fault == Fault::LateReply) {
            auto p = std::make_unique<LateReplyPort>(std::move(port), rig.clock, 15000);
            late = p.get();
            return p;
        }
        if (fault == Fault::ByteByByte) {
            return std::make_unique<ByteByBytePort>(std::move(port), rig.clock, 20);
        }
        if (fault == Fault::Unplugged) {
            auto p = std::make_unique<UnpluggedPort>(std::move(port), rig.clock);
            unplugged = p.get();
            return p;
        }
        return port;
    };
    const int portIndex = fault == Fault::ByteByByte ? 0 : Rig::kUsbPortIndex;  // LPT1 : ZTUSB1
    EXPECT_EQ(StartSession(rig.objects, 0, portIndex), StartOutcome::Started);
    rig.mark();
    rig.printer.eeprom()[kWriteAddress] = 0x00;
    rig.printer.eeprom()[0xB0] = 0x00;
    auto& faults = rig.printer.faults();
    switch (fault) {
        case Fault::None:
        case Fault::ByteByByte:
            break;
        case Fault::NoReply:
            faults.noReply = true;
            break;
        case Fault::ErrorPacket80:
            faults.errorPacket = 0x80;
            break;
        case Fault::ErrorPacket84:
            faults.errorPacket = 0x84;
            break;
        case Fault::ErrorPacket87:
            faults.errorPacket = 0x87;
            break;
        case Fault::WriteBusy:
            faults.eepromWriteLetter = 'B';
            break;
        case Fault::WriteRefused:
            faults.eepromWriteLetter = 'N';
            break;
        case Fault::MalformedStatus:
            faults.malformedStatus = true;
            break;
        case Fault::DroppedPartWay:
            rig.dropAfterMorePackets(2);
            break;
        case Fault::LateReply:
            late->armed = true;
            break;
        case Fault::Unplugged:
            unplugged->armed = true;
            break;
    }
    AdjustFrame& frame = rig.frame;
    FakeView& view = rig.view;
    const std::int64_t start = rig.clock.nowMs();
    Outcome out;
    switch (work) {
        case Work::Status:
            out.status = frame.GetStatusBtnClick();
            break;
        case Work::EepromRead:
            view.setEntryText(Entry::EepReadBegEdit, "10");
            view.setEntryText(Entry::EepReadEndEdit, "13");
            out.status = EepromReadOkBtnClick(frame);
            break;
        case Work::EepromWrite:
            view.setEntryText(Entry::EepWriteAddEdit, "20");
            view.setEntryText(Entry::EepWriteDataEdit, "5A");
            out.status = EepromWriteOkBtnClick(frame);
            break;
        case Work::FactoryCommand:
            out.status = CleaningOKBtnClick(frame);
            break;
        case Work::PatternPrint:
            out.status = PFOKBtnClick(frame, PfChoice::PrintPattern);
            break;
        case Work::LongSequence:
            out.status = DefaultSetBtnClick(frame);
            break;
    }
    out.elapsedMs = rig.clock.nowMs() - start;
    out.message = rig.handler.errors.empty() ? view.statusText() : rig.handler.errors.back();
    // A failed byte write adds what the printer now holds on a line of its own.
    for (const char* held : {"\nThe printer now holds ", "\nWhat the printer now holds "}) {
        if (const std::size_t nl = out.message.find(held); nl != std::string::npos) {
            out.heldLine = true;
            out.message.resize(nl);
        }
    }
    out.eepromWritten =
        rig.printer.eeprom()[kWriteAddress] == kWriteValue || rig.printer.eeprom()[0xB0] != 0x00;
    return out;
}

struct Expected {
    Status status;
    std::string_view message;
    bool eepromWritten;
};

constexpr Expected kReady{kOk, "Ready to print.", false};
constexpr Expected kReadTable{kOk, "", false};  // the table shows; the status area stays empty
constexpr Expected kWritten{kOk, "Address = 20\nData = 5A", true};
constexpr Expected kCleaned{kOk, "Head cleaning is completed.", false};
constexpr Expected kPrinted{kOk, "Completion the printing.", false};
constexpr Expected kInitialized{kOk, "EEPROM Initialization has completely done.", true};
constexpr std::array<Expected, 6> kNormal{kReady,   kReadTable, kWritten,
                                          kCleaned, kPrinted,   kInitialized};

constexpr Expected kReceive{kPortFailure, "Receive error", false};
constexpr Expected kTransmission{kPortFailure, "Transmission error", false};
constexpr Expected kRefusedWrite{kPortFailure,
                                 "Transmission error\nThe system's reason: No such device", false};
constexpr Expected kCommunication{kTransportFailure, "Communication error.", false};
// EEPROM initialization words every failure as the box "Communication error.", keeping the
// status it failed with.
constexpr Expected kInitPortFailure{kPortFailure, "Communication error.", false};

// One row per fault, one column per kind of work (status, EEPROM read, EEPROM write, factory
// command, pattern print, long sequence).
struct Row {
    Fault fault;
    std::array<Expected, 6> cells;
};
constexpr std::array<Expected, 6> all(Expected e, Expected longSequence) {
    return {e, e, e, e, e, longSequence};
}
const Row kMatrix[] = {
    {Fault::None, kNormal},
    {Fault::NoReply, all(kReceive, kInitPortFailure)},
    {Fault::ErrorPacket80, all(kCommunication, kCommunication)},
    {Fault::ErrorPacket84, all(kCommunication, kCommunication)},
    {Fault::ErrorPacket87, all(kCommunication, kCommunication)},
    // Only work that writes the EEPROM hears the refusal; the rest goes on as normal.
    {Fault::WriteBusy, {kReady, kReadTable, kCommunication, kCleaned, kPrinted, kCommunication}},
    {Fault::WriteRefused, {kReady, kReadTable, kCommunication, kCleaned, kPrinted, kCommunication}},
    // Only work that reads the status (the ready waits before cleaning and printing) fails.
    {Fault::MalformedStatus,
     {kCommunication, kReadTable, kWritten, kCommunication, kCommunication, kInitialized}},
    {Fault::DroppedPartWay, all(kTransmission, kInitPortFailure)},
    {Fault::LateReply, all(kReceive, kInitPortFailure)},
    // Bytes that trickle in within the transfer's time-out make one reply.
    {Fault::ByteByByte, kNormal},
    // The system's reason for a refused transfer follows the message.
    {Fault::Unplugged, all(kRefusedWrite, kInitPortFailure)},
};

// A failure ends within one transfer's time-out (10 s, plus the USB read's pauses); no work
// here, normal or failed, runs past 12 s of printer time.
constexpr std::int64_t kFailureLimitMs = 10200;
constexpr std::int64_t kWorkLimitMs = 12000;

TEST(FaultMatrix, EachFaultEndsEachWorkWithItsMessageAndStatus) {
    for (const Row& row : kMatrix) {
        for (std::size_t w = 0; w < row.cells.size(); ++w) {
            const Expected& want = row.cells[w];
            const Outcome got = run(row.fault, Work(w));
            SCOPED_TRACE(std::string(name(row.fault)) + " x " + name(Work(w)));
            EXPECT_EQ(got.status, want.status);
            EXPECT_EQ(got.message, want.message);
            EXPECT_EQ(got.eepromWritten, want.eepromWritten);
            const bool failedWrite = Work(w) == Work::EepromWrite && want.status != kOk;
            EXPECT_EQ(got.heldLine, failedWrite);
            // A failed byte write reads the byte back after it: at most two time-outs.
            EXPECT_LE(got.elapsedMs, want.status == kOk ? kWorkLimitMs
                                     : failedWrite      ? 2 * kFailureLimitMs
                                                        : kFailureLimitMs);
        }
    }
}

}  // namespace
}  // namespace veltra::test
