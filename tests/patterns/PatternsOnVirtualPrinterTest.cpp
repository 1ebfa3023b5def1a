// The print items run against the virtual printer: its own stream parser must take every
// pattern without a malformed packet, an overrun of credit, a raster line running past its band
// or an unknown command.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "link/Malfactory.h"
#include "link/Malremote.h"
#include "patterns/Malcheckpattern.h"
#include "patterns/Malraster.h"
#include "patterns/PrintJobs.h"
#include "sim/EepromImage.h"
#include "sim/FactoryFrame.h"
#include "tests/support/SimLink.h"

namespace veltra {
namespace {

using Kind = sim::PrintCommand::Kind;

struct Printing {
    explicit Printing(int model = 0)
        : sim(model),
          factory(sim.link),
          remote(sim.link),
          raster(sim.link, factory, sim.ui),
          report(raster, sim.link, factory, sim.choice),
          jobs(sim.link, remote, factory, raster, report) {
        const ModelInfo& m = kModels[std::size_t(model)];
        factory.SetModelCode(m.code[0], m.code[1]);
        started = sim.start();
    }

    std::size_t count(Kind kind) const {
        std::size_t n = 0;
        for (const auto& c : sim.printer.printCommands()) {
            n += c.kind == kind ? 1 : 0;
        }
        return n;
    }

    void expectCleanStream(const char* name) const {
        const auto& p = sim.printer;
        EXPECT_EQ(p.malformedPackets(), 0u) << name;
        EXPECT_EQ(p.hostOverruns(), 0u) << name;
        EXPECT_EQ(p.rasterOverflowBytes(), 0u) << name;
        EXPECT_EQ(count(Kind::Unknown), 0u) << name;
        for (const auto& f : p.factoryCommands()) {
            EXPECT_TRUE(f.modelCodeMatched) << name;
            EXPECT_TRUE(f.checkBytesMatched) << name;
        }
    }

    test::SimLink sim;
    TPFactory factory;
    TPRemote remote;
    TPRaster raster;
    TPCheckPattern report;
    PrintJobs jobs;
    Status started = kOk;
};

struct JobCase {
    const char* name;
    std::function<PrintResult(PrintJobs&)> run;
    std::size_t bands;
    std::size_t formFeeds;
};

TEST(PatternsOnVirtualPrinter, EveryPrintItemIsTakenWhole) {
    const JobCase cases[] = {
        {"Bi-D", [](PrintJobs& j) { return j.BidPrint(); }, 4 * 24, 2},
        {"PF", [](PrintJobs& j) { return j.PfPrint(); }, 9 * 4, 1},
        {"top margin", [](PrintJobs& j) { return j.TopMarginPrint(); }, 1, 1},
        {"head angle",
         [](PrintJobs& j) {
             const PrintResult r = j.HeadAnglePrint();
             return r.ok() ? j.EjectPage() : r;
         },
         4, 1},
        {"report", [](PrintJobs& j) { return j.ReportPrint(); }, 194, 4},
    };
    for (const auto& c : cases) {
        Printing p;
        ASSERT_EQ(p.started, kOk) << c.name;
        const PrintResult r = c.run(p.jobs);
        EXPECT_TRUE(r.ok()) << c.name << " status " << r.status;
        EXPECT_EQ(p.count(Kind::RasterBand), c.bands) << c.name;
        EXPECT_EQ(p.count(Kind::FormFeed), c.formFeeds) << c.name;
        EXPECT_EQ(p.sim.link.stagedCount(), 0u) << c.name;
        p.expectCleanStream(c.name);
    }
}

// A PF pattern that stops part-way, once a trial value has been committed, leaves no trial
// value behind: the stored value goes back and is committed, before the failure is returned.
TEST(PatternsOnVirtualPrinter, PfPatternFailingPartWayPutsTheStoredValueBack) {
    Printing p;
    ASSERT_EQ(p.started, kOk);
    auto& printer = p.sim.printer;
    printer.eeprom()[sim::eeprom_addr::kPf] = 0x02;
    int finishes = 0;
    printer.setPrintCommandObserver([&](const sim::PrintCommand& c) {
        // After the second trial's FinishValues the next print data packet draws an Error packet.
        if (c.kind == Kind::Factory &&
            printer.factoryCommands().back().command == sim::factory::kFinishValues &&
            ++finishes == 2) {
            printer.faults().errorPacket = 0x82;
            printer.faults().errorPacketSocket = 0x40;
        }
    });
    const std::size_t before = printer.factoryCommands().size();
    const PrintResult r = p.jobs.PfPrint();
    printer.setPrintCommandObserver(nullptr);
    EXPECT_EQ(r.status, kTransportFailure);
    EXPECT_EQ(r.failedStep, PrintStep::Pattern);
    EXPECT_EQ(printer.eeprom()[sim::eeprom_addr::kPf], 0x02);
    const auto& f = printer.factoryCommands();
    ASSERT_GE(f.size(), before + 2);
    EXPECT_EQ(f[f.size() - 2].command, sim::factory::kSetPfValue);
    EXPECT_EQ(f[f.size() - 2].params, (std::vector<std::uint8_t>{0x02}));
    EXPECT_EQ(f.back().command, sim::factory::kFinishValues);
}

TEST(PatternsOnVirtualPrinter, ReportPrintsTheStoredIdentity) {
    Printing p(1);
    ASSERT_EQ(p.started, kOk);
    ASSERT_TRUE(p.jobs.ReportPrint().ok());
    std::string text;
    for (const auto& c : p.sim.printer.printCommands()) {
        if (c.kind == Kind::Text) {
            text.append(c.bytes.begin(), c.bytes.end());
            text += '\n';
        }
    }
    std::array<char, kUsbIdLength + 1> usb{};
    ASSERT_EQ(UsbIdRead(p.sim.link, usb).status, kOk);
    EXPECT_NE(text.find(usb.data()), std::string::npos);
    EXPECT_NE(text.find("    ******************* Veltra K45"), std::string::npos);
    EXPECT_EQ(text.find("Veltra K55"), std::string::npos);
}

}  // namespace
}  // namespace veltra
