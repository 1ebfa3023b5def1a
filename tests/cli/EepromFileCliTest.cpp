// eeprom backup, diff and restore on the built-in virtual printer.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/CliRun.h"

namespace veltra::test {
namespace {

class EepromFileCli : public CliRun {
protected:
    void SetUp() override {
        CliRun::SetUp();
        image_ = (dir_ / "a.img").string();
        // Keeps the printer of each run (its state is shared) to see what it was sent.
        printerSetup_ = [this](sim::VirtualPrinter& p) { printer_.emplace(p); };
    }

    // (address, value) of every EEPROM write the printer of the last run received.
    std::vector<std::pair<int, int>> writes() const {
        std::vector<std::pair<int, int>> out;
        for (const auto& r : printer_->controlRequests()) {
            if (r.size() == 11 && r[0] == '|' && r[1] == '|' && r[6] == 0x42) {
                out.emplace_back(r[9], r[10]);
            }
        }
        return out;
    }

    std::string image_;
    std::optional<sim::VirtualPrinter> printer_;
};

TEST_F(EepromFileCli, BackupChangeDiffRestore) {
    ASSERT_EQ(run({"eeprom", "backup", image_}), 0) << err_.str();
    EXPECT_EQ(eepromImage()[0x5D], 0x2A);
    EXPECT_EQ(run({"eeprom", "backup", image_}), 1) << "an existing file is kept";
    EXPECT_TRUE(writes().empty());
    ASSERT_EQ(run({"eeprom", "backup", "--force", image_}), 0);

    ASSERT_EQ(run({"eeprom", "write", "5D", "30"}), 0);
    EXPECT_EQ(run({"eeprom", "diff", image_}), 1);
    EXPECT_EQ(out_.str(), "5D  printer 30  file 2A  5D top margin\n");

    EXPECT_EQ(run({"eeprom", "restore", "--dry-run", image_}), 0);
    EXPECT_TRUE(writes().empty());
    EXPECT_NE(out_.str().find("would write 5D"), std::string::npos);

    ASSERT_EQ(run({"eeprom", "restore", image_}), 0) << err_.str();
    EXPECT_EQ(writes(), (std::vector<std::pair<int, int>>{{0x5D, 0x2A}}));
    EXPECT_EQ(printer_->factoryCommands().back().command, 0x50) << "FinishValues after 5D";
    EXPECT_NE(out_.str().find("Verified 1 byte"), std::string::npos);
    EXPECT_EQ(run({"eeprom", "diff", image_}), 0);
    EXPECT_EQ(out_.str(), "");
}

TEST_F(EepromFileCli, BadImagesAreRefusedAndNothingIsWritten) {
    ASSERT_EQ(run({"eeprom", "backup", image_}), 0);
    ASSERT_EQ(run({"eeprom", "write", "5D", "30"}), 0);
    const std::string good = readTextFile(image_).value();
    const std::size_t line50 = good.find("\n50: ") + 1;
    std::string digit = good;
    digit[line50 + 4] = digit[line50 + 4] == '0' ? '1' : '0';  // first digit of the byte at 50
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> options;
        const char* reason;
    };
    const Case cases[] = {
        {"one hex digit changed", digit, {}, "checksum"},
        {"a line missing",
         good.substr(0, line50) + good.substr(good.find('\n', line50) + 1),
         {},
         "50"},
        {"cut short", good.substr(0, line50), {}, "cut short"},
        {"a K55 image on a K45", good, {"--model", "K45"}, "Veltra K45"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(writeTextFile(image_, c.text));
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"eeprom", "restore", image_});
        EXPECT_EQ(run(args), 1) << c.name;
        EXPECT_TRUE(writes().empty()) << c.name;
        const std::string err = err_.str();
        EXPECT_EQ(err.rfind("Refused: ", 0), 0u) << c.name << ": " << err;
        EXPECT_NE(err.find(c.reason), std::string::npos) << c.name << ": " << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << c.name << ": one line";
    }
    EXPECT_EQ(eepromImage()[0x5D], 0x30);
    // diff says "trouble" for a file it cannot read.
    EXPECT_EQ(run({"eeprom", "diff", image_ + ".missing"}), 2);
}

TEST_F(EepromFileCli, RestoreStopsAtARefusedWrite) {
    ASSERT_EQ(run({"eeprom", "backup", image_}), 0);
    ASSERT_EQ(run({"eeprom", "write", "5D", "30"}), 0);
    ASSERT_EQ(run({"eeprom", "write", "7D", "02"}), 0);
    auto keep = printerSetup_;
    printerSetup_ = [&](sim::VirtualPrinter& p) {
        keep(p);
        p.faults().eepromWriteLetter = 'B';
    };
    EXPECT_EQ(run({"eeprom", "restore", image_}), 1);
    EXPECT_EQ(writes().size(), 1u) << "the refused write is the last one sent";
    EXPECT_NE(err_.str().find("The write of 5D failed"), std::string::npos) << err_.str();
    EXPECT_NE(err_.str().find("1 bytes after it are left as they were"), std::string::npos);
    printerSetup_ = keep;
    EXPECT_EQ(eepromImage()[0x5D], 0x30);
    EXPECT_EQ(eepromImage()[0x7D], 0x02);
}

}  // namespace
}  // namespace veltra::test
