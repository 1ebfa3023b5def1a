#pragma once
// The print data channel's byte stream, parsed as it comes: a command may be split across any
// number of packets. Text mode bytes, the raster commands, raster bands with their run-coded
// lines, remote mode (ESC ( R ... "REMOTE1" up to ESC 00 00 00) and factory frames (ESC |) each
// come out as one PrintCommand, in stream order.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sim/VirtualPrinter.h"

namespace veltra::sim {

// Run-coded raster data: a header byte h of 0-127 is followed by h+1 literal bytes; 129-255 by
// one byte to repeat 257-h times; 128 repeats the next byte 129 times (the program writes a run
// of 129 as 0x80). Decodes whole runs only, so that a run split between packets waits.
class RunDecoder {
public:
    // total: bytes the band announces; store false counts without keeping them. The output grows
    // as runs arrive: nothing is set aside for what the header only announces.
    explicit RunDecoder(std::size_t total, bool store = true);
    // Consumes whole runs from data, up to the announced total; returns the bytes consumed
    // (0 when the next run has not fully arrived).
    std::size_t feed(const std::uint8_t* data, std::size_t n);
    bool done() const { return produced_ >= total_; }
    const std::vector<std::uint8_t>& output() const { return out_; }
    // Bytes that runs carried beyond the announced total; they are dropped.
    std::size_t overflow() const { return overflow_; }

private:
    void append(std::uint8_t v, std::size_t count, const std::uint8_t* literal);

    std::size_t total_;
    bool store_;
    std::size_t produced_ = 0;
    std::size_t overflow_ = 0;
    std::vector<std::uint8_t> out_;
};

class PrintStream {
public:
    // The most a band can carry: one pass of the head's 180 nozzles across the widest sheet
    // (17 in) at 1440 dots per inch and 2 bits per dot. A band header that claims more is a
    // malformed command: it comes out as Unknown and what follows is parsed as commands.
    static constexpr std::size_t kMaxBandLineBytes = 17 * 1440 * 2 / 8;
    static constexpr std::size_t kMaxBandLines = 180;
    static constexpr std::size_t kMaxBandBytes = kMaxBandLineBytes * kMaxBandLines;

    explicit PrintStream(std::function<void(PrintCommand&&)> onCommand)
        : onCommand_(std::move(onCommand)) {}

    void feed(const std::uint8_t* data, std::size_t n);
    // Drops a half-received command and leaves remote mode (the channel was closed).
    void reset();

    bool inRemoteMode() const { return remote_; }
    bool inBand() const { return band_.has_value(); }
    std::size_t bufferedBytes() const { return buffer_.size(); }
    // Raster runs that ran past their band.
    std::size_t overflowBytes() const { return overflowBytes_; }
    // Band headers refused for claiming more than a band can carry.
    std::size_t refusedBands() const { return refusedBands_; }

private:
    struct Band {
        PrintCommand command;
        std::size_t total = 0;
        bool compressed = true;
        RunDecoder decoder;
        std::vector<std::uint8_t> raw;  // uncompressed bands
        std::size_t rawCount = 0;
    };

    std::size_t step(const std::uint8_t* p, std::size_t n);
    std::size_t normal(const std::uint8_t* p, std::size_t n);
    std::size_t remoteStep(const std::uint8_t* p, std::size_t n);
    std::size_t escape(const std::uint8_t* p, std::size_t n);
    std::size_t parenCommand(const std::uint8_t* p, std::size_t n);
    std::size_t factoryFrame(const std::uint8_t* p, std::size_t n);
    std::size_t bandData(const std::uint8_t* p, std::size_t n);
    void startBand(const std::uint8_t* header);
    void finishBand();
    void finishText();
    void emit(PrintCommand::Kind kind, std::vector<std::uint8_t> bytes = {});

    std::function<void(PrintCommand&&)> onCommand_;
    std::vector<std::uint8_t> buffer_;
    bool remote_ = false;
    bool textOpen_ = false;
    std::vector<std::uint8_t> text_;
    std::optional<Band> band_;
    std::size_t overflowBytes_ = 0;
    std::size_t refusedBands_ = 0;
};

}  // namespace veltra::sim
