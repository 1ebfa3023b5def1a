// Every procedure that changes the EEPROM journals the addresses it changes, with reads that all
// come before its first write; and the journal file keeps what it is given.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "procedures/Adjustment.h"
#include "procedures/ChangeJournal.h"
#include "procedures/EepromData.h"
#include "procedures/HeadAngle.h"
#include "procedures/Identity.h"
#include "procedures/Maintenance.h"
#include "tests/procedures/ProcedureRig.h"
#include "tests/support/TempDir.h"

namespace veltra::test {
namespace {

std::set<std::uint8_t> Range(int first, int last) {
    std::set<std::uint8_t> out;
    for (int a = first; a <= last; ++a) {
        out.insert(std::uint8_t(a));
    }
    return out;
}

struct Case {
    const char* operation;
    std::function<void(Rig&)> run;
    std::set<std::uint8_t> addresses;
};

TEST(JournalGuard, EachProcedureJournalsItsAddressesBeforeItsFirstWrite) {
    std::set<std::uint8_t> exchange = Range(0x08, 0x0B);
    for (auto s : {Range(0x02, 0x03), Range(0x10, 0x1F), Range(0x30, 0x31)}) {
        exchange.insert(s.begin(), s.end());
    }
    std::set<std::uint8_t> headId = Range(0xA0, 0xA4);
    headId.insert({0xAE, 0xAF});
    const Case cases[] = {
        {"eeprom init",
         [](Rig& r) { DefaultSetBtnClick(r.frame); },
         {0x51, 0x52, 0x65, 0xB0, 0xE1}},
        {"headid write",
         [](Rig& r) {
             r.view.setEntryText(Entry::LeftHeadIDInputEdit, "101010101011J");
             HeadIDInputOKBtnClick(r.frame);
         },
         headId},
        {"usbid write",
         [](Rig& r) {
             r.view.setEntryText(Entry::OriginalUsbIdInputEdit, "ABCDEFGHIJ12345678");
             UsbIdInputOKBtnClick(r.frame);
         },
         Range(0xC2, 0xD3)},
        {"bid write",
         [](Rig& r) {
             r.view.setEntryText(Entry::BidVSD2YMCWrtEdit, "-7");
             r.view.setChecked(CheckBox::BidVSD2YMCCheckBox, true);
             r.view.setEntryText(Entry::BidECOBkWrtEdit, "61");  // out of range: not sent
             r.view.setChecked(CheckBox::BidECOBkCheckBox, true);
             BidWrtOKBtnClick(r.frame);
         },
         {0x74, 0x75}},
        {"pf write",
         [](Rig& r) {
             r.view.setEntryText(Entry::PFEdit, "2");
             PFWriteOKBtnClick(r.frame);
         },
         {0x7D}},
        {"top-margin write",
         [](Rig& r) {
             TopMarginMainBtnClick(r.frame, TopMarginChoice::Adjust);
             r.view.setTopMarginIndex(0);
             r.mark();
             TopMarginWriteOKBtnClick(r.frame);
         },
         {0x5D}},
        {"crmotor fixed",
         [](Rig& r) {
             r.view.setChecked(CheckBox::ReplacePSBoardCheckBox, true);
             CRHeatProtectOffsetOKBtnClick(r.frame);
         },
         {0x79}},
        {"counter clear", [](Rig& r) { NewInkPadClearBtnClick(r.frame); }, {0x02, 0x03}},
        {"exchange", [](Rig& r) { MessageOKBtnClick(r.frame); }, exchange},
        {"eeprom write",
         [](Rig& r) {
             r.view.setEntryText(Entry::EepWriteAddEdit, "30");
             r.view.setEntryText(Entry::EepWriteDataEdit, "10");
             EepromWriteOkBtnClick(r.frame);
         },
         {0x30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.operation);
        TempDir dir("veltra-journal-guard");
        Rig rig;
        ASSERT_TRUE(rig.start());
        ChangeJournal journal(dir.path());
        rig.objects.journal = &journal;
        const auto before = rig.printer.eeprom();
        c.run(rig);

        const JournalContents j = journal.read();
        ASSERT_EQ(j.entries.size(), 1u);
        const JournalEntry& e = j.entries[0];
        EXPECT_EQ(e.operation, c.operation);
        EXPECT_EQ(e.usbId, "K55S01234527F95700");
        std::set<std::uint8_t> journalled;
        for (const auto& [address, value] : e.before) {
            journalled.insert(address);
            EXPECT_EQ(value, before[address]) << int(address);
        }
        EXPECT_EQ(journalled, c.addresses);
        // The journal's reads (its addresses, then the rest of the USB ID) lead, and every
        // address that was written is in the entry.
        std::set<std::uint8_t> expectedReads = c.addresses;
        for (std::uint8_t a : Range(0xC2, 0xD3)) {
            expectedReads.insert(a);
        }
        const auto reads = rig.eepromReadsSince();
        ASSERT_GE(reads.size(), expectedReads.size());
        EXPECT_EQ(std::set<std::uint8_t>(reads.begin(),
                                         reads.begin() + std::ptrdiff_t(expectedReads.size())),
                  expectedReads);
        std::size_t leading = 0;
        for (const auto& p : rig.controlSince()) {
            const bool isRead = p.size() == 10 && p[0] == '|' && p[6] == 0x41;
            if (!isRead) {
                break;
            }
            ++leading;
        }
        EXPECT_GE(leading, expectedReads.size()) << "something was sent before the reads";
        for (const auto& [address, value] : rig.eepromWritesSince()) {
            EXPECT_EQ(c.addresses.count(address), 1u) << int(address);
        }
    }
}

TEST(JournalGuard, TheFullUsbIdEntryKeepsWhatItReadBack) {
    TempDir dir("veltra-journal-guard");
    Rig rig;
    ASSERT_TRUE(rig.start());
    ChangeJournal journal(dir.path());
    rig.objects.journal = &journal;
    rig.view.setEntryText(Entry::OriginalUsbIdInputEdit, "ABCDEFGHIJ12345678");
    ASSERT_EQ(UsbIdInputOKBtnClick(rig.frame), kOk);
    const JournalContents j = journal.read();
    ASSERT_EQ(j.entries.size(), 1u);
    EXPECT_EQ(j.entries[0].after.size(), 18u);
    EXPECT_EQ(j.entries[0].after.at(0xC2), 'A');
    EXPECT_EQ(j.entries[0].usbIdAfter, "ABCDEFGHIJ12345678");
    // Found under the old USB ID and under the new one.
    EXPECT_EQ(EntriesOfPrinter(j, "K55S01234527F95700", -1).size(), 1u);
    EXPECT_EQ(EntriesOfPrinter(j, "ABCDEFGHIJ12345678", -1).size(), 1u);
    EXPECT_TRUE(EntriesOfPrinter(j, "K45S0456782CVNTT30", -1).empty());
}

}  // namespace
}  // namespace veltra::test
