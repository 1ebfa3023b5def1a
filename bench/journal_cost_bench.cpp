// What the change journal adds before an EEPROM change: the reads of the addresses the operation
// will change and of the USB ID, and the append. Measured on the virtual printer in virtual time
// (ManualClock: the link's own waits, which dominate on a real port), for parallel and USB, for
// the first change of a link session (which reads the USB ID) and a second one in the same
// session (which finds it kept).
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "bench/SimProgram.h"
#include "cli/TextView.h"
#include "link/EepromAddresses.h"
#include "procedures/ChangeJournal.h"
#include "procedures/JournalGuard.h"

int main() {
    using namespace veltra;
    namespace a = eeprom_address;
    struct Operation {
        const char* name;
        std::vector<std::uint8_t> addresses;
    };
    const std::vector<Operation> operations{
        {"eeprom write / top margin / pf", {a::kTopMargin}},
        {"bid write (one kind)", {a::kBidVsd1, a::kBidVsd1 + 1}},
        {"eeprom init", {a::kInitialization.begin(), a::kInitialization.end()}},
        {"usb id write",
         {0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0,
          0xD1, 0xD2, 0xD3}},
        {"liquid exchange", {a::kLiquidExchange.begin(), a::kLiquidExchange.end()}},
    };
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "veltra-journal-cost-bench";
    for (const auto& [portName, portIndex] : {std::pair{"LPT1", 0}, std::pair{"ZTUSB1", 3}}) {
        for (const Operation& op : operations) {
            ManualClock clock;
            bench::SimProgram program(clock);
            if (StartSession(program.objects, 0, portIndex) != StartOutcome::Started) {
                std::fprintf(stderr, "the link did not start on %s\n", portName);
                return 1;
            }
            ChangeJournal journal(folder);
            program.objects.journal = &journal;
            std::ostringstream out;
            cli::TextView view(out, out);
            AdjustState state;
            AdjustFrame frame(program.objects, view, state);
            for (const char* which : {"first", "second"}) {
                const std::int64_t start = clock.nowMs();
                const std::size_t requests = program.printer.controlRequests().size();
                const JournalGuard guard(frame, op.name, op.addresses);
                if (!guard.ok()) {
                    std::fprintf(stderr, "%s: the journal failed\n", op.name);
                    return 1;
                }
                std::printf("%-7s %-32s %-6s %2zu reads  %6lld ms\n", portName, op.name, which,
                            program.printer.controlRequests().size() - requests,
                            static_cast<long long>(clock.nowMs() - start));
            }
            EndSession(program.objects, false);
        }
    }
    std::filesystem::remove_all(folder);
    return 0;
}
