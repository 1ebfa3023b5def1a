#include "procedures/Progress.h"

#include <algorithm>

namespace veltra {

ProgressMeter::ProgressMeter(AdjustView& view, Clock& clock, std::int64_t total,
                             std::int64_t knownWaitMs)
    : view_(view), clock_(clock), startMs_(clock.nowMs()), knownWaitMs_(knownWaitMs) {
    progress_.total = knownWaitMs > 0 ? knownWaitMs : std::max<std::int64_t>(total, 1);
    report();
}

ProgressMeter::~ProgressMeter() {
    view_.endProgress();
}

void ProgressMeter::advance(std::int64_t steps) {
    if (knownWaitMs_ > 0) {
        return;  // the waits are the steps
    }
    progress_.done = std::min(progress_.total, progress_.done + steps);
    report();
}

void ProgressMeter::wait(std::int64_t ms) {
    // Slept until one deadline, so that what each slice oversleeps does not add up (and never
    // longer than the slices asked for, on a clock that does not move while it sleeps).
    const std::int64_t start = clock_.nowMs();
    const std::int64_t waitedBefore = waitedMs_;
    std::int64_t asked = 0;
    for (std::int64_t left = ms; left > 0;
         left = std::min(start + ms - clock_.nowMs(), ms - asked)) {
        const std::int64_t slice = std::min(left, kSliceMs);
        clock_.sleepMs(slice);
        asked += slice;
        waitedMs_ = waitedBefore + std::min(ms, std::max(asked, clock_.nowMs() - start));
        if (knownWaitMs_ > 0) {
            progress_.done = std::min(progress_.total, waitedMs_);
        }
        report();
    }
}

void ProgressMeter::report() {
    if (knownWaitMs_ > 0) {
        progress_.remainingMs = std::max<std::int64_t>(0, knownWaitMs_ - waitedMs_);
    } else if (progress_.done > 0) {
        const std::int64_t elapsed = clock_.nowMs() - startMs_;
        progress_.remainingMs = elapsed * (progress_.total - progress_.done) / progress_.done;
    } else {
        progress_.remainingMs = -1;
    }
    view_.showProgress(progress_);
}

}  // namespace veltra
