#pragma once
// The port of the link fuzz targets: a PortBackend whose replies come from the fuzzer's bytes.
//
// The bytes are a list of arrivals, each [delay][length high][length low][length bytes]: delay
// is in 100 ms steps on the test clock. A read takes from the arrival at the front; an arrival
// whose delay is longer than the read's time-out makes that read time out and comes to the next
// read (a late reply). Length 0 is a read that times out; length 0xFFFF drops the link (every
// later transfer is refused). A read without exact takes at most the front arrival, as one USB
// transfer carries what arrived together; with exact it gathers arrivals until n bytes have come.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/Clock.h"
#include "link/Mald4comm.h"
#include "link/Malfactory.h"
#include "link/Malprinterdriver.h"
#include "link/MessageHandler.h"
#include "link/PortBackend.h"
#include "link/StartupChoice.h"
#include "tests/support/ChunkQueue.h"

namespace veltra::fuzz {

inline constexpr std::uint16_t kDropLink = 0xFFFF;
inline constexpr std::int64_t kDelayStepMs = 100;

struct Arrival {
    std::int64_t delayMs = 0;
    bool drop = false;
    std::vector<std::uint8_t> bytes;  // empty: a read that times out
};

// Splits the fuzzer's bytes into arrivals; a length that runs past the end takes what is left.
inline std::deque<Arrival> parseArrivals(const std::uint8_t* data, std::size_t size) {
    std::deque<Arrival> out;
    std::size_t at = 0;
    while (at + 3 <= size) {
        Arrival a;
        a.delayMs = std::int64_t(data[at]) * kDelayStepMs;
        const std::size_t length = std::size_t(data[at + 1]) * 256 + data[at + 2];
        at += 3;
        if (length == kDropLink) {
            a.drop = true;
        } else {
            const std::size_t take = std::min(length, size - at);
            a.bytes.assign(data + at, data + at + take);
            at += take;
        }
        out.push_back(std::move(a));
    }
    return out;
}

// Appends one arrival in the same format (used to record seeds).
inline void appendArrival(std::vector<std::uint8_t>& out, const std::uint8_t* bytes, std::size_t n,
                          std::uint8_t delaySteps = 0) {
    out.push_back(delaySteps);
    out.push_back(std::uint8_t(n >> 8));
    out.push_back(std::uint8_t(n & 0xFF));
    out.insert(out.end(), bytes, bytes + n);
}

class FuzzBackend final : public PortBackend {
public:
    FuzzBackend(std::deque<Arrival>& arrivals, ManualClock& clock, std::string deviceId)
        : arrivals_(arrivals), clock_(clock), deviceId_(std::move(deviceId)) {}

    bool open() override { return !dropped_; }
    void close() override {}
    long write(const std::uint8_t*, std::size_t n, int) override { return dropped_ ? -1 : long(n); }
    long read(std::uint8_t* data, std::size_t n, bool exact, int timeoutMs) override {
        std::size_t got = 0;
        std::int64_t waited = 0;
        while (got < n) {
            if (dropped_) {
                return got > 0 ? long(got) : -1;
            }
            if (arrivals_.empty()) {
                clock_.advance(timeoutMs - waited);
                break;
            }
            Arrival& a = arrivals_.front();
            if (a.drop) {
                dropped_ = true;
                arrivals_.pop_front();
                continue;
            }
            if (a.bytes.empty() || waited + a.delayMs >= timeoutMs) {
                // Nothing within this read's time: it times out; a late reply waits for the next.
                const std::int64_t rest = timeoutMs - waited;
                clock_.advance(rest);
                if (a.bytes.empty()) {
                    arrivals_.pop_front();
                } else {
                    a.delayMs -= rest;
                }
                break;
            }
            clock_.advance(a.delayMs);
            waited += a.delayMs;
            a.delayMs = 0;
            got += test::takeFromFront(arrivals_, data + got, n - got);
            if (!exact) {
                break;
            }
        }
        return long(got);
    }
    std::vector<std::uint8_t> deviceId() override {
        return dropped_ ? std::vector<std::uint8_t>{}
                        : std::vector<std::uint8_t>(deviceId_.begin(), deviceId_.end());
    }

private:
    std::deque<Arrival>& arrivals_;
    ManualClock& clock_;
    std::string deviceId_;
    bool dropped_ = false;
};

// Boxes go nowhere; a program error ends the input's run.
class QuietHandler final : public MessageHandler {
public:
    void showError(std::string_view) override { ++shown; }
    void showMessage(std::string_view, std::string_view) override { ++shown; }
    bool confirm(std::string_view, std::string_view) override { return true; }
    void endProgram(std::string_view text, int exitCode) override {
        throw ProgramEnded(std::string(text), exitCode);
    }
    long shown = 0;
};

inline constexpr std::string_view kFuzzDeviceId =
    "MFG:ZOLTA;CMD:D4,BDC;MDL:K55;CLS:PRINTER;DES:ZOLTA K55;";

// One input's link: driver, transport and factory frames on a manual clock, over a FuzzBackend
// that takes its replies from arrivals. The caller sets the choice before opening the port.
struct FuzzLink {
    explicit FuzzLink(std::deque<Arrival>& arrivals)
        : driver(clock, choice,
                 [&arrivals, this](std::uint16_t, const std::string&) {
                     return std::make_unique<FuzzBackend>(arrivals, clock,
                                                          std::string(kFuzzDeviceId));
                 }),
          link(driver, clock, ui),
          factory(link) {}

    ManualClock clock;
    QuietHandler ui;
    StartupChoice choice;
    TPPrinterDriver driver;
    TPD4Comm link;
    TPFactory factory;
};

}  // namespace veltra::fuzz
