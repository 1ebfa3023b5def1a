// The command line end to end, in-process, on the virtual printer and a ManualClock.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "link/Backends.h"
#ifndef _WIN32
#include "sim/SocketServer.h"
#endif
#include "sim/VirtualPrinter.h"
#include "tests/support/CliRun.h"

namespace veltra::cli {
namespace {

using CliTest = test::CliRun;

TEST_F(CliTest, StatusOfAReadyPrinter) {
    EXPECT_EQ(run({"status"}), 0);
    EXPECT_EQ(out_.str(), "Ready to print.\n");
}

#ifndef VELTRA_CLI_PAPER
// A build without Qt has no page renderer: --paper is answered plainly and no link starts.
TEST_F(CliTest, PaperWithoutTheRendererIsRefusedPlainly) {
    const std::filesystem::path pages = dir_ / "pages";
    EXPECT_EQ(run({"--paper", pages.string(), "status"}), 2);
    EXPECT_EQ(err_.str(), std::string(kNoPaperRenderer) + "\n");
    EXPECT_EQ(out_.str(), "");
    EXPECT_FALSE(std::filesystem::exists(pages));
}
#endif

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

TEST_F(CliTest, PartialTableShowsOnlyTheRowsAskedFor) {
    struct Case {
        std::string start, end;
        int firstRow, lastRow;
    };
    const std::vector<Case> cases{{"5D", "5E", 5, 5}, {"0E", "21", 0, 2}, {"F0", "FF", 15, 15}};
    for (const Case& c : cases) {
        ASSERT_EQ(run({"eeprom", "read", c.start, c.end}), 0) << c.start;
        std::istringstream table(out_.str());
        std::vector<std::string> lines;
        for (std::string line; std::getline(table, line);) {
            lines.push_back(line);
        }
        ASSERT_EQ(lines.size(), std::size_t(2 + c.lastRow - c.firstRow + 1)) << out_.str();
        const long first = std::stol(c.start, nullptr, 16);
        const long last = std::stol(c.end, nullptr, 16);
        for (int row = c.firstRow; row <= c.lastRow; ++row) {
            const std::string& line = lines[std::size_t(2 + row - c.firstRow)];
            EXPECT_EQ(line.substr(2, 1), std::string(1, "0123456789ABCDEF"[row])) << line;
            for (int col = 0; col < 16; ++col) {
                const long address = row * 16 + col;
                const std::string cell = line.substr(std::size_t(7 + 3 * col), 2);
                EXPECT_EQ(cell != "  ", address >= first && address <= last) << address;
            }
        }
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
    // Out of range: refused before the link, on stderr, the field named; nothing is written.
    const std::vector<std::uint8_t> before = eepromImage();
    EXPECT_EQ(run({"bid", "write", "eco-black", "61"}), 2);
    EXPECT_EQ(out_.str(), "");
    EXPECT_NE(err_.str().find("ECO Black"), std::string::npos) << err_.str();
    EXPECT_EQ(eepromImage(), before);
}

// Every field name reaches its own row: its name in the text and its own EEPROM byte.
TEST_F(CliTest, EachBidFieldNameWritesItsOwnRow) {
    const struct {
        const char* field;
        const char* name;
        std::size_t address;
    } fields[] = {
        {"vsd1-black", "VSD1 Black", 0x72}, {"vsd1-color", "VSD1 Color", 0x73},
        {"vsd2-black", "VSD2 Black", 0x74}, {"vsd2-color", "VSD2 Color", 0x75},
        {"vsd3-black", "VSD3 Black", 0x76}, {"vsd3-color", "VSD3 Color", 0x77},
        {"eco-black", "ECO Black", 0x70},   {"eco-color", "ECO Color", 0x71},
    };
    int value = 11;
    for (const auto& f : fields) {
        ++value;
        ASSERT_EQ(run({"bid", "write", f.field, std::to_string(value)}), 0) << err_.str();
        EXPECT_EQ(out_.str(), "As " + std::string(f.name) + " data, \"" + std::to_string(value) +
                                  " has registered in EEPROM.\n");
        EXPECT_EQ(eepromImage().at(f.address), value) << f.field;
    }
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
    const std::string socket = (dir_ / "nobody.sock").string();
    if (!kHaveUnixSockets) {
        // No Unix sockets on this platform: a usage error, before any port is tried.
        EXPECT_EQ(run({"--device", "ZTUSB1=unix:" + socket, "status"}), 2);
        EXPECT_NE(err_.str().find("not supported on this system"), std::string::npos) << err_.str();
        return;
    }
    EXPECT_EQ(run({"--device", "ZTUSB1=unix:" + socket, "status"}), 1);
    EXPECT_EQ(err_.str().rfind("Cannot open port.\nunix:" + socket + ": " + std::strerror(ENOENT) +
                                   ".\nNothing listens on that socket",
                               0),
              0u)
        << err_.str();
}

TEST_F(CliTest, AnOpenFailureSaysWhatToDo) {
    struct Case {
        OpenFailure failure;
        const char* advice;
    };
    const std::vector<Case> cases{
        {{"/dev/usb/lp0", EACCES}, "sudo adduser $USER lp"},
        {{"/dev/lp0", EPERM}, "sudo adduser $USER lp"},
        {{"/dev/usb/lp0", ENODEV}, "switched on"},
        {{"/dev/lp1", ENOENT}, "switched on"},
        {{"/dev/usb/lp0", EBUSY}, "Another program"},
        {{"unix:/tmp/p.sock", ECONNREFUSED}, "start veltra-vprinter"},
    };
    for (const Case& c : cases) {
        const std::string text = openFailureText(c.failure);
        EXPECT_EQ(text.rfind(c.failure.what + ": " + std::strerror(c.failure.error) + ".\n", 0), 0u)
            << text;
        EXPECT_NE(text.find(c.advice), std::string::npos) << text;
    }
    EXPECT_EQ(openFailureText({}), "");
    // The system's own words, where they are not errno's, stand in for strerror's.
    EXPECT_EQ(
        openFailureText({"LPT1", ENOENT,
                         "The system cannot find the file specified (system "
                         "error 2)"})
            .rfind("LPT1: The system cannot find the file specified (system error 2).\nCheck", 0),
        0u);
}

TEST_F(CliTest, GlobalOptionsStandAfterTheCommand) {
    // Without --yes the empty input would answer the exchange's question with no.
    EXPECT_EQ(run({"exchange", "--yes"}), 0) << err_.str();
    EXPECT_EQ(run({"eeprom", "write", "5D", "2A", "--model", "K45", "--json"}), 0);
    const auto doc = nlohmann::json::parse(out_.str());
    EXPECT_EQ(doc["command"], "eeprom write");
    EXPECT_EQ(doc["status"], "Address = 5D\nData = 2A");
}

TEST_F(CliTest, TopMarginOffersTheWindowsLabelsAndWritesOnlyThose) {
    struct Case {
        std::uint8_t stored;
        const char* label;
        int rc;
        std::uint8_t after;  // the byte at 0x5D afterwards
    };
    const std::vector<Case> cases{
        {42, "+1", 0, 56}, {14, "0", 0, 14},   {14, "+4", 0, 70},   {85, "-1", 0, 70},
        {85, "-5", 0, 14}, {120, "0", 0, 120}, {162, "-1", 0, 148}, {92, "+2", 0, 120},
        {42, "+3", 1, 42}, {85, "0", 1, 85},   {43, "0", 1, 43},
    };
    for (const Case& c : cases) {
        char stored[3];
        std::snprintf(stored, sizeof stored, "%02X", c.stored);
        ASSERT_EQ(run({"eeprom", "write", "5D", stored}), 0);
        EXPECT_EQ(run({"--model", "K55", "top-margin", "write", c.label}), c.rc)
            << int(c.stored) << ' ' << c.label << err_.str();
        EXPECT_EQ(eepromImage()[0x5D], c.after) << int(c.stored) << ' ' << c.label;
        if (c.rc == 0) {
            EXPECT_EQ(out_.str(),
                      std::string("As top margin value, ") + c.label + " has been registered.\n");
        } else {
            EXPECT_EQ(err_.str().rfind("Input data is wrong.\n", 0), 0u) << err_.str();
        }
    }

    ASSERT_EQ(run({"eeprom", "write", "5D", "38"}), 0);
    ASSERT_EQ(run({"top-margin", "read"}), 0);
    EXPECT_EQ(out_.str(), "Top margin value = 56\nValues offered: -3 -2 -1 0 +1\n");
    ASSERT_EQ(run({"top-margin", "read", "--json"}), 0);
    const auto doc = nlohmann::json::parse(out_.str());
    EXPECT_EQ(doc["series"], "low");
    EXPECT_EQ(doc["labels"], nlohmann::json::parse(R"(["-3", "-2", "-1", "0", "+1"])"));
}

TEST_F(CliTest, CrMotorDriveDispersionPaths) {
    // A question answered no writes nothing.
    ASSERT_EQ(run({"eeprom", "write", "79", "55"}), 0);
    EXPECT_EQ(run({"crmotor", "fixed"}, "n\n"), 1);
    EXPECT_NE(err_.str().find("Nothing was sent."), std::string::npos);
    EXPECT_EQ(eepromImage()[0x79], 0x55);

    EXPECT_EQ(run({"crmotor", "fixed", "--yes"}), 0) << err_.str();
    EXPECT_EQ(out_.str(),
              "Now, a value for the CR motor drive dispersion is writing.\n"
              "A value for the CR motor drive dispersion has successfully registered.\n");
    EXPECT_EQ(eepromImage()[0x79], 0x19);

    // The measurement writes a value within +-45 or one of the out-of-range marks, and a
    // terminal sees its waits pass.
    ASSERT_EQ(run({"eeprom", "write", "79", "55"}), 0);
    progress_ = true;
    EXPECT_EQ(run({"crmotor", "measure", "--yes"}), 0) << err_.str();
    EXPECT_EQ(out_.str().rfind("Now, CR motor drive dispersion measurement sequence is running.\n"
                               "A value for the CR motor drive dispersion has successfully "
                               "registered.\n",
                               0),
              0u)
        << out_.str();
    const auto value = std::int8_t(eepromImage()[0x79]);
    EXPECT_TRUE((value >= -45 && value <= 45) || value == 120 || value == -120) << int(value);
    const std::string marks = err_.str();
    EXPECT_GE(std::count(marks.begin(), marks.end(), '.'), 31) << marks;
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
    for (const char* command : {"status", "eeprom read START END", "counter", "bid", "pf", "clean",
                                "exchange", "top-margin write LABEL", "crmotor measure"}) {
        EXPECT_NE(out_.str().find(command), std::string::npos) << command;
    }
}

#ifndef _WIN32
// A printer served on a Unix socket, as veltra-vprinter serves it; the command line reaches it
// with --device ZTUSB1=unix:PATH.
class ServedPrinterTest : public test::CliRun {
protected:
    void serve() {
        path_ = (dir_ / "printer.sock").string();
        server_ = std::make_unique<sim::SocketServer>(printer_, path_);
        ASSERT_TRUE(server_->listen()) << server_->error();
        served_ = std::async(std::launch::async, [this] { return server_->serveOne(); });
    }
    void TearDown() override {
        if (server_) {
            server_->stop();
        }
        if (served_.valid()) {
            served_.wait();
        }
        test::CliRun::TearDown();
    }
    int runServed(std::vector<std::string> args) {
        std::vector<std::string> all{"--device", "ZTUSB1=unix:" + path_, "--port", "ZTUSB1"};
        all.insert(all.end(), args.begin(), args.end());
        return run(all);
    }

    ManualClock printerClock_;
    sim::VirtualPrinter printer_{printerClock_, 0};
    std::string path_;
    std::unique_ptr<sim::SocketServer> server_;
    std::future<bool> served_;
};

TEST_F(ServedPrinterTest, ExchangeOverALinkThatDropsFailsWithoutTheCompletionText) {
    printer_.faults().dropAfterPackets = 60;  // the start, the ready wait and a few steps
    serve();
    // Without the journal, whose reads before the first step would otherwise take the packets.
    EXPECT_EQ(runServed({"--yes", "--no-journal", "exchange"}), 1);
    served_.wait();
    EXPECT_EQ(out_.str().find("Transportion Liquid Exchange is completed."), std::string::npos)
        << out_.str();
    EXPECT_EQ(out_.str().find("Turn off the printer"), std::string::npos);
    EXPECT_NE((out_.str() + err_.str()).find("did not reach the printer"), std::string::npos)
        << out_.str() << err_.str();
}

TEST_F(ServedPrinterTest, UsbIdWrittenWhileThePrinterReportsInkOutIsRegistered) {
    printer_.setState(0x00);
    printer_.setError(0x05);
    serve();
    EXPECT_EQ(runServed({"usbid", "write", "ABCDEFGHIJ12345678"}), 0) << err_.str();
    served_.wait();
    EXPECT_NE(out_.str().find("As USB ID, \"ABCDEFGHIJ12345678\" has been registered in EEPROM."),
              std::string::npos)
        << out_.str() << err_.str();
    const auto& e = printer_.eeprom();
    EXPECT_EQ(std::string(e.begin() + 0xC2, e.begin() + 0xD4), "ABCDEFGHIJ12345678");
}
#endif  // Unix sockets

}  // namespace
}  // namespace veltra::cli
