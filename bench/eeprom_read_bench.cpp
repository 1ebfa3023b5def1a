// Reads the whole 256-byte EEPROM through the in-process virtual printer on the real clock and
// compares the wall time with the time the link must spend in its fixed waits (the 10 ms before
// every port read). The ratio shows what the program adds on top of those waits.
#include <chrono>
#include <cstdio>

#include "bench/SimProgram.h"
#include "link/Clock.h"
#include "procedures/ProgramObjects.h"
#include "procedures/Session.h"
#include "sim/SimPortBackend.h"
#include "sim/VirtualPrinter.h"

namespace {

// The real clock, counting the time asked for in sleeps.
class CountingClock final : public veltra::Clock {
public:
    void sleepMs(std::int64_t ms) override {
        asked_ += ms;
        real_.sleepMs(ms);
    }
    std::int64_t nowMs() const override { return real_.nowMs(); }
    veltra::LocalTime localTime() const override { return real_.localTime(); }
    std::int64_t asked() const { return asked_; }

private:
    veltra::SystemClock real_;
    std::int64_t asked_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    CountingClock clock;
    veltra::bench::SimProgram program(clock);
    if (!program.start()) {
        return 1;
    }
    veltra::ProgramObjects& objects = program.objects;
    double worst = 0;
    for (int run = 0; run < runs; ++run) {
        const std::int64_t askedBefore = clock.asked();
        const auto start = std::chrono::steady_clock::now();
        for (int address = 0; address < 256; ++address) {
            std::uint8_t value = 0;
            if (objects.link.ReadEepromByte(std::uint8_t(address), value) != veltra::kOk) {
                std::fprintf(stderr, "read of %02X failed\n", address);
                return 1;
            }
        }
        const double wallMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        const auto fixedMs = double(clock.asked() - askedBefore);
        const double ratio = wallMs / fixedMs;
        worst = ratio > worst ? ratio : worst;
        std::printf("run %d: 256 bytes, wall %.1f ms, fixed waits %.0f ms, ratio %.3f\n", run + 1,
                    wallMs, fixedMs, ratio);
    }
    veltra::EndSession(objects, false);
    std::printf("worst ratio %.3f (target 1.10 or below)\n", worst);
    return worst <= 1.10 ? 0 : 2;
}
