// Every procedure that changes the EEPROM journals the addresses it changes, with reads that all
// come before its first write; and the journal file keeps what it is given.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <limits>
#include <set>
#include <thread>

#include "procedures/Adjustment.h"
#include "procedures/ChangeJournal.h"
#include "procedures/EepromData.h"
#include "procedures/HeadAngle.h"
#include "procedures/Identity.h"
#include "procedures/JournalGuard.h"
#include "procedures/Maintenance.h"
#include "procedures/ProgramSetup.h"
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

// Two programs appending at once: each entry gets an id of its own, and the line that moves an
// entry on reaches that entry.
TEST(ChangeJournal, TwoWritersGetDistinctIdsAndTheirOwnUpdates) {
    TempDir dir("veltra-journal-lock");
    constexpr int kEach = 40;
    auto writer = [&dir](std::uint8_t value) {
        const ChangeJournal journal(dir.path());  // its own open of the file, as a program has
        for (int i = 0; i < kEach; ++i) {
            JournalEntry e;
            e.operation = "eeprom write";
            e.usbId = "K55S01234527F95700";
            e.before = {{0x5D, value}};
            std::string why;
            ASSERT_TRUE(journal.append(e, why)) << why;
            JournalUpdate u;
            u.id = e.id;
            u.state = EntryState::Finished;
            u.after = {{0x5D, value}};
            ASSERT_TRUE(journal.update(u, why)) << why;
        }
    };
    std::thread first(writer, std::uint8_t(1));
    std::thread second(writer, std::uint8_t(2));
    first.join();
    second.join();
    const JournalContents j = ChangeJournal(dir.path()).read();
    ASSERT_EQ(j.entries.size(), std::size_t(2 * kEach));
    std::set<long long> ids;
    for (const JournalEntry& e : j.entries) {
        ids.insert(e.id);
        EXPECT_EQ(e.after, e.before) << "entry " << e.id << " got another writer's line";
        EXPECT_EQ(e.state, EntryState::Finished) << e.id;
    }
    EXPECT_EQ(ids.size(), j.entries.size());
}

#ifndef _WIN32  // the state folder comes from LOCALAPPDATA there
// With neither HOME nor XDG_STATE_HOME the journal has no place, and a change is refused with
// the reason instead of going ahead unjournalled.
TEST(ChangeJournal, WithoutAStateFolderChangesAreRefused) {
    struct SavedVariable {
        const char* name;
        std::optional<std::string> value;
    };
    std::vector<SavedVariable> saved;
    for (const char* name : {"HOME", "XDG_STATE_HOME"}) {
        const char* v = std::getenv(name);
        saved.push_back({name, v ? std::optional<std::string>(v) : std::nullopt});
        ::unsetenv(name);
    }
    Rig rig;
    ASSERT_TRUE(rig.start());
    const std::unique_ptr<ChangeJournal> journal = AttachJournal(rig.objects, true, {});
    for (const SavedVariable& v : saved) {
        if (v.value) {
            ::setenv(v.name, v.value->c_str(), 1);
        }
    }
    ASSERT_NE(journal, nullptr);
    rig.view.setEntryText(Entry::EepWriteAddEdit, "5D");
    rig.view.setEntryText(Entry::EepWriteDataEdit, "30");
    EXPECT_EQ(EepromWriteOkBtnClick(rig.frame), kJournalFailed);
    EXPECT_TRUE(rig.eepromWritesSince().empty());
    EXPECT_NE(rig.view.statusText().find("HOME"), std::string::npos) << rig.view.statusText();
}
#endif

// The previous version's lines read on, and the last id there can be is not overflowed.
TEST(ChangeJournal, OlderEntriesReadAndTheLastIdIsRefused) {
    TempDir dir("veltra-journal-old");
    const std::string line =
        R"({"id":ID,"time":"t","operation":"bid write","model":"Veltra K55","port":"ZTUSB1",)"
        R"("usb_id":"K55S01234527F95700","before":{"72":"02"}})";
    auto withId = [&line](long long id) {
        std::string l = line;
        return l.replace(l.find("ID"), 2, std::to_string(id));
    };
    std::filesystem::create_directories(dir.path());
    {
        std::ofstream out(dir.path() / "eeprom-changes.jsonl");
        out << withId(1) << "\n"
            << withId(2) << "\n"
            << R"({"id":2,"after":{"72":"05"}})"
            << "\n";
    }
    const ChangeJournal journal(dir.path());
    JournalContents j = journal.read();
    ASSERT_EQ(j.entries.size(), 2u);
    EXPECT_EQ(j.entries[0].state, EntryState::Begun) << "no after line: what it did is unknown";
    EXPECT_EQ(j.entries[1].state, EntryState::Finished);
    EXPECT_EQ(j.entries[1].after.at(0x72), 0x05);

    const long long last = std::numeric_limits<long long>::max();
    std::ofstream(dir.path() / "eeprom-changes.jsonl", std::ios::app) << withId(last) << "\n";
    JournalEntry e;
    std::string why;
    EXPECT_FALSE(journal.append(e, why));
    EXPECT_NE(why.find("used up"), std::string::npos) << why;
    EXPECT_EQ(journal.read().entries.size(), 3u);
}

// A printer is found by what survives its change; a blank or unprintable USB ID finds no entry
// without an explicit choice.
TEST(ChangeJournal, PrintersAreToldApartByWhatSurvivesTheChange) {
    JournalContents j;
    JournalEntry change;  // a USB ID write from K55S... to ABC...
    change.id = 1;
    change.usbId = "K55S01234527F95700";
    change.usbIdAfter = "ABCDEFGHIJ12345678";
    JournalEntry blank;  // a change on a board whose USB ID is still blank
    blank.id = 2;
    blank.usbId = std::string(18, '?');
    j.entries = {change, blank};
    struct IdCase {
        std::string printer;
        bool any;
        std::vector<long long> ids;
    };
    const IdCase cases[] = {
        {"K55S01234527F95700", false, {1}}, {"ABCDEFGHIJ12345678", false, {1}},
        {"ABCDEFGHIJ27F95700", false, {1}},  // cut part-way
        {"K45S0456782CVNTT30", false, {}},  {"ABCDEFGHIJ27F9570X", false, {}},
        {std::string(18, '?'), false, {}},  {std::string(18, '?'), true, {2}},
    };
    for (const IdCase& c : cases) {
        std::vector<long long> ids;
        for (const JournalEntry& e : EntriesOfPrinter(j, c.printer, -1, c.any)) {
            ids.push_back(e.id);
        }
        EXPECT_EQ(ids, c.ids) << c.printer << (c.any ? " (any)" : "");
    }
}

}  // namespace
}  // namespace veltra::test
