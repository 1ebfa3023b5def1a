#include "link/UnixSocketBackend.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace veltra {

namespace {
constexpr std::size_t kLengthPrefix = 2;
constexpr std::size_t kMaxGreeting = 0xFFFF;
}  // namespace

std::vector<std::uint8_t> deviceIdGreeting(const std::string& id) {
    const std::size_t total = std::min(id.size() + kLengthPrefix, kMaxGreeting);
    std::vector<std::uint8_t> out(total);
    out[0] = std::uint8_t(total >> 8);
    out[1] = std::uint8_t(total & 0xFF);
    std::copy_n(id.begin(), total - kLengthPrefix, out.begin() + kLengthPrefix);
    return out;
}

UnixSocketBackend::UnixSocketBackend(Clock& clock, std::string path)
    : FdPortBackend(clock), path_(std::move(path)) {}

bool UnixSocketBackend::open() {
    close();
    failure_ = {"unix:" + path_, 0};
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path_.empty() || path_.size() >= sizeof(addr.sun_path)) {
        failure_.error = ENAMETOOLONG;
        return false;
    }
    std::memcpy(addr.sun_path, path_.c_str(), path_.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        failure_.error = errno;
        return false;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) != 0) {
        failure_.error = errno;
        ::close(fd);
        return false;
    }
    stream_.adopt(fd, true);

    // A far end that does not greet with its device ID is not a printer.
    failure_.error = EPROTO;
    std::uint8_t prefix[kLengthPrefix] = {};
    if (stream_.read(prefix, kLengthPrefix, true, kGreetingTimeoutMs) != long(kLengthPrefix)) {
        close();
        return false;
    }
    const std::size_t total = std::size_t(prefix[0]) * 256 + prefix[1];
    if (total < kLengthPrefix) {
        close();
        return false;
    }
    std::vector<std::uint8_t> id(total - kLengthPrefix);
    if (!id.empty() &&
        stream_.read(id.data(), id.size(), true, kGreetingTimeoutMs) != long(id.size())) {
        close();
        return false;
    }
    failure_ = {};
    deviceId_ = std::move(id);
    return true;
}

void UnixSocketBackend::close() {
    stream_.reset();
    deviceId_.clear();
}

}  // namespace veltra
