// The EEPROM change journal through the command line: what an entry holds, history, undo, and
// the journal's own faults.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

#include "procedures/ChangeJournal.h"
#include "tests/support/CliRun.h"

namespace veltra::test {
namespace {

class JournalCli : public CliRun {
protected:
    void SetUp() override {
        CliRun::SetUp();
        printerSetup_ = [this](sim::VirtualPrinter& p) { printer_.emplace(p); };
    }

    JournalContents journal() const { return ChangeJournal(journalDir()).read(); }

    // EEPROM requests of the last run in the order sent: 'R' or 'W' and the address.
    std::vector<std::pair<char, int>> eepromRequests() const {
        std::vector<std::pair<char, int>> out;
        for (const auto& r : printer_->controlRequests()) {
            if (r.size() >= 10 && r[0] == '|' && r[1] == '|') {
                out.emplace_back(r[6] == 0x42 ? 'W' : 'R', r[9]);
            }
        }
        return out;
    }

    std::optional<sim::VirtualPrinter> printer_;
};

TEST_F(JournalCli, BidWriteIsJournalledShownAndUndone) {
    const std::vector<std::uint8_t> factory = (run({"status"}), eepromImage());
    ASSERT_EQ(run({"bid", "write", "vsd1-black", "5"}), 0) << err_.str();
    ASSERT_EQ(eepromImage()[0x72], 5);

    const JournalContents j = journal();
    ASSERT_EQ(j.entries.size(), 1u);
    const JournalEntry& e = j.entries[0];
    EXPECT_EQ(e.operation, "bid write");
    EXPECT_EQ(e.model, "Veltra K55");
    EXPECT_EQ(e.port, "ZTUSB1");
    EXPECT_EQ(e.usbId, "K55S01234527F95700");
    EXPECT_EQ(e.before,
              (std::map<std::uint8_t, std::uint8_t>{{0x72, factory[0x72]}, {0x73, factory[0x73]}}));

    ASSERT_EQ(run({"eeprom", "history"}), 0) << err_.str();
    EXPECT_NE(out_.str().find("bid write"), std::string::npos) << out_.str();
    ASSERT_EQ(factory[0x72], 0x00);
    EXPECT_NE(out_.str().find("    72  before 00  after --  72 Bi-D VSD1 black\n"),
              std::string::npos)
        << out_.str();

    ASSERT_EQ(run({"eeprom", "undo"}), 0) << err_.str();
    EXPECT_EQ(eepromImage(), factory);
    // Only 0x72 differed; the undo is journalled with what it read back.
    const JournalContents after = journal();
    ASSERT_EQ(after.entries.size(), 2u);
    EXPECT_EQ(after.entries[1].operation, "eeprom undo");
    EXPECT_EQ(after.entries[1].before.at(0x72), 5);
    EXPECT_EQ(after.entries[1].after, (std::map<std::uint8_t, std::uint8_t>{{0x72, 0x00}}));
}

TEST_F(JournalCli, ReadsComeFirstAndTheNormalOrderIsKept) {
    ASSERT_EQ(run({"eeprom", "write", "5D", "30"}), 0) << err_.str();
    std::vector<std::pair<char, int>> expected{{'R', 0x5D}};
    for (int a = 0xC2; a <= 0xD3; ++a) {
        expected.emplace_back('R', a);
    }
    expected.emplace_back('W', 0x5D);
    EXPECT_EQ(eepromRequests(), expected);
    // Without the journal the write is all there is, and nothing is appended.
    ASSERT_EQ(run({"--no-journal", "eeprom", "write", "5D", "31"}), 0);
    EXPECT_EQ(eepromRequests(), (std::vector<std::pair<char, int>>{{'W', 0x5D}}));
    EXPECT_EQ(journal().entries.size(), 1u);
}

TEST_F(JournalCli, AJournalThatCannotBeWrittenStopsTheChange) {
    std::filesystem::create_directories(dir_);
    std::ofstream(journalDir()) << "a file where the folder should be";
    EXPECT_EQ(run({"eeprom", "write", "5D", "30"}), 1);
    EXPECT_NE(err_.str().find("The change journal cannot be written"), std::string::npos)
        << err_.str();
    for (const auto& [kind, address] : eepromRequests()) {
        EXPECT_NE(kind, 'W') << address;
    }
    EXPECT_EQ(eepromImage()[0x5D], 0x2A);
}

TEST_F(JournalCli, ALineCutByACrashIsSkippedAndTheNextEntryStartsAfresh) {
    ASSERT_EQ(run({"eeprom", "write", "5D", "30"}), 0);
    const std::string file =
        (std::filesystem::path(journalDir()) / "eeprom-changes.jsonl").string();
    {
        std::ofstream out(file, std::ios::app | std::ios::binary);
        out << R"({"id":2,"time":"2026-01-01 00:00:00","operation":"eeprom wr)";
    }
    ASSERT_EQ(run({"eeprom", "write", "5D", "31"}), 0) << err_.str();
    const JournalContents j = journal();
    EXPECT_EQ(j.skippedLines, 1u);
    ASSERT_EQ(j.entries.size(), 2u);
    EXPECT_EQ(j.entries[1].before.at(0x5D), 0x30);
    EXPECT_EQ(j.entries[1].id, 2);
    ASSERT_EQ(run({"eeprom", "undo"}), 0) << err_.str();
    EXPECT_EQ(eepromImage()[0x5D], 0x30);
}

TEST_F(JournalCli, UndoRefusesAPrinterWithAnotherUsbId) {
    ASSERT_EQ(run({"eeprom", "write", "5D", "30"}), 0);
    // The printer's USB ID changes behind the journal's back.
    ASSERT_EQ(run({"--no-journal", "eeprom", "write", "C2", "58"}), 0);
    EXPECT_EQ(run({"eeprom", "undo"}), 1);
    EXPECT_NE(err_.str().find("no entry for the printer with USB ID X55S01234527F95700"),
              std::string::npos)
        << err_.str();
    for (const auto& [kind, address] : eepromRequests()) {
        EXPECT_NE(kind, 'W') << address;
    }
    EXPECT_EQ(eepromImage()[0x5D], 0x30);
}

// A restore the printer refused changed nothing (the byte read back says so): it does not hide the
// change below it from undo.
TEST_F(JournalCli, ARefusedRestoreDoesNotHideTheChangeBelowIt) {
    const std::string image = (dir_ / "a.img").string();
    ASSERT_EQ(run({"--no-journal", "eeprom", "backup", image}), 0);
    ASSERT_EQ(run({"eeprom", "write", "72", "05"}), 0);
    ASSERT_EQ(run({"--no-journal", "eeprom", "write", "5D", "30"}), 0);
    auto keep = printerSetup_;
    printerSetup_ = [&](sim::VirtualPrinter& p) {
        keep(p);
        p.faults().eepromWriteLetter = 'B';
    };
    EXPECT_EQ(run({"eeprom", "restore", image}), 1);
    printerSetup_ = keep;
    const JournalContents j = journal();
    ASSERT_EQ(j.entries.size(), 2u);
    EXPECT_EQ(j.entries[1].operation, "eeprom restore");
    EXPECT_EQ(j.entries[1].state, EntryState::Failed);
    EXPECT_FALSE(j.entries[1].mayHaveChanged());
    ASSERT_EQ(run({"eeprom", "undo"}), 0) << err_.str();
    EXPECT_NE(out_.str().find("Undoing entry 1 (eeprom write"), std::string::npos) << out_.str();
    EXPECT_EQ(eepromImage()[0x72], 0x00);
    EXPECT_EQ(eepromImage()[0x5D], 0x30) << "the unjournalled change stays";
}

// Undo puts back only what no later change has touched, and says which addresses it would
// overwrite.
TEST_F(JournalCli, UndoRefusesToOverwriteALaterChange) {
    ASSERT_EQ(run({"eeprom", "write", "5D", "30"}), 0);
    ASSERT_EQ(run({"eeprom", "write", "5D", "31"}), 0);
    EXPECT_EQ(run({"eeprom", "undo", "1"}), 1);
    EXPECT_NE(err_.str().find("5D changed after it"), std::string::npos) << err_.str();
    EXPECT_EQ(eepromImage()[0x5D], 0x31);
    ASSERT_EQ(run({"eeprom", "undo"}), 0) << err_.str();
    ASSERT_EQ(run({"eeprom", "undo"}), 0) << err_.str();
    EXPECT_EQ(eepromImage()[0x5D], 0x2A) << "newest first, each once";
    EXPECT_EQ(run({"eeprom", "undo"}), 1) << "nothing left: the undos are not undone";
    EXPECT_EQ(eepromImage()[0x5D], 0x2A);
}

// An entry is named by the command that makes it, so that history reads as the commands typed;
// entries written under the older names read under the new ones.
TEST_F(JournalCli, OperationsAreNamedAsTheirCommands) {
    const std::vector<std::vector<std::string>> commands{
        {"bid", "write", "vsd1-black", "5"},
        {"top-margin", "write", "+1"},
        {"crmotor", "fixed", "--yes"},
        {"counter", "clear", "new"},
        {"exchange", "--yes"},
    };
    for (const auto& command : commands) {
        ASSERT_EQ(run(command), 0) << command[0] << ": " << err_.str();
        const JournalContents j = journal();
        ASSERT_FALSE(j.entries.empty());
        std::string name = command[0];
        if (command.size() > 1 && command[1] != "--yes") {
            name += " " + command[1];
        }
        EXPECT_EQ(j.entries.back().operation, name);
    }

    const std::string file =
        (std::filesystem::path(journalDir()) / "eeprom-changes.jsonl").string();
    std::filesystem::remove(file);
    {
        std::ofstream out(file, std::ios::binary);
        int id = 0;
        for (const char* old : {"top margin write", "liquid exchange", "head id write"}) {
            out << R"({"id":)" << ++id << R"(,"time":"2026-01-01 00:00:00","operation":")" << old
                << R"(","model":"Veltra K55","port":"ZTUSB1","usb_id":"K55S01234527F95700",)"
                << R"("before":{"5D":"00"}})" << '\n';
        }
    }
    const JournalContents j = journal();
    ASSERT_EQ(j.entries.size(), 3u) << j.skippedLines;
    EXPECT_EQ(j.entries[0].operation, "top-margin write");
    EXPECT_EQ(j.entries[1].operation, "exchange");
    EXPECT_EQ(j.entries[2].operation, "headid write");
}

}  // namespace
}  // namespace veltra::test
