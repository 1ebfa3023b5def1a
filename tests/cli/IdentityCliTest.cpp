// The headid and usbid commands end to end, in-process, on the virtual printer.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/CliRun.h"

namespace veltra::cli {
namespace {

namespace fs = std::filesystem;

using IdentityCliTest = test::CliRun;

TEST_F(IdentityCliTest, HeadIdIsUpperCasedStoredAndShown) {
    ASSERT_EQ(run({"headid", "write", "101010101011j"}), 0) << err_.str();
    EXPECT_EQ(out_.str(),
              "13 digits that you typed  \"101010101011J\"  were correctly registered.\n");
    ASSERT_EQ(run({"headid", "read"}), 0) << err_.str();
    EXPECT_EQ(out_.str(), "Head ID = 101010101011J\n");
}

struct RefusedCase {
    std::vector<std::string> args;
    const char* message;
};

TEST_F(IdentityCliTest, FormatErrorsShowTheirMessageAndFail) {
    const RefusedCase cases[] = {
        {{"headid", "write", "101010101011"}, "The number of digit is wrong.\n"},
        {{"headid", "write", "1010101010111J"}, "The number of digit is wrong.\n"},
        {{"headid", "write", "000000000000A"}, "Check ID is invalid.\n"},
        {{"headid", "write", "066000000000+"}, "Second & Third digit is wrong.\n"},
        {{"usbid", "write", "ABCDEFGHIJ0123456"}, "The Number of digit is wrong.\n"},
        {{"usbid", "write", ""}, "The Number of digit is wrong.\n"},
        {{"usbid", "serial", "SN 2345678"}, "Parameter is only number & alphabet.\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.args), 1) << c.args.back();
        EXPECT_EQ(err_.str(), c.message) << c.args.back();
        EXPECT_EQ(out_.str(), "") << c.args.back();
    }
}

// Pair characters other than digits and upper-case letters are refused even where their value
// would pass, and nothing reaches the EEPROM.
TEST_F(IdentityCliTest, HeadIdWithAnotherCharacterInAPairIsRefusedAndWritesNothing) {
    ASSERT_EQ(run({"status"}), 0) << err_.str();
    const auto before = eepromImage();
    EXPECT_EQ(run({"headid", "write", "1(0000000000D"}), 1);
    EXPECT_EQ(err_.str(), "Second & Third digit is wrong.\n");
    EXPECT_EQ(out_.str(), "");
    EXPECT_EQ(eepromImage(), before);
}

TEST_F(IdentityCliTest, InvalidStoredCodesFailOnRead) {
    ASSERT_EQ(run({"eeprom", "write", "AF", "04"}), 0) << err_.str();
    EXPECT_EQ(run({"headid", "read"}), 1);
    EXPECT_EQ(err_.str(), "Head ID is invalid.\n");
    ASSERT_EQ(run({"eeprom", "write", "C5", "2D"}), 0) << err_.str();  // "-"
    EXPECT_EQ(run({"usbid", "read"}), 1);
    EXPECT_EQ(err_.str(), "USB ID is invalid\n");
}

TEST_F(IdentityCliTest, UsbIdAndSerialNumberAreStoredAndShown) {
    ASSERT_EQ(run({"usbid", "write", "abcdefghij0123456z"}), 0) << err_.str();
    EXPECT_EQ(out_.str(), "As USB ID, \"ABCDEFGHIJ0123456Z\" has been registered in EEPROM.\n");
    ASSERT_EQ(run({"usbid", "read"}), 0) << err_.str();
    EXPECT_EQ(out_.str(), "USB ID = ABCDEFGHIJ0123456Z\n");

    clock_.setLocalTime({2002, 7, 15, 9, 5, 0});
    ASSERT_EQ(run({"usbid", "serial", "sn12345678"}), 0) << err_.str();
    // The link start takes a few virtual seconds before the code is formed.
    const std::string shown = out_.str();
    EXPECT_EQ(shown.rfind("As USB ID, \"SN1234567827F95", 0), 0u) << shown;
    ASSERT_EQ(run({"usbid", "read"}), 0) << err_.str();
    EXPECT_EQ(out_.str().rfind("USB ID = SN1234567827F95", 0), 0u) << out_.str();
    EXPECT_EQ(shown.substr(12, 18), out_.str().substr(9, 18));
}

}  // namespace
}  // namespace veltra::cli
