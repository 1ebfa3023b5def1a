// The command line's ready waits on a printer in an error state: said once with what to do, and
// ended by a stop request or the error wait's limit with the link shut down all the same.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#endif

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/StopSignals.h"
#include "link/HexText.h"
#include "sim/D4Device.h"
#include "sim/VirtualPrinter.h"
#include "tests/support/CliRun.h"

namespace veltra::cli {
namespace {

using WaitCliTest = test::CliRun;

// A Ctrl-C that comes when the clock reaches atMs.
class StopAt final : public StopRequest {
public:
    StopAt(const Clock& clock, std::int64_t atMs) : clock_(clock), atMs_(atMs) {}
    bool stopRequested() const override { return clock_.nowMs() >= atMs_; }

private:
    const Clock& clock_;
    std::int64_t atMs_;
};

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

// The bytes of the last transfer written in a trace file ("<ms> W <hex>" lines).
std::vector<std::uint8_t> lastWrite(const std::filesystem::path& trace) {
    std::ifstream f(trace);
    std::string last;
    for (std::string line; std::getline(f, line);) {
        if (const auto w = line.find(" W "); w != std::string::npos) {
            last = line.substr(w + 3);
        }
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < last.size(); i += 2) {
        const auto b = hexPair(std::string_view(last).substr(i, 2), HexCase::Either);
        if (!b) {
            return {};
        }
        bytes.push_back(*b);
    }
    return bytes;
}

TEST_F(WaitCliTest, PaperOutWaitEndsByStopOrLimitWithTheLinkShutDown) {
    struct Case {
        std::string name;
        std::vector<std::string> args;
        std::int64_t stopAtMs;  // also a backstop: a wait that never ends fails the case
        int exit;
        std::string closing;
        std::int64_t minMs;
        std::int64_t maxMs;
    };
    const std::vector<Case> cases{
        {"stopped while waiting",
         {"clean"},
         2500,
         kStoppedExit,
         "Stopped at your request",
         2500,
         4000},
        {"stopped before the limit",
         {"--error-wait", "30", "clean"},
         3500,
         kStoppedExit,
         "Stopped at your request",
         3500,
         5000},
        {"limit reached", {"--error-wait", "5", "clean"}, 60000, 1, "Gave up", 5000, 7000},
        {"no limit, stopped late",
         {"--error-wait", "0", "clean"},
         45000,
         kStoppedExit,
         "Stopped at your request",
         45000,
         46500},
    };
    printerSetup_ = [](sim::VirtualPrinter& printer) {
        printer.setState(0x00);
        printer.setError(0x06);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path trace = dir_ / "trace.txt";
        std::filesystem::remove(eeprom_);
        const StopAt stop(clock_, clock_.nowMs() + c.stopAtMs);
        stop_ = &stop;
        std::vector<std::string> args{"--trace", trace.string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const std::int64_t start = clock_.nowMs();
        EXPECT_EQ(run(args), c.exit) << err_.str();
        const std::int64_t took = clock_.nowMs() - start;
        EXPECT_GE(took, c.minMs);
        EXPECT_LE(took, c.maxMs);

        const std::string err = err_.str();
        // The error and what to do about it once, however many polls found it.
        EXPECT_EQ(count(err, "Load paper into the printer"), 1u) << err;
        EXPECT_EQ(count(err, "Waiting for the printer..."), 1u) << err;
        EXPECT_NE(err.find(c.closing), std::string::npos) << err;
        EXPECT_EQ(err.find("Communication error"), std::string::npos) << err;
        // The link was shut down in its close order: the last packet sent is the transport's
        // Exit, and the virtual printer kept its EEPROM.
        const std::vector<std::uint8_t> exit = lastWrite(trace);
        ASSERT_GT(exit.size(), sim::d4::kHeaderSize);
        EXPECT_EQ(exit[0], sim::d4::kTransportSocket);
        EXPECT_EQ(exit[sim::d4::kHeaderSize], sim::d4::kExit);
        EXPECT_TRUE(std::filesystem::exists(eeprom_));
    }
    stop_ = nullptr;
}

#ifndef _WIN32
void noteSignal(int) {}

// A signal becomes a stop request; the handler is reset by it, so that a second signal ends the
// program at once; and the handlers found before are put back afterwards.
TEST(SignalStop, ASignalRequestsTheStopOnceAndTheHandlersAreRestored) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        struct sigaction mine {};
        mine.sa_handler = noteSignal;
        sigemptyset(&mine.sa_mask);
        struct sigaction before {};
        ASSERT_EQ(sigaction(signal, &mine, &before), 0);
        {
            SignalStop stop;
            EXPECT_FALSE(stop.stopRequested());
            ASSERT_EQ(std::raise(signal), 0);
            EXPECT_TRUE(stop.stopRequested());
            struct sigaction now {};
            ASSERT_EQ(sigaction(signal, nullptr, &now), 0);
            EXPECT_EQ(now.sa_handler, SIG_DFL);
        }
        struct sigaction after {};
        ASSERT_EQ(sigaction(signal, &before, &after), 0);
        EXPECT_EQ(after.sa_handler, noteSignal);
    }
}
#endif

}  // namespace
}  // namespace veltra::cli
