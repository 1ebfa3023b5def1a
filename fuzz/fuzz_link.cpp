// The link (port rules, packet transport, status, EEPROM, factory frames) against a port whose
// replies are the fuzzer's bytes. Byte 0 picks the port (bit 0: USB, else parallel); the rest
// are arrivals (see FuzzPort.h). Any reply must end as a status, never as a crash, a read
// outside a buffer or a wait that does not end.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzPort.h"
#include "fuzz/LinkScript.h"

using namespace veltra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const bool usb = (data[0] & 0x01) != 0;
    auto arrivals = fuzz::parseArrivals(data + 1, size - 1);
    fuzz::FuzzLink f(arrivals);
    fuzz::setUpChoice(f.choice, usb);
    try {
        // Longer inputs run the operations again on the same link, as a session does.
        for (int round = 0; round < 3 && (round == 0 || !arrivals.empty()); ++round) {
            fuzz::runLinkScript(f.driver, f.link, f.factory,
                                usb ? fuzz::kUsbPort : fuzz::kParallelPort);
        }
    } catch (const ProgramEnded&) {
        // A program error is an orderly end.
    }
    return 0;
}
