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
    CLI::App* print =
        cli.app().add_subcommand("print", "Print an adjustment pattern or the report");
    print->require_subcommand(1);
    print->add_subcommand("bid", "Bi-D adjustment pattern (four dot sizes, two pages)")
        ->callback([&cli] {
            cli.setAction([](CliSession& s) {
                return exitCode(BidOKBtnClick(s.frame, BidChoice::PrintPattern));
            });
        });
    print->add_subcommand("pf", "PF adjustment pattern (nine rows, values -4 to 4)")
        ->callback([&cli] {
            cli.setAction([](CliSession& s) {
                return exitCode(PFOKBtnClick(s.frame, PfChoice::PrintPattern));
            });
        });
    print->add_subcommand("top-margin", "Top margin line and left edge")->callback([&cli] {
        cli.setAction([](CliSession& s) {
            return exitCode(TopMarginMainBtnClick(s.frame, TopMarginChoice::CheckMargin));
        });
    });
    print->add_subcommand("head-angle", "Head angle pattern, then eject the page")
        ->callback([&cli] { cli.setAction(headAngle); });
    print->add_subcommand("report", "A4 check-pattern report (four pages)")->callback([&cli] {
        cli.setAction([](CliSession& s) { return exitCode(A3PPrintOKBtnClick(s.frame)); });
    });
}

}  // namespace veltra::cli
