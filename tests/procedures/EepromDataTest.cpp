#include <gtest/gtest.h>

#include "link/HexText.h"

#include "procedures/EepromData.h"
#include "tests/procedures/ProcedureRig.h"

namespace veltra::test {
namespace {

class EepromDataTest : public RigTest {
protected:
    void SetUp() override {
        RigTest::SetUp();
        for (int a = 0; a < 256; ++a) {
            rig.printer.eeprom()[std::size_t(a)] = std::uint8_t(255 - a);
        }
    }
    void Range(const char* beg, const char* end) {
        view.setEntryText(Entry::EepReadBegEdit, beg);
        view.setEntryText(Entry::EepReadEndEdit, end);
    }
    std::vector<std::uint8_t> Ascending(int first, int last) {
        std::vector<std::uint8_t> out;
        for (int a = first; a <= last; ++a) {
            out.push_back(std::uint8_t(a));
        }
        return out;
    }
};

TEST(HexPairField, AcceptsExactlyTwoUpperCaseDigits) {
    EXPECT_EQ(HexPairField("00"), 0x00);
    EXPECT_EQ(HexPairField("FF"), 0xFF);
    EXPECT_EQ(HexPairField("7F"), 0x7F);
    for (const char* bad : {"", "1", "123", "G0", "0G", "a0", " 1", "-1"}) {
        EXPECT_FALSE(HexPairField(bad)) << bad;
    }
}

TEST_F(EepromDataTest, ReadoutInputChecksNameTheFieldToFix) {
    const struct {
        const char* beg;
        const char* end;
        Entry focus;
    } cases[] = {
        {"1", "20", Entry::EepReadBegEdit},  {"", "20", Entry::EepReadBegEdit},
        {"10", "2", Entry::EepReadEndEdit},  {"1", "2", Entry::EepReadBegEdit},
        {"G0", "20", Entry::EepReadBegEdit}, {"10", "G0", Entry::EepReadEndEdit},
        {"10", "0F", Entry::EepReadEndEdit}, {"G0", "2", Entry::EepReadEndEdit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.beg) + "~" + c.end);
        Range(c.beg, c.end);
        view.focus.reset();
        rig.mark();
        EXPECT_EQ(EepromReadOkBtnClick(frame), kInputRejected);
        EXPECT_EQ(view.statusText(), "Input data is wrong.");
        EXPECT_EQ(view.colour, TextColour::Red);
        EXPECT_EQ(view.focus, c.focus);
        EXPECT_TRUE(rig.controlSince().empty());
    }
}

TEST_F(EepromDataTest, FullReadoutFillsEveryCellRowByRow) {
    Range("00", "FF");
    EXPECT_EQ(EepromReadOkBtnClick(frame), kOk);
    EXPECT_EQ(rig.eepromReadsSince(), Ascending(0, 255));
    EXPECT_EQ(view.panel, Panel::EEPROMGridPnl);
    EXPECT_FALSE(view.isVisible(Widget::StatusMemo));
    EXPECT_EQ(view.cell(1, 1), "FF");
    EXPECT_EQ(view.cell(1, 16), "F0");
    EXPECT_EQ(view.cell(4, 11), "C5");  // 0x3A holds 255 - 0x3A
    EXPECT_EQ(view.cell(16, 16), "00");
    EXPECT_GE(view.repaints, 256);
    EXPECT_FALSE(view.hourglass);
}

TEST_F(EepromDataTest, PartialReadoutLeavesOtherCellsEmpty) {
    Range("7E", "81");
    EXPECT_EQ(EepromReadOkBtnClick(frame), kOk);
    EXPECT_EQ(rig.eepromReadsSince(), Ascending(0x7E, 0x81));
    for (int a = 0; a < 256; ++a) {
        const bool inRange = a >= 0x7E && a <= 0x81;
        EXPECT_EQ(view.cell(GridRow(std::uint8_t(a)), GridColumn(std::uint8_t(a))).empty(),
                  !inRange)
            << a;
    }

    Range("5A", "5A");  // a second readout starts from an empty table
    EXPECT_EQ(EepromReadOkBtnClick(frame), kOk);
    EXPECT_EQ(view.cell(GridRow(0x5A), GridColumn(0x5A)), "A5");
    EXPECT_EQ(view.cell(GridRow(0x7E), GridColumn(0x7E)), "");
}

TEST_F(EepromDataTest, FailedReadReturnsToTheAddressPanelWithoutATable) {
    Range("00", "FF");
    rig.dropAfterMorePackets(40);
    const Status status = EepromReadOkBtnClick(frame);
    EXPECT_EQ(status, kPortFailure);
    EXPECT_GT(rig.eepromReadsSince().size(), 5u);  // failed in the middle of the table
    EXPECT_LT(rig.eepromReadsSince().size(), 256u);
    EXPECT_EQ(view.panel, Panel::EEPROMCheckPnl);
    EXPECT_TRUE(view.isVisible(Widget::StatusMemo));
    EXPECT_EQ(view.colour, TextColour::Red);
    EXPECT_FALSE(view.statusText().empty());
    EXPECT_FALSE(view.hourglass);
    for (int r = 1; r <= 16; ++r) {
        for (int c = 1; c <= 16; ++c) {
            EXPECT_EQ(view.cell(r, c), "");
        }
    }
}

TEST_F(EepromDataTest, WriteShowsAddressAndDataOnTwoLines) {
    view.setEntryText(Entry::EepWriteAddEdit, "30");
    view.setEntryText(Entry::EepWriteDataEdit, "10");
    EXPECT_EQ(EepromWriteOkBtnClick(frame), kOk);
    EXPECT_EQ(rig.printer.eeprom()[0x30], 0x10);
    EXPECT_EQ(view.statusText(), "Address = 30\nData = 10");
    EXPECT_EQ(view.colour, TextColour::Black);
    EXPECT_EQ(view.entryText(Entry::EepWriteAddEdit), "30");
    EXPECT_EQ(view.entryText(Entry::EepWriteDataEdit), "10");
    EXPECT_TRUE(rig.printer.factoryCommands().size() == rig.factoryMark);  // nothing more sent
    EXPECT_EQ(rig.controlSince().size(), 1u);
}

TEST_F(EepromDataTest, WriteInputErrorsAlwaysFocusTheAddress) {
    const std::pair<const char*, const char*> cases[] = {{"3", "10"},  {"30", "1"}, {"G0", "10"},
                                                         {"30", "1G"}, {"", ""},    {"300", "10"}};
    for (const auto& [address, data] : cases) {
        view.setEntryText(Entry::EepWriteAddEdit, address);
        view.setEntryText(Entry::EepWriteDataEdit, data);
        view.focus.reset();
        rig.mark();
        EXPECT_EQ(EepromWriteOkBtnClick(frame), kInputRejected);
        EXPECT_EQ(view.statusText(), "Input data is wrong.");
        EXPECT_EQ(view.focus, Entry::EepWriteAddEdit);
        EXPECT_TRUE(rig.controlSince().empty());
    }
}

TEST_F(EepromDataTest, RefusedWriteShowsTheLinkFailure) {
    rig.printer.faults().eepromWriteLetter = 'N';
    view.setEntryText(Entry::EepWriteAddEdit, "30");
    view.setEntryText(Entry::EepWriteDataEdit, "10");
    EXPECT_EQ(EepromWriteOkBtnClick(frame), kTransportFailure);
    // The refusal, then what the printer holds, read back after it.
    EXPECT_EQ(view.statusText(), "Communication error.\nThe printer now holds " +
                                     hexByte(rig.printer.eeprom()[0x30]) + " at 30.");
    EXPECT_NE(rig.printer.eeprom()[0x30], 0x10);
}

TEST_F(EepromDataTest, A4PrintBracketsRemoteModeThenPrintsTheReport) {
    rig.printer.eeprom() = sim::VirtualPrinter::defaultEeprom(0);
    const std::size_t before = rig.printer.printCommands().size();
    EXPECT_EQ(A3PPrintOKBtnClick(frame), kOk);
    EXPECT_EQ(view.statusText(), "Completion the printing.");
    const auto& cmds = rig.printer.printCommands();
    std::vector<sim::PrintCommand::Kind> kinds;
    for (std::size_t i = before; i < cmds.size(); ++i) {
        if (cmds[i].kind != sim::PrintCommand::Kind::Init) {
            kinds.push_back(cmds[i].kind);
        }
    }
    ASSERT_GE(kinds.size(), 4u);
    EXPECT_EQ(kinds[0], sim::PrintCommand::Kind::EnterRemote);
    EXPECT_EQ(kinds[1], sim::PrintCommand::Kind::RemoteCommand);
    EXPECT_EQ(kinds[2], sim::PrintCommand::Kind::ExitRemote);
    std::size_t sn = before;
    while (cmds[sn].kind != sim::PrintCommand::Kind::RemoteCommand) {
        ++sn;
    }
    EXPECT_EQ(cmds[sn].bytes, (std::vector<std::uint8_t>{'S', 'N', 0, 0, 0}));
    int formFeeds = 0;
    for (std::size_t i = before; i < cmds.size(); ++i) {
        formFeeds += cmds[i].kind == sim::PrintCommand::Kind::FormFeed;
    }
    EXPECT_EQ(formFeeds, 4);  // the four report pages
}

TEST_F(EepromDataTest, A4PrintWithAnInvalidStoredHeadIdShowsItsMessage) {
    rig.printer.eeprom() = sim::VirtualPrinter::defaultEeprom(0);
    rig.printer.eeprom()[0xAF] = 9;
    EXPECT_EQ(A3PPrintOKBtnClick(frame), kHeadIdFormat);
    EXPECT_EQ(view.statusText(), "Head ID is invalid.");
    EXPECT_TRUE(view.enabled);
}

}  // namespace
}  // namespace veltra::test
