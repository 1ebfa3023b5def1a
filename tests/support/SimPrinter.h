#pragma once
// An in-process virtual printer on a ManualClock, the ports a program opens on it, and what it
// has received since a mark: the printer half of the rigs that start a link on it (SimLink, the
// procedure tests' Rig, the link tests' SimRig).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "link/Clock.h"
#include "link/PortBackend.h"
#include "sim/SimPortBackend.h"
#include "sim/VirtualPrinter.h"

namespace veltra::test {

struct SimPrinter {
    // modelIndex 0 "Veltra K55", 1 "Veltra K45".
    explicit SimPrinter(int modelIndex = 0) : printer(clock, modelIndex) {
        printer.keepPrintRecord(true);  // tests look back across pages
    }
    SimPrinter(const SimPrinter&) = delete;
    SimPrinter& operator=(const SimPrinter&) = delete;

    // A port on the printer, as a driver's backend factory makes it (through wrapPort if set).
    std::unique_ptr<PortBackend> openPort() {
        auto port = std::make_unique<sim::SimPortBackend>(printer, clock);
        if (wrapPort) {
            return wrapPort(std::move(port));
        }
        return port;
    }

    // Counts the host packets from here: call before the link starts.
    void markPackets() { packetsBeforeStart = printer.hostPackets(); }
    // The connection drops once the printer has taken n more host packets (counted in the one
    // packet-mode session that started after markPackets()).
    void dropAfterMorePackets(int n) {
        printer.faults().dropAfterPackets = int(printer.hostPackets() - packetsBeforeStart) + n;
    }

    // Remembers how much the printer has received, for the *Since helpers.
    void mark() {
        factoryMark = printer.factoryCommands().size();
        controlMark = printer.controlRequests().size();
    }
    // Factory commands received since the mark, as (command, params).
    std::vector<sim::FactoryCommand> factorySince() const {
        const auto& all = printer.factoryCommands();
        return {all.begin() + std::ptrdiff_t(factoryMark), all.end()};
    }
    std::vector<std::vector<std::uint8_t>> controlSince() const {
        const auto& all = printer.controlRequests();
        return {all.begin() + std::ptrdiff_t(controlMark), all.end()};
    }
    // (address, value) of the EEPROM byte writes since the mark, in the order received.
    std::vector<std::pair<std::uint8_t, std::uint8_t>> eepromWritesSince() const {
        std::vector<std::pair<std::uint8_t, std::uint8_t>> out;
        for (const auto& p : controlSince()) {
            if (p.size() == kWriteRequestSize && p[0] == '|' && p[1] == '|' &&
                p[kCommandAt] == kWriteLetter) {
                out.emplace_back(p[kAddressAt], p[kAddressAt + 1]);
            }
        }
        return out;
    }
    // Addresses of the EEPROM byte reads since the mark, in the order received.
    std::vector<std::uint8_t> eepromReadsSince() const {
        std::vector<std::uint8_t> out;
        for (const auto& p : controlSince()) {
            if (p.size() == kReadRequestSize && p[0] == '|' && p[1] == '|' &&
                p[kCommandAt] == kReadLetter) {
                out.push_back(p[kAddressAt]);
            }
        }
        return out;
    }
    // Status requests ("st") since the mark.
    int statusReadsSince() const {
        int n = 0;
        for (const auto& p : controlSince()) {
            n += (p.size() >= 2 && p[0] == 's' && p[1] == 't') ? 1 : 0;
        }
        return n;
    }

    // "||" requests: two letters, 16-bit length, model code, command letter at 6, its complement
    // and rotation, then the address at 9 (and the value at 10 for a write).
    static constexpr std::size_t kReadRequestSize = 10;
    static constexpr std::size_t kWriteRequestSize = 11;
    static constexpr std::size_t kCommandAt = 6;
    static constexpr std::size_t kAddressAt = 9;
    static constexpr std::uint8_t kReadLetter = 0x41;
    static constexpr std::uint8_t kWriteLetter = 0x42;

    ManualClock clock;
    sim::VirtualPrinter printer;
    // When set, wraps each port opened on the printer (to delay or split its replies).
    std::function<std::unique_ptr<PortBackend>(std::unique_ptr<PortBackend>)> wrapPort;
    std::size_t packetsBeforeStart = 0;
    std::size_t factoryMark = 0;
    std::size_t controlMark = 0;
};

}  // namespace veltra::test
