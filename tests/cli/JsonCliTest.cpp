// --json as data: every read command against the printer's bytes, the bytes each write reports
// against what the printer then holds, each failure's own result, and the usage errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <tuple>
#include <vector>

#include "link/EepromAddresses.h"
#include "link/Malbid.h"
#include "procedures/Adjustment.h"
#include "tests/support/CliRun.h"

namespace veltra::test {
namespace {

using Json = nlohmann::json;
using Image = std::vector<std::uint8_t>;

class JsonCli : public CliRun {
protected:
    // Runs with --json; the document on stdout, parsed (a failed test when it is not one).
    Json runJson(std::vector<std::string> args, int expectedExit) {
        args.insert(args.begin(), "--json");
        EXPECT_EQ(run(args), expectedExit) << args[1] << ' ' << err_.str() << out_.str();
        Json doc = Json::parse(out_.str(), nullptr, false);
        EXPECT_FALSE(doc.is_discarded()) << out_.str();
        EXPECT_EQ(doc.is_object() && doc.contains("exit") ? doc["exit"].value("code", -1) : -1,
                  expectedExit)
            << out_.str();
        return doc;
    }
};

// Distinct bytes wherever a read command looks: a value taken from a neighbouring address, with
// the wrong sign or byte order, cannot pass.
void distinctBytes(sim::VirtualPrinter& p) {
    auto& e = p.eeprom();
    const std::vector<std::pair<std::uint8_t, std::vector<std::uint8_t>>> runs{
        {eeprom_address::kProtectionCounter, {0x12, 0x34}},
        {eeprom_address::kPageCounter, {0x80, 0x00, 0x01, 0x02}},
        {eeprom_address::kPrintPassCounter, {0x00, 0x01, 0x02, 0x03}},
        {eeprom_address::kBidVsd1, {0xF9, 0xFA, 0x01, 0x02, 0x03, 0x04, 0x05, 0xC4}},
        {kPfAddress, {0xFD}},
        {kTopMarginAddress, {0x38}},
    };
    for (const auto& [first, bytes] : runs) {
        std::copy(bytes.begin(), bytes.end(), e.begin() + first);
    }
    const std::string usbId = "ABCDEFGHIJ0123456Z";
    std::copy(usbId.begin(), usbId.end(), e.begin() + eeprom_address::kUsbId);
}

std::int64_t bigEndian(const Image& e, std::uint8_t first, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
        v = (v << 8) | e[std::size_t(first + i)];
    }
    return n == 4 ? std::int64_t(std::int32_t(v)) : std::int64_t(v);
}

TEST_F(JsonCli, EveryReadCommandGivesThePrintersBytes) {
    printerSetup_ = distinctBytes;
    ASSERT_EQ(run({"headid", "write", "101010101011J"}), 0) << err_.str();
    struct Case {
        std::vector<std::string> args;
        std::function<void(Json, const Image&)> check;
    };
    const std::vector<Case> cases{
        {{"status"}, [](Json d, const Image&) { EXPECT_EQ(d["printer"]["state"], "ready"); }},
        {{"eeprom", "read", "6e", "78"},
         [](Json d, const Image& e) {
             EXPECT_EQ(d["start"], 0x6E);
             EXPECT_EQ(d["end"], 0x78);
             ASSERT_EQ(d["data"].size(), 11u);
             ASSERT_EQ(d["read"].size(), 11u);
             for (std::size_t i = 0; i < 11; ++i) {
                 EXPECT_EQ(d["data"][i], e[0x6E + i]) << i;
                 EXPECT_EQ(d["read"][i]["address"], 0x6E + i);
                 EXPECT_EQ(d["read"][i]["value"], e[0x6E + i]);
             }
         }},
        {{"counter", "protection"},
         [](Json d, const Image& e) {
             EXPECT_EQ(d["value"], bigEndian(e, eeprom_address::kProtectionCounter, 2));
         }},
        {{"counter", "page"},
         [](Json d, const Image& e) {
             EXPECT_EQ(d["value"], bigEndian(e, eeprom_address::kPageCounter, 4));
         }},
        {{"counter", "passes"},
         [](Json d, const Image& e) {
             EXPECT_EQ(d["value"], bigEndian(e, eeprom_address::kPrintPassCounter, 4));
         }},
        {{"bid", "read"},
         [](Json d, const Image& e) {
             ASSERT_EQ(d["values"].size(), kBidRows.size());
             for (const BidRow& row : kBidRows) {
                 const std::uint8_t address = TPBid::Address(row.colour, row.kind);
                 EXPECT_EQ(d["values"][std::string(row.key)], std::int8_t(e[address])) << row.key;
             }
         }},
        {{"pf", "read"},
         [](Json d, const Image& e) {
             EXPECT_EQ(d["value"], std::int8_t(e[kPfAddress]));
             EXPECT_EQ(d["read"],
                       Json::parse(R"([{"address": )" + std::to_string(kPfAddress) +
                                   R"(, "value": )" + std::to_string(e[kPfAddress]) + "}]"));
         }},
        {{"top-margin", "read"},
         [](Json d, const Image& e) {
             EXPECT_EQ(d["value"], e[kTopMarginAddress]);
             EXPECT_EQ(d["labels"].size(), 5u);
             EXPECT_FALSE(d["status"].get<std::string>().empty());
         }},
        {{"usbid", "read"},
         [](Json d, const Image& e) {
             EXPECT_EQ(d["value"], std::string(e.begin() + eeprom_address::kUsbId,
                                               e.begin() + eeprom_address::kUsbId + 18));
         }},
        {{"headid", "read"}, [](Json d, const Image&) { EXPECT_EQ(d["value"], "101010101011J"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : ""));
        Json doc = runJson(c.args, 0);
        EXPECT_EQ(doc["ok"], true);
        EXPECT_EQ(doc["result"], "ok");
        EXPECT_FALSE(doc["status"].get<std::string>().empty());
        c.check(doc, eepromImage());
    }
}

TEST_F(JsonCli, EachWriteReportsTheBytesThePrinterThenHolds) {
    struct Case {
        std::vector<std::string> args;
        std::vector<std::uint8_t> addresses;  // where the write reports bytes, in order
    };
    printerSetup_ = distinctBytes;  // the values before each write
    const Image before = (run({"status"}), eepromImage());
    const std::vector<Case> cases{
        {{"eeprom", "write", "5d", "2b"}, {0x5D}},
        {{"pf", "write", "-2"}, {kPfAddress}},
        {{"bid", "write", "vsd2-color", "-7"}, {TPBid::Address(true, 5)}},
        {{"counter", "clear", "new"},
         {eeprom_address::kProtectionCounter, eeprom_address::kProtectionCounterLow}},
        {{"top-margin", "write", "+1"}, {kTopMarginAddress}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        Json doc = runJson(c.args, 0);
        const Image after = eepromImage();
        ASSERT_EQ(doc["written"].size(), c.addresses.size()) << doc.dump();
        bool changed = false;
        for (std::size_t i = 0; i < c.addresses.size(); ++i) {
            const std::uint8_t address = c.addresses[i];
            EXPECT_EQ(doc["written"][i]["address"], address);
            EXPECT_EQ(doc["written"][i]["value"], after[address]);
            changed = changed || before[address] != after[address];
        }
        // The written value is the new one, not what was there.
        EXPECT_TRUE(changed) << doc.dump();
    }
}

// Each way a command fails has its own result, code and words, with the exit's meaning.
TEST_F(JsonCli, FailuresCarryTheirOwnResult) {
    struct Case {
        std::function<void()> arrange;
        std::vector<std::string> args;
        const char* result;
        const char* error;  // the start of the failure's words
    };
    const std::vector<Case> cases{
        {[this] {
             ASSERT_EQ(run({"eeprom", "write", "5D", "2A"}), 0);
         },
         {"top-margin", "write", "+3"},
         "input-refused",
         "Input data is wrong."},
        {[this] { std::ofstream(journalDir()) << "a file, not a folder"; },
         {"eeprom", "write", "5D", "30"},
         "journal-failed",
         "The change journal cannot be written"},
        {[this] {
             ASSERT_EQ(run({"eeprom", "write", "AF", "04"}), 0);
         },
         {"headid", "read"},
         "head-id-format",
         "Head ID is invalid."},
    };
    std::vector<int> codes;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        std::filesystem::remove_all(journalDir());
        c.arrange();
        Json doc = runJson(c.args, 1);
        EXPECT_EQ(doc["ok"], false);
        EXPECT_EQ(doc["exit"]["meaning"], "failure");
        EXPECT_EQ(doc["result"], c.result);
        EXPECT_EQ(doc["error"].get<std::string>().rfind(c.error, 0), 0u) << doc.dump();
        EXPECT_FALSE(doc.contains("written")) << doc.dump();
        codes.push_back(doc["resultCode"]);
    }
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(std::adjacent_find(codes.begin(), codes.end()), codes.end());
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 1), 0);

    // A printer in its error state: the read succeeds and names the state, the command fails.
    const std::vector<std::tuple<std::uint8_t, const char*, Json>> errors{
        {0x04, "paper-jam", nullptr}, {0x06, "paper-out", nullptr}, {0x7E, "unknown", 0x7E}};
    for (const auto& [code, name, raw] : errors) {
        printerSetup_ = [code = code](sim::VirtualPrinter& p) {
            p.setState(0x00);
            p.setError(code);
        };
        Json doc = runJson({"status"}, 1);
        EXPECT_EQ(doc["result"], "ok");
        EXPECT_EQ(doc["printer"]["state"], "error");
        EXPECT_EQ(doc["printer"]["error"], name);
        EXPECT_EQ(doc["printer"]["errorCode"], raw);
    }
}

// Usage errors: exit 2, the reason and the allowed values on stderr, a JSON error with --json,
// and no link started (the virtual printer never made, so its EEPROM file never written).
TEST_F(JsonCli, UsageErrorsAreRefusedBeforeTheLink) {
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    std::vector<Case> cases{
        {{"nosuchcommand"}, "Unknown command \"nosuchcommand\""},
        {{"eeprom", "nosuch"}, "Unknown command \"eeprom nosuch\"; the commands of eeprom are: "},
        {{"eeprom"}, "\"eeprom\" needs one of its commands: read, write"},
        {{"--model", "K45"}, "A command is required: status, eeprom"},
        {{"eeprom", "read", "10", "0F"}, "END: an address from START (10) to FF, not 0F"},
        {{"eeprom", "read", "1", "FF"}, "two hexadecimal digits 00-FF, not \"1\""},
        {{"eeprom", "write", "5D", "G0"}, "two hexadecimal digits 00-FF, not \"G0\""},
        {{"eeprom", "history", "abc"}, "a whole number 1 or more, not \"abc\""},
        {{"pf", "write", "5"}, "a whole number from -4 to 4, not \"5\""},
        {{"pf", "write", "abc"}, "a whole number from -4 to 4"},
        {{"bid", "write", "vsd1-black", "61"}, "VSD1 Black"},
        {{"bid", "write", "eco-color", "x"}, "ECO Color"},
        {{"top-margin", "write", "1"}, "LABEL"},
        {{"--device", "LPT9=sim", "status"}, "--device takes PORT=URI"},
    };
#ifdef VELTRA_CLI_PAPER
    cases.push_back({{"--paper", dir_.string(), "--pf-error", "99", "status"}, "--pf-error"});
    cases.push_back(
        {{"--paper", dir_.string(), "--bid-error", "VSD9:K:1", "status"}, "--bid-error"});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        EXPECT_EQ(run(c.args), 2);
        EXPECT_EQ(out_.str(), "");
        EXPECT_NE(err_.str().find(c.says), std::string::npos) << err_.str();
        EXPECT_LT(err_.str().size(), 300u) << err_.str();

        Json doc = runJson(c.args, 2);
        EXPECT_EQ(doc["ok"], false);
        EXPECT_EQ(doc["exit"]["meaning"], "usage error");
        EXPECT_EQ(doc["result"], "usage-error");
        EXPECT_NE(doc["error"].get<std::string>().find(c.says), std::string::npos) << doc.dump();
        EXPECT_FALSE(std::filesystem::exists(eeprom_));
    }
}

}  // namespace
}  // namespace veltra::test
