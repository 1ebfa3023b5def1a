#include "patterns/PrintJobs.h"

namespace veltra {

// VELTRA_TRY for the print jobs: runs one step, and a failure becomes the job's result together
// with the step that failed, which the callers word their messages by.
#define VELTRA_STEP(step, expr)             \
    do {                                    \
        const Status s_ = (expr);           \
        if (s_ != kOk) {                    \
            return PrintResult{s_, (step)}; \
        }                                   \
    } while (false)

Status HeadAngleReportStatus(const PrintResult& result) {
    return result.failedStep == PrintStep::Pattern ? kHeadAnglePatternFailed : result.status;
}

PrintResult PrintJobs::RemoteBracket(std::uint8_t p2) {
    VELTRA_STEP(PrintStep::EnterRemote, remote_.EnterRemote());
    VELTRA_STEP(PrintStep::RemoteSN, remote_.RemoteSN(kSnPatternP1, p2));
    VELTRA_STEP(PrintStep::ExitRemote, remote_.ExitRemote());
    return {};
}

PrintResult PrintJobs::BidPrint() {
    VELTRA_TRY(RemoteBracket(kSnPatternP2));
    VELTRA_STEP(PrintStep::Pattern, raster_.BidAdjustmentPrint());
    VELTRA_STEP(PrintStep::FormFeed, raster_.FormFeed());
    return {};
}

PrintResult PrintJobs::PfPrint() {
    VELTRA_STEP(PrintStep::WaitReady, link_.WaitUntilReady());
    VELTRA_STEP(PrintStep::Pattern, raster_.PaperFeed());
    return {};
}

PrintResult PrintJobs::TopMarginPrint() {
    VELTRA_STEP(PrintStep::WaitReady, link_.WaitUntilReady());
    VELTRA_STEP(PrintStep::InitPrinter, raster_.InitPrinter());
    VELTRA_TRY(RemoteBracket(kSnTopMarginP2));
    VELTRA_STEP(PrintStep::Pattern, raster_.TopMargin());
    return {};
}

PrintResult PrintJobs::HeadAnglePrint() {
    VELTRA_STEP(PrintStep::WaitReady, link_.WaitUntilReady());
    VELTRA_STEP(PrintStep::HeadAngleModeOn, factory_.HeadAngleMode(kHeadAngleModeOn));
    PrintResult result = HeadAngleBody();
    if (!result.ok() && result.failedStep != PrintStep::HeadAngleModeOff &&
        result.status != kPortFailure) {
        // The printer is in head angle mode and the link still answers: take it out of the mode
        // (best effort; the first failure stays the result).
        link_.DropStagedData();
        factory_.HeadAngleMode(kHeadAngleModeOff);
    }
    return result;
}

PrintResult PrintJobs::HeadAngleBody() {
    VELTRA_STEP(PrintStep::Pattern, raster_.HeadAngular());
    VELTRA_STEP(PrintStep::InitPrinter, raster_.InitPrinter());
    VELTRA_STEP(PrintStep::HeadAngleEnd, factory_.HeadAngleEnd());
    VELTRA_STEP(PrintStep::HeadAngleModeOff, factory_.HeadAngleMode(kHeadAngleModeOff));
    return {};
}

PrintResult PrintJobs::EjectPage() {
    VELTRA_STEP(PrintStep::FormFeed, raster_.FormFeed());
    return {};
}

PrintResult PrintJobs::ReportPrint() {
    VELTRA_TRY(RemoteBracket(kSnPatternP2));
    VELTRA_STEP(PrintStep::Pattern, report_.CheckPatternPrint());
    return {};
}

#undef VELTRA_STEP

}  // namespace veltra
