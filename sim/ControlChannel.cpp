#include "sim/ControlChannel.h"

#include <cstring>

#include "link/HexText.h"

namespace veltra::sim {

namespace control {

std::string statusText(std::uint8_t state, std::optional<std::uint8_t> error,
                       const std::array<std::uint8_t, 7>& inks) {
    std::string s = "@BDC ST\r\nST:";
    appendHexByte(s, state);
    s += ';';
    if (error) {
        s += "ER:";
        appendHexByte(s, *error);
        s += ';';
    }
    s += "IQ:";
    for (std::uint8_t ink : inks) {
        appendHexByte(s, ink);
    }
    s += ";\r\n";
    return s;
}

std::string malformedStatusText() {
    return "@BDC ST\r\nS?:04;I?:;\r\n";
}

std::string eepromReadText(std::uint8_t address, std::uint8_t value) {
    std::string s = "@BDC PS\r\nEE:";
    appendHexByte(s, address);
    appendHexByte(s, value);
    s += ";\r\n";
    return s;
}

std::string letterText(char letter) {
    std::string s = "@BDC R";
    s += letter;
    s += "\r\n";
    return s;
}

}  // namespace control

namespace {
bool startsWith(const std::uint8_t* p, std::size_t n, const char* letters) {
    return n >= 2 && p[0] == std::uint8_t(letters[0]) && p[1] == std::uint8_t(letters[1]);
}
}  // namespace

std::vector<std::uint8_t> ControlChannel::handle(const std::uint8_t* request, std::size_t n,
                                                 const PrinterStatus& status) {
    std::string reply;
    if (startsWith(request, n, "st")) {
        reply = status.malformed ? control::malformedStatusText()
                                 : control::statusText(status.state, status.error, status.inks);
    } else if (startsWith(request, n, "||")) {
        reply = eepromRequest(request, n, status);
    } else if (startsWith(request, n, "rs")) {
        reply = control::letterText(control::kAccepted);
    } else {
        reply = control::letterText(control::kRefused);
    }
    return {reply.begin(), reply.end()};
}

std::string ControlChannel::eepromRequest(const std::uint8_t* request, std::size_t n,
                                          const PrinterStatus& status) {
    using namespace control;
    const std::string refused = letterText(kRefused);
    if (n < kRequestHeader + kEepromReadLength) {
        return refused;
    }
    const std::size_t length = request[2] | (request[3] << 8);
    const std::uint8_t* body = request + kRequestHeader;  // model code, command bytes, ...
    if (length > n - kRequestHeader || body[0] != modelCode_[0] || body[1] != modelCode_[1]) {
        return refused;
    }
    const std::uint8_t* command = body + 2;
    if (length == kEepromReadLength && std::memcmp(command, kEepromRead, 3) == 0) {
        const std::uint8_t address = body[5];
        return eepromReadText(address, eeprom_[address]);
    }
    if (length == kEepromWriteLength && std::memcmp(command, kEepromWrite, 3) == 0) {
        if (status.eepromWriteLetter) {
            return letterText(*status.eepromWriteLetter);  // nothing is written
        }
        eeprom_[body[5]] = body[6];
        return letterText(kAccepted);
    }
    return refused;
}

}  // namespace veltra::sim
