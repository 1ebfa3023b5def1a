#pragma once
// The printer's side of the IEEE 1284.4 packet transport: it frames the host's bytes into
// packets, answers the transport commands on socket 0, keeps the credit of each channel, and
// hands channel payloads to the printer. Replies wait in a queue of whole packets for the host.
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "sim/VirtualPrinter.h"

namespace veltra::sim {

namespace d4 {
inline constexpr std::size_t kHeaderSize = 6;
inline constexpr std::size_t kMaxPacket = 1024;  // largest packet either way, header included
inline constexpr std::uint8_t kTransportSocket = 0x00;
inline constexpr std::uint8_t kControlSocket = 0x02;
inline constexpr std::uint8_t kDataSocket = 0x40;
inline constexpr std::uint8_t kTransportCredit = 0x01;  // header credit byte of transport packets
inline constexpr std::uint8_t kReplyBit = 0x80;         // reply command = request command | 0x80

// Transport command codes (byte 6 of a socket-0 packet).
inline constexpr std::uint8_t kInit = 0x00;
inline constexpr std::uint8_t kOpenChannel = 0x01;
inline constexpr std::uint8_t kCloseChannel = 0x02;
inline constexpr std::uint8_t kCredit = 0x03;
inline constexpr std::uint8_t kCreditRequest = 0x04;
inline constexpr std::uint8_t kExit = 0x08;
inline constexpr std::uint8_t kPacketModeEntry = 'Z';  // first letter of the entry keyword
inline constexpr std::uint8_t kErrorCommand = 0x7F;

inline constexpr std::uint8_t kRevision = 0x10;
inline constexpr std::uint8_t kResultOk = 0x00;
inline constexpr std::uint8_t kResultBadSocket = 0x04;  // OpenChannel on a socket we lack
inline constexpr std::uint8_t kResultNotOpen = 0x03;    // CloseChannel on a socket we lack

// Error packet codes.
inline constexpr std::uint8_t kErrorMalformed = 0x80;
inline constexpr std::uint8_t kErrorChannelNotOpen = 0x84;

// The packet-mode entry as the host sends it: a socket-0 header whose length is 27, then the
// keyword text from byte 5 on (byte 5 doubles as the header's control byte).
inline constexpr std::size_t kEntrySize = 27;
inline constexpr char kEntryText[] = "@ZJL 1284.4\n@ZJL\n@ZJL\n";  // 22 characters from byte 5

// Builders of the printer's packets, exact bytes.
std::vector<std::uint8_t> packet(std::uint8_t socket, std::uint8_t credit,
                                 const std::uint8_t* payload, std::size_t n);
std::vector<std::uint8_t> channelPacket(std::uint8_t socket, const std::vector<std::uint8_t>& p);
// Transport reply: header (socket 0, credit 1), command | 0x80, result, then extra bytes.
std::vector<std::uint8_t> transportReply(std::uint8_t command, std::uint8_t result,
                                         const std::vector<std::uint8_t>& extra = {});
// Error packet: header, 0x7F, the sockets of the offending packet, the error code at byte 9.
std::vector<std::uint8_t> errorPacket(std::uint8_t primary, std::uint8_t secondary,
                                      std::uint8_t code);
}  // namespace d4

// What the transport hands up to the printer.
class ChannelListener {
public:
    virtual ~ChannelListener() = default;
    virtual void onChannelData(std::uint8_t socket, const std::uint8_t* payload, std::size_t n) = 0;
    // The channel was closed (by the host, by Exit, or by a reset): drop what belongs to it.
    virtual void onChannelClosed(std::uint8_t socket) = 0;
};

class D4Device {
public:
    D4Device(ChannelListener& listener, Faults& faults) : listener_(listener), faults_(faults) {}

    // Host bytes in; complete packets are handled at once.
    void receive(const std::uint8_t* data, std::size_t n);
    // Printer output on a channel. Print data packets wait while the host has granted no credit.
    void send(std::uint8_t socket, const std::vector<std::uint8_t>& payload);

    std::size_t read(std::uint8_t* out, std::size_t max);
    std::size_t pending() const { return pendingBytes_; }
    std::size_t pendingInPacket() const;

    // Back to the power-on state of the link: out of packet mode, channels closed, queues empty.
    void reset();

    bool connected() const;
    bool inPacketMode() const { return packetMode_; }
    bool channelOpen(std::uint8_t socket) const;
    // Credit totals: a host may grant and ask for 0xFFFF at a time, as often as it likes, so the
    // totals are wide and stop at kCreditCap instead of wrapping.
    static constexpr std::uint64_t kCreditCap = 0xFFFFFFFFu;
    // Packets the host may still send on the channel (granted on CreditRequest, one per packet).
    std::uint64_t creditForHost(std::uint8_t socket) const;
    // Packets the printer may still send on the channel (granted by the host's Credit).
    std::uint64_t creditFromHost(std::uint8_t socket) const;
    std::size_t hostPackets() const { return hostPackets_; }
    std::size_t hostOverruns() const { return hostOverruns_; }  // channel packets beyond credit
    std::size_t heldPackets() const { return held_.size(); }    // print data waiting for credit
    std::size_t malformedPackets() const { return malformed_; }

private:
    struct Channel {
        bool open = false;
        std::uint64_t creditForHost = 0;
        std::uint64_t creditFromHost = 0;
    };
    Channel* channel(std::uint8_t socket);
    const Channel* channel(std::uint8_t socket) const;
    // The open channel of a credit command; a closed or unknown one is answered with an Error
    // packet and gives nullptr.
    Channel* openChannelOrError(std::uint8_t primary, std::uint8_t secondary);
    void handlePacket(const std::vector<std::uint8_t>& p);
    void handleTransport(const std::vector<std::uint8_t>& p);
    void handleChannel(const std::vector<std::uint8_t>& p);
    void closeChannel(std::uint8_t socket);
    void queue(std::vector<std::uint8_t> packet);
    void releaseHeld();

    ChannelListener& listener_;
    Faults& faults_;
    std::vector<std::uint8_t> inbound_;
    std::deque<std::vector<std::uint8_t>> out_;
    std::size_t frontOffset_ = 0;
    std::size_t pendingBytes_ = 0;
    std::deque<std::vector<std::uint8_t>> held_;
    Channel control_;
    Channel data_;
    bool packetMode_ = false;
    std::size_t hostPackets_ = 0;
    std::size_t sessionPackets_ = 0;     // since the last reset, for the drop fault
    std::size_t packetsSinceEntry_ = 0;  // for the silence fault
    std::size_t hostOverruns_ = 0;
    std::size_t malformed_ = 0;
};

}  // namespace veltra::sim
