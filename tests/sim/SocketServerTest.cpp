// The socket server: greeting, raw bytes both ways, the dropped line, stop().
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>
#include <utility>

#include "SimTestUtil.h"
#include "sim/SocketServer.h"
#include "tests/support/TempDir.h"

namespace veltra::sim::test {
namespace {

class Client {
public:
    explicit Client(const std::string& path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        timeval tv{5, 0};  // a broken server fails the test instead of hanging it
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~Client() { close(); }
    void close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    bool connected() const { return connected_; }
    void send(const Bytes& b) { ASSERT_EQ(::send(fd_, b.data(), b.size(), 0), long(b.size())); }
    // Reads exactly n bytes; fewer when the server closed or went silent.
    Bytes receive(std::size_t n) {
        Bytes out(n);
        std::size_t got = 0;
        while (got < n) {
            const ssize_t r = ::recv(fd_, out.data() + got, n - got, 0);
            if (r <= 0) {
                break;
            }
            got += std::size_t(r);
        }
        out.resize(got);
        return out;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
};

class SocketServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.listen()) << server.error(); }
    void TearDown() override {
        server.stop();
        if (served.valid()) {
            served.wait();
        }
    }
    void serveInBackground() {
        served = std::async(std::launch::async, [this] { return server.serveOne(); });
    }

    ManualClock clock;
    VirtualPrinter printer{clock, 0};
    veltra::test::TempDir dir{"veltra-sim-server"};
    std::string path = dir.file("printer.sock");
    SocketServer server{printer, path};
    std::future<bool> served;
};

TEST(SocketServerGreeting, LengthCountsItsOwnTwoBytes) {
    EXPECT_EQ(SocketServer::greeting("MDL:X;"), std::string("\x00\x08MDL:X;", 8));
}

TEST_F(SocketServerTest, GreetsThenCarriesPacketsBothWays) {
    Bytes logged;
    server.received = [&](const std::uint8_t* data, std::size_t n) {
        logged.insert(logged.end(), data, data + n);
    };
    serveInBackground();
    Client c(path);
    ASSERT_TRUE(c.connected());
    const std::string id = printer.deviceId();
    const Bytes hello = c.receive(2 + id.size());
    ASSERT_EQ(hello.size(), 2 + id.size());
    EXPECT_EQ((hello[0] << 8) | hello[1], int(id.size() + 2));
    EXPECT_EQ(std::string(hello.begin() + 2, hello.end()), id);
    // The entry sent in two pieces still gets its one reply.
    const Bytes entry = entryPacket();
    c.send(Bytes(entry.begin(), entry.begin() + 10));
    c.send(Bytes(entry.begin() + 10, entry.end()));
    EXPECT_EQ(c.receive(8), (Bytes{0x00, 0x00, 0x00, 0x08, 0x01, 0x00, 0xDA, 0x00}));
    c.close();
    EXPECT_TRUE(served.get());
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(logged, entry);
}

TEST_F(SocketServerTest, StopEndsTheHoldOfALateReplyBeforeItIsSent) {
    server.setReplyDelayMs(60000);
    std::promise<void> arrived;
    bool signalled = false;  // the entry may come in more than one piece
    server.received = [&](const std::uint8_t*, std::size_t) {
        if (!std::exchange(signalled, true)) {
            arrived.set_value();
        }
    };
    serveInBackground();
    Client c(path);
    c.receive(2 + printer.deviceId().size());
    c.send(entryPacket());
    // A server that never reports the bytes fails here instead of hanging.
    ASSERT_EQ(arrived.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    server.stop();
    EXPECT_TRUE(served.get());
    EXPECT_TRUE(c.receive(1).empty());  // the line closed with the reply still held
}

TEST_F(SocketServerTest, DroppedLineClosesTheConnectionAfterTheLastReply) {
    printer.faults().dropAfterPackets = 2;
    bool after = false;
    server.afterConnection = [&] { after = true; };
    serveInBackground();
    Client c(path);
    c.receive(2 + printer.deviceId().size());
    c.send(entryPacket());
    c.send(initPacket());
    EXPECT_EQ(c.receive(8 + 9).size(), 17u);
    EXPECT_TRUE(c.receive(1).empty());  // end of stream
    EXPECT_TRUE(served.get());
    EXPECT_TRUE(after);
}

TEST_F(SocketServerTest, EachConnectionStartsOutOfPacketMode) {
    serveInBackground();
    {
        Client c(path);
        c.receive(2 + printer.deviceId().size());
        c.send(entryPacket());
        c.receive(8);
    }
    ASSERT_TRUE(served.get());
    serveInBackground();
    Client c(path);
    c.receive(2 + printer.deviceId().size());
    EXPECT_FALSE(printer.inPacketMode());
    c.send(initPacket());  // nothing answers a transport command before the entry
    c.send(entryPacket());
    EXPECT_EQ(c.receive(8).at(6), 0xDA);
}

TEST_F(SocketServerTest, StopEndsAWaitingServe) {
    serveInBackground();
    server.stop();
    EXPECT_FALSE(served.get());
}

TEST(SocketServerListen, RefusesAPathThatIsNotASocket) {
    ManualClock clock;
    VirtualPrinter printer(clock, 0);
    const veltra::test::TempDir dir{"veltra-sim-listen"};
    const std::string path = dir.file("not-a-socket");
    {
        std::FILE* f = std::fopen(path.c_str(), "w");
        std::fclose(f);
    }
    SocketServer server(printer, path);
    EXPECT_FALSE(server.listen());
    EXPECT_FALSE(server.error().empty());
    std::remove(path.c_str());
}

}  // namespace
}  // namespace veltra::sim::test
