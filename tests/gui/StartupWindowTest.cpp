// The start-up window, the exit question, the version box and the window cycle.
#include <cerrno>
#include <cstring>

#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "tests/gui/ShellRig.h"

namespace veltra::test {
namespace {

QStringList comboItems(QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i) {
        out << combo->itemText(i);
    }
    return out;
}

QStringList labelTexts(QWidget& w) {
    QStringList out;
    for (QLabel* l : w.findChildren<QLabel*>()) {
        out << l->text();
    }
    return out;
}

TEST(StartupWindow, CaptionsItemsAndButtons) {
    ShellRig rig;
    auto& boot = rig.boot();
    EXPECT_EQ(boot.windowTitle(), " ZOLTA Printer Adjustment Program");
    const QStringList texts = labelTexts(boot);
    for (const char* t :
         {"ZOLTA Printer Adjustment Program", "for Windows98", "Model Name", "Interface"}) {
        EXPECT_TRUE(texts.contains(t)) << t;
    }
    auto* models = ShellRig::find<QComboBox>(boot, "ModelNameCombo");
    auto* ports = ShellRig::find<QComboBox>(boot, "UsePortCombo");
    EXPECT_EQ(comboItems(models), QStringList({"Veltra K55", "Veltra K45"}));
    EXPECT_EQ(comboItems(ports),
              QStringList({"LPT1", "LPT2", "LPT3", "ZTUSB1", "ZTUSB2", "ZTUSB3"}));
    EXPECT_EQ(models->currentIndex(), -1);
    EXPECT_EQ(ports->currentIndex(), -1);
    auto* ok = ShellRig::find<QPushButton>(boot, "PortSelectOKBtn");
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ShellRig::find<QPushButton>(boot, "ProEndBtn")->text(), "Quit");
    EXPECT_EQ(boot.minimumSize(), boot.maximumSize());  // fixed size

    auto& quit = rig.windows.quit;
    EXPECT_EQ(quit.windowTitle(), " Adjustment Program");
    EXPECT_TRUE(labelTexts(quit).contains("Do you continue?"));
    EXPECT_TRUE(ShellRig::find<QPushButton>(quit, "NextBtn")->isDefault());
    EXPECT_FALSE(quit.windowFlags() & Qt::WindowCloseButtonHint);

    auto& about = rig.windows.about;
    EXPECT_EQ(about.windowTitle(), "Version");
    for (const char* t :
         {"Veltra K55 / K45", "Adjustment Program", "for Windows98", "Version 1.8"}) {
        EXPECT_TRUE(labelTexts(about).contains(t)) << t;
    }
}

TEST(StartupWindow, OkWithoutBothChoicesDoesNothing) {
    const struct {
        int model;
        int port;
    } cases[] = {{kK55, -1}, {-1, kZtusb1}, {-1, -1}};
    for (const auto& c : cases) {
        ShellRig rig;
        rig.choose(c.model, c.port);
        ShellRig::click(rig.boot(), "PortSelectOKBtn");
        EXPECT_TRUE(rig.boot().isVisible());
        EXPECT_FALSE(rig.adjust().isVisible());
        EXPECT_TRUE(rig.ui.errors.empty());
        EXPECT_FALSE(rig.objects.driver.isOpen());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "cursor back to normal";
    }
}

// Only the chosen combo item's interface code leads to the printer: ZTUSB2 is 0x502 and LPT3 is
// 0x403; every other port leads to a device that does not exist.
TEST(StartupWindow, ChosenInterfaceCodeReachesThePort) {
    const struct {
        int port;
        bool reaches;
    } cases[] = {{kZtusb2, true}, {kLpt3, true}, {kZtusb1, false}, {kLpt1, false}};
    for (const auto& c : cases) {
        PortMap map;
        map.setAll("/nonexistent/veltra-port");
        map.set("ZTUSB2", kSimUri);
        map.set("LPT3", kSimUri);
        ShellRig rig(std::move(map));
        EXPECT_EQ(rig.start(kK55, c.port), c.reaches) << c.port;
        EXPECT_EQ(rig.ui.errors.empty(), c.reaches);
        EXPECT_EQ(rig.objects.choice.PortKind, c.port >= kZtusb1 ? 0x500 : 0x400);
    }
}

TEST(StartupWindow, CannotOpenPortThenAnotherInterfaceWorks) {
    PortMap map = allPortsSimulated();
    map.set("LPT1", "unix:/nonexistent/veltra.sock");
    ShellRig rig(std::move(map));
    EXPECT_FALSE(rig.start(kK45, kLpt1));
    // The message, then the system's reason and what to do, as the command line words them.
    ASSERT_EQ(rig.ui.errors.size(), 1u);
    const std::string& box = rig.ui.errors[0];
    EXPECT_EQ(box.rfind("Cannot open port.\nunix:/nonexistent/veltra.sock: " +
                            std::string(std::strerror(ENOENT)) + ".\n",
                        0),
              0u)
        << box;
    EXPECT_NE(box.find("Nothing listens on that socket"), std::string::npos) << box;
    EXPECT_TRUE(rig.boot().isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The model code and the item list are already set.
    EXPECT_EQ(rig.objects.link.modelCode()[0], 0x3B);
    EXPECT_EQ(ShellRig::find<QLabel>(rig.adjust(), "SelectPrinterNameLbl")->text(), "Veltra K45");

    // A second OK with another interface, without restarting.
    ShellRig::find<QComboBox>(rig.boot(), "UsePortCombo")->setCurrentIndex(kZtusb1);
    ShellRig::click(rig.boot(), "PortSelectOKBtn");
    EXPECT_TRUE(rig.adjust().isVisible());
    EXPECT_FALSE(rig.boot().isVisible());
    EXPECT_EQ(rig.ui.errors.size(), 1u);
}

TEST(StartupWindow, LinkFailureShowsCommunicationErrorAndLeavesThePortOpen) {
    ShellRig rig;
    rig.printer(kK55).faults().noReply = true;
    EXPECT_FALSE(rig.start(kK55, kZtusb1));
    EXPECT_EQ(rig.ui.errors, std::vector<std::string>{"Communication error."});
    EXPECT_TRUE(rig.boot().isVisible());
    EXPECT_TRUE(rig.objects.driver.isOpen());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    rig.printer(kK55).faults().noReply = false;
    EXPECT_TRUE(rig.start(kK55, kZtusb1)) << "the next OK opens the port again";
}

TEST(StartupWindow, OkShowsTheAdjustmentWindowWithModelAndStatus) {
    ShellRig rig;
    ASSERT_TRUE(rig.start(kK45, kZtusb1));
    EXPECT_FALSE(rig.boot().isVisible());
    EXPECT_EQ(rig.objects.choice.ModelNo, 2);
    EXPECT_EQ(ShellRig::find<QLabel>(rig.adjust(), "SelectPrinterNameLbl")->text(), "Veltra K45");
    EXPECT_EQ(rig.adjust().statusText(), "Ready to print.");
    EXPECT_EQ(rig.adjust().windowTitle(), " Individual Adjustment Program");
}

TEST(WindowCycle, CloseAsksToContinueAndNextStartsAnewWithAnotherModel) {
    ShellRig rig;
    ASSERT_TRUE(rig.start(kK55, kZtusb1));
    ShellRig::click(rig.adjust(), "AdjustRtnBtn");
    EXPECT_FALSE(rig.adjust().isVisible());
    EXPECT_TRUE(rig.windows.quit.isVisible());
    EXPECT_FALSE(rig.objects.driver.isOpen());

    ShellRig::click(rig.windows.quit, "NextBtn");
    EXPECT_FALSE(rig.windows.quit.isVisible());
    EXPECT_TRUE(rig.boot().isVisible());
    EXPECT_EQ(ShellRig::find<QComboBox>(rig.boot(), "ModelNameCombo")->currentIndex(), -1);
    EXPECT_EQ(ShellRig::find<QComboBox>(rig.boot(), "UsePortCombo")->currentIndex(), -1);

    ASSERT_TRUE(rig.start(kK45, kZtusb1));
    EXPECT_EQ(rig.objects.link.modelCode()[0], 0x3B);
    EXPECT_EQ(rig.objects.link.modelCode()[1], 0xA5);
    EXPECT_EQ(ShellRig::find<QLabel>(rig.adjust(), "SelectPrinterNameLbl")->text(), "Veltra K45");
}

TEST(WindowCycle, QuitEndsTheProgram) {
    ShellRig rig;
    QSignalSpy ended(&rig.boot(), &shell::TFormBoot::programEnded);
    ASSERT_TRUE(rig.start());
    ShellRig::click(rig.adjust(), "AdjustRtnBtn");
    ShellRig::click(rig.windows.quit, "QuitBtn");
    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended.at(0).at(0).toInt(), 0);
    EXPECT_FALSE(rig.windows.quit.isVisible());
    EXPECT_FALSE(rig.boot().isVisible());
}

TEST(WindowCycle, StartupQuitAndEscapeEndTheProgram) {
    ShellRig rig;
    QSignalSpy ended(&rig.boot(), &shell::TFormBoot::programEnded);
    QTest::keyClick(&rig.boot(), Qt::Key_Escape);
    EXPECT_EQ(ended.count(), 1);
    rig.boot().show();
    ShellRig::click(rig.boot(), "ProEndBtn");
    EXPECT_EQ(ended.count(), 2);
}

TEST(StartupWindow, RightClickOffersVersionAtPointerPlusOffset) {
    ShellRig rig;
    rig.boot().move(100, 50);
    QTest::mouseClick(&rig.boot(), Qt::LeftButton, {}, QPoint(30, 40));
    EXPECT_FALSE(rig.boot().popupMenu()->isVisible()) << "a left click does nothing";

    QTest::mouseClick(&rig.boot(), Qt::RightButton, {}, QPoint(30, 40));
    EXPECT_TRUE(rig.boot().popupMenu()->isVisible());
    EXPECT_EQ(rig.boot().lastPopupPoint(),
              QPoint(rig.boot().x() + 30 + 3, rig.boot().y() + 40 + 20));
    ASSERT_EQ(rig.boot().popupMenu()->actions().size(), 1);
    QAction* version = rig.boot().popupMenu()->actions().first();
    EXPECT_EQ(version->text(), "Version");
    rig.boot().popupMenu()->hide();

    // "Version" shows the box modally; its OK closes it.
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = rig.windows.about.isVisible();
        ShellRig::click(rig.windows.about, "OKButton");
    });
    version->trigger();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(rig.windows.about.isVisible());
}

}  // namespace
}  // namespace veltra::test
