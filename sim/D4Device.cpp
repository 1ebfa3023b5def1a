#include "sim/D4Device.h"

#include <algorithm>
#include <cstring>

namespace veltra::sim {

namespace d4 {

std::vector<std::uint8_t> packet(std::uint8_t socket, std::uint8_t credit,
                                 const std::uint8_t* payload, std::size_t n) {
    const std::size_t total = kHeaderSize + n;
    std::vector<std::uint8_t> p;
    p.reserve(total);
    p.push_back(socket);
    p.push_back(socket);
    p.push_back(static_cast<std::uint8_t>(total >> 8));
    p.push_back(static_cast<std::uint8_t>(total & 0xFF));
    p.push_back(credit);
    p.push_back(0x00);
    p.insert(p.end(), payload, payload + n);
    return p;
}

std::vector<std::uint8_t> channelPacket(std::uint8_t socket, const std::vector<std::uint8_t>& p) {
    return packet(socket, 0x00, p.data(), p.size());
}

std::vector<std::uint8_t> transportReply(std::uint8_t command, std::uint8_t result,
                                         const std::vector<std::uint8_t>& extra) {
    std::vector<std::uint8_t> body;
    body.push_back(static_cast<std::uint8_t>(command | kReplyBit));
    body.push_back(result);
    body.insert(body.end(), extra.begin(), extra.end());
    return packet(kTransportSocket, kTransportCredit, body.data(), body.size());
}

std::vector<std::uint8_t> errorPacket(std::uint8_t primary, std::uint8_t secondary,
                                      std::uint8_t code) {
    const std::uint8_t body[] = {kErrorCommand, primary, secondary, code};
    return packet(kTransportSocket, kTransportCredit, body, sizeof body);
}

}  // namespace d4

namespace {

std::uint16_t be16(const std::vector<std::uint8_t>& p, std::size_t at) {
    return static_cast<std::uint16_t>((p[at] << 8) | p[at + 1]);
}

std::uint8_t hi(int v) {
    return static_cast<std::uint8_t>((v >> 8) & 0xFF);
}
std::uint8_t lo(int v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}

void addCredit(std::uint64_t& total, std::uint64_t amount) {
    total = std::min(total + amount, D4Device::kCreditCap);
}

// Bytes a transport command needs, header and command byte included, before it can be read.
std::size_t minimumLength(std::uint8_t command) {
    switch (command) {
        case d4::kInit:
            return 8;  // revision
        case d4::kOpenChannel:
        case d4::kCloseChannel:
            return 9;  // sockets
        case d4::kCredit:
            return 11;  // sockets, credit
        case d4::kCreditRequest:
            return 13;  // sockets, maximum, credit asked for
        default:
            return 7;
    }
}

}  // namespace

D4Device::Channel* D4Device::channel(std::uint8_t socket) {
    if (socket == d4::kControlSocket) {
        return &control_;
    }
    if (socket == d4::kDataSocket) {
        return &data_;
    }
    return nullptr;
}

const D4Device::Channel* D4Device::channel(std::uint8_t socket) const {
    return const_cast<D4Device*>(this)->channel(socket);
}

bool D4Device::connected() const {
    return !(faults_.dropAfterPackets &&
             sessionPackets_ >= static_cast<std::size_t>(std::max(0, *faults_.dropAfterPackets)));
}

bool D4Device::channelOpen(std::uint8_t socket) const {
    const Channel* ch = channel(socket);
    return ch != nullptr && ch->open;
}

std::uint64_t D4Device::creditForHost(std::uint8_t socket) const {
    const Channel* ch = channel(socket);
    return ch != nullptr ? ch->creditForHost : 0;
}

std::uint64_t D4Device::creditFromHost(std::uint8_t socket) const {
    const Channel* ch = channel(socket);
    return ch != nullptr ? ch->creditFromHost : 0;
}

void D4Device::receive(const std::uint8_t* data, std::size_t n) {
    if (!connected()) {
        return;
    }
    inbound_.insert(inbound_.end(), data, data + n);
    while (inbound_.size() >= 4) {
        const std::size_t length = be16(inbound_, 2);
        if (length < d4::kHeaderSize || length > d4::kMaxPacket) {
            // No way to find the next packet boundary: answer once and drop what came.
            ++malformed_;
            if (!faults_.noReply) {
                queue(d4::errorPacket(inbound_[0], inbound_[1], d4::kErrorMalformed));
            }
            inbound_.clear();
            break;
        }
        if (inbound_.size() < length) {
            break;
        }
        const std::vector<std::uint8_t> p(inbound_.begin(),
                                          inbound_.begin() + static_cast<long>(length));
        inbound_.erase(inbound_.begin(), inbound_.begin() + static_cast<long>(length));
        ++hostPackets_;
        ++sessionPackets_;
        handlePacket(p);
        if (!connected()) {
            inbound_.clear();
            break;
        }
    }
}

void D4Device::handlePacket(const std::vector<std::uint8_t>& p) {
    // The silence counts from the packet-mode entry: every session of a printer that stays
    // connected (a USB printer) goes silent at the same point, as each socket connection does.
    const bool entry =
        p.size() == d4::kEntrySize && p[0] == d4::kTransportSocket && p[6] == d4::kPacketModeEntry;
    packetsSinceEntry_ = entry ? 1 : packetsSinceEntry_ + 1;
    const bool silenced =
        faults_.silentAfterPackets &&
        packetsSinceEntry_ > static_cast<std::size_t>(std::max(0, *faults_.silentAfterPackets));
    if (faults_.noReply || silenced) {
        return;
    }
    if (faults_.errorPacket && (!faults_.errorPacketSocket || *faults_.errorPacketSocket == p[0])) {
        const std::uint8_t code = *faults_.errorPacket;
        faults_.errorPacket.reset();
        faults_.errorPacketSocket.reset();
        queue(d4::errorPacket(p[0], p[1], code));
        return;
    }
    if (p[0] == d4::kTransportSocket) {
        handleTransport(p);
    } else {
        handleChannel(p);
    }
}

void D4Device::handleTransport(const std::vector<std::uint8_t>& p) {
    if (p.size() < d4::kHeaderSize + 1) {
        ++malformed_;
        queue(d4::errorPacket(p[0], p[1], d4::kErrorMalformed));
        return;
    }
    const std::uint8_t command = p[6];
    if (command == d4::kPacketModeEntry) {
        const std::size_t textLength = sizeof d4::kEntryText - 1;
        if (p.size() != d4::kEntrySize || std::memcmp(p.data() + 5, d4::kEntryText, textLength)) {
            return;  // not the entry keyword: nothing a printer outside packet mode answers
        }
        const std::uint8_t result = faults_.packetModeResult.value_or(d4::kResultOk);
        queue(d4::transportReply(command, result));
        if (result == d4::kResultOk) {
            closeChannel(d4::kControlSocket);
            closeChannel(d4::kDataSocket);
            packetMode_ = true;
        }
        return;
    }
    if (!packetMode_) {
        return;  // transport commands mean nothing before the packet-mode entry
    }
    if (p.size() < minimumLength(command)) {
        ++malformed_;
        queue(d4::errorPacket(p[0], p[1], d4::kErrorMalformed));
        return;
    }
    switch (command) {
        case d4::kInit:
            // Init starts the transport afresh: every channel is closed.
            closeChannel(d4::kControlSocket);
            closeChannel(d4::kDataSocket);
            queue(d4::transportReply(command, d4::kResultOk, {d4::kRevision}));
            return;
        case d4::kOpenChannel: {
            const std::uint8_t ps = p[7];
            const std::uint8_t ss = p[8];
            Channel* ch = channel(ps);
            // Packet sizes: what the host asked for, at most what we take; 1024 by default.
            int toPrinter = int(d4::kMaxPacket);
            int toHost = int(d4::kMaxPacket);
            if (p.size() >= 13) {
                toPrinter = std::min<int>(be16(p, 9), toPrinter);
                toHost = std::min<int>(be16(p, 11), toHost);
            }
            const std::vector<std::uint8_t> extra = {
                ps, ss, hi(toPrinter), lo(toPrinter), hi(toHost), lo(toHost), 0x00, 0x00};
            if (ch == nullptr) {
                queue(d4::transportReply(command, d4::kResultBadSocket, extra));
                return;
            }
            closeChannel(ps);  // a second open starts the channel afresh
            ch->open = true;
            queue(d4::transportReply(command, d4::kResultOk, extra));
            return;
        }
        case d4::kCloseChannel: {
            const std::uint8_t ps = p[7];
            const std::uint8_t ss = p[8];
            if (channel(ps) == nullptr) {
                queue(d4::transportReply(command, d4::kResultNotOpen, {ps, ss}));
                return;
            }
            closeChannel(ps);
            queue(d4::transportReply(command, d4::kResultOk, {ps, ss}));
            return;
        }
        case d4::kCredit:
        case d4::kCreditRequest: {
            const std::uint8_t ps = p[7];
            const std::uint8_t ss = p[8];
            Channel* ch = openChannelOrError(ps, ss);
            if (ch == nullptr) {
                return;
            }
            if (command == d4::kCredit) {
                addCredit(ch->creditFromHost, be16(p, 9));
                // The reply to Credit carries no amount: command, result, sockets.
                queue(d4::transportReply(command, d4::kResultOk, {ps, ss}));
                releaseHeld();
                return;
            }
            // The host asks for n packets at bytes 11-12 (bytes 9-10 are its maximum, 0xFFFF).
            const int granted = be16(p, 11);
            addCredit(ch->creditForHost, std::uint64_t(granted));
            queue(d4::transportReply(command, d4::kResultOk, {ps, ss, hi(granted), lo(granted)}));
            return;
        }
        case d4::kExit:
            closeChannel(d4::kControlSocket);
            closeChannel(d4::kDataSocket);
            packetMode_ = false;
            queue(d4::transportReply(command, d4::kResultOk));
            return;
        default:
            ++malformed_;
            queue(d4::errorPacket(p[0], p[1], d4::kErrorMalformed));
            return;
    }
}

void D4Device::handleChannel(const std::vector<std::uint8_t>& p) {
    if (!packetMode_) {
        return;
    }
    Channel* ch = channel(p[0]);
    if (ch == nullptr || !ch->open) {
        queue(d4::errorPacket(p[0], p[1], d4::kErrorChannelNotOpen));
        return;
    }
    if (ch->creditForHost > 0) {
        --ch->creditForHost;
    } else {
        ++hostOverruns_;  // the host sent without credit; the packet is still taken
    }
    listener_.onChannelData(p[0], p.data() + d4::kHeaderSize, p.size() - d4::kHeaderSize);
}

void D4Device::send(std::uint8_t socket, const std::vector<std::uint8_t>& payload) {
    Channel* ch = channel(socket);
    if (ch == nullptr || !ch->open) {
        return;
    }
    const std::size_t room = d4::kMaxPacket - d4::kHeaderSize;
    std::size_t at = 0;
    do {
        const std::size_t n = std::min(room, payload.size() - at);
        auto pkt = d4::packet(socket, 0x00, payload.data() + at, n);
        at += n;
        if (socket == d4::kDataSocket) {
            held_.push_back(std::move(pkt));
        } else {
            // The host grants one credit before each control request; the reply goes out even
            // if it did not, since the host waits for it.
            if (ch->creditFromHost > 0) {
                --ch->creditFromHost;
            }
            queue(std::move(pkt));
        }
    } while (at < payload.size());
    releaseHeld();
}

D4Device::Channel* D4Device::openChannelOrError(std::uint8_t primary, std::uint8_t secondary) {
    Channel* ch = channel(primary);
    if (ch == nullptr || !ch->open) {
        queue(d4::errorPacket(primary, secondary, d4::kErrorChannelNotOpen));
        return nullptr;
    }
    return ch;
}

void D4Device::releaseHeld() {
    while (!held_.empty() && data_.open && data_.creditFromHost > 0) {
        --data_.creditFromHost;
        queue(std::move(held_.front()));
        held_.pop_front();
    }
}

void D4Device::closeChannel(std::uint8_t socket) {
    Channel* ch = channel(socket);
    if (ch == nullptr) {
        return;
    }
    const bool wasOpen = ch->open;
    *ch = Channel{};
    if (socket == d4::kDataSocket) {
        held_.clear();
    }
    if (wasOpen) {
        listener_.onChannelClosed(socket);
    }
}

void D4Device::queue(std::vector<std::uint8_t> packet) {
    pendingBytes_ += packet.size();
    out_.push_back(std::move(packet));
}

std::size_t D4Device::pendingInPacket() const {
    return out_.empty() ? 0 : out_.front().size() - frontOffset_;
}

std::size_t D4Device::read(std::uint8_t* out, std::size_t max) {
    std::size_t done = 0;
    while (done < max && !out_.empty()) {
        const auto& front = out_.front();
        const std::size_t n = std::min(max - done, front.size() - frontOffset_);
        std::memcpy(out + done, front.data() + frontOffset_, n);
        done += n;
        frontOffset_ += n;
        if (frontOffset_ == front.size()) {
            out_.pop_front();
            frontOffset_ = 0;
        }
    }
    pendingBytes_ -= done;
    return done;
}

void D4Device::reset() {
    closeChannel(d4::kControlSocket);
    closeChannel(d4::kDataSocket);
    inbound_.clear();
    out_.clear();
    frontOffset_ = 0;
    pendingBytes_ = 0;
    held_.clear();
    packetMode_ = false;
    sessionPackets_ = 0;
    packetsSinceEntry_ = 0;
}

}  // namespace veltra::sim
