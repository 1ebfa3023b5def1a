#include "link/Clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace veltra {

void SystemClock::sleepMs(std::int64_t ms) {
    if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

std::int64_t SystemClock::nowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace {
LocalTime fromTm(const std::tm& tm) {
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}
}  // namespace

LocalTime SystemClock::localTime() const {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return fromTm(tm);
}

void ManualClock::advance(std::int64_t ms) {
    if (ms <= 0) {
        return;
    }
    now_ += ms;
    slept_ += ms;
    for (auto& observer : observers_) {
        observer(now_);
    }
}

void ManualClock::onAdvance(std::function<void(std::int64_t)> observer) {
    observers_.push_back(std::move(observer));
}

LocalTime ManualClock::localTime() const {
    // Calendar arithmetic through timegm/gmtime_r so that days and months roll over correctly.
    std::tm tm{};
    tm.tm_year = base_.year - 1900;
    tm.tm_mon = base_.month - 1;
    tm.tm_mday = base_.day;
    tm.tm_hour = base_.hour;
    tm.tm_min = base_.minute;
    tm.tm_sec = base_.second;
    const std::time_t t = timegm(&tm) + std::time_t((now_ - baseMs_) / 1000);
    std::tm out{};
    gmtime_r(&t, &out);
    return fromTm(out);
}

}  // namespace veltra
