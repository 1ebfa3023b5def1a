#include <unistd.h>

#include <iostream>

#include "cli/CliApp.h"
#include "link/Clock.h"

int main(int argc, char** argv) {
    veltra::SystemClock clock;
    veltra::cli::CliApp cli(clock, std::cout, std::cerr, std::cin);
    cli.setShowProgress(isatty(STDERR_FILENO) == 1);
    return cli.run(argc, argv);
}
