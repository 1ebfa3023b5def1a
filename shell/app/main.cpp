// The entry of the desktop program: the application title, the program objects, the four
// windows in their order, the event loop.
#include <filesystem>
#include <vector>

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "link/Backends.h"
#include "link/PortTraceFile.h"
#include "procedures/ProgramSetup.h"
#include "shell/EventLoopClock.h"
#include "shell/ProgramOptions.h"
#include "shell/ProgramWindows.h"
#include "shell/QtMessageHandler.h"
#include "shell/SimulatedPrinters.h"
#include "shell/VirtualPrinterWindow.h"
#include "veltra/Version.h"

namespace {

// Ends the event loop once the watched window has been painted, and prints how long after the
// entry that was (the start-up bench reads the line "shown_ms=N").
class ExitWhenPainted : public QObject {
public:
    ExitWhenPainted(const veltra::Clock& clock, std::int64_t startMs)
        : clock_(clock), startMs_(startMs) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            std::printf("shown_ms=%lld\n", static_cast<long long>(clock_.nowMs() - startMs_));
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const veltra::Clock& clock_;
    std::int64_t startMs_;
    bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    using namespace veltra;
    using namespace veltra::shell;

    if (asksForHelpOrVersion(argc, argv)) {
        int exitCode = 0;
        (void)parseOptions(argc, argv, exitCode);
        return exitCode;
    }

    SystemClock systemClock;
    const std::int64_t startMs = systemClock.nowMs();
    QApplication app(argc, argv);  // takes the toolkit's own options out of argv
    // The application title: the caption of the message boxes. Set as the name, not as a
    // display name, which the toolkit would append to every window caption.
    QApplication::setApplicationName(kApplicationTitle);
    QApplication::setApplicationVersion(kVersion);
    // The program ends when its main window closes (TFormBoot::programEnded), not when the
    // last window happens to close.
    QApplication::setQuitOnLastWindowClosed(false);

    int exitCode = 0;
    const std::optional<ShellOptions> options = parseOptions(argc, argv, exitCode);
    if (!options) {
        return exitCode;
    }

    // Real port or virtual printer, the program's waits run its event loop.
    EventLoopClock clock(systemClock);
    QtMessageBoxHandler handler;
    SimulatedPrinters printers(systemClock, clock);
    // The virtual printers keep their EEPROM between runs, as real ones do.
    struct SaveEeproms {
        SimulatedPrinters& printers;
        bool enabled;
        ~SaveEeproms() {
            if (enabled) {
                printers.saveEeproms();
            }
        }
    } saveEeproms{printers, options->simulate};
    if (options->simulate) {
        printers.keepEeproms(options->simEeprom, handler);
        if (options->freshPrinter) {
            printers.startFresh();
        }
    }

    try {
        ProgramObjects objects(
            clock, handler,
            makeBackendFactory(clock, {}, [&printers] { return printers.openBackend(); }),
            portMapFor(*options));
        printers.setModelSource([&objects] { return objects.choice.modelIndex; });
        // Every EEPROM change is journalled unless --no-journal (or no state folder is known).
        const std::unique_ptr<ChangeJournal> journal = AttachJournal(objects, !options->noJournal);

        std::unique_ptr<PortTraceFile> trace;
        if (!options->trace.empty()) {
            std::string error;
            trace = OpenTraceFile(options->trace, error);
            if (!trace) {
                fatalError(handler, error, 2);
            }
            objects.driver.setTrace(trace.get());
        }

        DialogFileChooser files;
        ProgramWindows windows(objects, files);
        handler.setParentWindow(&windows.boot);
        QObject::connect(&windows.boot, &TFormBoot::programEnded, &app,
                         [](int code) { QCoreApplication::exit(code); });

        // Each virtual printer's pages go to the tool window's paper view and, with --paper, into
        // a folder of its model.
        std::unique_ptr<VirtualPrinterWindow> toolWindow;
        if (options->simulate) {
            printers.enablePaper(options->paper, handler);
            toolWindow = std::make_unique<VirtualPrinterWindow>(printers);
            printers.setOnOpen([w = toolWindow.get()] { w->refresh(); });
            printers.setOnPage(
                [w = toolWindow.get()](int modelIndex, const QImage& page, int number) {
                    w->addPage(modelIndex, page, number);
                });
            clock.setLiveWindow(toolWindow.get());
            toolWindow->show();
        }

        ExitWhenPainted exitWhenPainted(systemClock, startMs);
        if (options->exitWhenShown) {
            windows.boot.installEventFilter(&exitWhenPainted);
        }
        windows.boot.show();
        const int code = QApplication::exec();
        objects.driver.setTrace(nullptr);
        return code;
    } catch (const ProgramEnded& ended) {
        return ended.exitCode();
    } catch (const std::exception& e) {
        // Failure while the windows are being created: shown, and the program ends.
        handler.showError(e.what());
        return 1;
    }
}
