#pragma once
// The desktop program's clock. The program has one thread, and every exchange with the printer
// waits on it: the 10 ms before each port read, the 1000 ms polls until the printer is ready, a
// reply's time-out, the pauses of the close. During each wait this clock runs the event loop
// until the wait's deadline, so the windows are painted, the desktop's pings are answered and
// the "Virtual printer" tool window can be used. Input to the program's other windows is dropped
// (never queued: a click made during a wait is not acted on after it) and their timers are held
// back, so that no handler of theirs runs in the middle of another.
#include <QObject>
#include <QPointer>
#include <QWidget>

#include "link/Clock.h"

namespace veltra::shell {

class EventLoopClock final : public Clock, private QObject {
public:
    // How time passes on the base clock: with real time (the program), or only when it is slept
    // on (tests on a manual clock: a wait runs the events due, then advances the base).
    enum class Pace { RealTime, Manual };

    explicit EventLoopClock(Clock& base, Pace pace = Pace::RealTime) : base_(base), pace_(pace) {}

    // The window whose input and timers go on during waits (null: none).
    void setLiveWindow(QWidget* window) { live_ = window; }

    void sleepMs(std::int64_t ms) override;
    std::int64_t nowMs() const override { return base_.nowMs(); }
    LocalTime localTime() const override { return base_.localTime(); }
    // A port waiting for its reply hands the thread back this often.
    int idleIntervalMs() const override { return kIdleIntervalMs; }
    void idle() override;

    // Well inside the half second a desktop allows a window to answer its ping.
    static constexpr int kIdleIntervalMs = 20;
    // The end of each wait slept without events.
    static constexpr std::int64_t kPlainTailMs = 2;

private:
    // Filters the program's windows while it lives; false when a wait is already running (a
    // handler of the tool window that waits on this clock waits plainly).
    class WaitScope;
    // Runs the event loop until the base clock reaches deadlineMs.
    void runUntil(std::int64_t deadlineMs);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The widget of a window's QWindow, else the object itself.
    static QObject* widgetOf(QObject* object);

    Clock& base_;
    Pace pace_;
    QPointer<QWidget> live_;
    bool waiting_ = false;
};

}  // namespace veltra::shell
