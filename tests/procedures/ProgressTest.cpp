#include <gtest/gtest.h>

#include <functional>

#include "procedures/EepromData.h"
#include "procedures/HeadAngle.h"
#include "procedures/Maintenance.h"
#include "procedures/Progress.h"
#include "tests/procedures/ProcedureRig.h"

namespace veltra::test {
namespace {

// Each long operation reports its progress from its start: never backwards, its total reached
// by its last report and not before, and its progress ended once. Where its waits are known
// (the CR measurement) the time left is exact throughout.
TEST(Progress, LongOperationsReachTheirTotalExactlyAtTheirEnd) {
    struct Case {
        const char* name;
        std::function<Status(Rig&)> run;
        std::int64_t total;
        bool waitsKnown;
    };
    const Case cases[] = {
        {"jig ink charge", [](Rig& r) { return ChargeForJigOKBtnClick(r.frame); }, 95, false},
        {"liquid exchange",
         [](Rig& r) {
             MessageOKBtnClick(r.frame);
             return kOk;
         },
         322, false},
        {"CR measurement",
         [](Rig& r) {
             r.view.setChecked(CheckBox::ReplaceMainBoardCheckBox, true);
             r.view.setChecked(CheckBox::ReplaceCRMainShaftCheckBox, true);
             return CRHeatProtectOffsetOKBtnClick(r.frame);
         },
         31000, true},
        {"EEPROM readout 00-FF",
         [](Rig& r) {
             r.view.setEntryText(Entry::EepReadBegEdit, "00");
             r.view.setEntryText(Entry::EepReadEndEdit, "FF");
             return EepromReadOkBtnClick(r.frame);
         },
         256, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        ASSERT_TRUE(rig.start());
        ASSERT_EQ(c.run(rig), kOk);
        const std::vector<Progress>& p = rig.view.progress;
        ASSERT_GE(p.size(), 2u);
        EXPECT_EQ(p.front().done, 0);
        for (std::size_t i = 1; i < p.size(); ++i) {
            EXPECT_LE(p[i - 1].done, p[i].done) << i;
        }
        EXPECT_EQ(p.back().total, c.total);
        EXPECT_EQ(p.back().done, c.total);
        EXPECT_LT(p[p.size() - 2].done, c.total);
        EXPECT_EQ(p.back().remainingMs, 0);
        EXPECT_EQ(rig.view.progressEnded, 1);
        if (c.waitsKnown) {
            for (const Progress& step : p) {
                EXPECT_EQ(step.remainingMs, step.total - step.done);
            }
        } else {
            EXPECT_EQ(p.front().remainingMs, -1) << "no pace before the first step";
        }
    }
}

// A wait is slept in slices, so that the window repaints during the 10 s settling wait.
TEST(Progress, WaitsAreReportedInSlices) {
    ManualClock clock;
    FakeView view;
    {
        ProgressMeter meter(view, clock, 2600, 2600);
        meter.wait(2600);
    }
    ASSERT_EQ(view.progress.size(), 1u + 11u);  // the start, then ten slices of 250 and one of 100
    EXPECT_EQ(view.progress[1].done, 250);
    EXPECT_EQ(view.progress[10].done, 2500);
    EXPECT_EQ(view.progress[11].remainingMs, 0);
    EXPECT_EQ(clock.nowMs(), 2600);
}

// A wait ends at its deadline: on a clock that oversleeps every sleep, what the slices oversleep
// does not add up (a 31 s measurement would otherwise run long by one oversleep per slice).
TEST(Progress, AWaitKeepsItsLengthWhenSleepsOversleep) {
    class Oversleeping final : public Clock {
    public:
        explicit Oversleeping(std::int64_t over) : over_(over) {}
        void sleepMs(std::int64_t ms) override { base_.advance(ms + over_); }
        std::int64_t nowMs() const override { return base_.nowMs(); }
        LocalTime localTime() const override { return base_.localTime(); }

    private:
        ManualClock base_;
        std::int64_t over_;
    };
    for (const std::int64_t over : {0, 40, 300}) {
        SCOPED_TRACE(over);
        Oversleeping clock(over);
        FakeView view;
        constexpr std::int64_t kWaitMs = 2600;
        {
            ProgressMeter meter(view, clock, kWaitMs, kWaitMs);
            meter.wait(kWaitMs);
        }
        EXPECT_GE(clock.nowMs(), kWaitMs);
        EXPECT_LE(clock.nowMs(), kWaitMs + over);
        EXPECT_EQ(view.progress.back().done, kWaitMs);
        EXPECT_EQ(view.progress.back().remainingMs, 0);
    }
}

}  // namespace
}  // namespace veltra::test
