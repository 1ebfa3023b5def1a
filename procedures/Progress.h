#pragma once
// ProgressMeter: reports a long operation's progress to the window while it runs. The operation
// counts its steps (advance) and sleeps its own waits through wait(), which sleeps in short
// slices on the program's clock and reports after each, so the window is repainted during a long
// wait while the busy lock keeps input out. The time left is the waits still to come where the
// operation declares them, otherwise the pace so far carried over the steps still to come.
#include <cstdint>

#include "link/Clock.h"
#include "procedures/AdjustView.h"

namespace veltra {

class ProgressMeter {
public:
    // total: steps of the operation. knownWaitMs: the sum of the waits the operation will sleep
    // through wait(); when given, the steps are those milliseconds and the time left is exact.
    ProgressMeter(AdjustView& view, Clock& clock, std::int64_t total, std::int64_t knownWaitMs = 0);
    ~ProgressMeter();
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    // Steps done; the count never passes the total.
    void advance(std::int64_t steps = 1);
    // Sleeps ms on the clock, in slices, reporting after each.
    void wait(std::int64_t ms);
    const Progress& progress() const { return progress_; }

    // The longest sleep between two reports.
    static constexpr std::int64_t kSliceMs = 250;

private:
    void report();

    AdjustView& view_;
    Clock& clock_;
    std::int64_t startMs_;
    std::int64_t knownWaitMs_;
    std::int64_t waitedMs_ = 0;
    Progress progress_;
};

}  // namespace veltra
