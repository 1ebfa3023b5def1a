// Pattern prints: the Bi-D, PF, top margin and head angle adjustment patterns and the A4
// check-pattern report, each through the same print path as its window item.
#include <string_view>

#include "cli/CliApp.h"
#include "procedures/Adjustment.h"
#include "procedures/EepromData.h"
#include "procedures/Messages.h"

namespace veltra::cli {

namespace {

// The head angle pattern print of the head angular item. A shell has no decision panel after it,
// so the page is ejected at once, as "No need to adjust" does.
int headAngle(CliSession& s) {
    AdjustFrame& frame = s.frame;
    PrintJobs& jobs = s.objects.printJobs;
    if (const Status busy = frame.ShowStatus(StatusMode::Busy, msg::kHeadAnglePrinting);
        busy != kOk) {
        return 1;
    }
    PrintResult printed = jobs.HeadAnglePrint();
    if (printed.ok()) {
        printed = jobs.EjectPage();
    }
    if (!printed.ok()) {
        // The window reports a failed pattern with a status that has no text; here the cause is
        // worth showing.
        frame.ReportStatus(printed.status);
        return 1;
    }
    return exitCode(frame.ShowStatus(StatusMode::Completed, msg::kCompletionPrinting));
}

}  // namespace

void addPrintCommands(CliApp& cli) {
    addCommands(cli, addGroup(cli, "print", "Print an adjustment pattern or the report"),
                {
                    {"bid", "Bi-D adjustment pattern (four dot sizes, two pages)",
                     runs(BidOKBtnClick, BidChoice::PrintPattern)},
                    {"pf", "PF adjustment pattern (nine rows, values -4 to 4)",
                     runs(PFOKBtnClick, PfChoice::PrintPattern)},
                    {"top-margin", "Top margin line and left edge",
                     runs(TopMarginMainBtnClick, TopMarginChoice::CheckMargin)},
                    {"head-angle", "Head angle pattern, then eject the page", headAngle},
                    {"report", "A4 check-pattern report (four pages)", runs(A3PPrintOKBtnClick)},
                });
}

}  // namespace veltra::cli
