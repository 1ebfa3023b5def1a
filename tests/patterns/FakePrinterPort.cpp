#include "tests/patterns/FakePrinterPort.h"

#include <algorithm>
#include <cstdio>

#include "sim/D4Device.h"

namespace veltra::test {

namespace {
// The packet layout is the virtual printer's.
namespace d4 = sim::d4;
constexpr std::size_t kHeader = d4::kHeaderSize;

std::string hex2(std::uint8_t v) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", v);
    return text;
}
}  // namespace

void FakePrinter::clearRecords() {
    printData.clear();
    dataPacketEnds.clear();
    dataPacketSizes.clear();
    controlRequests.clear();
    eepromReads.clear();
    writeAttempts = 0;
    attemptsAfterFailure = 0;
    failed = false;
}

void FakePrinter::hostWrite(const std::uint8_t* data, std::size_t n) {
    pending_.insert(pending_.end(), data, data + n);
    while (pending_.size() >= kHeader) {
        const std::size_t total = std::size_t(pending_[2]) << 8 | pending_[3];
        if (total < kHeader || pending_.size() < total) {
            return;
        }
        const std::vector<std::uint8_t> packet(pending_.begin(),
                                               pending_.begin() + std::ptrdiff_t(total));
        pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(total));
        handlePacket(packet);
    }
}

void FakePrinter::reply(std::uint8_t socket, const std::vector<std::uint8_t>& payload,
                        std::uint8_t credit) {
    const std::vector<std::uint8_t> packet =
        d4::packet(socket, credit, payload.data(), payload.size());
    replies.insert(replies.end(), packet.begin(), packet.end());
}

void FakePrinter::handlePacket(const std::vector<std::uint8_t>& packet) {
    const std::uint8_t socket = packet[0];
    const std::vector<std::uint8_t> payload(packet.begin() + kHeader, packet.end());
    if (socket == d4::kDataSocket) {
        printData.insert(printData.end(), payload.begin(), payload.end());
        dataPacketEnds.push_back(printData.size());
        dataPacketSizes.push_back(payload.size());
        return;
    }
    if (socket == d4::kControlSocket) {
        controlRequests.push_back(payload);
        std::string text;
        if (payload.size() >= 2 && payload[0] == 's' && payload[1] == 't') {
            text = statusPayload;
        } else if (payload.size() >= 10 && payload[0] == '|' && payload[6] == 0x41) {
            const std::uint8_t address = payload[9];
            eepromReads.push_back(address);
            text = "@BDC PS\r\nEE:" + hex2(address) + hex2(eeprom[address]) + ";";
        } else {
            text = "@BDC xO;";  // letter "O" at position 6: accepted
        }
        reply(d4::kControlSocket, std::vector<std::uint8_t>(text.begin(), text.end()), 0x00);
        return;
    }
    if (socket == d4::kTransportSocket && packet.size() > kHeader) {
        const std::uint8_t command = packet[6];
        std::vector<std::uint8_t> body{std::uint8_t(command | d4::kReplyBit), d4::kResultOk};
        if ((command == d4::kCredit && packet.size() >= 11) ||
            (command == d4::kCreditRequest && packet.size() >= 13)) {
            const std::size_t at = command == d4::kCredit ? 9 : 11;
            body.push_back(packet[7]);
            body.push_back(packet[8]);
            body.push_back(packet[at]);
            body.push_back(packet[at + 1]);
        }
        reply(d4::kTransportSocket, body, d4::kTransportCredit);
    }
}

long FakePort::write(const std::uint8_t* data, std::size_t n, int) {
    FakePrinter& p = printer_;
    ++p.writeAttempts;
    if (p.failed) {
        ++p.attemptsAfterFailure;
    }
    if (p.failWriteAt && *p.failWriteAt == p.writeAttempts) {
        p.failed = true;
        return -1;
    }
    p.hostWrite(data, n);
    return long(n);
}

long FakePort::read(std::uint8_t* data, std::size_t n, bool, int) {
    const std::size_t count = std::min(n, printer_.replies.size());
    std::copy_n(printer_.replies.begin(), count, data);
    printer_.replies.erase(printer_.replies.begin(),
                           printer_.replies.begin() + std::ptrdiff_t(count));
    return long(count);
}

std::vector<std::uint8_t> FakePort::deviceId() {
    const std::string id = "MFG:Veltra;CMD:D4;MDL:K55;CLS:PRINTER;";
    return {id.begin(), id.end()};
}

}  // namespace veltra::test
