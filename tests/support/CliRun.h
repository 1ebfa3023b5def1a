#pragma once
// A test fixture that runs veltra-adjust-cli in-process on its built-in virtual printer and a
// ManualClock. The printer keeps its EEPROM in a file of the test's own temporary folder, so
// successive commands of one test see one printer, as successive runs of the program do.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "link/Clock.h"
#include "link/EepromImageFile.h"
#include "link/StopRequest.h"
#include "sim/VirtualPrinter.h"

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

    // Runs one command (after --simulate --sim-eeprom FILE --journal-dir DIR); input answers its
    // questions.
    int run(std::vector<std::string> args, const std::string& input = {}) {
        std::vector<std::string> all{"veltra-adjust-cli", "--simulate", "--sim-eeprom", eeprom_,
                                     "--journal-dir",     journalDir()};
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
        cli.setPrinterSetup(printerSetup_);
        cli.setStopRequest(stop_);
        return cli.run(int(argv.size()), argv.data());
    }

    // The change journal's folder: inside the test's own folder, never the real one.
    std::string journalDir() const { return (dir_ / "journal").string(); }

    // The virtual printer's EEPROM as the last command left it (empty when the file is no
    // image).
    std::vector<std::uint8_t> eepromImage() const {
        const auto text = readTextFile(eeprom_);
        const EepromImageRead read = parseEepromImageFile(text.value_or(""));
        if (!read.ok()) {
            ADD_FAILURE() << eeprom_ << ": " << read.error;
            return {};
        }
        return {read.image->bytes.begin(), read.image->bytes.end()};
    }

    std::function<void(sim::VirtualPrinter&)> printerSetup_;  // for the next runs
    const StopRequest* stop_ = nullptr;                       // for the next runs
    ManualClock clock_;
    bool progress_ = false;  // the progress dots a terminal gets
    std::ostringstream out_;
    std::ostringstream err_;
    std::filesystem::path dir_;
    std::string eeprom_;
};

}  // namespace veltra::test
