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
#ifdef _WIN32
    localtime_s(&tm, &now);
#else
    localtime_r(&now, &tm);
#endif
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
    // Calendar arithmetic on the civil calendar, so that days and months roll over correctly.
    using namespace std::chrono;
    const sys_days start =
        year{base_.year} / month{unsigned(base_.month)} / day{unsigned(base_.day)};
    const sys_seconds t = start + hours{base_.hour} + minutes{base_.minute} +
                          seconds{base_.second} + seconds{(now_ - baseMs_) / 1000};
    const sys_days today = floor<days>(t);
    const year_month_day date{today};
    const hh_mm_ss<seconds> time{t - today};
    return {int(date.year()),          int(unsigned(date.month())), int(unsigned(date.day())),
            int(time.hours().count()), int(time.minutes().count()), int(time.seconds().count())};
}

}  // namespace veltra
