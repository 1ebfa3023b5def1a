// The Win32 port through its table of system calls: the search by "PortName", the fallbacks,
// the device ID and the transfer time-outs, with a scripted system in place of Windows.
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/Backends.h"
#include "link/Clock.h"
#include "link/Malprinterdriver.h"
#include "link/Status.h"
#include "link/Win32PortBackend.h"

namespace veltra::test {
namespace {

using namespace win32;
using Bytes = std::vector<std::uint8_t>;

// One device interface as the scripted system lists it.
struct FakeInterface {
    FakeInterface(std::string p, std::optional<std::string> name = std::nullopt,
                  bool detail = false, bool key = false)
        : path(std::move(p)), portName(std::move(name)), detailFails(detail), keyFails(key) {}
    std::string path;
    std::optional<std::string> portName;  // nullopt: the value cannot be read
    bool detailFails = false;
    bool keyFails = false;
};

// One overlapped transfer as the scripted system runs it.
struct FakeTransfer {
    Bytes bytes;              // what a read brings, or how much of a write goes (its size)
    bool ends = true;         // ends within the wait; else the wait runs out on the clock
    bool fails = false;       // ends, but the system reports it failed
    std::uint32_t error = 0;  // refused at once with this error (0: starts)
};

// A scripted Windows: device lists per class, files that open, device replies per control code,
// and a record of what was called.
struct FakeSystem {
    ManualClock clock;
    std::deque<FakeTransfer> transfers;  // scripts of the next overlapped transfers
    std::map<Transfer, std::pair<FakeTransfer, std::uint8_t*>> active;
    std::vector<std::uint32_t> waits;  // every wait asked, in ms
    int cancels = 0;
    std::uint32_t error = 0;  // what GetLastError says
    std::vector<bool> openedOverlapped;
    std::vector<FakeInterface> portDriver;  // the port driver's interface class
    std::vector<FakeInterface> usbPrint;    // the system USB printer class
    bool listFails = false;
    std::vector<std::string> openable;       // names CreateFile opens
    std::map<std::uint32_t, Bytes> replies;  // device-ID control code -> reply
    bool takesTimeouts = false;
    std::vector<Bytes> incoming;  // what each ReadFile call returns

    std::vector<std::string> opened;      // every CreateFile asked, in order
    std::vector<std::uint32_t> controls;  // every control code asked
    std::vector<TransferTimeouts> timeoutsSet;
    int openKeys = 0;
    int openLists = 0;
    int openHandles = 0;

    const std::vector<FakeInterface>& listOf(DeviceList list) const {
        return list == 1 ? portDriver : usbPrint;
    }

    Win32Calls calls() {
        Win32Calls c;
        c.listDevices = [this](const Guid& cls) -> DeviceList {
            if (listFails) {
                return 0;
            }
            ++openLists;
            return cls == kPortDriverClass ? 1 : 2;
        };
        c.interfaceAt = [this](DeviceList list, const Guid& cls, std::uint32_t index,
                               DeviceInterface& out) {
            EXPECT_EQ(list == 1, cls == kPortDriverClass);
            const auto& all = listOf(list);
            if (index >= all.size()) {
                return Enumerated::End;
            }
            if (all[index].detailFails) {
                return Enumerated::DetailFailed;
            }
            out.path = all[index].path;
            out.device.devInst = std::uint32_t(list * 100 + index);
            return Enumerated::Ok;
        };
        c.destroyList = [this](DeviceList) { --openLists; };
        c.openDeviceKey = [this](DeviceList list, const DeviceInfo& d) -> RegistryKey {
            const FakeInterface& itf = listOf(list)[d.devInst % 100];
            if (itf.keyFails) {
                error = 5;  // access denied
                return 0;
            }
            ++openKeys;
            return d.devInst + 1;
        };
        c.readString = [this](RegistryKey key, std::string_view name) {
            EXPECT_EQ(name, "PortName");
            return portDriver[(key - 1) % 100].portName;
        };
        c.closeKey = [this](RegistryKey) { --openKeys; };
        c.openFile = [this](const std::string& name, bool overlapped) -> Handle {
            opened.push_back(name);
            openedOverlapped.push_back(overlapped);
            for (const std::string& o : openable) {
                if (o == name) {
                    ++openHandles;
                    return 7;
                }
            }
            error = 2;  // not found
            return 0;
        };
        c.closeHandle = [this](Handle h) {
            EXPECT_EQ(h, 7u);
            --openHandles;
        };
        c.getTimeouts = [this](Handle, TransferTimeouts&) { return takesTimeouts; };
        c.setTimeouts = [this](Handle, const TransferTimeouts& t) {
            timeoutsSet.push_back(t);
            return takesTimeouts;
        };
        c.writeFile = [](Handle, const std::uint8_t*, std::uint32_t n, std::uint32_t& done) {
            done = n;
            return true;
        };
        c.readFile = [this](Handle, std::uint8_t* data, std::uint32_t n, std::uint32_t& done) {
            done = 0;
            if (incoming.empty()) {
                return true;
            }
            Bytes next = incoming.front();
            incoming.erase(incoming.begin());
            EXPECT_LE(next.size(), n);
            std::copy(next.begin(), next.end(), data);
            done = std::uint32_t(next.size());
            return true;
        };
        c.deviceControl = [this](Handle, std::uint32_t code, std::uint8_t* out, std::uint32_t size,
                                 std::uint32_t& returned) {
            controls.push_back(code);
            const auto it = replies.find(code);
            if (it == replies.end()) {
                return false;
            }
            EXPECT_LE(it->second.size(), size);
            std::copy(it->second.begin(), it->second.end(), out);
            returned = std::uint32_t(it->second.size());
            return true;
        };
        // Without a script a write goes out at once and a read finds nothing until its time-out.
        const auto start = [this](std::uint8_t* data, bool writing) -> Transfer {
            FakeTransfer t;
            if (!transfers.empty()) {
                t = transfers.front();
                transfers.pop_front();
            } else if (!writing) {
                t.ends = false;
            } else {
                t.bytes = Bytes(1 << 16, 0);
            }
            if (t.error != 0) {
                error = t.error;
                return 0;
            }
            const Transfer id = active.size() + 100;
            active[id] = {t, writing ? nullptr : data};
            return id;
        };
        c.startWrite = [start](Handle, const std::uint8_t*, std::uint32_t) {
            return start(nullptr, true);
        };
        c.startRead = [start](Handle, std::uint8_t* data, std::uint32_t) {
            return start(data, false);
        };
        c.waitTransfer = [this](Transfer t, std::uint32_t ms) {
            waits.push_back(ms);
            if (active.at(t).first.ends) {
                return true;
            }
            clock.advance(ms);
            return false;
        };
        c.cancelTransfer = [this](Transfer) { ++cancels; };
        c.finishTransfer = [this](Transfer t, std::uint32_t& done) {
            auto [script, data] = active.at(t);
            active.erase(t);
            done = std::uint32_t(script.bytes.size());
            if (data != nullptr) {
                std::copy(script.bytes.begin(), script.bytes.end(), data);
            }
            if (script.fails) {
                error = 31;  // a device attached to the system is not functioning
            }
            return script.ends && !script.fails;
        };
        c.lastError = [this] { return error; };
        c.errorText = [](std::uint32_t code) -> std::string {
            return code == 2 ? "The system cannot find the file specified.\r\n" : "";
        };
        return c;
    }
};

const std::string kDirect1 = "\\\\.\\ZTUSB1:";

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(Win32Port, UsbPortIsFoundByItsPortNameOrByTheFallbacks) {
    struct Case {
        const char* what;
        std::uint16_t code;
        std::vector<FakeInterface> portDriver;
        std::vector<FakeInterface> usbPrint;
        std::vector<std::string> openable;
        std::vector<std::string> expectOpened;  // CreateFile calls, in order; last one holds
        bool opens;
    };
    const std::vector<Case> cases{
        {"name differing in letter case",
         0x501,
         {{"p0", std::string("LPT1:")}, {"p1", std::nullopt}, {"p2", std::string("ztUsb1:")}},
         {},
         {"p2"},
         {"p2"},
         true},
        {"second port, interface whose detail fails is skipped",
         0x502,
         {{"p0", std::string("ZTUSB1:"), true}, {"p1", std::string("ZTUSB2:")}},
         {},
         {"p1"},
         {"p1"},
         true},
        {"a name that only starts alike does not match",
         0x501,
         {{"p0", std::string("ZTUSB10:")}, {"p1", std::string("ZTUSB1")}},
         {},
         {kDirect1},
         {kDirect1},
         true},
        {"no interface at all: the direct name", 0x501, {}, {}, {kDirect1}, {kDirect1}, true},
        {"a match that does not open: the direct name",
         0x501,
         {{"p0", std::string("ZTUSB1:")}},
         {},
         {kDirect1},
         {"p0", kDirect1},
         true},
        {"neither: the n-th interface of the USB printer class",
         0x502,
         {},
         {{"u0", std::nullopt}, {"bad", std::nullopt, true}, {"u1", std::nullopt}},
         {"u1"},
         {"\\\\.\\ZTUSB2:", "u1"},
         true},
        {"nothing anywhere",
         0x503,
         {{"p0", std::string("ZTUSB1:")}},
         {{"u0", std::nullopt}},
         {},
         {"\\\\.\\ZTUSB3:"},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSystem sys;
        sys.portDriver = c.portDriver;
        sys.usbPrint = c.usbPrint;
        sys.openable = c.openable;
        {
            Win32PortBackend port(sys.clock, sys.calls(), c.code);
            EXPECT_EQ(port.open(), c.opens);
            EXPECT_EQ(sys.opened, c.expectOpened);
            EXPECT_EQ(port.openedName(), c.opens ? c.expectOpened.back() : "");
            EXPECT_EQ(sys.openKeys, 0);
            EXPECT_EQ(sys.openLists, 0);
        }
        EXPECT_EQ(sys.openHandles, 0);
    }
}

TEST(Win32Port, FailedKeyOrListEndsTheOpenAtOnceWithMinus105) {
    for (const bool listFails : {false, true}) {
        SCOPED_TRACE(listFails ? "device list" : "device key");
        FakeSystem sys;
        sys.listFails = listFails;
        // The key of the first interface fails, before the one that would match.
        sys.portDriver = {{"p0", std::string("LPT1:"), false, true},
                          {"p1", std::string("ZTUSB1:")}};
        sys.openable = {"p1", kDirect1};
        ManualClock clock;
        StartupChoice choice;
        choice.PortKind = kUsbKind;
        TPPrinterDriver driver(clock, choice, [&sys](std::uint16_t code, const std::string&) {
            return std::make_unique<Win32PortBackend>(sys.clock, sys.calls(), code);
        });
        EXPECT_EQ(driver.OpenPort(0x501), kPortFailure);
        EXPECT_EQ(driver.LastError(), port_error::kOpen);
        EXPECT_TRUE(sys.opened.empty());  // not even the direct name
        EXPECT_EQ(sys.openLists, 0);
    }
}

TEST(Win32Port, DeviceIdByTheDriversRequestWithTheClassRequestBehind) {
    const std::string id = "MFG:ZOLTA;MDL:K55;";
    const Bytes text(id.begin(), id.end());
    Bytes prefixed = Bytes{0x00, 0x14} + text;
    prefixed.resize(24, 0);
    const Bytes nulEnded = text + Bytes{0x00};
    struct Case {
        const char* what;
        std::uint16_t code;
        std::map<std::uint32_t, Bytes> replies;
        std::vector<std::uint32_t> expectAsked;
        Bytes expectId;
    };
    const std::vector<Case> cases{
        {"USB port driver, bare text", 0x501, {{0x221804, text}}, {0x221804}, text},
        {"USB port driver, length first", 0x501, {{0x221804, prefixed}}, {0x221804}, text},
        {"USB printer class behind a silent driver",
         0x501,
         {{0x221804, {}}, {0x220034, prefixed}},
         {0x221804, 0x220034},
         text},
        {"USB printer class behind a refusing driver",
         0x502,
         {{0x220034, prefixed}},
         {0x221804, 0x220034},
         text},
        {"parallel port", 0x402, {{0x11, text}, {0x221804, prefixed}}, {0x11}, text},
        {"system parallel query behind a refusing port driver",
         0x402,
         {{0x16000C, nulEnded}},
         {0x11, 0x16000C},
         text},
        {"system parallel query behind a port driver's unusable ID",
         0x402,
         {{0x11, {'M', 'D', 'L', ':', 0x01}}, {0x16000C, nulEnded}},
         {0x11, 0x16000C},
         text},
        {"nothing at all", 0x501, {}, {0x221804, 0x220034}, {}},
        {"nothing on a parallel port", 0x402, {}, {0x11, 0x16000C}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSystem sys;
        sys.replies = c.replies;
        sys.openable = {"\\\\.\\ZTUSB1:", "\\\\.\\ZTUSB2:", "LPT2"};
        ManualClock clock;
        StartupChoice choice;
        choice.PortKind = std::uint16_t(c.code & 0xFF00);
        TPPrinterDriver driver(clock, choice, [&sys](std::uint16_t code, const std::string&) {
            return std::make_unique<Win32PortBackend>(sys.clock, sys.calls(), code);
        });
        ASSERT_EQ(driver.OpenPort(c.code), kOk);
        if (c.expectId.empty()) {
            EXPECT_EQ(driver.QueryDeviceId(), kPortFailure);
            EXPECT_EQ(driver.LastError(), port_error::kNoDeviceId);
        } else {
            EXPECT_EQ(driver.QueryDeviceId(), kOk);
            EXPECT_EQ(driver.deviceId(), c.expectId);
        }
        EXPECT_EQ(sys.controls, c.expectAsked);
    }
}

TEST(Win32Port, TransfersSetTheirTimeOutsWhereTheHandleTakesThem) {
    FakeSystem sys;
    sys.openable = {"LPT1"};
    sys.takesTimeouts = true;
    Win32PortBackend port(sys.clock, sys.calls(), 0x401);
    ASSERT_TRUE(port.open());
    ASSERT_EQ(sys.timeoutsSet.size(), 1u);
    EXPECT_EQ(sys.timeoutsSet[0], (TransferTimeouts{10, 10, 10000, 10, 10000}));

    const Bytes block(12, 0xAB);
    EXPECT_EQ(port.write(block.data(), block.size(), 10120), 12);
    EXPECT_EQ(sys.timeoutsSet.back().writeConstant, 10120u);
    EXPECT_EQ(sys.timeoutsSet.back().writePerByte, 0u);

    // An exact read goes on through partial reads and stops at the first empty one.
    std::array<std::uint8_t, 8> buf{};
    sys.incoming = {{1, 2}, {3, 4, 5}, {6}};
    EXPECT_EQ(port.read(buf.data(), 6, true, 10060), 6);
    EXPECT_EQ(sys.timeoutsSet.back(), (TransferTimeouts{0, 0, 10060, 10, 10000}));
    EXPECT_EQ(buf[5], 6);
    sys.incoming = {{1, 2}};
    EXPECT_EQ(port.read(buf.data(), 6, true, 10060), 2);
    // One read of what there is, returning on the first byte.
    sys.incoming = {{9}, {8}};
    EXPECT_EQ(port.read(buf.data(), 8, false, 100), 1);
    EXPECT_EQ(sys.timeoutsSet.back(), (TransferTimeouts{0xFFFFFFFF, 0xFFFFFFFF, 100, 10, 10000}));
    // Emptying the port takes what has come, at once: the interval alone at its maximum.
    sys.incoming = {{7}};
    EXPECT_EQ(port.read(buf.data(), 8, false, 0), 1);
    EXPECT_EQ(sys.timeoutsSet.back(), (TransferTimeouts{0xFFFFFFFF, 0, 0, 10, 10000}));
    EXPECT_EQ(sys.openedOverlapped, std::vector<bool>{false});

    // A USB handle takes none: nothing is set, and nothing fails for it.
    FakeSystem usb;
    usb.openable = {kDirect1};
    Win32PortBackend usbPort(usb.clock, usb.calls(), 0x501);
    ASSERT_TRUE(usbPort.open());
    EXPECT_EQ(usbPort.write(block.data(), block.size(), 10120), 12);
    EXPECT_TRUE(usb.timeoutsSet.empty());
    EXPECT_EQ(usb.openedOverlapped, std::vector<bool>{true});
    usbPort.close();
    EXPECT_EQ(usbPort.write(block.data(), block.size(), 10120), -1);
    EXPECT_EQ(usbPort.read(buf.data(), 1, false, 100), -1);
}

// A USB handle takes no time-outs: each transfer is waited for until the deadline and cancelled
// there, keeping what came before; a refused one keeps the system's reason.
TEST(Win32Port, UsbTransfersEndAtTheirTimeOutByCancelling) {
    struct Case {
        const char* what;
        bool write;
        bool exact;
        int timeoutMs;
        std::deque<FakeTransfer> script;
        long expect;
        int cancels;
        std::int64_t elapsedMs;
        std::string reason;
    };
    const std::vector<Case> cases{
        {"read that ends in time", false, false, 100, {{{1, 2, 3}}}, 3, 0, 0, ""},
        {"silent read", false, false, 100, {}, 0, 1, 100, ""},
        {"exact read over two transfers", false, true, 10060, {{{1, 2}}, {{3, 4, 5}}}, 5, 0, 0, ""},
        {"exact read that goes silent",
         false,
         true,
         10060,
         {{{1, 2}}, {{}, false}},
         2,
         1,
         10060,
         ""},
        {"write that never goes out", true, true, 10120, {{{}, false}}, 0, 1, 10120, ""},
        {"read refused at once",
         false,
         false,
         100,
         {{{}, true, false, 1167}},
         -1,
         0,
         0,
         "system error 1167"},
        {"write that fails", true, true, 10120, {{{}, true, true}}, -1, 0, 0, "system error 31"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSystem sys;
        sys.openable = {kDirect1};
        Win32PortBackend port(sys.clock, sys.calls(), 0x501);
        ASSERT_TRUE(port.open());
        sys.transfers = c.script;
        std::array<std::uint8_t, 5> buf{};
        const std::int64_t start = sys.clock.nowMs();
        EXPECT_EQ(c.write ? port.write(buf.data(), buf.size(), c.timeoutMs)
                          : port.read(buf.data(), buf.size(), c.exact, c.timeoutMs),
                  c.expect);
        EXPECT_EQ(sys.cancels, c.cancels);
        EXPECT_EQ(sys.clock.nowMs() - start, c.elapsedMs);
        EXPECT_EQ(port.transferFailure(), c.reason);
        EXPECT_TRUE(sys.active.empty()) << "every transfer started is finished";
        if (!c.write && c.expect > 0) {
            Bytes came;
            for (const FakeTransfer& t : c.script) {
                came.insert(came.end(), t.bytes.begin(), t.bytes.end());
            }
            EXPECT_EQ(Bytes(buf.begin(), buf.begin() + c.expect), came);
        }
    }
}

// Through the port's rules, a silent USB printer ends in the link's time-outs, as on Linux.
TEST(Win32Port, SilentUsbPrinterEndsInTheLinksTimeOuts) {
    FakeSystem sys;
    sys.openable = {kDirect1};
    StartupChoice choice;
    choice.PortKind = kUsbKind;
    TPPrinterDriver driver(sys.clock, choice, [&sys](std::uint16_t code, const std::string&) {
        return std::make_unique<Win32PortBackend>(sys.clock, sys.calls(), code);
    });
    ASSERT_EQ(driver.OpenPort(0x501), kOk);
    sys.transfers = {{{}, false}};
    const std::uint8_t block[4] = {1, 2, 3, 4};
    EXPECT_EQ(driver.WritePort(block, 4), kPortFailure);
    EXPECT_EQ(driver.LastError(), port_error::kWriteTime);
    std::array<std::uint8_t, TPPrinterDriver::kReplyBufferSize> buf{};
    std::int32_t length = 0;
    EXPECT_EQ(driver.ReadPort(buf.data(), buf.size(), length), kPortFailure);
    EXPECT_EQ(driver.LastError(), port_error::kReadTime);
}

TEST(Win32Port, AFailedOpenNamesTheSystemsReason) {
    struct Case {
        const char* what;
        std::uint16_t code;
        std::vector<FakeInterface> portDriver;
        OpenFailure expect;
    };
    const std::string notFound = "The system cannot find the file specified (system error 2)";
    const std::vector<Case> cases{
        {"no parallel port", 0x401, {}, {"LPT1", ENOENT, notFound}},
        {"no USB port anywhere", 0x503, {}, {"\\\\.\\ZTUSB3:", ENOENT, notFound}},
        {"a device key refused",
         0x501,
         {{"p0", std::string("ZTUSB1:"), false, true}},
         {"the device key of p0", EACCES, "system error 5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSystem sys;
        sys.portDriver = c.portDriver;
        StartupChoice choice;
        TPPrinterDriver driver(sys.clock, choice, [&sys](std::uint16_t code, const std::string&) {
            return std::make_unique<Win32PortBackend>(sys.clock, sys.calls(), code);
        });
        EXPECT_EQ(driver.OpenPort(c.code), kPortFailure);
        EXPECT_EQ(driver.openFailure().what, c.expect.what);
        EXPECT_EQ(driver.openFailure().error, c.expect.error);
        EXPECT_EQ(driver.openFailure().reason, c.expect.reason);
    }
}

#ifdef _WIN32
// The real table: a plain file stands in for a port, and a system without the printer gives
// every search an empty list.
TEST(Win32Port, SystemCallsOnAPlainFileAndWithoutAPrinter) {
    SystemClock clock;
    const std::string path =
        (std::filesystem::temp_directory_path() / "veltra-win32-port-test.bin").string();
    std::ofstream(path, std::ios::binary) << "hello";
    {
        Win32PortBackend file(clock, systemCalls(), 0x501, path);
        ASSERT_TRUE(file.open());
        std::array<std::uint8_t, 8> buf{};
        EXPECT_EQ(file.read(buf.data(), 5, true, 1000), 5);
        EXPECT_EQ(buf[4], 'o');
        const Bytes more = {'!', '!'};
        EXPECT_EQ(file.write(more.data(), more.size(), 1000), 2);
        EXPECT_TRUE(file.deviceId().empty());  // a file answers no device-ID request
    }
    std::ifstream back(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(back), {}), "hello!!");
    back.close();
    std::filesystem::remove(path);

    Win32PortBackend none(clock, systemCalls(), 0x503);
    EXPECT_FALSE(none.open());
    Win32PortBackend noParallel(clock, systemCalls(), 0x403);
    EXPECT_FALSE(noParallel.open());
    EXPECT_EQ(noParallel.openFailure().what, "LPT3");
    EXPECT_NE(noParallel.openFailure().reason.find("(system error "), std::string::npos);

    // No Unix stream sockets here: such a port says so instead of giving cable advice.
    auto socket = makeBackendFactory(clock)(0x501, "unix:C:/printer.sock");
    ASSERT_NE(socket, nullptr);
    EXPECT_FALSE(socket->open());
    EXPECT_EQ(socket->openFailure().reason, kNotSupportedHere);
}
#endif

}  // namespace
}  // namespace veltra::test
