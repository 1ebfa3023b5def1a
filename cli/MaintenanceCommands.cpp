// Maintenance sequences: head cleaning, ink charge, ink charge with the jig and the
// transportation liquid exchange with its power-off count-down.
#include <iostream>
#include <string>

#include "cli/CliApp.h"
#include "procedures/Maintenance.h"

namespace veltra::cli {

namespace {

// Lines of a panel's text as one text.
template <std::size_t N>
std::string joinLines(const std::string_view (&lines)[N]) {
    std::string out;
    for (const std::string_view line : lines) {
        out.append(out.empty() ? "" : "\n").append(line);
    }
    return out;
}

// Runs the window's 1000 ms count-down timers until both have stopped.
void runCountDown(CliSession& s) {
    PowerSwOffOKBtnClick(s.frame);
    for (int guard = 0; guard < 100; ++guard) {
        const bool first = s.view.timerRunning(Timer::CountDownTimer);
        const bool second = s.view.timerRunning(Timer::CountDownTimer2);
        if (!first && !second) {
            return;
        }
        s.objects.clock.sleepMs(1000);
        s.frame.OnTimer(first ? Timer::CountDownTimer : Timer::CountDownTimer2);
    }
}

int exchange(CliSession& s) {
    // The texts of the exchange's first panel, asked as the confirmation.
    const std::string question = joinLines(msg::window::kRefurbishmentStartTexts) + "\n" +
                                 std::string(msg::cli::kContinueQuestion);
    if (!s.objects.ui.confirm(msg::kItemRefurbishment, question)) {
        s.err << msg::cli::kNothingSent << '\n';
        return 1;
    }
    const Status done = MessageOKBtnClick(s.frame);
    s.view.finishLine();
    if (done != kOk) {
        return 1;  // not completed: the printer is not to be switched off yet
    }
    s.out << joinLines(msg::window::kRefurbishmentEndSteps) << '\n';
    if (!s.objects.ui.confirm(msg::kItemRefurbishment, msg::cli::kPrinterTurnedOff)) {
        return 0;
    }
    s.out << msg::kDischargeWait << '\n';
    runCountDown(s);
    return 0;
}

}  // namespace

void addMaintenanceCommands(CliApp& cli) {
    addCommands(
        cli, cli.app(),
        {
            {"clean", "Head cleaning (CL3)", runs(CleaningOKBtnClick)},
            {"charge", "Ink charge", runs(ChargeOKBtnClick)},
            {"charge-jig", "Ink charge with the ink supply jig", runs(ChargeForJigOKBtnClick)},
            {"exchange", "Transportation liquid exchange (refurbishment for DOA)", exchange},
        });
}

}  // namespace veltra::cli
