#include <iostream>

#include "cli/CliApp.h"
#include "link/Clock.h"

int main(int argc, char** argv) {
    veltra::SystemClock clock;
    veltra::cli::CliApp cli(clock, std::cout, std::cerr, std::cin);
    return cli.run(argc, argv);
}
