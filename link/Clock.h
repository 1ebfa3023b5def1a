#pragma once
// The one clock of the program: every sleep, every reading of elapsed time and of the local date
// and time goes through it, so that tests run the 1000 ms polls and 10 s time-outs in zero wall
// time. The virtual printer runs on the same clock as the link.
#include <cstdint>
#include <functional>
#include <vector>

namespace veltra {

struct LocalTime {
    int year = 2000;  // e.g. 2026
    int month = 1;    // 1-12
    int day = 1;      // 1-31
    int hour = 0;     // 0-23
    int minute = 0;   // 0-59
    int second = 0;   // 0-59
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleepMs(std::int64_t ms) = 0;
    // Monotonic milliseconds since an arbitrary start.
    virtual std::int64_t nowMs() const = 0;
    // The one-second clock the port uses to judge a 10 s transfer.
    std::int64_t nowSeconds() const { return nowMs() / 1000; }
    virtual LocalTime localTime() const = 0;

    // A wait that blocks outside sleepMs (a port waiting in poll() for its reply) hands the
    // thread back to idle() at least this often, so that a clock which runs the program's other
    // work while it sleeps (the desktop program's event loop) runs it during that wait too.
    // 0: such waits may block as long as they need.
    virtual int idleIntervalMs() const { return 0; }
    // Runs the work that is due now, without waiting.
    virtual void idle() {}
};

// Real time: std::this_thread::sleep_for, steady_clock, localtime_r.
class SystemClock final : public Clock {
public:
    void sleepMs(std::int64_t ms) override;
    std::int64_t nowMs() const override;
    LocalTime localTime() const override;
};

// Virtual time for tests and the simulated printer: sleeping only advances the counter.
// Observers run after every advance so that a simulated device can move on with time.
class ManualClock final : public Clock {
public:
    explicit ManualClock(std::int64_t startMs = 0) : now_(startMs) {}
    void sleepMs(std::int64_t ms) override { advance(ms); }
    std::int64_t nowMs() const override { return now_; }
    LocalTime localTime() const override;
    void advance(std::int64_t ms);
    // The local time at the clock's start; it moves on with the clock.
    void setLocalTime(const LocalTime& t) {
        base_ = t;
        baseMs_ = now_;
    }
    // Total milliseconds spent in sleepMs, for measurements.
    std::int64_t sleptMs() const { return slept_; }
    void onAdvance(std::function<void(std::int64_t nowMs)> observer);

private:
    std::int64_t now_;
    std::int64_t slept_ = 0;
    LocalTime base_{2026, 1, 1, 0, 0, 0};
    std::int64_t baseMs_ = 0;
    std::vector<std::function<void(std::int64_t)>> observers_;
};

}  // namespace veltra
