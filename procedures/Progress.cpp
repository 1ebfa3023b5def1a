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
    while (ms > 0) {
        const std::int64_t slice = std::min(ms, kSliceMs);
        clock_.sleepMs(slice);
        ms -= slice;
        waitedMs_ += slice;
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
