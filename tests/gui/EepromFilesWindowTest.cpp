// The EEPROM's image files and change journal from the "Appendix" tab: save, compare, restore of
// the regions chosen, history and undo of a chosen entry, against the virtual printer, checked
// by the bytes the printer received and holds.
#include <QListWidget>
#include <QProgressBar>
#include <QTableWidget>
#include <filesystem>

#include "link/EepromImageFile.h"
#include "procedures/ChangeJournal.h"
#include "tests/gui/ShellRig.h"
#include "tests/support/SimPrinter.h"
#include "tests/support/TempDir.h"

namespace veltra::test {
namespace {

using Writes = std::vector<std::pair<int, int>>;

class EepromFilesWindow : public ::testing::Test {
protected:
    void SetUp() override {
        rig.objects.journal = &journal;
        ASSERT_TRUE(rig.start());
        ASSERT_EQ(rig.openItem(3, "AppendixRdoGrp", 0), "EEPROMItemsPnl");
    }

    // Presses a button on view with the file dialog answering path, once the lock of the last
    // completion has ended as its timer would end it.
    void press(const char* button, const std::string& path = {}) {
        endLock();
        rig.files.answer = path;
        mark = rig.printer().controlRequests().size();
        auto* b = ShellRig::find<QPushButton>(w, button);
        ASSERT_TRUE(b && b->isVisible()) << button;
        ShellRig::click(w, button);
    }
    void endLock() {
        if (w.timer(Timer::DisableTimer)->isActive()) {
            w.tickTimer(Timer::DisableTimer);
        }
    }
    // Back to the EEPROM data items, where the file buttons are.
    void items() {
        endLock();
        ASSERT_EQ(rig.openItem(3, "AppendixRdoGrp", 0), "EEPROMItemsPnl");
    }
    // (address, value) of every EEPROM write the printer received since the last press.
    Writes writes() {
        Writes out;
        const auto& all = rig.printer().controlRequests();
        for (std::size_t i = mark; i < all.size(); ++i) {
            const auto& p = all[i];
            if (p.size() == SimPrinter::kWriteRequestSize && p[0] == '|' &&
                p[SimPrinter::kCommandAt] == SimPrinter::kWriteLetter) {
                out.emplace_back(p[SimPrinter::kAddressAt], p[SimPrinter::kAddressAt + 1]);
            }
        }
        return out;
    }
    // Writes one byte through the "Change the EEPROM data" panel (a journal entry of its own).
    void writeByte(const char* address, const std::string& data) {
        items();
        ShellRig::find<shell::RadioGroup>(w, "EepromCheckRdoGrp")->button(1)->click();
        press("EepromItemsOKBtn");
        w.entry(Entry::EepWriteAddEdit)->setText(address);
        w.entry(Entry::EepWriteDataEdit)->setText(QString::fromStdString(data));
        press("EepromWriteOkBtn");
        ASSERT_EQ(rig.printer().eeprom()[std::size_t(std::stoi(address, nullptr, 16))],
                  std::stoi(data, nullptr, 16));
        items();
    }
    static QString hex(int value) { return QString::fromStdString(Hex2(std::uint8_t(value))); }
    QStringList row(const char* grid, int r) {
        auto* table = ShellRig::find<QTableWidget>(w, grid);
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c) {
            cells << (table->item(r, c) ? table->item(r, c)->text() : QString());
        }
        return cells;
    }
    std::string visiblePanel() {
        QWidget* p = w.visiblePanel();
        return p ? p->objectName().toStdString() : "(none)";
    }

    TempDir dir{"veltra-eeprom-window"};
    ChangeJournal journal{dir.path() / "journal"};
    ShellRig rig;
    shell::TFormAdjust& w = rig.adjust();
    std::size_t mark = 0;
};

// With a saved image, a changed byte is one difference; the restore writes that byte alone and
// reads it back; undoing the restore puts the change back.
TEST_F(EepromFilesWindow, SaveChangeCompareRestoreAndUndo) {
    const std::string image = dir.file("a.img");
    auto* bar = ShellRig::find<QProgressBar>(w, "ProgressBar");
    std::vector<int> shown;  // the bar's values while the window is locked
    QObject::connect(bar, &QProgressBar::valueChanged,
                     [&](int value) { shown.push_back(w.isEnabled() ? -1 : value); });
    press("EepromSaveBtn", image);
    EXPECT_EQ(w.statusText(), "Saved the EEPROM to " + image);
    EXPECT_GE(shown.size(), 256u);
    EXPECT_EQ(shown.back(), 256);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), -1), 0) << "locked while the bar moves";
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(w.isEnabled()) << "locked until DisableTimer ticks, as after a procedure";
    EXPECT_TRUE(writes().empty());
    const EepromImageRead saved = parseEepromImageFile(readTextFile(image).value_or(""));
    ASSERT_TRUE(saved.ok()) << saved.error;
    EXPECT_EQ(saved.image->bytes, rig.printer().eeprom());
    const int original = saved.image->bytes[0x5D];
    const int changed = (original + 6) & 0xFF;

    writeByte("5D", Hex2(std::uint8_t(changed)));
    press("EepromCompareBtn", image);
    EXPECT_EQ(rig.files.openedAt.back(), dir.path().string()) << "the folder of the last file";
    ASSERT_EQ(visiblePanel(), "EEPROMDiffPnl");
    ASSERT_EQ(ShellRig::find<QTableWidget>(w, "EepromDiffGrid")->rowCount(), 1);
    EXPECT_EQ(row("EepromDiffGrid", 0).mid(0, 4),
              QStringList({"5D", "top margin", hex(changed), hex(original)}));
    EXPECT_EQ(w.statusText(), "1 difference from a.img.");
    EXPECT_FALSE(ShellRig::find<QWidget>(w, "EepromRestoreOkBtn")->isVisible());
    EXPECT_TRUE(writes().empty());

    press("EepromDiffRtnBtn");
    press("EepromRestoreBtn", image);
    auto* regions = ShellRig::find<QListWidget>(w, "EepromRegionList");
    ASSERT_EQ(regions->count(), 1);
    EXPECT_EQ(regions->item(0)->text(), "5D top margin (1 byte)");
    press("EepromRestoreOkBtn");
    ASSERT_EQ(rig.ui.questions.size(), 1u);
    EXPECT_NE(rig.ui.questions[0].second.find("5D top margin: " + Hex2(std::uint8_t(changed)) +
                                              " -> " + Hex2(std::uint8_t(original))),
              std::string::npos)
        << rig.ui.questions[0].second;
    EXPECT_EQ(writes(), (Writes{{0x5D, original}}));
    EXPECT_EQ(row("EepromDiffGrid", 0).at(4), hex(original)) << "read back";
    EXPECT_EQ(w.statusText(), "Verified 1 byte by reading back.");
    EXPECT_EQ(shown.back(), 256 + 2) << "all read, one written, one read back";

    press("EepromDiffRtnBtn");
    press("EepromHistoryBtn");
    ASSERT_EQ(visiblePanel(), "EEPROMHistoryPnl");
    ASSERT_EQ(ShellRig::find<QTableWidget>(w, "EepromHistoryGrid")->rowCount(), 2);
    EXPECT_EQ(row("EepromHistoryGrid", 0).at(2), "eeprom restore");
    EXPECT_EQ(row("EepromHistoryGrid", 1).at(2), "eeprom write");
    ShellRig::find<QTableWidget>(w, "EepromHistoryGrid")->selectRow(0);
    press("EepromUndoBtn");
    EXPECT_EQ(writes(), (Writes{{0x5D, changed}}));
    EXPECT_EQ(w.statusText(), "Verified 1 byte by reading back.");
    EXPECT_EQ(row("EepromHistoryGrid", 0).at(2), "eeprom undo") << "the history is shown anew";
}

// Files that must not reach the printer: the reason is shown in red and nothing is written.
TEST_F(EepromFilesWindow, RefusedFilesShowTheirReasonAndWriteNothing) {
    const std::string good = dir.file("good.img");
    press("EepromSaveBtn", good);
    writeByte("5D", "00");
    const std::string text = readTextFile(good).value();
    EepromImage k45 = parseEepromImageFile(text).image.value();
    k45.header.model = "Veltra K45";
    const std::string otherModel = formatEepromImageFile(k45);
    std::string digit = text;
    const std::size_t line50 = digit.find("\n50: ") + 5;
    digit[line50] = digit[line50] == '0' ? '1' : '0';
    const struct {
        const char* name;
        std::string content;  // none: no such file
        const char* reason;
    } cases[] = {
        {"no file", {}, "does not exist"},
        {"one digit changed", digit, "checksum"},
        {"an image of the other model", otherModel, "it is of Veltra K45"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.file(std::string(c.name) + ".img");
        if (!c.content.empty()) {
            ASSERT_TRUE(writeTextFile(path, c.content));
        }
        press("EepromRestoreBtn", path);
        EXPECT_EQ(w.statusColour(), TextColour::Red) << c.name;
        EXPECT_TRUE(w.isEnabled()) << c.name;
        EXPECT_NE(w.statusText().find(c.reason), std::string::npos) << c.name << w.statusText();
        EXPECT_NE(w.statusText().find("Nothing was written."), std::string::npos) << c.name;
        EXPECT_NE(visiblePanel(), "EEPROMDiffPnl") << c.name << ": nothing offered to restore";
        EXPECT_TRUE(writes().empty()) << c.name;
    }
    EXPECT_TRUE(rig.ui.questions.empty());
}

// Of two differing regions only the one left chosen is written; a printer changed since the
// comparison refuses the restore; undo puts back an older entry, not the newest.
TEST_F(EepromFilesWindow, RestoreWritesTheChosenRegionAndUndoTheChosenEntry) {
    const std::string image = dir.file("b.img");
    press("EepromSaveBtn", image);
    const auto before = rig.printer().eeprom();
    writeByte("5D", Hex2(std::uint8_t(before[0x5D] ^ 0x01)));  // entry 1
    writeByte("72", Hex2(std::uint8_t(before[0x72] ^ 0x02)));  // entry 2

    press("EepromRestoreBtn", image);
    auto* regions = ShellRig::find<QListWidget>(w, "EepromRegionList");
    ASSERT_EQ(regions->count(), 2);
    EXPECT_EQ(regions->item(1)->text(), "72 Bi-D VSD1 black (1 byte)");
    regions->item(0)->setCheckState(Qt::Unchecked);
    rig.ui.answer = false;
    press("EepromRestoreOkBtn");
    EXPECT_TRUE(writes().empty()) << "the confirmation was declined";
    rig.ui.answer = true;
    press("EepromRestoreOkBtn");
    EXPECT_EQ(writes(), (Writes{{0x72, before[0x72]}}));
    EXPECT_EQ(rig.printer().eeprom()[0x5D], before[0x5D] ^ 0x01) << "the region left out";

    press("EepromDiffRtnBtn");
    press("EepromRestoreBtn", image);
    rig.printer().eeprom()[0x5D] = before[0x5D];  // changed behind the table's back
    press("EepromRestoreOkBtn");
    EXPECT_TRUE(writes().empty());
    EXPECT_NE(w.statusText().find("has changed at 5D"), std::string::npos) << w.statusText();
    rig.printer().eeprom()[0x5D] = before[0x5D] ^ 0x01;

    press("EepromDiffRtnBtn");
    press("EepromHistoryBtn");
    auto* history = ShellRig::find<QTableWidget>(w, "EepromHistoryGrid");
    press("EepromUndoBtn");
    EXPECT_EQ(w.statusText(), "Choose an entry to undo.");
    EXPECT_TRUE(writes().empty());
    ASSERT_EQ(history->rowCount(), 3);
    ASSERT_EQ(row("EepromHistoryGrid", 2).at(0), "1");
    history->selectRow(2);
    press("EepromUndoBtn");
    EXPECT_EQ(writes(), (Writes{{0x5D, before[0x5D]}}));
    EXPECT_EQ(rig.printer().eeprom(), before);
}

// A refusal the technician may override (an undo over a later change, a restore of another
// printer's image) shows its reason and then asks: declined, nothing is written; accepted, the
// bytes go and read back.
TEST_F(EepromFilesWindow, OverridableRefusalsAskAfterShowingTheirReason) {
    const std::string image = dir.file("c.img");
    press("EepromSaveBtn", image);
    const auto before = rig.printer().eeprom();
    writeByte("5D", Hex2(std::uint8_t(before[0x5D] ^ 0x01)));  // entry 1
    writeByte("5D", Hex2(std::uint8_t(before[0x5D] ^ 0x02)));  // entry 2, over entry 1's byte

    press("EepromHistoryBtn");
    auto* history = ShellRig::find<QTableWidget>(w, "EepromHistoryGrid");
    ASSERT_EQ(history->rowCount(), 2);
    ASSERT_EQ(row("EepromHistoryGrid", 1).at(0), "1");
    for (const bool go : {false, true}) {
        rig.ui.questions.clear();
        rig.ui.answers = {true, go};
        history->selectRow(1);
        press("EepromUndoBtn");
        ASSERT_EQ(rig.ui.questions.size(), 2u) << go;
        EXPECT_NE(rig.ui.questions[1].second.find("5D changed after it"), std::string::npos)
            << rig.ui.questions[1].second;
        if (go) {
            EXPECT_EQ(writes(), (Writes{{0x5D, before[0x5D]}}));
            EXPECT_EQ(w.statusText(), "Verified 1 byte by reading back.");
        } else {
            EXPECT_TRUE(writes().empty());
            EXPECT_EQ(w.statusColour(), TextColour::Red);
            EXPECT_NE(w.statusText().find("5D changed after it"), std::string::npos)
                << w.statusText();
            EXPECT_TRUE(w.isEnabled());
        }
    }
    EXPECT_EQ(rig.printer().eeprom(), before);

    press("EepromHistoryRtnBtn");
    const std::uint8_t own = before[0xC2];
    rig.printer().eeprom()[0xC2] = own == 'Q' ? 'R' : 'Q';  // another USB ID than the image's
    for (const bool go : {false, true}) {
        rig.ui.questions.clear();
        rig.ui.answers = {true, go};
        press("EepromRestoreBtn", image);
        press("EepromRestoreOkBtn");
        ASSERT_EQ(rig.ui.questions.size(), 2u) << go;
        EXPECT_NE(rig.ui.questions[1].second.find("identity and counters"), std::string::npos)
            << rig.ui.questions[1].second;
        if (go) {
            EXPECT_EQ(writes(), (Writes{{0xC2, own}}));
            EXPECT_EQ(w.statusText(), "Verified 1 byte by reading back.");
        } else {
            EXPECT_TRUE(writes().empty());
            EXPECT_EQ(w.statusColour(), TextColour::Red);
            EXPECT_NE(w.statusText().find("identity and counters"), std::string::npos)
                << w.statusText();
        }
        press("EepromDiffRtnBtn");
    }
    EXPECT_EQ(rig.printer().eeprom(), before);
}

}  // namespace
}  // namespace veltra::test
