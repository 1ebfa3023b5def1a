#pragma once
// The clock of --simulate. The program blocks its one thread while it waits for the printer
// (the 1000 ms polls until ready), so a simulated printer left busy would never become ready.
// This clock keeps the "Virtual printer" tool window alive during every sleep: it lets events
// reach that window only (input and timers of the program's own windows are held back, so no
// handler of theirs runs in the middle of another), then sleeps on the real clock.
#include <QObject>
#include <QPointer>
#include <QWidget>

#include "link/Clock.h"

namespace veltra::shell {

class SimulationClock final : public Clock, private QObject {
public:
    explicit SimulationClock(Clock& base) : base_(base) {}

    // The window kept alive during sleeps (null: plain sleeps).
    void setLiveWindow(QWidget* window) { live_ = window; }

    void sleepMs(std::int64_t ms) override;
    std::int64_t nowMs() const override { return base_.nowMs(); }
    LocalTime localTime() const override { return base_.localTime(); }

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool belongsToLiveWindow(QObject* object) const;

    Clock& base_;
    QPointer<QWidget> live_;
    bool sleeping_ = false;
};

}  // namespace veltra::shell
