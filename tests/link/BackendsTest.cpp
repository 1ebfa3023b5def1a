// The operating-system backends end to end: a pseudo-terminal standing in for the printer's
// device node behind a fake sysfs/proc tree, and a Unix stream socket; the backend factory and
// the trace file.
#include <fcntl.h>
#include <fnmatch.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "link/Backends.h"
#include "link/FdStream.h"
#include "link/Mald4comm.h"
#include "link/PortTraceFile.h"
#include "tests/link/FakePort.h"
#include "tests/support/TempDir.h"

namespace veltra::test {
namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

// Reads exactly n bytes from fd, waiting at most timeoutMs for each piece; false on time-out.
bool readExact(int fd, Bytes& out, std::size_t n, int timeoutMs = 5000) {
    out.clear();
    while (out.size() < n) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) {
            return false;
        }
        std::uint8_t buf[512];
        const ssize_t r = ::read(fd, buf, std::min(sizeof buf, n - out.size()));
        if (r <= 0) {
            return false;
        }
        out.insert(out.end(), buf, buf + r);
    }
    return true;
}

bool writeAll(int fd, const Bytes& b) {
    std::size_t done = 0;
    while (done < b.size()) {
        const ssize_t r = ::write(fd, b.data() + done, b.size() - done);
        if (r <= 0) {
            return false;
        }
        done += std::size_t(r);
    }
    return true;
}

// The printer's end: for each step reads a request of the expected size, keeps it and writes
// the scripted reply.
class ScriptedDevice {
public:
    ScriptedDevice(int fd, std::vector<std::pair<Bytes, Bytes>> script, Bytes greeting = {})
        : thread_([this, fd, script = std::move(script), greeting = std::move(greeting)] {
              if (!greeting.empty() && !writeAll(fd, greeting)) {
                  return;
              }
              for (const auto& [request, reply] : script) {
                  Bytes got;
                  if (!readExact(fd, got, request.size())) {
                      return;
                  }
                  received.push_back(got);
                  if (!reply.empty() && !writeAll(fd, reply)) {
                      return;
                  }
              }
          }) {}
    ~ScriptedDevice() { join(); }
    void join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    std::vector<Bytes> received;

private:
    std::thread thread_;
};

// A pseudo-terminal left in its default (cooked) mode: the backend must make it raw.
struct Pty {
    Pty() {
        EXPECT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        slaveName = ::ttyname(slave);
    }
    ~Pty() {
        ::close(master);
        ::close(slave);
    }
    int master = -1;
    int slave = -1;
    std::string slaveName;
};

struct FakeRoots {
    FakeRoots() {
        roots.sys = (dir.path() / "sys").string();
        roots.proc = (dir.path() / "proc").string();
        roots.dev = (dir.path() / "dev").string();
        fs::create_directories(dir.path() / "dev" / "usb");
        fs::create_directories(dir.path() / "sys" / "class" / "usbmisc");
    }
    void usbEntry(const std::string& name, const std::string& target, const char* id = nullptr) {
        fs::create_directories(dir.path() / "sys" / "class" / "usbmisc" / name / "device");
        if (id != nullptr) {
            writeFile(dir.path() / "sys" / "class" / "usbmisc" / name / "device" / "ieee1284_id",
                      id);
        }
        if (!target.empty()) {
            fs::create_symlink(target, dir.path() / "dev" / "usb" / name);
        }
    }
    TempDir dir;
    DeviceRoots roots;
};

// A pseudo-terminal standing in for the first parallel port's node, <dev>/lp0.
struct PtyOnLp0 {
    PtyOnLp0() { fs::create_symlink(pty.slaveName, fs::path(f.roots.dev) / "lp0"); }
    FakeRoots f;
    Pty pty;
};

// Driver and transport on the system clock, with the backends of a device tree.
struct TreeLink {
    TreeLink(const DeviceRoots& roots, std::uint16_t portKind)
        : driver(clock, choice, makeBackendFactory(clock, roots)), link(driver, clock, ui) {
        choice.PortKind = portKind;
    }
    SystemClock clock;
    StartupChoice choice;
    RecordingHandler ui;
    TPPrinterDriver driver;
    TPD4Comm link;
};

TEST(LinuxDeviceBackend, UsbPortsFollowSysfsNameOrder) {
    SystemClock clock;
    FakeRoots f;
    for (const char* name : {"lp10", "lp2", "lp0", "lp1", "hiddev0"}) {
        f.usbEntry(name, "");
    }
    EXPECT_EQ(usbPrinterEntries(f.roots.sys),
              (std::vector<std::string>{"lp0", "lp1", "lp2", "lp10"}));
    EXPECT_EQ(LinuxDeviceBackend(clock, f.roots, 0x503).resolvePath(),
              (fs::path(f.roots.dev) / "usb" / "lp2").string());
    EXPECT_EQ(LinuxDeviceBackend(clock, f.roots, 0x401).resolvePath(),
              (fs::path(f.roots.dev) / "lp0").string());
    EXPECT_EQ(LinuxDeviceBackend(clock, f.roots, 0x403).resolvePath(),
              (fs::path(f.roots.dev) / "lp2").string());
    EXPECT_EQ(LinuxDeviceBackend(clock, f.roots, 0x502, "/some/node").resolvePath(), "/some/node");

    FakeRoots empty;
    LinuxDeviceBackend none(clock, empty.roots, 0x501);
    EXPECT_EQ(none.resolvePath(), "");
    EXPECT_FALSE(none.open());
    LinuxDeviceBackend missing(clock, empty.roots, 0x401);  // <dev>/lp0 does not exist
    EXPECT_FALSE(missing.open());
}

TEST(LinuxDeviceBackend, DeviceIds) {
    SystemClock clock;
    FakeRoots f;
    Pty pty;
    f.usbEntry("lp0", pty.slaveName, "MFG:Veltra;MDL:K55;CMD:D4;\n");
    f.usbEntry("lp1", pty.slaveName);  // no attribute: the device-ID request must answer
    f.usbEntry("lp2", pty.slaveName, "MFG:Veltra;\x1bMDL:K55;");  // refused: so is the request
    LinuxDeviceBackend usb0(clock, f.roots, 0x501);
    ASSERT_TRUE(usb0.open());
    EXPECT_EQ(usb0.deviceId(), bytesOf("MFG:Veltra;MDL:K55;CMD:D4;"));
    for (const std::uint16_t code : {std::uint16_t{0x502}, std::uint16_t{0x503}}) {
        LinuxDeviceBackend usb(clock, f.roots, code);
        ASSERT_TRUE(usb.open());
        EXPECT_TRUE(usb.deviceId().empty()) << "a terminal does not answer the printer request";
    }

    const fs::path parport = fs::path(f.roots.proc) / "sys" / "dev" / "parport";
    writeFile(parport / "parport0" / "autoprobe", "CLASS:PRINTER;\nMODEL:K55;\n");
    writeFile(parport / "parport1" / "autoprobe", "");
    writeFile(parport / "parport1" / "autoprobe2", "MFG:ZOLTA;\nMODEL:K45;\n");
    EXPECT_EQ(LinuxDeviceBackend(clock, f.roots, 0x401).deviceId(),
              bytesOf("CLASS:PRINTER;MODEL:K55;"));
    EXPECT_EQ(LinuxDeviceBackend(clock, f.roots, 0x402).deviceId(),
              bytesOf("MFG:ZOLTA;MODEL:K45;"));
    writeFile(parport / "parport2" / "autoprobe", "MODEL:K45;\n");  // too short to name both
    EXPECT_TRUE(LinuxDeviceBackend(clock, f.roots, 0x403).deviceId().empty());
}

TEST(LinuxDeviceBackend, PseudoTerminalCarriesRawBytesWithPollTimeouts) {
    SystemClock clock;
    PtyOnLp0 node;
    const Pty& pty = node.pty;
    LinuxDeviceBackend b(clock, node.f.roots, 0x401);
    ASSERT_TRUE(b.open());

    // Bytes a terminal would translate or act on must pass unchanged both ways.
    const Bytes special{0x0A, 0x0D, 0x03, 0x04, 0x11, 0x13, 0x7F, 0x00, 0x1B, 0xFF};
    ASSERT_EQ(b.write(special.data(), special.size(), 1000), long(special.size()));
    Bytes got;
    ASSERT_TRUE(readExact(pty.master, got, special.size()));
    EXPECT_EQ(got, special);
    ASSERT_TRUE(writeAll(pty.master, special));
    std::array<std::uint8_t, 16> buf{};
    ASSERT_EQ(b.read(buf.data(), special.size(), true, 2000), long(special.size()));
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + long(special.size())), special);

    // Nothing there: an exact read ends with what came when the time-out passes.
    ASSERT_TRUE(writeAll(pty.master, {1, 2}));
    EXPECT_EQ(b.read(buf.data(), 6, true, 100), 2);
    EXPECT_EQ(b.read(buf.data(), 6, false, 50), 0);

    b.close();
    EXPECT_EQ(b.read(buf.data(), 1, false, 10), -1);
    EXPECT_EQ(b.write(buf.data(), 1, 10), -1);
}

// Closing waits on drain(): a node reports itself writable again once what was written has left.
// A FIFO stands in for the node: full, it is not writable until its reader takes the bytes.
TEST(LinuxDeviceBackend, DrainWaitsUntilTheNodeIsWritableAndNoLonger) {
    ManualClock clock;  // the silence bound ends the waits in real time
    const TempDir dir{"veltra-drain"};
    const std::string path = dir.file("node");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    LinuxDeviceBackend b(clock, {}, 0x501, path);
    ASSERT_TRUE(b.open());
    const int reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);

    EXPECT_TRUE(b.drain(2000));  // nothing on its way
    const Bytes lots(std::size_t{1} << 20, 0x55);
    const long written = b.write(lots.data(), lots.size(), 0);
    ASSERT_GT(written, 0);
    ASSERT_LT(written, long(lots.size()));  // the FIFO is full
    EXPECT_FALSE(b.drain(50));

    std::array<std::uint8_t, 4096> buf{};
    long taken = 0;
    for (ssize_t r = 0; (r = ::read(reader, buf.data(), buf.size())) > 0;) {
        taken += r;
    }
    EXPECT_EQ(taken, written);
    EXPECT_TRUE(b.drain(2000));
    b.close();
    EXPECT_TRUE(b.drain(0));  // a closed node has nothing left to send
    ::close(reader);
}

// The time-out is one deadline for the whole read: a reply that trickles in a byte at a time,
// each byte well inside the time-out, must not keep the read alive past it.
TEST(LinuxDeviceBackend, ATricklingReplyEndsTheReadAtItsDeadline) {
    SystemClock clock;
    PtyOnLp0 node;
    LinuxDeviceBackend b(clock, node.f.roots, 0x401);
    ASSERT_TRUE(b.open());
    std::thread trickle([&] {
        for (std::uint8_t i = 0; i < 6; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(120));
            writeAll(node.pty.master, {i});
        }
    });
    std::array<std::uint8_t, 6> buf{};
    const std::int64_t start = clock.nowMs();
    const long got = b.read(buf.data(), buf.size(), true, 300);
    const std::int64_t took = clock.nowMs() - start;
    trickle.join();
    EXPECT_LT(got, 6);
    EXPECT_LT(took, 600) << "the read ran on past its 300 ms";
}

// A terminal whose other side has gone refuses writes with EIO: the driver keeps the system's
// words for it.
TEST(LinuxDeviceBackend, RefusedWriteKeepsTheSystemsReason) {
    PtyOnLp0 node;
    TreeLink r(node.f.roots, kParallelKind);
    ASSERT_EQ(r.driver.OpenPort(0x401), kOk);
    ::close(node.pty.master);
    node.pty.master = -1;
    const std::uint8_t block[3] = {1, 2, 3};
    EXPECT_EQ(r.driver.WritePort(block, sizeof block), kPortFailure);
    EXPECT_EQ(r.driver.LastError(), port_error::kWrite);
    EXPECT_EQ(r.driver.transferFailure(), std::strerror(EIO));
}

// A clock with work of its own gets the thread back between short polls while a read waits,
// and the wait still sees the reply that comes during that work.
class IdlingClock final : public Clock {
public:
    explicit IdlingClock(std::function<void(int calls)> onIdle) : onIdle_(std::move(onIdle)) {}
    void sleepMs(std::int64_t ms) override { real_.sleepMs(ms); }
    std::int64_t nowMs() const override { return real_.nowMs(); }
    LocalTime localTime() const override { return real_.localTime(); }
    int idleIntervalMs() const override { return 5; }
    void idle() override { onIdle_(++calls); }
    int calls = 0;

private:
    SystemClock real_;
    std::function<void(int)> onIdle_;
};

TEST(FdStream, AWaitingReadHandsTheThreadToTheClockUntilItsReply) {
    struct Case {
        int replyAtIdle;  // 0: no reply
        long got;
        int idleCalls;  // the exact count when a reply ends the read, else the least
    };
    const Case cases[] = {{3, 2, 3}, {0, 0, 2}};
    for (const Case& c : cases) {
        int fds[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        IdlingClock clock([&](int calls) {
            if (calls == c.replyAtIdle) {
                writeAll(fds[1], {0x12, 0x34});
            }
        });
        FdStream stream(clock);
        stream.adopt(fds[0], true);
        std::array<std::uint8_t, 2> buf{};
        EXPECT_EQ(stream.read(buf.data(), buf.size(), true, 100), c.got) << c.replyAtIdle;
        if (c.replyAtIdle != 0) {
            EXPECT_EQ(clock.calls, c.idleCalls);
            EXPECT_EQ(buf[1], 0x34);
        } else {
            EXPECT_GE(clock.calls, c.idleCalls);
        }
        ::close(fds[1]);
    }
}

TEST(LinuxDeviceBackend, StartLinkEndToEndOnAParallelPortNode) {
    PtyOnLp0 node;
    writeFile(fs::path(node.f.roots.proc) / "sys" / "dev" / "parport" / "parport0" / "autoprobe",
              "MFG:ZOLTA;\nMODEL:K55;\n");

    const Bytes status = packet(2, bytesOf("@BDC ST2\r\nST:04;IQ:3C3C3C3C3C3C3C;"));
    ScriptedDevice device(node.pty.master,
                          {
                              {kPacketModeEntry, packetModeReply()},
                              {kInitRequest, initReply()},
                              {openRequest(2), openReply(2)},
                              {creditRequest(2, 1), creditReply(2)},
                              {creditRequestRequest(2, 1), creditRequestReply(2, 1)},
                              {Bytes(11, 0), status},
                              {openRequest(0x40), openReply(0x40)},
                          });
    TreeLink r(node.f.roots, kParallelKind);
    ASSERT_EQ(r.driver.OpenPort(0x401), kOk);
    ASSERT_EQ(r.link.StartLink(), kOk)
        << "port " << r.driver.LastError() << " link " << r.link.LastError();
    device.join();
    EXPECT_EQ(r.driver.deviceId(), bytesOf("MFG:ZOLTA;MODEL:K55;"));
    ASSERT_EQ(device.received.size(), 7u);
    EXPECT_EQ(device.received[5], (Bytes{2, 2, 0, 11, 0, 0, 's', 't', 1, 0, 1}));
    EXPECT_EQ(r.link.PrinterState(), printer_state::kReady);
    EXPECT_EQ(r.link.IsChannelOpen(kDataSocket), 1);
}

TEST(LinuxDeviceBackend, UsbPortStatusExchangeEndToEnd) {
    FakeRoots f;
    Pty pty;
    f.usbEntry("lp0", pty.slaveName, "MFG:ZOLTA;MDL:K45;");
    ScriptedDevice device(pty.master, {{openRequest(2), openReply(2)},
                                       {creditRequest(2, 1), creditReply(2)},
                                       {creditRequestRequest(2, 1), creditRequestReply(2, 1)},
                                       {Bytes(11, 0), packet(2, statusText("02", "ER:06;"))}});
    TreeLink r(f.roots, kUsbKind);
    ASSERT_EQ(r.driver.OpenPort(0x501), kOk);
    ASSERT_EQ(r.driver.QueryDeviceId(), kOk);
    EXPECT_EQ(r.driver.deviceId(), bytesOf("MFG:ZOLTA;MDL:K45;"));
    ASSERT_EQ(r.link.OpenChannel(kControlSocket), kOk);
    ASSERT_EQ(r.link.ReadStatus(), kOk);
    EXPECT_EQ(r.link.PrinterError(), printer_error::kPaperOut);
}

// A listening Unix socket in a temporary directory.
struct Listener {
    Listener() {
        path = (dir.path() / "printer.sock").string();
        fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        EXPECT_EQ(::listen(fd, 4), 0);
    }
    ~Listener() { ::close(fd); }
    int accept() { return ::accept(fd, nullptr, nullptr); }
    TempDir dir;
    std::string path;
    int fd = -1;
};

TEST(UnixSocketBackend, GreetingThenRawBytes) {
    SystemClock clock;
    Listener l;
    int conn = -1;
    std::thread server([&] { conn = l.accept(); });
    UnixSocketBackend b(clock, l.path);
    // The greeting is written before the backend connects; the socket queues it.
    std::thread greeter([&] {
        server.join();
        writeAll(conn, deviceIdGreeting("MFG:Veltra;MDL:K55;"));
    });
    ASSERT_TRUE(b.open());
    greeter.join();
    EXPECT_EQ(b.deviceId(), bytesOf("MFG:Veltra;MDL:K55;"));

    const Bytes req{0x00, 0x0A, 0xFF};
    ASSERT_EQ(b.write(req.data(), req.size(), 1000), 3);
    Bytes got;
    ASSERT_TRUE(readExact(conn, got, 3));
    EXPECT_EQ(got, req);

    ASSERT_TRUE(writeAll(conn, {9, 8, 7, 6}));
    std::array<std::uint8_t, 16> buf{};
    // A USB-style read returns what has arrived.
    const long n = b.read(buf.data(), buf.size(), false, 2000);
    ASSERT_GE(n, 1);
    EXPECT_EQ(buf[0], 9);

    ::close(conn);
    conn = -1;
    std::array<std::uint8_t, 16> rest{};
    b.read(rest.data(), rest.size(), false, 100);  // whatever is left of 9 8 7 6
    EXPECT_EQ(b.read(rest.data(), rest.size(), false, 100), 0) << "closed: nothing more";
    b.close();
}

TEST(UnixSocketBackend, OpenFailures) {
    SystemClock clock;
    TempDir dir;
    UnixSocketBackend refused(clock, (dir.path() / "nobody.sock").string());
    EXPECT_FALSE(refused.open());
    EXPECT_FALSE(UnixSocketBackend(clock, "").open());
    EXPECT_FALSE(UnixSocketBackend(clock, std::string(200, 'x')).open());

    struct Case {
        const char* name;
        Bytes greeting;
        bool opens;
        Bytes id;
    };
    const std::vector<Case> cases{
        {"length below its own prefix", {0x00, 0x01}, false, {}},
        {"cut short", {0x00, 0x10, 'M', 'F'}, false, {}},
        {"nothing", {}, false, {}},
        {"empty ID", {0x00, 0x02}, true, {}},
    };
    for (const auto& c : cases) {
        Listener l;
        std::thread server([&] {
            const int conn = l.accept();
            writeAll(conn, c.greeting);
            ::close(conn);
        });
        UnixSocketBackend b(clock, l.path);
        EXPECT_EQ(b.open(), c.opens) << c.name;
        EXPECT_EQ(b.deviceId(), c.id) << c.name;
        server.join();
    }
}

TEST(UnixSocketBackend, DriverAndTransportOverASocket) {
    Listener l;
    std::unique_ptr<ScriptedDevice> device;
    int conn = -1;
    std::thread server([&] {
        conn = l.accept();
        device = std::make_unique<ScriptedDevice>(conn,
                                                  std::vector<std::pair<Bytes, Bytes>>{
                                                      {kPacketModeEntry, packetModeReply()},
                                                      {kInitRequest, initReply(2)},
                                                  },
                                                  deviceIdGreeting("MDL:K55;"));
    });
    ManualClock clock;
    StartupChoice choice;
    RecordingHandler ui;
    PortMap map;
    map.set("ZTUSB2", std::string("unix:") + l.path);
    TPPrinterDriver driver(clock, choice, makeBackendFactory(clock, {}, {}), map);
    TPD4Comm link(driver, clock, ui);
    ASSERT_EQ(driver.OpenPort(0x502), kOk);
    EXPECT_EQ(link.StartLink(), kTransportFailure);
    EXPECT_EQ(link.LastError(), 0x12);
    server.join();
    device->join();
    EXPECT_EQ(device->received.size(), 2u);
    EXPECT_EQ(driver.deviceId(), bytesOf("MDL:K55;"));
    driver.ClosePort();
    ::close(conn);
}

TEST(BackendFactory, ChoosesTheBackendByUri) {
    SystemClock clock;
    FakeRoots f;
    int simMade = 0;
    auto factory = makeBackendFactory(clock, f.roots, [&]() -> std::unique_ptr<PortBackend> {
        ++simMade;
        return std::make_unique<UnixSocketBackend>(clock, "sim-stand-in");
    });
    auto dflt = factory(0x401, "");
    ASSERT_NE(dynamic_cast<LinuxDeviceBackend*>(dflt.get()), nullptr);
    EXPECT_EQ(static_cast<LinuxDeviceBackend*>(dflt.get())->resolvePath(),
              (fs::path(f.roots.dev) / "lp0").string());
    auto path = factory(0x501, "/dev/pts/77");
    ASSERT_NE(dynamic_cast<LinuxDeviceBackend*>(path.get()), nullptr);
    EXPECT_EQ(static_cast<LinuxDeviceBackend*>(path.get())->resolvePath(), "/dev/pts/77");
    EXPECT_NE(dynamic_cast<UnixSocketBackend*>(factory(0x501, "unix:/tmp/x.sock").get()), nullptr);
    EXPECT_NE(factory(0x501, "sim"), nullptr);
    EXPECT_EQ(simMade, 1);

    auto noSim = makeBackendFactory(clock, f.roots, {});
    EXPECT_EQ(noSim(0x501, "sim"), nullptr);
}

// The packaged udev rule picks the USB node of a Veltra printer by its device ID as the USB
// printer driver shows it (which may lack its last two characters), and no other printer's. udev
// matches a value against each of the "|"-separated patterns as fnmatch does.
TEST(UdevRule, MatchesTheNodeOfAVeltraPrinterOnly) {
    std::ifstream in(VELTRA_UDEV_RULE);
    const std::string rule{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_NE(rule.find("TAG+=\"uaccess\""), std::string::npos);
    const std::string key = "ATTRS{ieee1284_id}==\"";
    const std::size_t begin = rule.find(key);
    ASSERT_NE(begin, std::string::npos);
    const std::size_t from = begin + key.size();
    const std::string value = rule.substr(from, rule.find('"', from) - from);
    std::vector<std::string> patterns;
    for (std::size_t at = 0; at <= value.size();) {
        const std::size_t bar = std::min(value.find('|', at), value.size());
        patterns.push_back(value.substr(at, bar - at));
        at = bar + 1;
    }
    const auto matches = [&](const std::string& id) {
        return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& p) {
            return ::fnmatch(p.c_str(), id.c_str(), 0) == 0;
        });
    };
    struct Case {
        const char* id;
        bool match;
    };
    const Case cases[] = {
        {"MFG:ZOLTA;CMD:D4,BDC;MDL:Veltra K55;CLS:PRINTER;DES:ZOLTA Veltra K55;", true},
        {"MFG:ZOLTA;CMD:D4,BDC;MDL:Veltra K45;CLS:PRINTER;DES:ZOLTA Veltra K4", true},
        {"MANUFACTURER:ZOLTA;MODEL:Veltra K45;", true},
        {"MFG:ZOLTA;MDL:Veltra K550;", false},
        {"MFG:ZOLTA;MDL:Veltra K35;", false},
        {"MFG:OTHER;MDL:Photo 55;DES:for Veltra K55;", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matches(c.id), c.match) << c.id;
    }
}

TEST(PortTraceFile, WritesOneLinePerTransfer) {
    TempDir dir;
    const fs::path p = dir.path() / "trace.txt";
    {
        PortTraceFile trace(p.string());
        ASSERT_TRUE(trace.isOpen());
        const std::uint8_t w[] = {0x00, 0x0A, 0xFF, 0x1B};
        trace.record(0, 'W', w, sizeof w);
        trace.record(1234, 'R', w + 2, 1);
        trace.record(1240, 'D', nullptr, 0);
        trace.recordFailure(1250, 'W', "No such device");
    }
    std::ifstream in(p);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(text, "0 W 000aff1b\n1234 R ff\n1240 D \n1250 E W No such device\n");

    PortTraceFile bad((dir.path() / "no" / "such" / "dir" / "t.txt").string());
    EXPECT_FALSE(bad.isOpen());
    const std::uint8_t b = 1;
    bad.record(0, 'W', &b, 1);  // a trace that could not be opened records nothing, safely
}

}  // namespace
}  // namespace veltra::test
