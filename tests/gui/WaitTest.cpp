// The desktop program's waits: the event loop runs during them while input to the program's
// windows is dropped (never acted on afterwards), and what the adjustment window says around
// them (a cleaning, a printer before its initial fill up, the close).
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>

#include "procedures/Messages.h"
#include "shell/EventLoopClock.h"
#include "tests/gui/ShellRig.h"

namespace veltra::test {
namespace {

// A left click at pos of w, left in the event queue as a click the user made while the program
// was busy: it is delivered by whatever runs the event loop next.
void postClick(QWidget* w, QPoint pos) {
    const QPointF local(pos);
    const QPointF global(w->mapToGlobal(pos));
    QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonPress, local, global,
                                                   Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonRelease, local, global,
                                                   Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

void postClick(QWidget* w) {
    postClick(w, w->rect().center());
}

// Runs a callback on the first event of a type that reaches an object.
class OnEvent final : public QObject {
public:
    OnEvent(QObject* target, QEvent::Type type, std::function<void()> callback)
        : type_(type), callback_(std::move(callback)) {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == type_ && callback_) {
            auto callback = std::move(callback_);
            callback_ = nullptr;
            callback();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QEvent::Type type_;
    std::function<void()> callback_;
};

// During a wait (a sleep, or a port's idle step) a zero-time timer of no window fires and the
// live window takes its click; a program window's timer is held back and its click dropped, so
// that it does not act after the wait either. Outside a wait the same click acts.
TEST(EventLoopClock, AWaitRunsTheEventLoopAndDropsInputToTheProgramsWindows) {
    ManualClock manual;
    SystemClock real;
    shell::EventLoopClock onManual(manual, shell::EventLoopClock::Pace::Manual);
    shell::EventLoopClock onReal(real);
    const struct {
        const char* name;
        shell::EventLoopClock& clock;
        std::function<void(shell::EventLoopClock&)> wait;
    } cases[] = {
        {"sleep on a manual clock", onManual, [](auto& c) { c.sleepMs(1000); }},
        {"sleep on real time", onReal, [](auto& c) { c.sleepMs(30); }},
        {"a port's idle step", onReal, [](auto& c) { c.idle(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget program;
        auto* programButton = new QPushButton("program", &program);
        QTimer programTimer(&program);
        QWidget live;
        auto* liveButton = new QPushButton("live", &live);
        program.show();
        live.show();
        c.clock.setLiveWindow(&live);
        int programClicks = 0, liveClicks = 0, programTicks = 0, zeroTicks = 0;
        QObject::connect(programButton, &QPushButton::clicked, [&] { ++programClicks; });
        QObject::connect(liveButton, &QPushButton::clicked, [&] { ++liveClicks; });
        QObject::connect(&programTimer, &QTimer::timeout, [&] { ++programTicks; });
        QObject elsewhere;
        QTimer zero(&elsewhere);
        zero.setSingleShot(true);
        QObject::connect(&zero, &QTimer::timeout, [&] { ++zeroTicks; });

        postClick(programButton);
        postClick(liveButton);
        programTimer.start(0);
        zero.start(0);
        c.wait(c.clock);
        programTimer.stop();
        EXPECT_EQ(zeroTicks, 1);
        EXPECT_EQ(liveClicks, 1);
        EXPECT_EQ(programTicks, 0);
        QCoreApplication::processEvents();
        EXPECT_EQ(programClicks, 0) << "a click made during the wait acted on";

        postClick(programButton);
        QCoreApplication::processEvents();
        EXPECT_EQ(programClicks, 1) << "the click itself must act outside a wait";
        c.clock.setLiveWindow(nullptr);
    }
}

// Observers of the manual clock stay with it; this turns one off when the test's locals go.
struct Armed {
    Armed() = default;
    Armed(const Armed&) = delete;
    Armed& operator=(const Armed&) = delete;
    ~Armed() { *on = false; }
    std::shared_ptr<bool> on = std::make_shared<bool>(true);
};

class Waits : public ::testing::Test {
protected:
    // The statuses the window shows, in order, from now on.
    void recordStatuses() {
        QObject::connect(w.statusMemo(), &QPlainTextEdit::textChanged, &w,
                         [this] { statuses_.push_back(w.statusText()); });
    }
    bool shown(const std::string& text) const {
        return std::find(statuses_.begin(), statuses_.end(), text) != statuses_.end();
    }

    ShellRig rig;
    shell::TFormAdjust& w = rig.adjust();
    std::vector<std::string> statuses_;
};

// A click on another tab made while the EEPROM table is read changes nothing, during the readout
// or after it, while the event loop keeps running through it (a zero-time timer fires inside).
TEST_F(Waits, ATabClickDuringTheEepromReadoutHasNoEffect) {
    ASSERT_TRUE(rig.start());
    auto* tabs = ShellRig::find<QTabWidget>(w, "AdjustmentTab");
    rig.openItem(3, "AppendixRdoGrp", 0);
    ShellRig::find<shell::RadioGroup>(w, "EepromCheckRdoGrp")->button(0)->click();
    ShellRig::click(w, "EepromItemsOKBtn");
    w.entry(Entry::EepReadBegEdit)->setText("C0");
    w.entry(Entry::EepReadEndEdit)->setText("FF");

    const Armed armed;
    QObject elsewhere;
    QTimer zero(&elsewhere);
    zero.setSingleShot(true);
    std::int64_t zeroFiredAt = -1;
    QObject::connect(&zero, &QTimer::timeout, [&] { zeroFiredAt = rig.clock.nowMs(); });
    bool posted = false;
    rig.clock.onAdvance([&, on = armed.on](std::int64_t) {
        if (*on && !posted) {
            posted = true;
            QTabBar* bar = tabs->tabBar();
            postClick(bar, bar->tabRect(0).center());
            zero.start(0);
        }
    });
    ShellRig::click(w, "EepromReadOkBtn");
    const std::int64_t endedAt = rig.clock.nowMs();
    QCoreApplication::processEvents();

    ASSERT_TRUE(posted);
    EXPECT_GE(zeroFiredAt, 0);
    EXPECT_LT(zeroFiredAt, endedAt) << "the timer waited for the readout to end";
    EXPECT_EQ(tabs->currentIndex(), 3);
    EXPECT_EQ(w.visiblePanel()->objectName(), "EEPROMGridPnl");
    EXPECT_FALSE(w.grid()->item(16, 16)->text().isEmpty()) << "the table read was removed";
    EXPECT_TRUE(w.isEnabled());

    // The same click made now turns the tab.
    postClick(tabs->tabBar(), tabs->tabBar()->tabRect(0).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(tabs->currentIndex(), 0);
}

// The cleaning's own text stays while the printer cleans as asked; the waiting line comes only
// when the printer is held up before the command, here by a cleaning of its own.
TEST_F(Waits, TheCleaningKeepsItsTextWhileThePrinterCleans) {
    const std::string running(msg::kCleaningRunning);
    const std::string waiting(msg::kWaitingForPrinter);
    recordStatuses();
    for (const bool heldUp : {false, true}) {
        SCOPED_TRACE(heldUp ? "printer cleaning before the command" : "printer ready");
        ASSERT_TRUE(rig.start());
        ASSERT_EQ(rig.openItem(1, "MaintRdoGrp", 0), "CleaningPnl");
        w.tickTimer(Timer::DisableTimer);
        if (heldUp) {
            rig.printer().pressInkSwitch();
        }
        statuses_.clear();
        ShellRig::click(w, "CleaningOKBtn");
        ASSERT_TRUE(shown(running));
        // Held up before the command, the status area was empty: the waiting line stands alone.
        EXPECT_EQ(shown(waiting), heldUp);
        EXPECT_EQ(std::count_if(
                      statuses_.begin(), statuses_.end(),
                      [&](const std::string& s) { return s.find(waiting) != std::string::npos; }),
                  heldUp ? 1 : 0);
        EXPECT_EQ(statuses_.back(), msg::kCleaningDone);
        EXPECT_EQ(rig.printer().state(), 0x04);
        w.close();
        ShellRig::click(rig.windows.quit, "NextBtn");
    }
}

// A printer before its initial fill up refuses the item: the window says so in red instead of
// leaving the last success on view, and nothing is sent.
TEST_F(Waits, APrinterBeforeItsInitialFillSaysWhyTheItemDoesNotRun) {
    ASSERT_TRUE(rig.start());
    rig.openItem(1, "MaintRdoGrp", 0);
    w.tickTimer(Timer::DisableTimer);
    ShellRig::click(w, "CleaningOKBtn");
    ASSERT_EQ(w.statusText(), msg::kCleaningDone);
    w.tickTimer(Timer::DisableTimer);
    const std::size_t sent = rig.printer().factoryCommands().size();
    rig.printer().setState(0x08);
    ShellRig::click(w, "CleaningOKBtn");
    EXPECT_EQ(w.statusText(), msg::kBeforeFillRunsNothing);
    EXPECT_EQ(w.statusColour(), TextColour::Red);
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(rig.printer().factoryCommands().size(), sent);
}

// The close says what it waits for while the link shuts, and asks "Do you continue?" only then:
// a Quit click made as soon as the question shows ends the program.
TEST_F(Waits, TheCloseSaysSoAndTheQuestionAnswersAtOnce) {
    ASSERT_TRUE(rig.start());
    const Armed armed;
    bool questionDuringShutdown = false;
    std::vector<std::string> duringShutdown;
    rig.clock.onAdvance([&, on = armed.on](std::int64_t) {
        if (*on && w.isVisible()) {
            duringShutdown.push_back(w.statusText());
            questionDuringShutdown = questionDuringShutdown || rig.windows.quit.isVisible();
        }
    });
    int ended = 0;
    QObject::connect(&rig.boot(), &shell::TFormBoot::programEnded, [&](int) { ++ended; });
    const OnEvent onShow(&rig.windows.quit, QEvent::Show, [&] {
        postClick(ShellRig::find<QPushButton>(rig.windows.quit, "QuitBtn"));
    });
    ShellRig::click(w, "AdjustRtnBtn");
    ASSERT_FALSE(duringShutdown.empty());
    for (const std::string& text : duringShutdown) {
        EXPECT_EQ(text, msg::kClosingLink);
    }
    EXPECT_FALSE(questionDuringShutdown);
    EXPECT_FALSE(rig.objects.driver.isOpen());
    EXPECT_FALSE(w.isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(ended, 1) << "the Quit click was lost";
}

}  // namespace
}  // namespace veltra::test
