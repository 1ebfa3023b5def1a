#pragma once
// A minimal printer for pattern tests: it answers the packet transport (every command accepted,
// credit granted as asked), the status request (ready) and EEPROM reads from its own 256 bytes,
// and keeps every print-data payload with its packet boundaries. A write can be made to fail
// once, to check that a pattern stops at the first failure.
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "link/PortBackend.h"

namespace veltra::test {

struct FakePrinter {
    std::array<std::uint8_t, 256> eeprom{};
    std::string statusPayload = "@BDC ST2\r\nST:04;IQ:00000000000000;";

    // Print data channel: concatenated payloads and the offset where each packet ended.
    std::vector<std::uint8_t> printData;
    std::vector<std::size_t> dataPacketEnds;
    std::vector<std::size_t> dataPacketSizes;  // payload bytes of each packet
    // Control requests (payloads) in order, and the EEPROM addresses read.
    std::vector<std::vector<std::uint8_t>> controlRequests;
    std::vector<std::uint8_t> eepromReads;

    // Port writes: attempts so far; failWriteAt (1-based) makes that attempt fail once.
    long writeAttempts = 0;
    std::optional<long> failWriteAt;
    long attemptsAfterFailure = 0;
    bool failed = false;

    std::deque<std::uint8_t> replies;

    // Forgets what was recorded (the link start) so a test sees only its own traffic.
    void clearRecords();
    void hostWrite(const std::uint8_t* data, std::size_t n);

private:
    void handlePacket(const std::vector<std::uint8_t>& packet);
    void reply(std::uint8_t socket, const std::vector<std::uint8_t>& payload, std::uint8_t credit);
    std::vector<std::uint8_t> pending_;
};

class FakePort final : public PortBackend {
public:
    explicit FakePort(FakePrinter& printer) : printer_(printer) {}
    bool open() override { return true; }
    void close() override {}
    long write(const std::uint8_t* data, std::size_t n, int timeoutMs) override;
    long read(std::uint8_t* data, std::size_t n, bool exact, int timeoutMs) override;
    std::vector<std::uint8_t> deviceId() override;

private:
    FakePrinter& printer_;
};

}  // namespace veltra::test
