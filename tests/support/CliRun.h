#pragma once
// A test fixture that runs veltra-adjust-cli in-process on its built-in virtual printer and a
// ManualClock. The printer keeps its EEPROM in a file of the test's own temporary folder, so
// successive commands of one test see one printer, as successive runs of the program do.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "link/Clock.h"

namespace veltra::test {

class CliRun : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("veltra-cli-") + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        eeprom_ = (dir_ / "printer.eeprom").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Runs one command (after --simulate --sim-eeprom FILE); input answers its questions.
    int run(std::vector<std::string> args, const std::string& input = {}) {
        std::vector<std::string> all{"veltra-adjust-cli", "--simulate", "--sim-eeprom", eeprom_};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<const char*> argv;
        for (const std::string& a : all) {
            argv.push_back(a.c_str());
        }
        out_.str({});
        err_.str({});
        std::istringstream in(input);
        cli::CliApp cli(clock_, out_, err_, in);
        cli.setShowProgress(progress_);
        return cli.run(int(argv.size()), argv.data());
    }

    // The virtual printer's EEPROM as the last command left it.
    std::vector<std::uint8_t> eepromImage() const {
        std::ifstream f(eeprom_, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    }

    ManualClock clock_;
    bool progress_ = false;  // the progress dots a terminal gets
    std::ostringstream out_;
    std::ostringstream err_;
    std::filesystem::path dir_;
    std::string eeprom_;
};

}  // namespace veltra::test
