#include <unistd.h>

#include <iostream>

#include "cli/CliApp.h"
#include "cli/StopSignals.h"
#include "link/Clock.h"

int main(int argc, char** argv) {
    veltra::SystemClock clock;
    veltra::cli::SignalStop stop;
    veltra::cli::CliApp cli(clock, std::cout, std::cerr, std::cin);
    cli.setShowProgress(isatty(STDERR_FILENO) == 1);
    cli.setStopRequest(&stop);
    const int rc = cli.run(argc, argv);
    stop.finished();
    return rc;
}
