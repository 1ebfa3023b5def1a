// Writes PNG pictures of the windows for the documentation: the start-up window, the adjustment
// window with the EEPROM table of a virtual printer on view, the tool window's paper view with a
// Bi-D pattern, and for the training walk-through the VSD1 rows of the Bi-D pattern before and
// after the adjustment. Runs offscreen on a manual clock, so the printer's waits cost nothing.
//
//   veltra-shell-screenshots [OUTPUT_DIR]     (default docs/images)
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <cstdio>
#include <string>

#include "link/Backends.h"
#include "procedures/ProgramObjects.h"
#include "shell/ProgramWindows.h"
#include "shell/SimulatedPrinters.h"
#include "shell/VirtualPrinterWindow.h"
#include "sim/render/PaperOutput.h"

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

// The VSD1 rows of the first Bi-D page at full size: labels and black strokes, written as an
// indexed image (a few colours, mostly paper).
bool saveBidRows(const QImage& page, const QDir& dir, const char* name) {
    const QString path = dir.filePath(name);
    const QImage rows = page.copy(QRect(0, 100, 1420, 1350))
                            .scaled(710, 675, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const std::optional<QImage> indexed = sim::indexedPage(rows);
    if (!(indexed ? *indexed : rows).save(path, "PNG")) {
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
    // A trainee's printer: its VSD1 black strokes stand 2 dots off until adjusted.
    sim::PaperOptions paper;
    paper.bidErrors = {"VSD1:K:+2"};
    printers.enablePaper(paper, messages);
    try {
        shell::DialogFileChooser files;  // never asked: no file button is pressed
        shell::ProgramWindows windows(objects, files);
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
        std::printf("adjustment window: %d x %d\n", adjust.width(), adjust.height());
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

        // Training: print the Bi-D pattern, read the straight row, write it, print again.
        std::vector<QImage> firstPages;
        printers.setOnPage([&](int model, const QImage& page, int number) {
            tool.addPage(model, page, number);
            if (number % 2 == 1) {
                firstPages.push_back(page);
            }
        });
        auto printBid = [&adjust] {
            adjust.tickTimer(Timer::DisableTimer);
            child<QTabWidget>(adjust, "AdjustmentTab")->setCurrentIndex(0);
            child<shell::RadioGroup>(adjust, "AdjustRdoGrp")->button(4)->click();
            child<shell::RadioGroup>(adjust, "BidRdoBtn")->button(0)->click();
            child<QPushButton>(adjust, "BidOKBtn")->click();
            adjust.tickTimer(Timer::DisableTimer);
        };
        printBid();
        tool.resize(720, 760);
        child<QComboBox>(tool, "VpPageCombo")->setCurrentIndex(0);
        ok = save(tool, dir, "virtual-printer-paper.png") && ok;
        // Bi-D adjust > Adjust: the VSD1 black value read off the paper.
        child<shell::RadioGroup>(adjust, "BidRdoBtn")->button(1)->click();
        child<QPushButton>(adjust, "BidOKBtn")->click();
        child<QLineEdit>(adjust, "BidVSD1BkWrtEdit")->setText("2");
        child<QPushButton>(adjust, "BidWrtOKBtn")->click();
        child<QPushButton>(adjust, "BidWrtRtnBtn")->click();
        printBid();
        if (firstPages.size() != 2) {
            std::fprintf(stderr, "expected two Bi-D prints, got %zu\n", firstPages.size());
            return 1;
        }
        ok = saveBidRows(firstPages[0], dir, "training-bid-before.png") && ok;
        ok = saveBidRows(firstPages[1], dir, "training-bid-after.png") && ok;
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
