// The command line end to end, in-process, on the virtual printer and a ManualClock.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/CliRun.h"

namespace veltra::cli {
namespace {

using CliTest = test::CliRun;

TEST_F(CliTest, StatusOfAReadyPrinter) {
    EXPECT_EQ(run({"status"}), 0);
    EXPECT_EQ(out_.str(), "Ready to print.\n");
}

TEST_F(CliTest, EepromTableShowsEveryByteUnderItsHeadings) {
    ASSERT_EQ(run({"eeprom", "write", "5d", "3c"}), 0);
    EXPECT_EQ(out_.str(), "Address = 5D\nData = 3C\n");

    ASSERT_EQ(run({"eeprom", "read", "00", "FF"}), 0) << err_.str();
    std::istringstream table(out_.str());
    std::vector<std::string> lines;
    for (std::string line; std::getline(table, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_NE(lines[0].find("Low"), std::string::npos);
    EXPECT_EQ(lines[1].rfind("High", 0), 0u);
    const std::regex row(R"(  [0-9A-F]    ([0-9A-F]{2} ){15}[0-9A-F]{2})");
    for (std::size_t r = 2; r < lines.size(); ++r) {
        EXPECT_TRUE(std::regex_match(lines[r], row)) << lines[r];
    }
    // Row 5, column D holds the byte written above.
    EXPECT_EQ(lines[2 + 5].substr(7 + 3 * 0xD, 2), "3C");
    const std::vector<std::uint8_t> image = eepromImage();
    ASSERT_EQ(image.size(), 256u);
    EXPECT_EQ(image[0x5D], 0x3C);
}

TEST_F(CliTest, PartialTableLeavesOtherCellsEmpty) {
    ASSERT_EQ(run({"eeprom", "read", "5D", "5E"}), 0);
    std::istringstream table(out_.str());
    std::vector<std::string> lines;
    for (std::string line; std::getline(table, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 18u);
    for (int address = 0; address < 256; ++address) {
        const std::string cell =
            lines[std::size_t(2 + address / 16)].substr(std::size_t(7 + 3 * (address % 16)), 2);
        if (address == 0x5D || address == 0x5E) {
            EXPECT_NE(cell, "  ") << address;
        } else {
            EXPECT_EQ(cell, "  ") << address;
        }
    }
}

TEST_F(CliTest, BadInputIsRefusedBeforeTheLink) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases{
        {{"eeprom", "read", "10", "0F"}, "Input data is wrong."},
        {{"eeprom", "read", "1", "FF"}, "Input data is wrong."},
        {{"eeprom", "read", "G0", "FF"}, "Input data is wrong."},
        {{"eeprom", "write", "300", "10"}, "Input data is wrong."},
        {{"pf", "write", "abc"}, "Input data is wrong."},
        {{"pf", "write", "5"}, "Input data is wrong."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.args), 1) << c.args[1];
        EXPECT_NE(err_.str().find(c.message), std::string::npos) << err_.str();
    }
}

TEST_F(CliTest, CountersAndTheirClearing) {
    ASSERT_EQ(run({"counter", "clear", "new"}), 0);
    EXPECT_EQ(out_.str(), "The protection counter has been cleared.\n");
    ASSERT_EQ(run({"counter", "protection"}), 0);
    EXPECT_EQ(out_.str(), "Protection Counter = 3937 points\n");
    ASSERT_EQ(run({"counter", "clear", "old"}), 0);
    ASSERT_EQ(run({"counter", "protection"}), 0);
    EXPECT_EQ(out_.str(), "Protection Counter = 0 points\n");
    ASSERT_EQ(run({"counter", "page"}), 0);
    EXPECT_EQ(out_.str().rfind("Page counter = ", 0), 0u);
}

TEST_F(CliTest, BidValuesAreWrittenAndShown) {
    ASSERT_EQ(run({"bid", "write", "vsd2-color", "-7"}), 0) << err_.str();
    EXPECT_EQ(out_.str(), "As VSD2 Color data, \"-7 has registered in EEPROM.\n");
    EXPECT_EQ(eepromImage()[0x75], 0xF9);
    ASSERT_EQ(run({"bid", "read"}), 0);
    EXPECT_NE(out_.str().find("VSD2 Black value = "), std::string::npos);
    EXPECT_NE(out_.str().find("  VSD2 Color value = -7\n"), std::string::npos);
    // Out of range: nothing is written, the field is named.
    const std::vector<std::uint8_t> before = eepromImage();
    EXPECT_EQ(run({"bid", "write", "eco-black", "61"}), 1);
    EXPECT_NE((out_.str() + err_.str()).find("ECO Black"), std::string::npos);
    EXPECT_EQ(eepromImage(), before);
}

TEST_F(CliTest, PfValueRoundTrip) {
    ASSERT_EQ(run({"pf", "write", "-4"}), 0);
    EXPECT_EQ(out_.str(), "As PF adjustment data, -4 has been registered in EEPROM.\n");
    ASSERT_EQ(run({"pf", "read"}), 0);
    EXPECT_EQ(out_.str(), "PF adjustment value = -4\n");
}

TEST_F(CliTest, PortOverridesAreChecked) {
    EXPECT_EQ(run({"--device", "LPT9=sim", "status"}), 2);
    EXPECT_NE(err_.str().find("PORT=URI"), std::string::npos);
    // A socket nobody listens on cannot be opened.
    const std::string nowhere = "ZTUSB1=unix:" + (dir_ / "nobody.sock").string();
    EXPECT_EQ(run({"--device", nowhere, "status"}), 1);
    EXPECT_EQ(err_.str(), "Cannot open port.\n");
}

TEST_F(CliTest, TraceRecordsEveryTransferInOrder) {
    const std::string trace = (dir_ / "trace.txt").string();
    ASSERT_EQ(run({"--trace", trace, "eeprom", "read", "00", "01"}), 0);
    std::ifstream f(trace);
    std::vector<std::string> lines;
    for (std::string line; std::getline(f, line);) {
        lines.push_back(line);
    }
    ASSERT_GT(lines.size(), 6u);
    const std::regex format(R"((\d+) ([WRD]) ([0-9a-f]+))");
    long previous = 0;
    for (const std::string& line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, format)) << line;
        EXPECT_GE(std::stol(m[1]), previous);
        previous = std::stol(m[1]);
    }
    EXPECT_EQ(lines[0].substr(lines[0].find(' ') + 1, 1), "D");
    // Packet-mode entry, then transport Init, then OpenChannel(2).
    EXPECT_NE(lines[1].find("W 0000001b0140"), std::string::npos);
    EXPECT_NE(lines[3].find("W 000000080100"
                            "0010"),
              std::string::npos);
    EXPECT_NE(lines[5].find("W 000000110100"
                            "010202"),
              std::string::npos);
    // Two "||" reads: ESC-free payload "||" 06 00 after a socket 2 header.
    const auto reads = std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find(" W 0202") != std::string::npos && l.find("7c7c0600") != std::string::npos;
    });
    EXPECT_EQ(reads, 2);
}

TEST_F(CliTest, HelpListsTheCommands) {
    EXPECT_EQ(run({"--help"}), 0);
    for (const char* command : {"status", "eeprom", "counter", "bid", "pf", "clean", "exchange"}) {
        EXPECT_NE(out_.str().find(command), std::string::npos) << command;
    }
}

}  // namespace
}  // namespace veltra::cli
