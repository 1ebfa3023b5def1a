#include "shell/EventLoopClock.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>

namespace veltra::shell {

namespace {

bool isInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::InputMethod:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

}  // namespace

class EventLoopClock::WaitScope {
public:
    explicit WaitScope(EventLoopClock& clock)
        : clock_(clock), active_(!clock.waiting_ && QCoreApplication::instance() != nullptr) {
        if (active_) {
            clock_.waiting_ = true;
            QCoreApplication::instance()->installEventFilter(&clock_);
        }
    }
    ~WaitScope() {
        if (active_) {
            QCoreApplication::instance()->removeEventFilter(&clock_);
            clock_.waiting_ = false;
        }
    }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;
    bool active() const { return active_; }

private:
    EventLoopClock& clock_;
    bool active_;
};

void EventLoopClock::sleepMs(std::int64_t ms) {
    if (ms <= 0) {
        return;
    }
    const WaitScope scope(*this);
    if (!scope.active()) {
        base_.sleepMs(ms);
        return;
    }
    if (pace_ == Pace::Manual) {
        QCoreApplication::processEvents();
        base_.sleepMs(ms);
        return;
    }
    runUntil(base_.nowMs() + ms);
}

void EventLoopClock::runUntil(std::int64_t deadlineMs) {
    // One wake-up at the deadline, not a count of slices: the wait keeps its length however long
    // the events in between take. The last few milliseconds are slept plainly, so that no
    // paint or other event can run across the deadline.
    const std::int64_t eventsUntilMs = deadlineMs - kPlainTailMs;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&loop] { loop.quit(); });
    for (std::int64_t left = eventsUntilMs - base_.nowMs(); left > 0;
         left = eventsUntilMs - base_.nowMs()) {
        deadline.start(std::chrono::milliseconds(left));
        loop.exec();
        if (deadline.isActive()) {
            // The loop was ended from elsewhere (the program is ending): the rest of the wait
            // passes without events.
            deadline.stop();
            break;
        }
    }
    base_.sleepMs(deadlineMs - base_.nowMs());
}

void EventLoopClock::idle() {
    const WaitScope scope(*this);
    if (scope.active()) {
        QCoreApplication::processEvents();
    }
}

QObject* EventLoopClock::widgetOf(QObject* object) {
    // Input reaches a window's QWindow before its widgets.
    if (auto* window = qobject_cast<QWindow*>(object)) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->windowHandle() == window) {
                return w;
            }
        }
    }
    return object;
}

bool EventLoopClock::eventFilter(QObject* watched, QEvent* event) {
    const bool input = isInput(event->type());
    if (!input && event->type() != QEvent::Timer) {
        return false;  // painting, layout, queued calls and the like go on
    }
    bool inWindow = false;
    for (QObject* o = widgetOf(watched); o; o = o->parent()) {
        if (o == live_.data()) {
            return false;
        }
        inWindow = inWindow || o->isWidgetType();
    }
    // Input is dropped wherever it goes; a timer of the program's windows fires again at its
    // next interval, while the timers of no window (the toolkit's own) go on.
    return input || inWindow;
}

}  // namespace veltra::shell
