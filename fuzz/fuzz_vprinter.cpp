// The virtual printer's host stream: whatever a host sends (packet-mode entry, transport
// commands, control requests, print data with raster bands and factory frames), split into
// writes anywhere, with the replies read back in pieces between them. Byte 0: bit 0 the model,
// the rest seeds the split; the rest is the host stream. The printer must never crash, never
// hand out more than asked, and keep its queue counts consistent.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/Chunks.h"
#include "link/Clock.h"
#include "sim/VirtualPrinter.h"

using namespace veltra;

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

void drain(sim::VirtualPrinter& printer, fuzz::Chunks& chunks) {
    std::array<std::uint8_t, 512> out{};
    while (printer.pending() > 0) {
        const std::size_t before = printer.pending();
        check(printer.pendingInPacket() <= before);
        const std::size_t want = chunks.next(out.size());
        const std::size_t got = printer.hostRead(out.data(), want);
        check(got <= want);
        check(printer.pending() == before - got);
        if (got == 0) {
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    ManualClock clock;
    sim::VirtualPrinter printer(clock, data[0] & 0x01);
    fuzz::Chunks chunks(data[0]);
    const std::uint8_t* stream = data + 1;
    const std::size_t n = size - 1;
    for (std::size_t at = 0; at < n;) {
        const std::size_t take = std::min(chunks.next(96), n - at);
        printer.hostWrite(stream + at, take);
        at += take;
        clock.advance(100);  // cleaning and ink charge run on the clock
        drain(printer, chunks);
    }
    return 0;
}
