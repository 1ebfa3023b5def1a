// eeprom backup, diff and restore on the built-in virtual printer.
#include <gtest/gtest.h>

#include <optional>

#ifndef _WIN32
#include <sys/stat.h>
#endif
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
        int exit;  // 2: the file is no image (diff's "trouble"); 1: refused for the printer
    };
    EepromImage k45Bytes = parseEepromImageFile(good).image.value();
    k45Bytes.bytes[0xB0] = 0x95;  // the other model's setting, under a K55 header
    const Case cases[] = {
        {"one hex digit changed", digit, {}, "checksum", 2},
        {"its own B0 names the other model", formatEepromImageFile(k45Bytes), {}, "B0 (95)", 1},
        {"a line missing",
         good.substr(0, line50) + good.substr(good.find('\n', line50) + 1),
         {},
         "50",
         2},
        {"cut short", good.substr(0, line50), {}, "cut short", 2},
        {"a K55 image on a K45", good, {"--model", "K45"}, "Veltra K45", 1},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(writeTextFile(image_, c.text));
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"eeprom", "restore", image_});
        EXPECT_EQ(run(args), c.exit) << c.name;
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
    // The status and the explanation on lines of their own, and what the printer holds.
    EXPECT_NE(err_.str().find("\nThe write of 5D failed (the printer refused it)"),
              std::string::npos)
        << err_.str();
    EXPECT_NE(err_.str().find("  5D  30  (was 30, to be 2A)\n  7D  02  (was 02"), std::string::npos)
        << err_.str();
    printerSetup_ = keep;
    EXPECT_EQ(eepromImage()[0x5D], 0x30);
    EXPECT_EQ(eepromImage()[0x7D], 0x02);
}

#ifndef _WIN32  // FIFOs and /dev/zero
// Whatever is named as the image, nothing is written and the command ends at once with diff's
// "trouble": a folder, a FIFO no one writes to, a device without end.
TEST_F(EepromFileCli, SpecialFilesAreRefusedWithTheirReason) {
    const std::string fifo = (dir_ / "fifo.img").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string file;
        const char* reason;
    };
    const Case cases[] = {
        {dir_.string(), "folder"},
        {fifo, "not a regular file"},
        {"/dev/zero", "not a regular file"},
    };
    for (const Case& c : cases) {
        for (const char* command : {"diff", "restore"}) {
            EXPECT_EQ(run({"eeprom", command, c.file}), 2) << command << " " << c.file;
            EXPECT_TRUE(writes().empty()) << command << " " << c.file;
            EXPECT_NE(err_.str().find(c.reason), std::string::npos) << err_.str();
        }
    }
}
#endif

// An image of another printer rewrites its identity and counters only when asked; its
// adjustment values alone may be restored.
TEST_F(EepromFileCli, AnotherPrintersImageIsRestoredByRegionOrWhenAllowed) {
    ASSERT_EQ(run({"eeprom", "backup", image_}), 0);
    ASSERT_EQ(run({"--no-journal", "eeprom", "write", "5D", "30"}), 0);
    ASSERT_EQ(run({"--no-journal", "eeprom", "write", "C2", "58"}), 0);  // another USB ID
    EXPECT_EQ(run({"eeprom", "restore", image_}), 1);
    EXPECT_TRUE(writes().empty());
    EXPECT_NE(err_.str().find("--other-printer"), std::string::npos) << err_.str();
    ASSERT_EQ(run({"eeprom", "restore", "--region", "adjustment", image_}), 0) << err_.str();
    EXPECT_EQ(writes(), (std::vector<std::pair<int, int>>{{0x5D, 0x2A}}));
    ASSERT_EQ(run({"eeprom", "restore", "--other-printer", image_}), 0) << err_.str();
    EXPECT_EQ(writes(), (std::vector<std::pair<int, int>>{{0xC2, 'K'}}));
}

}  // namespace
}  // namespace veltra::test
