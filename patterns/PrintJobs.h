#pragma once
// The command order of each print item, shared by the windows and the command line. The texts
// shown around a print are the caller's; these functions only talk to the printer. Each returns
// the first failing status and the step at which it failed.
#include <cstdint>

#include "link/Mald4comm.h"
#include "link/Malfactory.h"
#include "link/Malremote.h"
#include "patterns/Malcheckpattern.h"
#include "patterns/Malraster.h"

namespace veltra {

enum class PrintStep : std::uint8_t {
    None,  // every step succeeded
    WaitReady,
    InitPrinter,
    EnterRemote,
    RemoteSN,
    ExitRemote,
    HeadAngleModeOn,
    Pattern,  // the pattern or report itself
    HeadAngleEnd,
    HeadAngleModeOff,
    FormFeed,
};

struct PrintResult {
    Status status = kOk;
    PrintStep failedStep = PrintStep::None;

    bool ok() const { return status == kOk; }
    friend bool operator==(const PrintResult&, const PrintResult&) = default;
};

inline bool failed(const PrintResult& result) {
    return !result.ok();
}

// The head angle pattern print reports a failed pattern with this status, which has no message
// and only unlocks the window; every other step reports its own status.
inline constexpr Status kHeadAnglePatternFailed = 0x5001;
Status HeadAngleReportStatus(const PrintResult& result);

// SN parameters before each print.
inline constexpr std::uint8_t kSnPatternP1 = 0;
inline constexpr std::uint8_t kSnPatternP2 = 0;
inline constexpr std::uint8_t kSnTopMarginP2 = 3;

class PrintJobs {
public:
    PrintJobs(TPD4Comm& link, TPRemote& remote, TPFactory& factory, TPRaster& raster,
              TPCheckPattern& report)
        : link_(link), remote_(remote), factory_(factory), raster_(raster), report_(report) {}

    // EnterRemote, RemoteSN(0, 0), ExitRemote, BidAdjustmentPrint, FF with flush.
    PrintResult BidPrint();
    // WaitUntilReady, PaperFeed.
    PrintResult PfPrint();
    // WaitUntilReady, ESC @, EnterRemote, RemoteSN(0, 3), ExitRemote, TopMargin.
    PrintResult TopMarginPrint();
    // WaitUntilReady, HeadAngleMode(0), HeadAngular, ESC @, HeadAngleEnd, HeadAngleMode(255).
    // The page stays open: the caller ejects it with EjectPage when the technician is done.
    // A failure after HeadAngleMode(0) that is not a port failure (the link still answers) is
    // followed by HeadAngleMode(255), so that the printer does not stay in head angle mode.
    PrintResult HeadAnglePrint();
    // FF with flush.
    PrintResult EjectPage();
    // EnterRemote, RemoteSN(0, 0), ExitRemote, CheckPatternPrint.
    PrintResult ReportPrint();

private:
    PrintResult RemoteBracket(std::uint8_t p2);
    PrintResult HeadAngleBody();  // the steps after HeadAngleMode(0)

    TPD4Comm& link_;
    TPRemote& remote_;
    TPFactory& factory_;
    TPRaster& raster_;
    TPCheckPattern& report_;
};

}  // namespace veltra
