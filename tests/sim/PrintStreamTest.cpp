// The print data stream parser: run decoding, every command kind, and commands split between
// packets at any byte.
#include <gtest/gtest.h>

#include "SimTestUtil.h"
#include "sim/PrintStream.h"

namespace veltra::sim::test {
namespace {

using K = PrintCommand::Kind;

struct RunCase {
    const char* name;
    Bytes data;
    std::size_t total;
    Bytes expected;
    std::size_t consumed;
    std::size_t overflow;
};

TEST(RunDecoder, DecodesRunsAsTheProgramWritesThem) {
    Bytes literal128 = {0x7F};
    for (int i = 0; i < 128; ++i) {
        literal128.push_back(std::uint8_t(i));
    }
    Bytes counting(128);
    for (int i = 0; i < 128; ++i) {
        counting[std::size_t(i)] = std::uint8_t(i);
    }
    const RunCase cases[] = {
        {"single byte run (n=1 -> 0x00)", {0x00, 0xC0}, 1, {0xC0}, 2, 0},
        {"110 repeats (0x93)", {0x93, 0xFF}, 110, Bytes(110, 0xFF), 2, 0},
        {"129 repeats (0x80)", {0x80, 0x00}, 129, Bytes(129, 0x00), 2, 0},
        {"two repeats (0xFF)", {0xFF, 0x55}, 2, {0x55, 0x55}, 2, 0},
        {"literal of three", {0x02, 1, 2, 3}, 3, {1, 2, 3}, 4, 0},
        {"literal of 128", literal128, 128, counting, 129, 0},
        {"runs in sequence", {0xFE, 0xFF, 0x00, 0xC0}, 4, {0xFF, 0xFF, 0xFF, 0xC0}, 4, 0},
        {"run past the band is cut", {0xFD, 0x11}, 2, {0x11, 0x11}, 2, 2},
        {"stops at the band's end", {0xFF, 0x11, 0xFF, 0x22}, 2, {0x11, 0x11}, 2, 0},
        {"literal not yet complete", {0x02, 1, 2}, 3, {}, 0, 0},
        {"repeat missing its byte", {0x93}, 110, {}, 0, 0},
    };
    for (const RunCase& c : cases) {
        RunDecoder d(c.total);
        EXPECT_EQ(d.feed(c.data.data(), c.data.size()), c.consumed) << c.name;
        EXPECT_EQ(d.output(), c.expected) << c.name;
        EXPECT_EQ(d.overflow(), c.overflow) << c.name;
    }
}

// A print job as the program writes it, with remote mode and factory frames.
Bytes sampleJob() {
    Bytes s;
    auto add = [&](const Bytes& b) { s.insert(s.end(), b.begin(), b.end()); };
    add({0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 'R', 'E', 'M', 'O', 'T', 'E', '1'});
    add({'S', 'N', 0x03, 0x00, 0x00, 0x00, 0x03});
    add({0x1B, 0x00, 0x00, 0x00, 0x1B, 0x40});
    add(factoryFrame(0x3A, 0x91, 0xD1, 0x2E, 0xE8, {0x00}));
    // PrepareRaster(10, 1, 4, 0)
    add({0x1B, 0x40, 0x1B, 0x28, 0x47, 0x01, 0x00, 0x01, 0x1B, 0x28, 0x55,
         0x01, 0x00, 0x0A, 0x1B, 0x55, 0x01, 0x1B, 0x28, 0x65, 0x02, 0x00,
         0x00, 0x10, 0x1B, 0x28, 0x4B, 0x02, 0x00, 0x00, 0x01});
    add({0x1B, 0x28, 0x44, 0x04, 0x00, 0x68, 0x01, 0x02, 0x01});
    // Band: black, 4 bytes per line, 2 lines.
    add({0x1B, 0x69, 0x00, 0x01, 0x02, 0x04, 0x00, 0x02, 0x00});
    add({0xFE, 0xFF, 0x00, 0xC0});
    add({0x01, 0x12, 0x34, 0xFF, 0x55});
    add({0x1B, 0x28, 0x76, 0x02, 0x00, 0x66, 0x01, 0x0D});
    add({0x1B, 0x24, 0x00, 0x00});
    add(text("BK-YMC"));
    add({0x00, 0x0D, 0x0A});
    add({0x1B, 0x28, 0x53, 0x08, 0x00, 1, 2, 3, 4, 5, 6, 7, 8});
    add({0x1B, 0x28, 0x63, 0x08, 0x00, 8, 7, 6, 5, 4, 3, 2, 1});
    add({0x0C});
    return s;
}

const std::vector<K> kSampleKinds = {
    K::EnterRemote,    K::RemoteCommand, K::ExitRemote,     K::Init,         K::Factory,
    K::Init,           K::GraphicsMode,  K::Unit,           K::Direction,    K::DotSize,
    K::ColorMode,      K::Resolution,    K::RasterBand,     K::VerticalMove, K::CarriageReturn,
    K::HorizontalMove, K::Text,          K::CarriageReturn, K::LineFeed,     K::PaperSize,
    K::PageFormat,     K::FormFeed,
};

std::vector<PrintCommand> parse(const Bytes& s, std::size_t chunk) {
    std::vector<PrintCommand> out;
    PrintStream ps([&](PrintCommand&& c) { out.push_back(std::move(c)); });
    for (std::size_t at = 0; at < s.size(); at += chunk) {
        ps.feed(s.data() + at, std::min(chunk, s.size() - at));
    }
    EXPECT_EQ(ps.bufferedBytes(), 0u);
    EXPECT_FALSE(ps.inRemoteMode());
    EXPECT_FALSE(ps.inBand());
    return out;
}

TEST(PrintStream, ParsesEveryCommandOfAJobInOrder) {
    const auto cmds = parse(sampleJob(), sampleJob().size());
    std::vector<K> kinds;
    for (const auto& c : cmds) {
        kinds.push_back(c.kind);
    }
    ASSERT_EQ(kinds, kSampleKinds);
    EXPECT_EQ(cmds[0].bytes, (Bytes{0x00, 'R', 'E', 'M', 'O', 'T', 'E', '1'}));
    EXPECT_EQ(cmds[1].bytes, (Bytes{'S', 'N', 0x00, 0x00, 0x03}));
    EXPECT_EQ(cmds[4].bytes, (Bytes{0x3A, 0x91, 0xD1, 0x2E, 0xE8, 0x00}));
    EXPECT_EQ(cmds[7].bytes, (Bytes{0x0A}));
    EXPECT_EQ(cmds[8].bytes, (Bytes{0x01}));
    EXPECT_EQ(cmds[9].bytes, (Bytes{0x00, 0x10}));
    const PrintCommand& band = cmds[12];
    EXPECT_EQ(band.colour, 0x00);
    EXPECT_EQ(band.bytesPerLine, 4);
    ASSERT_EQ(band.lines.size(), 2u);
    EXPECT_EQ(band.lines[0], (Bytes{0xFF, 0xFF, 0xFF, 0xC0}));
    EXPECT_EQ(band.lines[1], (Bytes{0x12, 0x34, 0x55, 0x55}));
    EXPECT_EQ(cmds[13].bytes, (Bytes{0x66, 0x01}));
    EXPECT_EQ(cmds[16].bytes, text("BK-YMC"));
    EXPECT_EQ(cmds[19].bytes, (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(PrintStream, SplittingTheStreamAnywhereChangesNothing) {
    const Bytes job = sampleJob();
    const auto whole = parse(job, job.size());
    for (std::size_t chunk : {1u, 2u, 3u, 5u, 7u, 13u, 64u}) {
        const auto split = parse(job, chunk);
        ASSERT_EQ(split.size(), whole.size()) << chunk;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            EXPECT_EQ(split[i].kind, whole[i].kind) << chunk << " at " << i;
            EXPECT_EQ(split[i].bytes, whole[i].bytes) << chunk << " at " << i;
            EXPECT_EQ(split[i].lines, whole[i].lines) << chunk << " at " << i;
        }
    }
}

TEST(PrintStream, WideBandOfLongRunsAndColourBand) {
    // 720 zero bytes as six runs of 120 (0x89), then a colour band of 60 lines of one byte.
    Bytes s = {0x1B, 0x69, 0x00, 0x01, 0x02, 0xD0, 0x02, 0x01, 0x00};
    for (int i = 0; i < 6; ++i) {
        s.insert(s.end(), {0x89, 0x00});
    }
    s.insert(s.end(), {0x1B, 0x69, 0x01, 0x01, 0x02, 0x01, 0x00, 0x3C, 0x00});
    for (int i = 0; i < 60; ++i) {
        s.insert(s.end(), {0x00, std::uint8_t(i)});
    }
    const auto cmds = parse(s, 100);
    ASSERT_EQ(cmds.size(), 2u);
    ASSERT_EQ(cmds[0].lines.size(), 1u);
    EXPECT_EQ(cmds[0].lines[0], Bytes(720, 0x00));
    EXPECT_EQ(cmds[1].colour, 0x01);
    ASSERT_EQ(cmds[1].lines.size(), 60u);
    EXPECT_EQ(cmds[1].lines[59], Bytes{59});
}

TEST(PrintStream, UncompressedBandTakesRawBytes) {
    const Bytes s = {0x1B, 0x69, 0x00, 0x00, 0x02, 0x02, 0x00, 0x02, 0x00, 0x1B, 0x40, 0x0D, 0x0A};
    const auto cmds = parse(s, 3);
    ASSERT_EQ(cmds.size(), 1u);
    EXPECT_EQ(cmds[0].lines, (std::vector<Bytes>{{0x1B, 0x40}, {0x0D, 0x0A}}));
}

// A band can carry at most one head pass across the widest sheet; a header that claims more is
// refused as a malformed command and the stream goes on with what follows it.
TEST(PrintStream, BandHeaderClaimingMoreThanABandCanCarryIsRefused) {
    struct Case {
        const char* name;
        std::uint16_t bytesPerLine;
        std::uint16_t lines;
        bool refused;
    };
    const std::size_t widest = PrintStream::kMaxBandLineBytes;
    const Case cases[] = {
        {"the largest band", std::uint16_t(widest), 180, false},
        {"one line more", std::uint16_t(widest), 181, true},
        {"both at their most", 0xFFFF, 0xFFFF, true},
    };
    for (const auto& c : cases) {
        Bytes s = {0x1B,
                   0x69,
                   0x00,
                   0x01,
                   0x02,
                   std::uint8_t(c.bytesPerLine & 0xFF),
                   std::uint8_t(c.bytesPerLine >> 8),
                   std::uint8_t(c.lines & 0xFF),
                   std::uint8_t(c.lines >> 8)};
        s.insert(s.end(), {0x1B, 0x40});
        std::vector<PrintCommand> out;
        PrintStream ps([&out](PrintCommand&& cmd) { out.push_back(std::move(cmd)); });
        ps.feed(s.data(), s.size());
        EXPECT_EQ(ps.inBand(), !c.refused) << c.name;
        EXPECT_EQ(ps.refusedBands(), c.refused ? 1u : 0u) << c.name;
        if (c.refused) {
            ASSERT_EQ(out.size(), 2u) << c.name;
            EXPECT_EQ(out[0].kind, K::Unknown) << c.name;
            EXPECT_EQ(out[0].bytes, Bytes(s.begin() + 1, s.begin() + 9)) << c.name;
            EXPECT_EQ(out[1].kind, K::Init) << c.name;
        }
    }
}

// Once a page is ejected (and the observer has rendered it), its commands are let go: a printer
// that runs for long holds one page at most.
TEST(PrintStream, PrinterReleasesTheCommandsOfEjectedPages) {
    ManualClock clock;
    VirtualPrinter printer(clock, 0);
    std::vector<K> seen;
    printer.setPrintCommandObserver([&seen](const PrintCommand& c) { seen.push_back(c.kind); });
    Host host(printer);
    host.start();
    host.printData({0x1B, 0x40, 'A', 0x0C, 0x1B, 0x40, 'B', 0x0C, 0x1B, 0x40});
    EXPECT_EQ(seen, (std::vector<K>{K::Init, K::Text, K::FormFeed, K::Init, K::Text, K::FormFeed,
                                    K::Init}));
    ASSERT_EQ(printer.printCommands().size(), 1u);
    EXPECT_EQ(printer.printCommands()[0].kind, K::Init);

    printer.keepPrintRecord(true);
    host.printData({'C', 0x0C});
    EXPECT_EQ(printer.printCommands().size(), 3u);
}

TEST(PrintStream, TextEndsAtItsZeroByteOrAtAControlByte) {
    const Bytes s = {'A', 'B', 0x00, 'C', 0x0D, 0x00, 'D', 0x1B, 0x40};
    const auto cmds = parse(s, 1);
    ASSERT_EQ(cmds.size(), 5u);
    EXPECT_EQ(cmds[0].kind, K::Text);
    EXPECT_EQ(cmds[0].bytes, text("AB"));
    EXPECT_EQ(cmds[1].bytes, text("C"));
    EXPECT_EQ(cmds[2].kind, K::CarriageReturn);
    EXPECT_EQ(cmds[3].bytes, text("D"));
    EXPECT_EQ(cmds[4].kind, K::Init);
}

TEST(PrintStream, UnknownCommandsAreRecordedAndSkipped) {
    const Bytes s = {0x1B, 0x28, 0x5A, 0x01, 0x00, 0x05, 0x1B, 0x7E, 0x1B, 0x40,
                     // ESC ( R with another keyword does not enter remote mode
                     0x1B, 0x28, 0x52, 0x02, 0x00, 'X', 'Y', 0x1B, 0x40};
    const auto cmds = parse(s, 2);
    ASSERT_EQ(cmds.size(), 5u);
    EXPECT_EQ(cmds[0].kind, K::Unknown);
    EXPECT_EQ(cmds[0].bytes, (Bytes{0x28, 0x5A, 0x01, 0x00, 0x05}));
    EXPECT_EQ(cmds[1].kind, K::Unknown);
    EXPECT_EQ(cmds[1].bytes, Bytes{0x7E});
    EXPECT_EQ(cmds[2].kind, K::Init);
    EXPECT_EQ(cmds[3].kind, K::Unknown);
    EXPECT_EQ(cmds[4].kind, K::Init);
}

TEST(PrintStream, ResetDropsAHalfCommandAndRemoteMode) {
    std::vector<PrintCommand> out;
    PrintStream ps([&](PrintCommand&& c) { out.push_back(std::move(c)); });
    const Bytes enter = {0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 'R', 'E',
                         'M',  'O',  'T',  'E',  '1',  'S',  'N', 0x03};
    ps.feed(enter.data(), enter.size());
    EXPECT_TRUE(ps.inRemoteMode());
    ps.reset();
    EXPECT_FALSE(ps.inRemoteMode());
    const Bytes init = {0x1B, 0x40};
    ps.feed(init.data(), init.size());
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].kind, K::Init);
}

TEST(PrintStream, PrinterStampsCommandsWithTheClock) {
    ManualClock clock(1000);
    VirtualPrinter printer(clock, 0);
    Host host(printer);
    host.start();
    host.printData({0x1B, 0x40, 0x1B, 0x28});
    clock.advance(250);
    host.printData({0x55, 0x01, 0x00, 0x0A});
    ASSERT_EQ(printer.printCommands().size(), 2u);
    EXPECT_EQ(printer.printCommands()[0].atMs, 1000);
    EXPECT_EQ(printer.printCommands()[1].kind, K::Unit);
    EXPECT_EQ(printer.printCommands()[1].atMs, 1250);
}

}  // namespace
}  // namespace veltra::sim::test
