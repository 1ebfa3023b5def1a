// The reply payload parsers with an oracle: the status text, the EEPROM read and write replies
// on the control channel, and the factory read reply on the print data channel. The transport
// replies around them are well formed; byte 0 picks the parser and the rest is the payload.
// Each result is checked against the reply rules written out again here, plainly.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzPort.h"

using namespace veltra;

namespace {

using Bytes = std::vector<std::uint8_t>;

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

Bytes packet(std::uint8_t socket, const Bytes& payload, std::uint8_t credit) {
    const std::size_t total = payload.size() + 6;
    Bytes out{socket, socket, std::uint8_t(total >> 8), std::uint8_t(total & 0xFF), credit, 0x00};
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

Bytes transportReply(std::uint8_t command, const Bytes& tail) {
    Bytes payload{std::uint8_t(command | 0x80), 0x00};
    payload.insert(payload.end(), tail.begin(), tail.end());
    return packet(0x00, payload, 0x01);
}

Bytes openReply(std::uint8_t s) {
    return transportReply(0x01, {s, s, 0x04, 0x00, 0x04, 0x00, 0x00, 0x00});
}
Bytes creditReply(std::uint8_t s) {
    return transportReply(0x03, {s, s});
}
Bytes creditRequestReply(std::uint8_t s, std::uint16_t credit) {
    return transportReply(0x04, {s, s, std::uint8_t(credit >> 8), std::uint8_t(credit & 0xFF)});
}

// The byte that two hexadecimal digits "0"-"9", "A"-"F" name; false for anything else.
bool plainHex(char hi, char lo, std::uint8_t& value) {
    const auto digit = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
    if (!digit(hi) || !digit(lo)) {
        return false;
    }
    const char text[2] = {hi, lo};
    unsigned v = 0;
    std::from_chars(text, text + 2, v, 16);
    value = std::uint8_t(v);
    return true;
}

// What a read reply must give: Ok with the value when it begins "@BDC PS" and holds the two
// digits at positions 14-15.
bool readReplyOk(std::string_view payload) {
    return payload.size() >= 16 && payload.substr(0, 7) == "@BDC PS";
}

// Checks a read's result: a reply readReplyOk accepts gives Ok and its value (where the digits
// are plain); any other must have failed as failedAsWanted says.
void checkRead(std::string_view payload, Status s, std::uint8_t got, bool failedAsWanted) {
    if (!readReplyOk(payload)) {
        check(failedAsWanted);
        return;
    }
    check(s == kOk);
    if (std::uint8_t want = 0; plainHex(payload[14], payload[15], want)) {
        check(got == want);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const int which = data[0] % 4;
    const std::size_t n = std::min<std::size_t>(size - 1, TPD4Comm::kPacketLimit - 6);
    const Bytes payload(data + 1, data + 1 + n);
    const std::string_view text(reinterpret_cast<const char*>(payload.data()), payload.size());

    std::vector<Bytes> replies;
    if (which < 3) {
        replies = {openReply(kControlSocket), creditReply(kControlSocket),
                   creditRequestReply(kControlSocket, 1), packet(kControlSocket, payload, 0x00)};
    } else {
        replies = {openReply(kDataSocket), creditRequestReply(kDataSocket, 2),
                   creditReply(kDataSocket), packet(kDataSocket, payload, 0x00)};
    }
    std::deque<fuzz::Arrival> arrivals;
    for (auto& r : replies) {
        arrivals.push_back({0, false, std::move(r)});
    }

    fuzz::FuzzLink f(arrivals);
    f.choice.PortKind = kParallelKind;
    TPPrinterDriver& driver = f.driver;
    TPD4Comm& link = f.link;
    TPFactory& factory = f.factory;
    check(driver.OpenPort(0x401) == kOk);

    switch (which) {
        case 0: {
            const Status s = link.ReadStatus();
            // The status text ends at its first zero byte.
            const std::string_view status = text.substr(0, text.find('\0'));
            const bool wellFormed = status.find("ST:") != std::string_view::npos &&
                                    status.find("IQ:") != std::string_view::npos;
            if (!wellFormed) {
                check(s == kTransportFailure && link.LastError() == link_error::kBadStatus);
                break;
            }
            check(s == kOk);
            const bool hasError = status.find("ER:") != std::string_view::npos;
            check(link.HasErrorField() == hasError);
            check(hasError == (link.PrinterError() != printer_error::kNone));
            break;
        }
        case 1: {
            std::uint8_t value = 0;
            const Status s = link.ReadEepromByte(0x10, value);
            const bool header = text.size() >= 7 && text.substr(0, 7) == "@BDC PS";
            checkRead(text, s, value,
                      s == kTransportFailure &&
                          link.LastError() ==
                              (header ? link_error::kUnexpected : link_error::kBadEepromRead));
            break;
        }
        case 2: {
            const Status s = link.WriteEepromByte(0x10, 0x20);
            const char letter = payload.size() > 6 ? char(payload[6]) : '\0';
            Detail want = link_error::kUnexpected;
            if (letter == 'O') {
                want = kNoError;
            } else if (letter == 'B') {
                want = link_error::kBusy;
            } else if (letter == 'N') {
                want = link_error::kRefused;
            }
            check(s == (want == kNoError ? kOk : kTransportFailure));
            check(link.LastError() == want);
            break;
        }
        default: {
            std::uint8_t value = 0;
            const Status s = factory.ReadEepromByteData(0x20, value);
            checkRead(text, s, value,
                      s == kFactoryFailure && factory.LastError() == factory_error::kNoReplyHeader);
            break;
        }
    }
    return 0;
}
