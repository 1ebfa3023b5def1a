#include "sim/SocketServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace veltra::sim {

namespace {

constexpr std::size_t kChunk = 4096;

bool sendAll(int fd, const std::uint8_t* data, std::size_t n) {
    while (n > 0) {
        const ssize_t sent = ::send(fd, data, n, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += sent;
        n -= std::size_t(sent);
    }
    return true;
}

}  // namespace

SocketServer::SocketServer(VirtualPrinter& printer, std::string path)
    : printer_(printer), path_(std::move(path)) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead_ = fds[0];
        wakeWrite_ = fds[1];
    }
}

SocketServer::~SocketServer() {
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        ::unlink(path_.c_str());
    }
    if (wakeRead_ >= 0) {
        ::close(wakeRead_);
        ::close(wakeWrite_);
    }
}

std::string SocketServer::greeting(const std::string& deviceId) {
    const std::size_t total = deviceId.size() + 2;
    std::string g;
    g += static_cast<char>((total >> 8) & 0xFF);
    g += static_cast<char>(total & 0xFF);
    return g + deviceId;
}

bool SocketServer::listen() {
    if (wakeRead_ < 0) {
        error_ = "cannot create the wake-up pipe";
        return false;
    }
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path_.empty() || path_.size() >= sizeof addr.sun_path) {
        error_ = "socket path empty or too long: " + path_;
        return false;
    }
    std::memcpy(addr.sun_path, path_.c_str(), path_.size() + 1);
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            error_ = path_ + " exists and is not a socket";
            return false;
        }
        ::unlink(path_.c_str());
    }
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        error_ = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    if (::bind(listenFd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 1) != 0) {
        error_ = "cannot listen on " + path_ + ": " + std::strerror(errno);
        ::close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    return true;
}

void SocketServer::stop() {
    stopped_ = true;
    if (wakeWrite_ >= 0) {
        const char b = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &b, 1);
    }
}

bool SocketServer::serveOne() {
    if (listenFd_ < 0) {
        return false;
    }
    while (!stopped_) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            error_ = std::string("poll: ") + std::strerror(errno);
            return false;
        }
        if (stopped_ || (fds[1].revents & POLLIN)) {
            return false;
        }
        if (fds[0].revents & POLLIN) {
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                if (errno == EINTR || errno == ECONNABORTED) {
                    continue;
                }
                error_ = std::string("accept: ") + std::strerror(errno);
                return false;
            }
            ++connections_;
            serve(fd);
            ::close(fd);
            if (afterConnection) {
                afterConnection();
            }
            return true;
        }
    }
    return false;
}

void SocketServer::serve(int fd) {
    printer_.resetLink();
    const std::string hello = greeting(printer_.deviceId());
    if (!sendAll(fd, reinterpret_cast<const std::uint8_t*>(hello.data()), hello.size())) {
        return;
    }
    std::uint8_t buf[kChunk];
    while (!stopped_ && printer_.connected()) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (stopped_ || (fds[1].revents & POLLIN)) {
            return;
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return;  // the peer closed
            }
            if (received) {
                received(buf, std::size_t(n));
            }
            printer_.hostWrite(buf, std::size_t(n));
        }
        if (replyDelayMs_ > 0 && printer_.pending() > 0) {
            pollfd wake{wakeRead_, POLLIN, 0};
            ::poll(&wake, 1, replyDelayMs_);
            if (stopped_) {
                return;
            }
        }
        while (printer_.pending() > 0) {
            const std::size_t k = printer_.hostRead(buf, sizeof buf);
            if (!sendAll(fd, buf, k)) {
                return;
            }
        }
    }
    // A dropped connection: what was queued before the drop has gone out; now the line goes.
}

}  // namespace veltra::sim
