// The desktop program's waits against their nominal length. Every wait runs the event loop (the
// program's clock), here while a window repaints itself 60 times a second as the paper view may:
// single sleeps of the lengths the link uses (10 ms before a port read, 100 ms between the close's
// steps, 1000 ms between polls) and the whole 256-byte EEPROM readout through the in-process
// virtual printer. Prints wall time, the time asked for in sleeps and their ratio; exits 2 when a
// ratio is above 1.05.
//   event_loop_wait_bench [RUNS]
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "bench/SimProgram.h"
#include "shell/EventLoopClock.h"

namespace {

// The program's clock, counting the time asked for in sleeps.
class CountingClock final : public veltra::Clock {
public:
    explicit CountingClock(veltra::Clock& inner) : inner_(inner) {}
    void sleepMs(std::int64_t ms) override {
        asked_ += ms;
        inner_.sleepMs(ms);
    }
    std::int64_t nowMs() const override { return inner_.nowMs(); }
    veltra::LocalTime localTime() const override { return inner_.localTime(); }
    int idleIntervalMs() const override { return inner_.idleIntervalMs(); }
    void idle() override { inner_.idle(); }
    std::int64_t asked() const { return asked_; }

private:
    veltra::Clock& inner_;
    std::int64_t asked_ = 0;
};

// Paints a full window on every frame, as a busy paper view would.
class BusyWindow final : public QWidget {
public:
    BusyWindow() {
        resize(800, 600);
        connect(&frames_, &QTimer::timeout, this, [this] { update(); });
        frames_.start(16);
    }
    int painted = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        for (int y = 0; y < height(); y += 4) {
            p.fillRect(0, y, width(), 2, (y / 4 + painted) % 2 ? Qt::black : Qt::white);
        }
        ++painted;
    }

private:
    QTimer frames_;
};

double ratioOf(const char* name, CountingClock& clock, const std::function<bool()>& body) {
    const std::int64_t askedBefore = clock.asked();
    const auto start = std::chrono::steady_clock::now();
    if (!body()) {
        std::fprintf(stderr, "%s failed\n", name);
        std::exit(1);
    }
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const auto askedMs = double(clock.asked() - askedBefore);
    const double ratio = wallMs / askedMs;
    std::printf("%-28s wall %9.1f ms  asked %7.0f ms  ratio %.4f\n", name, wallMs, askedMs, ratio);
    return ratio;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 2;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    veltra::SystemClock real;
    veltra::shell::EventLoopClock loopClock(real);
    CountingClock clock(loopClock);
    BusyWindow busy;
    busy.show();
    loopClock.setLiveWindow(&busy);

    veltra::bench::SimProgram program(clock);
    if (!program.start()) {
        return 1;
    }
    const auto sleeps = [&clock](std::int64_t ms, int count) {
        return [&clock, ms, count] {
            for (int i = 0; i < count; ++i) {
                clock.sleepMs(ms);
            }
            return true;
        };
    };
    const auto readout = [&program] {
        for (int address = 0; address < 256; ++address) {
            std::uint8_t value = 0;
            if (program.objects.link.ReadEepromByte(std::uint8_t(address), value) != veltra::kOk) {
                return false;
            }
        }
        return true;
    };
    double worst = 0;
    for (int run = 0; run < runs; ++run) {
        std::printf("run %d\n", run + 1);
        for (const double r : {ratioOf("200 x 10 ms (port reads)", clock, sleeps(10, 200)),
                               ratioOf("20 x 100 ms (close steps)", clock, sleeps(100, 20)),
                               ratioOf("3 x 1000 ms (ready polls)", clock, sleeps(1000, 3)),
                               ratioOf("EEPROM readout, 256 bytes", clock, readout)}) {
            worst = r > worst ? r : worst;
        }
    }
    veltra::EndSession(program.objects, false);
    std::printf("frames painted during the waits: %d\n", busy.painted);
    std::printf("worst ratio %.4f (target 1.05 or below)\n", worst);
    return worst <= 1.05 ? 0 : 2;
}
