#pragma once
// Serves one VirtualPrinter on a Unix stream socket. On each connection the server first sends
// the device ID (a 2-byte big-endian length that counts itself, then the ID text), then carries
// raw port bytes both ways until the peer closes, the printer drops the connection, or stop().
// The printer is touched only from the thread that runs serveOne().
#include <atomic>
#include <functional>
#include <string>

#include "sim/VirtualPrinter.h"

namespace veltra::sim {

class SocketServer {
public:
    SocketServer(VirtualPrinter& printer, std::string path);
    ~SocketServer();
    SocketServer(const SocketServer&) = delete;
    SocketServer& operator=(const SocketServer&) = delete;

    // Binds and listens; a stale socket file at the path is replaced, any other file is not.
    // False with error() saying why.
    bool listen();
    // Waits for one connection and serves it to its end. False when not listening, when stop()
    // came first, or when accepting failed.
    bool serveOne();
    // From any thread: ends a waiting or running serveOne().
    void stop();

    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }
    int connections() const { return connections_; }
    // Runs on the serving thread after each connection has ended (to save the EEPROM, say).
    std::function<void()> afterConnection;
    // Runs on the serving thread with each block of bytes the peer sent, before the printer
    // takes it (to log what reached the printer).
    std::function<void(const std::uint8_t*, std::size_t)> received;
    // Holds each batch of replies back this long before sending it: a printer that answers
    // late. stop() still ends the wait.
    void setReplyDelayMs(int ms) { replyDelayMs_ = ms; }

    // The greeting that opens every connection.
    static std::string greeting(const std::string& deviceId);

private:
    void serve(int fd);

    VirtualPrinter& printer_;
    std::string path_;
    std::string error_;
    int listenFd_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::atomic<bool> stopped_{false};
    int connections_ = 0;
    int replyDelayMs_ = 0;
};

}  // namespace veltra::sim
