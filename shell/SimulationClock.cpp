#include "shell/SimulationClock.h"

#include <QApplication>
#include <QEvent>
#include <QWindow>
#include <algorithm>

namespace veltra::shell {

namespace {
constexpr std::int64_t kSliceMs = 20;  // how often the tool window gets its events

bool isHeldBack(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::Close:
        case QEvent::Timer:
            return true;
        default:
            return false;
    }
}
}  // namespace

void SimulationClock::sleepMs(std::int64_t ms) {
    if (ms <= 0) {
        return;
    }
    if (!live_ || sleeping_ || !QCoreApplication::instance()) {
        base_.sleepMs(ms);
        return;
    }
    sleeping_ = true;
    QCoreApplication::instance()->installEventFilter(this);
    const std::int64_t end = base_.nowMs() + ms;
    for (std::int64_t left = ms; left > 0; left = end - base_.nowMs()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(kSliceMs));
        base_.sleepMs(std::min(left, kSliceMs));
    }
    QCoreApplication::instance()->removeEventFilter(this);
    sleeping_ = false;
}

bool SimulationClock::belongsToLiveWindow(QObject* object) const {
    // Input reaches a window's QWindow before its widgets; find the widget it belongs to.
    if (auto* window = qobject_cast<QWindow*>(object)) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->windowHandle() == window) {
                return belongsToLiveWindow(w);
            }
        }
        return false;
    }
    for (QObject* o = object; o; o = o->parent()) {
        if (o == live_.data()) {
            return true;
        }
    }
    return false;
}

bool SimulationClock::eventFilter(QObject* watched, QEvent* event) {
    // Held back events of the program's windows are dropped; timers fire again at their next
    // interval, and the user clicks again once the window is responsive.
    return isHeldBack(event->type()) && !belongsToLiveWindow(watched);
}

}  // namespace veltra::shell
