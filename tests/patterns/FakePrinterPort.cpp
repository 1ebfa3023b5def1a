#include "tests/patterns/FakePrinterPort.h"

#include <algorithm>
#include <cstdio>

namespace veltra::test {

namespace {
constexpr std::size_t kHeader = 6;
constexpr std::uint8_t kTransportSocket = 0x00;
constexpr std::uint8_t kControlSocket = 0x02;
constexpr std::uint8_t kDataSocket = 0x40;
constexpr std::uint8_t kGrantCredit = 0x03;
constexpr std::uint8_t kRequestCredit = 0x04;

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
    const std::size_t total = kHeader + payload.size();
    const std::uint8_t head[kHeader] = {
        socket, socket, std::uint8_t(total >> 8), std::uint8_t(total & 0xFF), credit, 0x00};
    replies.insert(replies.end(), head, head + kHeader);
    replies.insert(replies.end(), payload.begin(), payload.end());
}

void FakePrinter::handlePacket(const std::vector<std::uint8_t>& packet) {
    const std::uint8_t socket = packet[0];
    const std::vector<std::uint8_t> payload(packet.begin() + kHeader, packet.end());
    if (socket == kDataSocket) {
        printData.insert(printData.end(), payload.begin(), payload.end());
        dataPacketEnds.push_back(printData.size());
        dataPacketSizes.push_back(payload.size());
        return;
    }
    if (socket == kControlSocket) {
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
        reply(kControlSocket, std::vector<std::uint8_t>(text.begin(), text.end()), 0x00);
        return;
    }
    if (socket == kTransportSocket && packet.size() > kHeader) {
        const std::uint8_t command = packet[6];
        std::vector<std::uint8_t> body{std::uint8_t(command | 0x80), 0x00};
        if ((command == kGrantCredit && packet.size() >= 11) ||
            (command == kRequestCredit && packet.size() >= 13)) {
            const std::size_t at = command == kGrantCredit ? 9 : 11;
            body.push_back(packet[7]);
            body.push_back(packet[8]);
            body.push_back(packet[at]);
            body.push_back(packet[at + 1]);
        }
        reply(kTransportSocket, body, 0x01);
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
