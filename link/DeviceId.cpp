#include "link/DeviceId.h"

#include <algorithm>

namespace veltra {

namespace {

constexpr std::uint8_t kDelete = 0x7F;

bool isControl(std::uint8_t c) {
    return c < 0x20 || c == kDelete;
}

bool isTrailingBlank(std::uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A length that counts its own two bytes and room for the least ID, and stays inside the reply.
bool fits(std::size_t length, std::size_t n) {
    return length >= kDeviceIdLengthBytes + kDeviceIdMinimum && length <= n;
}

std::size_t bigEndian(const std::uint8_t* reply) {
    return std::size_t(reply[0]) * 256 + reply[1];
}

std::size_t littleEndian(const std::uint8_t* reply) {
    return std::size_t(reply[1]) * 256 + reply[0];
}

// Where the text of a length-first reply ends (counted from the reply's start).
std::size_t prefixedEnd(const std::uint8_t* reply, std::size_t n) {
    const std::size_t be = bigEndian(reply);
    if (fits(be, n)) {
        return be;
    }
    const std::size_t le = littleEndian(reply);
    if (fits(le, n)) {
        return le;
    }
    // Neither fits: a driver that cut a long ID at its buffer still gave the start of it.
    return std::min(be, n);
}

// Text cannot begin with a control character, and a length that fits is a length.
bool looksPrefixed(const std::uint8_t* reply, std::size_t n) {
    return isControl(reply[0]) || isControl(reply[1]) || fits(bigEndian(reply), n) ||
           fits(littleEndian(reply), n);
}

}  // namespace

std::vector<std::uint8_t> readDeviceId(const std::uint8_t* reply, std::size_t n,
                                       DeviceIdForm form) {
    if (reply == nullptr || n == 0) {
        return {};
    }
    std::size_t begin = 0;
    std::size_t end = n;
    const bool prefixed =
        form == DeviceIdForm::LengthFirst ||
        (form == DeviceIdForm::Either && n >= kDeviceIdLengthBytes && looksPrefixed(reply, n));
    if (prefixed) {
        if (n < kDeviceIdLengthBytes) {
            return {};
        }
        begin = kDeviceIdLengthBytes;
        end = std::max(prefixedEnd(reply, n), begin);
    }
    end = std::size_t(std::find(reply + begin, reply + end, 0) - reply);
    while (end > begin && isTrailingBlank(reply[end - 1])) {
        --end;
    }
    if (end - begin < kDeviceIdMinimum ||
        std::any_of(reply + begin, reply + end, [](std::uint8_t c) { return isControl(c); })) {
        return {};
    }
    return {reply + begin, reply + end};
}

}  // namespace veltra
