#pragma once
// The objects a pattern needs, wired to the fake printer with the link started, on a manual
// clock. Records are cleared after the start so a test sees only its own traffic.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "link/Clock.h"
#include "link/Mald4comm.h"
#include "link/Malfactory.h"
#include "link/Malprinterdriver.h"
#include "link/Malremote.h"
#include "link/StartupChoice.h"
#include "patterns/Malcheckpattern.h"
#include "patterns/Malraster.h"
#include "patterns/PrintJobs.h"
#include "sim/FactoryFrame.h"
#include "tests/patterns/FakePrinterPort.h"
#include "tests/patterns/StreamParser.h"
#include "tests/support/RecordingHandler.h"

namespace veltra::test {

struct PatternRig {
    explicit PatternRig(int modelIndex = 0)
        : driver(clock, choice,
                 [this](std::uint16_t, const std::string&) {
                     return std::make_unique<FakePort>(printer);
                 }),
          link(driver, clock, ui),
          factory(link),
          remote(link),
          raster(link, factory, ui),
          report(raster, link, factory, choice),
          jobs(link, remote, factory, raster, report) {
        choice.modelIndex = modelIndex;
        choice.PortKind = kParallelKind;
        if (const ModelInfo* m = choice.model()) {
            choice.ModelNo = m->number;
            link.SetModelCode(m->code[0], m->code[1]);
            factory.SetModelCode(m->code[0], m->code[1]);
        }
        EXPECT_EQ(driver.OpenPort(0x401), kOk);
        EXPECT_EQ(link.StartLink(), kOk);
        printer.clearRecords();
    }

    std::vector<Token> tokens() const { return ParseStream(printer.printData); }

    // Makes the k-th port write from now fail once.
    void failWrite(long k) { printer.failWriteAt = printer.writeAttempts + k; }

    ManualClock clock;
    RecordingHandler ui;
    StartupChoice choice;
    FakePrinter printer;
    TPPrinterDriver driver;
    TPD4Comm link;
    TPFactory factory;
    TPRemote remote;
    TPRaster raster;
    TPCheckPattern report;
    PrintJobs jobs;
};

// Helpers over parsed streams.
inline std::vector<const Token*> OfKind(const std::vector<Token>& tokens, Token::Kind kind) {
    std::vector<const Token*> out;
    for (const Token& t : tokens) {
        if (t.kind == kind) {
            out.push_back(&t);
        }
    }
    return out;
}

inline std::size_t CountKind(const std::vector<Token>& tokens, Token::Kind kind) {
    return OfKind(tokens, kind).size();
}

inline std::vector<int> VerticalMoves(const std::vector<Token>& tokens) {
    std::vector<int> out;
    for (const Token* t : OfKind(tokens, Token::Kind::VerticalMove)) {
        out.push_back(t->verticalDistance());
    }
    return out;
}

// Factory frames as (command, parameters).
struct FactoryCall {
    std::uint8_t command;
    std::vector<std::uint8_t> params;
    friend bool operator==(const FactoryCall&, const FactoryCall&) = default;
};
inline std::vector<FactoryCall> FactoryCalls(const std::vector<Token>& tokens) {
    std::vector<FactoryCall> out;
    for (const Token* t : OfKind(tokens, Token::Kind::Factory)) {
        out.push_back({t->factoryCommand(), t->factoryParams()});
    }
    return out;
}

// Factory command bytes, as the virtual printer reads them.
using sim::factory::kFinishValues;
using sim::factory::kHeadAngleEnd;
using sim::factory::kHeadAngleMode;
using sim::factory::kSetBidValues;
using sim::factory::kSetPfValue;

// SetBidValues parameters: kind, black and colour as signed 16-bit little-endian.
inline FactoryCall SetBid(int kind, int black, int colour) {
    auto lo = [](int v) { return std::uint8_t(v & 0xFF); };
    auto hi = [](int v) { return std::uint8_t(v < 0 ? 0xFF : 0x00); };
    return {kSetBidValues, {std::uint8_t(kind), lo(black), hi(black), lo(colour), hi(colour)}};
}

// True when every line of every band ends exactly where a print-data packet ends.
inline bool EveryLineEndsAPacket(const std::vector<Token>& tokens,
                                 const std::vector<std::size_t>& packetEnds) {
    for (const Token* b : OfKind(tokens, Token::Kind::Band)) {
        for (std::size_t end : b->lineEnds) {
            if (!std::binary_search(packetEnds.begin(), packetEnds.end(), end)) {
                return false;
            }
        }
    }
    return true;
}

inline std::size_t TotalLines(const std::vector<Token>& tokens) {
    std::size_t n = 0;
    for (const Token* b : OfKind(tokens, Token::Kind::Band)) {
        n += b->lines.size();
    }
    return n;
}

}  // namespace veltra::test
