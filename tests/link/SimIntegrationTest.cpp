// The link against the virtual printer: in process through its port backend, and through a
// real "unix:" socket served by the printer in a thread.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "link/Backends.h"
#include "link/Malbid.h"
#include "link/Mald4comm.h"
#include "link/Malfactory.h"
#include "link/Malmaintenance.h"
#include "link/Malremote.h"
#include "sim/SimPortBackend.h"
#ifndef _WIN32
#include "sim/SocketServer.h"
#endif
#include "sim/VirtualPrinter.h"
#include "tests/link/FakePort.h"
#include "tests/support/SimPrinter.h"

namespace veltra::test {
namespace {

namespace fs = std::filesystem;

// The link reaches the printer through the port map's "sim" entry, as the programs do.
struct SimRig : SimPrinter {
    explicit SimRig(std::uint16_t interfaceCode = 0x501)
        : driver(clock, choice, makeBackendFactory(clock, {}, [this] { return openPort(); })),
          link(driver, clock, ui),
          factory(link) {
        choice.PortKind = std::uint16_t(interfaceCode & 0xFF00);
        driver.portMap().setAll(kSimUri);
        link.SetModelCode(kModels[0].code[0], kModels[0].code[1]);
        factory.SetModelCode(kModels[0].code[0], kModels[0].code[1]);
        EXPECT_EQ(driver.OpenPort(interfaceCode), kOk);
    }

    StartupChoice choice;
    RecordingHandler ui;
    TPPrinterDriver driver;
    TPD4Comm link;
    TPFactory factory;
};

TEST(LinkWithVirtualPrinter, StartLinkStatusAndEepromOnBothPortKinds) {
    for (const std::uint16_t code : {std::uint16_t(0x401), std::uint16_t(0x501)}) {
        SimRig r(code);
        r.printer.eeprom()[0x5D] = 0x3F;
        ASSERT_EQ(r.link.StartLink(), kOk) << code << " link " << r.link.LastError();
        EXPECT_EQ(r.link.PrinterState(), printer_state::kReady);
        EXPECT_EQ(r.link.IsChannelOpen(kControlSocket), 1);
        EXPECT_EQ(r.link.IsChannelOpen(kDataSocket), 1);
        EXPECT_TRUE(r.printer.inPacketMode());

        std::uint8_t value = 0;
        ASSERT_EQ(r.link.ReadEepromByte(0x5D, value), kOk);
        EXPECT_EQ(value, 0x3F);
        ASSERT_EQ(r.link.WriteEepromByte(0x5D, 0xA7), kOk);
        EXPECT_EQ(r.printer.eeprom()[0x5D], 0xA7);
        ASSERT_EQ(r.link.ReadEepromByte(0x5D, value), kOk);
        EXPECT_EQ(value, 0xA7);

        r.printer.setState(0x02);
        r.printer.setError(0x06);
        ASSERT_EQ(r.link.ReadStatus(), kOk);
        EXPECT_EQ(r.link.PrinterState(), printer_state::kError);
        EXPECT_EQ(r.link.PrinterError(), printer_error::kPaperOut);
    }
}

TEST(LinkWithVirtualPrinter, ValueClassesAndFactoryRead) {
    SimRig r;
    ASSERT_EQ(r.link.StartLink(), kOk);
    TPMaintenance m(r.link);
    ASSERT_EQ(m.PresetProtectionCounter(), kOk);
    EXPECT_EQ(r.printer.eeprom()[0x02], 0x0F);
    EXPECT_EQ(r.printer.eeprom()[0x03], 0x61);
    std::string text;
    ASSERT_EQ(m.ReadProtectionCounter(text), kOk);
    EXPECT_EQ(text, "3937");

    r.printer.eeprom()[0x75] = 0xFD;
    TPBid bid(r.factory);
    ASSERT_EQ(bid.ReadBidValue(true, 5, text), kOk) << r.link.LastError();
    EXPECT_EQ(text, "-3");
    ASSERT_EQ(bid.WriteBidValue(false, 7, "-12"), kOk);
    ASSERT_EQ(r.link.FlushData(), kOk);
    ASSERT_FALSE(r.printer.factoryCommands().empty());
    const auto& last = r.printer.factoryCommands().back();
    EXPECT_EQ(last.command, 0x00);
    EXPECT_TRUE(last.modelCodeMatched);
    EXPECT_EQ(last.params, (std::vector<std::uint8_t>{0x04, 0xF4, 0xFF, 0x80, 0xFF}));

    TPRemote remote(r.link);
    ASSERT_EQ(remote.EnterRemote(), kOk);
    ASSERT_EQ(remote.RemoteSN(0, 3), kOk);
    ASSERT_EQ(remote.ExitRemote(), kOk);
    EXPECT_EQ(r.printer.hostOverruns(), 0u);
}

TEST(LinkWithVirtualPrinter, RefusedWritesAndErrorPackets) {
    SimRig r;
    ASSERT_EQ(r.link.StartLink(), kOk);
    r.printer.faults().eepromWriteLetter = 'N';
    EXPECT_EQ(r.link.WriteEepromByte(0x10, 1), kTransportFailure);
    EXPECT_EQ(r.link.LastError(), 0x91);
    r.printer.faults().eepromWriteLetter.reset();

    r.printer.faults().errorPacket = 0x84;
    r.printer.faults().errorPacketSocket = kControlSocket;
    std::uint8_t value = 0;
    EXPECT_EQ(r.link.ReadEepromByte(0x10, value), kTransportFailure);
    EXPECT_EQ(r.link.LastError(), 0x84);
    EXPECT_EQ(r.link.IsChannelOpen(kControlSocket), 0);
    r.printer.faults().errorPacket.reset();
    r.printer.faults().errorPacketSocket.reset();
    EXPECT_EQ(r.link.ReadEepromByte(0x10, value), kOk) << r.link.LastError();
    EXPECT_EQ(r.link.IsChannelOpen(kControlSocket), 1);
}

TEST(LinkWithVirtualPrinter, WaitUntilReadyRidesOutPaperOut) {
    SimRig r;
    ASSERT_EQ(r.link.StartLink(), kOk);
    r.printer.setState(0x02);
    r.printer.setError(0x06);
    const std::int64_t loaded = r.clock.nowMs() + 2500;
    r.clock.onAdvance([&](std::int64_t now) {
        if (now >= loaded && r.printer.error()) {
            r.printer.setError(std::nullopt);
            r.printer.setState(0x04);
        }
    });
    EXPECT_EQ(r.link.WaitUntilReady(), kOk);
    EXPECT_GE(r.ui.errors.size(), 2u);
    EXPECT_EQ(r.ui.errors.front(), "Paper out error");
}

// Paper that never comes: the wait shows its box every second without end. The recording
// handler's cap turns that into a failure after 1,000 boxes instead of a run that never ends.
TEST(LinkWithVirtualPrinter, AWaitThatNeverEndsFailsAtTheMessageCap) {
    SimRig r;
    ASSERT_EQ(r.link.StartLink(), kOk);
    r.printer.setState(0x02);
    r.printer.setError(0x06);
    bool flooded = false;
    EXPECT_NONFATAL_FAILURE(
        {
            try {
                r.link.WaitUntilReady();
            } catch (const MessageFlood&) {
                flooded = true;
            }
        },
        "more than 1000 messages");
    EXPECT_TRUE(flooded);
    EXPECT_EQ(r.ui.errors.size(), MessageCap::kLimit);
    EXPECT_EQ(r.ui.errors.back(), "Paper out error");
}

TEST(LinkWithVirtualPrinter, ShutdownOrder) {
    SimRig r;
    ASSERT_EQ(r.link.StartLink(), kOk);
    EXPECT_EQ(r.link.CloseChannel(kDataSocket, 0), kOk);
    EXPECT_EQ(r.link.SendRs(), kOk) << r.link.LastError();
    EXPECT_EQ(r.link.CloseChannel(kControlSocket, 0), kOk);
    EXPECT_EQ(r.link.ExitTransport(), kOk);
    r.driver.ClosePort();
    EXPECT_EQ(r.link.IsChannelOpen(kDataSocket), 0);
    EXPECT_EQ(r.link.IsChannelOpen(kControlSocket), 0);
}

#ifndef _WIN32  // Unix stream sockets
TEST(LinkWithVirtualPrinter, ThroughAUnixSocketServedInAThread) {
    const fs::path dir =
        fs::temp_directory_path() / ("veltra-link-sim-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "printer.sock").string();

    SystemClock clock;  // both ends run in real time on their own threads
    sim::VirtualPrinter printer(clock, 1);
    printer.eeprom()[0x20] = 0x00;
    printer.eeprom()[0x21] = 0x00;
    printer.eeprom()[0x22] = 0x01;
    printer.eeprom()[0x23] = 0x02;
    sim::SocketServer server(printer, path);
    ASSERT_TRUE(server.listen()) << server.error();
    std::thread serving([&] { server.serveOne(); });

    {
        StartupChoice choice;
        choice.PortKind = kUsbKind;
        RecordingHandler ui;
        PortMap map;
        map.set("ZTUSB1", std::string(kUnixUriPrefix) + path);
        TPPrinterDriver driver(clock, choice, makeBackendFactory(clock), map);
        TPD4Comm link(driver, clock, ui);
        link.SetModelCode(kModels[1].code[0], kModels[1].code[1]);
        ASSERT_EQ(driver.OpenPort(0x501), kOk);
        ASSERT_EQ(link.StartLink(), kOk) << driver.LastError() << " " << link.LastError();
        EXPECT_FALSE(driver.deviceId().empty());
        EXPECT_EQ(link.PrinterState(), printer_state::kReady);

        TPMaintenance m(link);
        std::string text;
        ASSERT_EQ(m.ReadPageCounter(text), kOk);
        EXPECT_EQ(text, "258");
        ASSERT_EQ(link.WriteEepromByte(0x7D, 0xFC), kOk);
        std::uint8_t value = 0;
        ASSERT_EQ(link.ReadEepromByte(0x7D, value), kOk);
        EXPECT_EQ(value, 0xFC);
        driver.ClosePort();
    }
    serving.join();
    EXPECT_EQ(printer.eeprom()[0x7D], 0xFC);
    EXPECT_EQ(server.connections(), 1);
    std::error_code ec;
    fs::remove_all(dir, ec);
}

#endif

}  // namespace
}  // namespace veltra::test
