#pragma once
// The program's objects and its four windows over in-process virtual printers on a manual
// clock, with every message box recorded instead of shown. The program waits on the desktop
// program's clock over the manual one: each wait runs the events due, then advances it.
//
//   test::ShellRig rig;            // start-up window shown, every port leads to "sim"
//   rig.start(0, 3);               // "Veltra K55" on "ZTUSB1", OK
//   rig.click(rig.adjust(), "GetStatusBtn");
#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <string>
#include <vector>

#include "link/Backends.h"
#include "procedures/ProgramObjects.h"
#include "shell/EventLoopClock.h"
#include "shell/ProgramWindows.h"
#include "shell/SimulatedPrinters.h"
#include "tests/support/RecordingHandler.h"

namespace veltra::test {

inline PortMap allPortsSimulated() {
    PortMap map;
    map.setAll(kSimUri);
    return map;
}

// Combo indexes of the start-up window: the models, the interfaces.
enum ModelIndex : int { kK55 = 0, kK45 = 1 };
enum PortIndex : int { kLpt1 = 0, kLpt3 = 2, kZtusb1 = 3, kZtusb2 = 4 };

// Answers the window's file dialogs with the file the test chose ("" cancels), and keeps the
// folder or suggested file each dialog opened at.
struct ScriptedFiles final : shell::FileChooser {
    QString saveFile(QWidget*, const QString&, const QString& suggested) override {
        openedAt.push_back(suggested.toStdString());
        return QString::fromStdString(answer);
    }
    QString openFile(QWidget*, const QString&, const QString& folder) override {
        openedAt.push_back(folder.toStdString());
        return QString::fromStdString(answer);
    }
    std::string answer;
    std::vector<std::string> openedAt;
};

struct ShellRig {
    explicit ShellRig(PortMap map = allPortsSimulated())
        : printers(clock, programClock),
          objects(programClock, ui,
                  makeBackendFactory(programClock, {}, [this] { return printers.openBackend(); }),
                  std::move(map)),
          windows(objects, files) {
        printers.setModelSource([this] { return objects.choice.modelIndex; });
        windows.boot.show();
    }
    ~ShellRig() {
        for (QWidget* w :
             {static_cast<QWidget*>(&windows.about), static_cast<QWidget*>(&windows.quit),
              static_cast<QWidget*>(&windows.adjust), static_cast<QWidget*>(&windows.boot)}) {
            w->hide();
        }
        while (QApplication::overrideCursor()) {
            QApplication::restoreOverrideCursor();
        }
        // Item buttons replaced by a refilled list are deleted once events run.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ShellRig(const ShellRig&) = delete;
    ShellRig& operator=(const ShellRig&) = delete;

    shell::TFormBoot& boot() { return windows.boot; }
    shell::TFormAdjust& adjust() { return windows.adjust; }
    sim::VirtualPrinter& printer(int model = kK55) { return printers.printerFor(model); }

    template <typename T = QWidget>
    static T* find(QWidget& root, const char* name) {
        T* w = root.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // Clicks a button the way a user would: nothing happens while it or its window is disabled.
    static void click(QWidget& root, const char* name) {
        if (auto* b = find<QPushButton>(root, name)) {
            b->click();
        }
    }

    void choose(int model, int port) {
        find<QComboBox>(boot(), "ModelNameCombo")->setCurrentIndex(model);
        find<QComboBox>(boot(), "UsePortCombo")->setCurrentIndex(port);
    }
    // Chooses model and interface and presses OK; true when the adjustment window came up.
    bool start(int model = kK55, int port = kZtusb1) {
        choose(model, port);
        click(boot(), "PortSelectOKBtn");
        return adjust().isVisible();
    }

    // The user picks item index of a radio group by name (a group of the adjustment window).
    void pick(const char* group, int index) {
        if (auto* g = find<shell::RadioGroup>(adjust(), group)) {
            ASSERT_NE(g->button(index), nullptr) << group << " " << index;
            g->button(index)->click();
        }
    }
    // The user turns to a tab of the adjustment window and picks an item of its group; returns
    // the object name of the panel then on view, "(none)" when there is none.
    std::string openItem(int tab, const char* group, int index) {
        find<QTabWidget>(adjust(), "AdjustmentTab")->setCurrentIndex(tab);
        pick(group, index);
        QWidget* panel = adjust().visiblePanel();
        return panel ? panel->objectName().toStdString() : std::string("(none)");
    }

    // Control requests received by the printer whose payload starts with the two letters.
    std::size_t controlCount(const char* letters, int model = kK55) {
        std::size_t n = 0;
        for (const auto& p : printer(model).controlRequests()) {
            if (p.size() >= 2 && p[0] == std::uint8_t(letters[0]) &&
                p[1] == std::uint8_t(letters[1])) {
                ++n;
            }
        }
        return n;
    }

    ManualClock clock;
    shell::EventLoopClock programClock{clock, shell::EventLoopClock::Pace::Manual};
    RecordingHandler ui;
    shell::SimulatedPrinters printers;
    ProgramObjects objects;
    ScriptedFiles files;
    shell::ProgramWindows windows;
};

}  // namespace veltra::test
