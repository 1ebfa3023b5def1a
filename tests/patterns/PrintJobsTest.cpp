#include <gtest/gtest.h>

#include <vector>

#include "tests/patterns/PatternRig.h"

namespace veltra {
namespace {

using namespace test;
using Bytes = std::vector<std::uint8_t>;
using K = Token::Kind;

// The kinds of the first n tokens.
std::vector<K> Head(const std::vector<Token>& tokens, std::size_t n) {
    std::vector<K> out;
    for (std::size_t i = 0; i < n && i < tokens.size(); ++i) {
        out.push_back(tokens[i].kind);
    }
    return out;
}

const Token* FirstOf(const std::vector<Token>& tokens, K kind) {
    const auto all = OfKind(tokens, kind);
    return all.empty() ? nullptr : all.front();
}

TEST(PrintJobs, BidPrintBracketsRemoteModeThenEjectsThePage) {
    PatternRig rig;
    const PrintResult r = rig.jobs.BidPrint();
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.failedStep, PrintStep::None);
    const auto tokens = rig.tokens();
    EXPECT_EQ(Head(tokens, 4),
              (std::vector<K>{K::EnterRemote, K::RemoteCommand, K::ExitRemote, K::Init}));
    EXPECT_EQ(tokens[1].bytes, Bytes({'S', 'N', 0x00, 0x00, 0x00}));
    // The pattern's last frame, then the form feed, flushed.
    ASSERT_GE(tokens.size(), 2u);
    EXPECT_EQ(tokens.back().kind, K::FormFeed);
    const auto calls = FactoryCalls(tokens);
    EXPECT_EQ(calls.back(), (FactoryCall{kHeadAngleMode, {0xFF}}));
    EXPECT_EQ(CountKind(tokens, K::FormFeed), 2u);
    EXPECT_EQ(rig.link.stagedCount(), 0u);
}

TEST(PrintJobs, PfPrintWaitsThenPrints) {
    PatternRig rig;
    ASSERT_TRUE(rig.jobs.PfPrint().ok());
    const auto tokens = rig.tokens();
    EXPECT_EQ(Head(tokens, 2), (std::vector<K>{K::Init, K::Text}));
    EXPECT_EQ(tokens[1].text(), std::string("PF pattern") + '\0');
    EXPECT_EQ(CountKind(tokens, K::EnterRemote), 0u);
}

TEST(PrintJobs, TopMarginPrintInitialisesThenSendsSnZeroThree) {
    PatternRig rig;
    ASSERT_TRUE(rig.jobs.TopMarginPrint().ok());
    const auto tokens = rig.tokens();
    // The wait's initialise, the job's own ESC @, then the remote bracket.
    EXPECT_EQ(Head(tokens, 5),
              (std::vector<K>{K::Init, K::Init, K::EnterRemote, K::RemoteCommand, K::ExitRemote}));
    EXPECT_EQ(tokens[3].bytes, Bytes({'S', 'N', 0x00, 0x00, 0x03}));
    EXPECT_EQ(OfKind(tokens, K::Band).size(), 1u);
}

TEST(PrintJobs, HeadAnglePrintLeavesThePageOpen) {
    PatternRig rig;
    ASSERT_TRUE(rig.jobs.HeadAnglePrint().ok());
    auto tokens = rig.tokens();
    EXPECT_EQ(CountKind(tokens, K::FormFeed), 0u);
    const auto calls = FactoryCalls(tokens);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], (FactoryCall{kHeadAngleMode, {0x00}}));
    EXPECT_EQ(calls[1], (FactoryCall{kHeadAngleEnd, {}}));
    EXPECT_EQ(calls[2], (FactoryCall{kHeadAngleMode, {0xFF}}));
    // The mode frame comes before the strokes; ESC @ after the last band, before the end frame.
    const Token* firstBand = FirstOf(tokens, K::Band);
    ASSERT_NE(firstBand, nullptr);
    EXPECT_LT(OfKind(tokens, K::Factory)[0]->begin, firstBand->begin);
    const auto lastBand = OfKind(tokens, K::Band).back();
    const auto end = OfKind(tokens, K::Factory)[1];
    const auto between = std::count_if(tokens.begin(), tokens.end(), [&](const Token& t) {
        return t.kind == K::Init && t.begin > lastBand->end && t.begin < end->begin;
    });
    EXPECT_EQ(between, 1);

    ASSERT_TRUE(rig.jobs.EjectPage().ok());
    tokens = rig.tokens();
    EXPECT_EQ(tokens.back().kind, K::FormFeed);
    EXPECT_EQ(rig.link.stagedCount(), 0u);
}

TEST(PrintJobs, HeadAnglePrintNamesTheFailedStep) {
    long total = 0;
    {
        PatternRig rig;
        ASSERT_TRUE(rig.jobs.HeadAnglePrint().ok());
        total = rig.printer.writeAttempts;
    }
    // Fail each port write in turn: the failed steps come in the job's order, and only a
    // failure inside the pattern is reported as 0x5001.
    std::vector<PrintStep> steps;
    for (long k = 1; k <= total; ++k) {
        PatternRig rig;
        rig.failWrite(k);
        const PrintResult r = rig.jobs.HeadAnglePrint();
        ASSERT_EQ(r.status, kPortFailure) << k;
        EXPECT_EQ(rig.printer.attemptsAfterFailure, 0) << k;
        EXPECT_EQ(HeadAngleReportStatus(r),
                  r.failedStep == PrintStep::Pattern ? kHeadAnglePatternFailed : kPortFailure);
        if (steps.empty() || steps.back() != r.failedStep) {
            steps.push_back(r.failedStep);
        }
    }
    EXPECT_EQ(steps, (std::vector<PrintStep>{PrintStep::WaitReady, PrintStep::HeadAngleModeOn,
                                             PrintStep::Pattern, PrintStep::HeadAngleEnd,
                                             PrintStep::HeadAngleModeOff}));
}

TEST(PrintJobs, ReportPrintBracketsRemoteModeFirst) {
    PatternRig rig;
    rig.printer.eeprom[0xAF] = 0;
    for (std::uint8_t a = 0xC2; a <= 0xD3; ++a) {
        rig.printer.eeprom[a] = 'A';
    }
    ASSERT_TRUE(rig.jobs.ReportPrint().ok());
    const auto tokens = rig.tokens();
    EXPECT_EQ(Head(tokens, 3), (std::vector<K>{K::EnterRemote, K::RemoteCommand, K::ExitRemote}));
    EXPECT_EQ(tokens[1].bytes, Bytes({'S', 'N', 0x00, 0x00, 0x00}));
    EXPECT_EQ(CountKind(tokens, K::FormFeed), 4u);
}

TEST(PrintJobs, AFailedRemoteFrameStopsTheJob) {
    PatternRig rig;
    rig.failWrite(1);
    const PrintResult r = rig.jobs.ReportPrint();
    EXPECT_EQ(r.status, kPortFailure);
    EXPECT_EQ(r.failedStep, PrintStep::EnterRemote);
    EXPECT_EQ(rig.printer.attemptsAfterFailure, 0);
}

}  // namespace
}  // namespace veltra
