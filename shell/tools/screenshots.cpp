// Writes PNG pictures of the windows for the documentation: the start-up window, the adjustment
// window with the EEPROM table of a virtual printer on view, the tool window's paper view with a
// Bi-D pattern, and for the training walk-through each pattern before and after its adjustment
// (Bi-D, PF, top margin, head angle), made by following the walk-through's steps on a fresh
// virtual printer. Runs offscreen on a manual clock, so the printer's waits cost nothing.
//
//   veltra-shell-screenshots [OUTPUT_DIR]     (default docs/images)
#include <QApplication>
#include <QCheckBox>
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

// A part of a page at a scale (reduced smoothly, enlarged dot by dot), written as an indexed
// image (a few colours, mostly paper).
bool savePart(const QImage& page, const QRect& part, const QDir& dir, const char* name,
              double scale = 0.5) {
    const QString path = dir.filePath(name);
    const QImage rows = page.copy(part).scaled(
        int(part.width() * scale), int(part.height() * scale), Qt::IgnoreAspectRatio,
        scale < 1.0 ? Qt::SmoothTransformation : Qt::FastTransformation);
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
        std::vector<QImage> pages;
        printers.setOnPage([&](int model, const QImage& page, int number) {
            tool.addPage(model, page, number);
            pages.push_back(page);
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
        const QImage bidBefore = pages.at(0);
        // Bi-D adjust > Adjust: the VSD1 black value read off the paper.
        child<shell::RadioGroup>(adjust, "BidRdoBtn")->button(1)->click();
        child<QPushButton>(adjust, "BidOKBtn")->click();
        child<QLineEdit>(adjust, "BidVSD1BkWrtEdit")->setText("2");
        child<QPushButton>(adjust, "BidWrtOKBtn")->click();
        child<QPushButton>(adjust, "BidWrtRtnBtn")->click();
        printBid();
        const QImage bidAfter = pages.at(pages.size() - 2);
        const QRect bidRows(0, 100, 1420, 1350);
        ok = savePart(bidBefore, bidRows, dir, "training-bid-before.png") && ok;
        ok = savePart(bidAfter, bidRows, dir, "training-bid-after.png") && ok;

        auto pick = [&adjust](const char* group, int index) {
            child<shell::RadioGroup>(adjust, group)->button(index)->click();
        };
        auto press = [&adjust](const char* button) {
            adjust.tickTimer(Timer::DisableTimer);
            child<QPushButton>(adjust, button)->click();
            adjust.tickTimer(Timer::DisableTimer);
        };
        child<QCheckBox>(tool, "VpShowAnswersBox")->setChecked(true);

        // PF: the paper feeds 2/360 inch per inch too far; the check-pattern report's PF row
        // shows it, the PF pattern's row "2" is the one whose bars meet.
        child<QSpinBox>(tool, "VpPfError")->setValue(2);
        auto printReport = [&] {
            child<QTabWidget>(adjust, "AdjustmentTab")->setCurrentIndex(2);
            pick("PatternPrnItemsRdoGrp", 0);
            press("A3PPrintOKBtn");
            child<QTabWidget>(adjust, "AdjustmentTab")->setCurrentIndex(0);
            return pages.back();  // the report's last page holds the PF row
        };
        const QRect pfRow(340, 1250, 1100, 280);
        ok = savePart(printReport(), pfRow, dir, "training-pf-before.png", 1.0) && ok;
        pick("AdjustRdoGrp", 5);
        pick("PFRdoGrp", 0);
        press("PFOKBtn");
        ok = savePart(pages.back(), QRect(0, 0, 1900, 4208), dir, "training-pf-pattern.png") && ok;
        pick("PFRdoGrp", 1);
        press("PFOKBtn");
        child<QLineEdit>(adjust, "PFEdit")->setText("2");
        press("PFWriteOKBtn");
        press("PFRtnBtn");
        ok = savePart(printReport(), pfRow, dir, "training-pf-after.png", 1.0) && ok;

        // Top margin: the paper stops a step (about 1 mm) low; "-1" brings the line to the mark.
        child<QSpinBox>(tool, "VpTopMarginError")->setValue(1);
        pick("AdjustRdoGrp", 7);
        pick("TopMarginRdoGrp", 0);
        press("TopMarginMainBtn");
        const QRect margin(2976 - 800, 0, 800, 260);
        ok = savePart(pages.back(), margin, dir, "training-top-margin-before.png", 1.0) && ok;
        pick("TopMarginRdoGrp", 1);
        press("TopMarginMainBtn");
        child<QComboBox>(adjust, "TopMarginInputCombo")->setCurrentText("-1");
        press("TopMarginWriteOKBtn");
        press("TopMarginRtnBtn");
        pick("TopMarginRdoGrp", 0);
        press("TopMarginMainBtn");
        ok = savePart(pages.back(), margin, dir, "training-top-margin-after.png", 1.0) && ok;

        // Head angle: the upper nozzles' half stands 3 dots off; the lever's turn (the error set
        // to 0), the ink switch and the cleaning bring the check print.
        child<QSpinBox>(tool, "VpHeadAngleError")->setValue(3);
        pick("AdjustRdoGrp", 3);
        press("HdAngItemsOKBtn");
        // The first stroke where its two halves meet, twice as large.
        const QRect strokes(130, 380, 200, 420);
        ok = savePart(pages.back(), strokes, dir, "training-head-angle-before.png", 2.0) && ok;
        pick("HdAngAdjustRdoGrp", 0);
        press("HdAngStep1OKBtn");
        pick("SusPlateSelectRdoGrp", 1);
        press("SusPlateSelectOKBtn");
        child<QSpinBox>(tool, "VpHeadAngleError")->setValue(0);
        child<QPushButton>(tool, "VpInkSwitchBtn")->click();
        adjust.tickTimer(Timer::HeadAngGetStatusTimer);
        ok = savePart(pages.back(), strokes, dir, "training-head-angle-after.png", 2.0) && ok;
        pick("HdAngAdjustRdoGrp", 1);
        press("HdAngStep1OKBtn");
        child<QCheckBox>(tool, "VpShowAnswersBox")->setChecked(false);
        child<QTabWidget>(tool, "VpTabs")->setCurrentIndex(2);
        tool.resize(720, 200);
        ok = save(tool, dir, "virtual-printer-errors.png") && ok;
        std::printf("pages printed: %zu\n", pages.size());
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
