// The print commands end to end, in-process, on the virtual printer.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/support/CliRun.h"

namespace veltra {
namespace {

using PrintCommands = test::CliRun;

TEST_F(PrintCommands, EachPrintShowsItsBusyAndCompletionTexts) {
    const std::pair<const char*, const char*> cases[] = {
        {"bid", "Now Bi-D pattern is printing."},
        {"pf", "Now PF pattern is printing."},
        {"top-margin", "Now top margin line is printing."},
        {"head-angle", "Now head angle pattern is printing."},
        {"report", "Now A4 pattern is printing."},
    };
    for (const auto& [command, busy] : cases) {
        EXPECT_EQ(run({"print", command}), 0) << command << ": " << err_.str();
        EXPECT_EQ(out_.str(), std::string(busy) + "\nCompletion the printing.\n") << command;
    }
}

TEST_F(PrintCommands, ABadStoredUsbIdFailsTheReport) {
    // First run writes the EEPROM file; then one USB ID byte is made a punctuation mark.
    ASSERT_EQ(run({"eeprom", "write", "C4", "2D"}), 0) << err_.str();
    EXPECT_EQ(run({"print", "report"}), 1);
    EXPECT_NE(err_.str().find("USB ID is invalid"), std::string::npos) << err_.str();
    EXPECT_EQ(out_.str().find("Completion the printing."), std::string::npos);
}

TEST_F(PrintCommands, PrintNeedsAnItem) {
    EXPECT_EQ(run({"print"}), 2);
    EXPECT_EQ(run({"print", "nozzle"}), 2);
}

}  // namespace
}  // namespace veltra
