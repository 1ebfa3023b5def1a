#pragma once
// Host-side helpers for driving the virtual printer with hand-built packets.
#include <cstdint>
#include <string>
#include <vector>

#include "link/Clock.h"
#include "sim/VirtualPrinter.h"

namespace veltra::sim::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes text(const std::string& s) {
    return {s.begin(), s.end()};
}

// The host's packets, written out byte by byte as the program sends them.
inline Bytes entryPacket() {
    return cat({0x00, 0x00, 0x00, 0x1B, 0x01}, text("@ZJL 1284.4\n@ZJL\n@ZJL\n"));
}
inline Bytes initPacket() {
    return {0x00, 0x00, 0x00, 0x08, 0x01, 0x00, 0x00, 0x10};
}
inline Bytes openPacket(std::uint8_t s) {
    return {0x00, 0x00, 0x00, 0x11, 0x01, 0x00, 0x01, s,   s,
            0x04, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00};
}
inline Bytes closePacket(std::uint8_t s) {
    return {0x00, 0x00, 0x00, 0x0A, 0x01, 0x00, 0x02, s, s, 0x00};
}
inline Bytes creditPacket(std::uint8_t s, std::uint16_t n) {
    return {0x00, 0x00, 0x00, 0x0B, 0x01, 0x00, 0x03, s, s, std::uint8_t(n >> 8), std::uint8_t(n)};
}
inline Bytes creditRequestPacket(std::uint8_t s, std::uint16_t n) {
    return {0x00,           0x00, 0x00, 0x0D, 0x01, 0x00,
            0x04,           s,    s,    0xFF, 0xFF, std::uint8_t(n >> 8),
            std::uint8_t(n)};
}
inline Bytes exitPacket() {
    return {0x00, 0x00, 0x00, 0x07, 0x01, 0x00, 0x08};
}
inline Bytes channelPacket(std::uint8_t s, const Bytes& payload) {
    const std::size_t total = payload.size() + 6;
    return cat({s, s, std::uint8_t(total >> 8), std::uint8_t(total), 0x00, 0x00}, payload);
}

// The host's end of the port: writes packets, takes the printer's replies.
struct Host {
    explicit Host(VirtualPrinter& p) : printer(p) {}

    void write(const Bytes& b) { printer.hostWrite(b.data(), b.size()); }
    Bytes readAll() {
        Bytes out(printer.pending());
        out.resize(printer.hostRead(out.data(), out.size()));
        return out;
    }
    Bytes exchange(const Bytes& b) {
        write(b);
        return readAll();
    }
    // Packet mode, Init, both channels open, with credit both ways on the print data channel.
    void start() {
        exchange(entryPacket());
        exchange(initPacket());
        exchange(openPacket(0x02));
        exchange(openPacket(0x40));
        exchange(creditRequestPacket(0x40, 200));
        exchange(creditPacket(0x40, 200));
    }
    // One control request as the program makes it; returns the reply payload.
    Bytes control(const Bytes& payload) {
        exchange(creditPacket(0x02, 1));
        exchange(creditRequestPacket(0x02, 1));
        const Bytes reply = exchange(channelPacket(0x02, payload));
        return reply.size() >= 6 ? Bytes(reply.begin() + 6, reply.end()) : Bytes{};
    }
    void printData(const Bytes& payload) { write(channelPacket(0x40, payload)); }

    VirtualPrinter& printer;
};

// Factory frame ESC | 00 count(2) model(2) c ~c rot params.
inline Bytes factoryFrame(std::uint8_t m0, std::uint8_t m1, std::uint8_t c, std::uint8_t notC,
                          std::uint8_t rot, const Bytes& params) {
    const std::size_t count = 5 + params.size();
    return cat(
        {0x1B, 0x7C, 0x00, std::uint8_t(count), std::uint8_t(count >> 8), m0, m1, c, notC, rot},
        params);
}

}  // namespace veltra::sim::test
