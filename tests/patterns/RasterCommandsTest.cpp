#include <gtest/gtest.h>

#include <vector>

#include "patterns/PatternProgram.h"
#include "patterns/RasterBytes.h"
#include "tests/patterns/PatternRig.h"

namespace veltra {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::PatternRig;
using test::Token;

Bytes Of(const raster::Command& c) {
    return {c.bytes().begin(), c.bytes().end()};
}

struct CommandCase {
    const char* name;
    raster::Command command;
    Bytes expected;
};

TEST(RasterBytes, EveryCommandHasItsExactBytes) {
    const CommandCase cases[] = {
        {"InitPrinter", raster::InitPrinter(), {0x1B, 0x40}},
        {"SetGraphicsMode", raster::GraphicsMode(), {0x1B, 0x28, 0x47, 0x01, 0x00, 0x01}},
        {"SetUnit(10)", raster::Unit(10), {0x1B, 0x28, 0x55, 0x01, 0x00, 0x0A}},
        {"SetPrintDirection(1)", raster::PrintDirection(1), {0x1B, 0x55, 0x01}},
        {"SetPrintDirection(0)", raster::PrintDirection(0), {0x1B, 0x55, 0x00}},
        {"SetDotSize(7)", raster::DotSize(7), {0x1B, 0x28, 0x65, 0x02, 0x00, 0x00, 0x13}},
        {"ColourMode(02)", raster::ColourMode(0x02), {0x1B, 0x28, 0x4B, 0x02, 0x00, 0x00, 0x02}},
        {"CarriageReturn", raster::CarriageReturn(), {0x0D}},
        {"SetVerticalPosition(358)",
         raster::VerticalPosition(358),
         {0x1B, 0x28, 0x76, 0x02, 0x00, 0x66, 0x01, 0x0D}},
        {"SetVerticalPosition(0)",
         raster::VerticalPosition(0),
         {0x1B, 0x28, 0x76, 0x02, 0x00, 0x00, 0x00, 0x0D}},
        {"SetVerticalPosition(-1)",
         raster::VerticalPosition(-1),
         {0x1B, 0x28, 0x76, 0x02, 0x00, 0xFF, 0xFF, 0x0D}},
        {"SetHorizontalPosition(0)", raster::HorizontalPosition(0), {0x1B, 0x24, 0x00, 0x00}},
        {"SetHorizontalPosition(0x1234)",
         raster::HorizontalPosition(0x1234),
         {0x1B, 0x24, 0x34, 0x12}},
        {"SetRasterResolution",
         raster::RasterResolution(0x68, 0x01, 0x02, 0x01),
         {0x1B, 0x28, 0x44, 0x04, 0x00, 0x68, 0x01, 0x02, 0x01}},
        {"StartRasterBand 180 lines of 720",
         raster::RasterBand(0x00, 1, 2, 208, 2, 180, 0),
         {0x1B, 0x69, 0x00, 0x01, 0x02, 0xD0, 0x02, 0xB4, 0x00}},
        {"RepeatSend(1, C0)", raster::Repeat(1, 0xC0), {0x00, 0xC0}},
        {"RepeatSend(2, FF)", raster::Repeat(2, 0xFF), {0xFF, 0xFF}},
        {"RepeatSend(110, FF)", raster::Repeat(110, 0xFF), {0x93, 0xFF}},
        {"RepeatSend(129, 00)", raster::Repeat(129, 0x00), {0x80, 0x00}},
        {"SetPaperSize A4",
         raster::PaperSize(raster::TwoLongs(2976, 4208)),
         {0x1B, 0x28, 0x53, 0x08, 0x00, 0xA0, 0x0B, 0x00, 0x00, 0x70, 0x10, 0x00, 0x00}},
        {"SetPageFormat",
         raster::PageFormat(raster::TwoLongs(0x2A, 7966)),
         {0x1B, 0x28, 0x63, 0x08, 0x00, 0x2A, 0x00, 0x00, 0x00, 0x1E, 0x1F, 0x00, 0x00}},
        {"line feed", raster::LineFeed(), {0x0D, 0x0A}},
        {"FormFeed", raster::FormFeed(), {0x0C}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Of(c.command), c.expected) << c.name;
        EXPECT_LE(c.command.size, 13u) << c.name;
    }
}

TEST(RasterBytes, DotSizeAndColourTables) {
    const std::pair<int, std::uint8_t> dots[] = {{0, 0x00}, {1, 0x10}, {4, 0x10},  {2, 0x11},
                                                 {5, 0x11}, {3, 0x12}, {6, 0x12},  {7, 0x13},
                                                 {8, 0x14}, {9, 0x15}, {10, 0x00}, {-1, 0x00}};
    for (const auto& [code, byte] : dots) {
        EXPECT_EQ(raster::DotSizeByte(code), byte) << code;
    }
    const std::pair<std::uint8_t, std::uint8_t> colours[] = {
        {0x00, 0x00}, {0x81, 0x01}, {0x82, 0x11}, {0x83, 0x02},
        {0x84, 0x12}, {0x85, 0x04}, {0x86, 0x24}};
    for (const auto& [code, byte] : colours) {
        EXPECT_EQ(raster::ColourByte(code), byte) << int(code);
    }
    EXPECT_FALSE(raster::ColourByte(0x80).has_value());
    EXPECT_FALSE(raster::ColourByte(0x87).has_value());
    EXPECT_EQ(raster::ColourModeByte(0), 0x01);
    EXPECT_EQ(raster::ColourModeByte(128), 0x02);
    EXPECT_FALSE(raster::ColourModeByte(1).has_value());
}

TEST(RunList, WidthRejectsMalformedLists) {
    using raster::Group;
    using raster::Run;
    const raster::Item ok[] = {Group(34, 2), Run(1, 0x30), Run(9, 0),
                               Run(20, 0),   Group(3, 1),  Run(120, 0)};
    const raster::Item emptyRun[] = {Run(0, 0)};
    const raster::Item longRun[] = {Run(130, 0)};
    const raster::Item groupPastEnd[] = {Run(1, 0), Group(2, 2), Run(1, 0)};
    const raster::Item nested[] = {Group(2, 2), Group(2, 1), Run(1, 0)};
    EXPECT_EQ(raster::LineWidth(ok), 720);
    EXPECT_EQ(raster::LineWidth(emptyRun), -1);
    EXPECT_EQ(raster::LineWidth(longRun), -1);
    EXPECT_EQ(raster::LineWidth(groupPastEnd), -1);
    EXPECT_EQ(raster::LineWidth(nested), -1);

    std::vector<std::pair<int, int>> runs;
    raster::ForEachRun(ok, [&](int n, std::uint8_t v) {
        runs.emplace_back(n, v);
        return true;
    });
    ASSERT_EQ(runs.size(), 34u * 2 + 1 + 3);
    EXPECT_EQ(runs[0], std::make_pair(1, 0x30));
    EXPECT_EQ(runs[1], std::make_pair(9, 0));
    EXPECT_EQ(runs[68], std::make_pair(20, 0));
    EXPECT_EQ(runs[71], std::make_pair(120, 0));
}

TEST(ValueField, DecimalTextOverTheBlankField) {
    const std::pair<int, Bytes> cases[] = {
        {0, {0x30, 0x00, 0x20, 0x20, 0x00}},   {-2, {0x2D, 0x32, 0x00, 0x20, 0x00}},
        {10, {0x31, 0x30, 0x00, 0x20, 0x00}},  {-10, {0x2D, 0x31, 0x30, 0x00, 0x00}},
        {4, {0x34, 0x00, 0x20, 0x20, 0x00}},   {-128, {0x2D, 0x31, 0x32, 0x38, 0x00}},
        {127, {0x31, 0x32, 0x37, 0x00, 0x00}},
    };
    for (const auto& [value, bytes] : cases) {
        const auto field = ValueField(value);
        EXPECT_EQ(Bytes(field.begin(), field.end()), bytes) << value;
    }
    // Too long for the field: still five bytes ending in a zero byte, no stray text.
    const auto wide = ValueField(123456);
    EXPECT_EQ(Bytes(wide.begin(), wide.end()), Bytes({0x00, 0x20, 0x20, 0x20, 0x00}));
}

TEST(CounterField, FiveBytesStartingAsSpaces) {
    const std::pair<std::uint16_t, Bytes> cases[] = {
        {0, {0x30, 0x00, 0x20, 0x20, 0x20}},
        {65535, {0x36, 0x35, 0x35, 0x33, 0x35}},
        {3937, {0x33, 0x39, 0x33, 0x37, 0x00}},
        {42, {0x34, 0x32, 0x00, 0x20, 0x20}},
    };
    for (const auto& [value, bytes] : cases) {
        const auto field = CounterField(value);
        EXPECT_EQ(Bytes(field.begin(), field.end()), bytes) << value;
    }
}

// ---- Through the link ----------------------------------------------------------------------

TEST(TPRaster, PrepareRasterSendsTheSixCommandPreamble) {
    PatternRig rig;
    ASSERT_EQ(rig.raster.PrepareRaster(10, 1, 4, 0), kOk);
    ASSERT_EQ(rig.raster.FlushData(), kOk);
    const Bytes expected{0x1B, 0x40, 0x1B, 0x28, 0x47, 0x01, 0x00, 0x01, 0x1B, 0x28, 0x55,
                         0x01, 0x00, 0x0A, 0x1B, 0x55, 0x01, 0x1B, 0x28, 0x65, 0x02, 0x00,
                         0x00, 0x10, 0x1B, 0x28, 0x4B, 0x02, 0x00, 0x00, 0x01};
    EXPECT_EQ(rig.printer.printData, expected);
    EXPECT_EQ(rig.printer.dataPacketSizes, std::vector<std::size_t>{expected.size()});
}

TEST(TPRaster, StartRasterBandTranslatesTheColourCode) {
    PatternRig rig;
    ASSERT_EQ(rig.raster.StartRasterBand(0x85, 1, 2, 0xD0, 0x02, 60, 0), kOk);
    ASSERT_EQ(rig.raster.StartRasterBand(0x81, 1, 2, 0xD0, 0x02, 60, 0), kOk);
    ASSERT_EQ(rig.raster.FlushData(), kOk);
    const Bytes expected{0x1B, 0x69, 0x04, 0x01, 0x02, 0xD0, 0x02, 0x3C, 0x00,
                         0x1B, 0x69, 0x01, 0x01, 0x02, 0xD0, 0x02, 0x3C, 0x00};
    EXPECT_EQ(rig.printer.printData, expected);
}

TEST(TPRaster, LineFeedsAndFormFeed) {
    PatternRig rig;
    ASSERT_EQ(rig.raster.LineFeeds(0), kOk);
    EXPECT_EQ(rig.link.stagedCount(), 0u);
    ASSERT_EQ(rig.raster.LineFeeds(6), kOk);
    EXPECT_EQ(rig.link.stagedCount(), 12u);
    // The form feed flushes: the six pairs and the 0C leave together.
    ASSERT_EQ(rig.raster.FormFeed(), kOk);
    Bytes expected;
    for (int i = 0; i < 6; ++i) {
        expected.insert(expected.end(), {0x0D, 0x0A});
    }
    expected.push_back(0x0C);
    EXPECT_EQ(rig.printer.printData, expected);
    EXPECT_EQ(rig.link.stagedCount(), 0u);

    // Nothing else buffered: the 0C still leaves in a packet of its own.
    ASSERT_EQ(rig.raster.FormFeed(), kOk);
    EXPECT_EQ(rig.printer.dataPacketSizes, (std::vector<std::size_t>{13, 1}));
}

TEST(TPRaster, RunCountsOutsideOneTo129EndTheProgram) {
    for (const int n : {130, 0, -1, 1000}) {
        PatternRig rig;
        EXPECT_THROW(rig.raster.RepeatSend(n, 0x00), ProgramEnded) << n;
        ASSERT_EQ(rig.ui.ended.size(), 1u);
        EXPECT_EQ(rig.ui.ended[0], "RepeatSend() error");
        EXPECT_EQ(rig.link.stagedCount(), 0u) << "nothing is written";
    }
    PatternRig rig;
    EXPECT_EQ(rig.raster.RepeatSend(129, 0x00), kOk);
    EXPECT_TRUE(rig.ui.ended.empty());
}

TEST(TPRaster, UnknownColourModeShowsTheBoxAndSendsModeZero) {
    PatternRig rig;
    ASSERT_EQ(rig.raster.SetColorMode(64), kOk);
    ASSERT_EQ(rig.raster.SetColorMode(128), kOk);
    ASSERT_EQ(rig.raster.FlushData(), kOk);
    EXPECT_EQ(rig.ui.messages, (std::vector<test::RecordingHandler::Box>{
                                   {"error", "program miss!!!\nRaster:SetColorMode"}}));
    const Bytes expected{0x1B, 0x28, 0x4B, 0x02, 0x00, 0x00, 0x00,
                         0x1B, 0x28, 0x4B, 0x02, 0x00, 0x00, 0x02};
    EXPECT_EQ(rig.printer.printData, expected);
}

TEST(TPRaster, VerticalMovesAtOrBelowMinus256EndTheProgram) {
    for (const int v : {-256, -1000, 32768}) {
        PatternRig rig;
        EXPECT_THROW(rig.raster.SetVerticalPosition(v), ProgramEnded) << v;
        ASSERT_EQ(rig.ui.ended.size(), 1u);
        EXPECT_EQ(rig.ui.ended[0], "Program miss!!\nRaster.SetVerticalPosition");
        EXPECT_EQ(rig.link.stagedCount(), 0u);
    }
    PatternRig rig;
    ASSERT_EQ(rig.raster.SetVerticalPosition(-255), kOk);
    ASSERT_EQ(rig.raster.FlushData(), kOk);
    EXPECT_EQ(rig.printer.printData, Bytes({0x1B, 0x28, 0x76, 0x02, 0x00, 0x01, 0xFF, 0x0D}));
}

TEST(TPRaster, TextCarriesItsZeroByte) {
    PatternRig rig;
    ASSERT_EQ(rig.raster.WriteText("PF pattern"), kOk);
    ASSERT_EQ(rig.raster.FlushData(), kOk);
    ASSERT_EQ(rig.printer.printData.size(), 11u);
    EXPECT_EQ(rig.printer.printData.back(), 0x00);
}

TEST(TPRaster, AFailedWriteIsReturned) {
    PatternRig rig;
    ASSERT_EQ(rig.raster.LineFeeds(3), kOk);
    rig.failWrite(1);
    EXPECT_EQ(rig.raster.FormFeed(), kPortFailure);
}

}  // namespace
}  // namespace veltra
