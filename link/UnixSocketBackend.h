#pragma once
// A printer port on a Unix stream socket ("unix:PATH"), for a printer served by another
// process, such as the virtual printer.
//
// On connection the device end first sends its IEEE 1284 device ID: a 2-byte big-endian length
// that counts those two bytes, then the ID text. After that the raw port bytes flow both ways.
// A refused connection, or a connection that does not deliver that greeting, fails open().
// As with a USB port, one read returns what has arrived (up to the count asked).
#include <string>

#include "link/FdStream.h"

namespace veltra {

class UnixSocketBackend final : public FdPortBackend {
public:
    static constexpr int kGreetingTimeoutMs = 5000;

    UnixSocketBackend(Clock& clock, std::string path);

    bool open() override;
    void close() override;
    std::vector<std::uint8_t> deviceId() override { return deviceId_; }

private:
    std::string path_;
    std::vector<std::uint8_t> deviceId_;
};

// The device end's greeting for a device ID text: length prefix and text.
std::vector<std::uint8_t> deviceIdGreeting(const std::string& id);

}  // namespace veltra
