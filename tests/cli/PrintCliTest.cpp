// The print commands end to end, in-process, on the virtual printer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

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

#ifdef VELTRA_CLI_PAPER
// --paper into a folder that holds pages: the new ones follow after the highest number, each
// file written is listed, and no page of an earlier run changes.
TEST_F(PrintCommands, PaperPagesAreListedAndNeverOverwritten) {
    const std::filesystem::path pages = dir_ / "pages";
    const auto contents = [&pages] {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(pages)) {
            std::ifstream in(entry.path(), std::ios::binary);
            files[entry.path().filename().string()] = {std::istreambuf_iterator<char>(in), {}};
        }
        return files;
    };
    const auto listed = [this] {
        std::vector<std::string> names;
        const std::string err = err_.str();
        const std::regex line(R"(Page written: (.*)\n)");
        for (auto m = std::sregex_iterator(err.begin(), err.end(), line);
             m != std::sregex_iterator(); ++m) {
            names.push_back(std::filesystem::path((*m)[1].str()).filename().string());
        }
        return names;
    };
    struct Case {
        std::vector<std::string> command;
        std::vector<std::string> written;
        bool notesEarlierPages;
    };
    const std::vector<Case> cases{
        {{"print", "pf"}, {"page-001.png"}, false},
        {{"print", "pf"}, {"page-002.png"}, true},
        {{"print", "report"},
         {"page-003.png", "page-004.png", "page-005.png", "page-006.png"},
         true},
    };
    std::map<std::string, std::string> before;
    for (const Case& c : cases) {
        std::vector<std::string> args{"--paper", pages.string()};
        args.insert(args.end(), c.command.begin(), c.command.end());
        ASSERT_EQ(run(args), 0) << err_.str();
        EXPECT_EQ(listed(), c.written) << err_.str();
        EXPECT_EQ(err_.str().find("none is overwritten") != std::string::npos, c.notesEarlierPages)
            << err_.str();
        const auto now = contents();
        for (const auto& [name, bytes] : before) {
            ASSERT_EQ(now.count(name), 1u) << name;
            EXPECT_TRUE(now.at(name) == bytes) << name << " changed";
        }
        EXPECT_EQ(now.size(), before.size() + c.written.size());
        before = now;
    }
}
#endif

}  // namespace
}  // namespace veltra
