// Writes PNG pictures of the windows for the documentation: the start-up window, and the
// adjustment window with the EEPROM table of a virtual printer on view. Runs offscreen on a
// manual clock, so the printer's waits cost nothing.
//
//   veltra-shell-screenshots [OUTPUT_DIR]     (default docs/images)
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <cstdio>
#include <string>

#include "link/Backends.h"
#include "procedures/ProgramObjects.h"
#include "shell/ProgramWindows.h"
#include "shell/SimulatedPrinters.h"
#include "shell/VirtualPrinterWindow.h"

namespace {

using namespace veltra;

// Boxes would block an unattended run: they go to stderr.
class StderrMessages final : public MessageHandler {
public:
    void showError(std::string_view text) override { print("error", text); }
    void showMessage(std::string_view, std::string_view text) override { print("message", text); }
    bool confirm(std::string_view, std::string_view text) override {
        print("question", text);
        return true;
    }
    void endProgram(std::string_view text, int code) override {
        print("program error", text);
        throw ProgramEnded(std::string(text), code);
    }

private:
    static void print(const char* kind, std::string_view text) {
        std::fprintf(stderr, "%s: %.*s\n", kind, int(text.size()), text.data());
    }
};

bool save(QWidget& window, const QDir& dir, const char* name) {
    QApplication::processEvents();
    const QString path = dir.filePath(name);
    if (!window.grab().save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

template <typename T>
T* child(QWidget& root, const char* name) {
    T* w = root.findChild<T*>(name);
    if (!w) {
        throw std::runtime_error(std::string("no control ") + name);
    }
    return w;
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(shell::kApplicationTitle);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString("docs/images"));
    if (!QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(dir.path()));
        return 1;
    }

    ManualClock clock;
    StderrMessages messages;
    shell::SimulatedPrinters printers(clock, clock);
    PortMap map;
    map.setAll(kSimUri);
    ProgramObjects objects(
        clock, messages,
        makeBackendFactory(clock, {}, [&printers] { return printers.openBackend(); }),
        std::move(map));
    printers.setModelSource([&objects] { return objects.choice.modelIndex; });
    try {
        shell::ProgramWindows windows(objects);
        windows.boot.show();
        bool ok = save(windows.boot, dir, "startup-window.png");

        // "Veltra K55" on "ZTUSB1", then Appendix > EEPROM data > Check, 00 to FF.
        child<QComboBox>(windows.boot, "ModelNameCombo")->setCurrentIndex(0);
        child<QComboBox>(windows.boot, "UsePortCombo")->setCurrentIndex(3);
        child<QPushButton>(windows.boot, "PortSelectOKBtn")->click();
        auto& adjust = windows.adjust;
        if (!adjust.isVisible()) {
            std::fprintf(stderr, "the adjustment window did not open\n");
            return 1;
        }
        adjust.resize(adjust.sizeHint());
        ok = save(adjust, dir, "adjustment-window.png") && ok;
        child<QTabWidget>(adjust, "AdjustmentTab")->setCurrentIndex(3);
        child<shell::RadioGroup>(adjust, "AppendixRdoGrp")->button(0)->click();
        child<QPushButton>(adjust, "EepromItemsOKBtn")->click();
        child<QLineEdit>(adjust, "EepReadBegEdit")->setText("00");
        child<QLineEdit>(adjust, "EepReadEndEdit")->setText("FF");
        child<QPushButton>(adjust, "EepromReadOkBtn")->click();
        adjust.tickTimer(Timer::DisableTimer);
        ok = save(adjust, dir, "adjustment-eeprom-table.png") && ok;

        shell::VirtualPrinterWindow tool(printers);
        tool.show();
        ok = save(tool, dir, "virtual-printer-window.png") && ok;
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
