// The print data stream parser: the same bytes fed whole and fed in chunks (as packets split
// them anywhere) must give the same commands. Byte 0 seeds the chunk sizes; the rest is the
// stream.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/Chunks.h"
#include "sim/PrintStream.h"

using namespace veltra;

namespace {

bool same(const sim::PrintCommand& a, const sim::PrintCommand& b) {
    return a.kind == b.kind && a.bytes == b.bytes && a.colour == b.colour &&
           a.bytesPerLine == b.bytesPerLine && a.lines == b.lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::uint8_t* stream = data + 1;
    const std::size_t n = size - 1;

    std::vector<sim::PrintCommand> whole;
    sim::PrintStream one([&](sim::PrintCommand&& c) { whole.push_back(std::move(c)); });
    one.feed(stream, n);

    std::vector<sim::PrintCommand> pieces;
    sim::PrintStream chunked([&](sim::PrintCommand&& c) { pieces.push_back(std::move(c)); });
    fuzz::Chunks chunks(data[0]);
    for (std::size_t at = 0; at < n;) {
        const std::size_t take = std::min(chunks.next(64), n - at);
        chunked.feed(stream + at, take);
        at += take;
    }

    if (whole.size() != pieces.size() || one.overflowBytes() != chunked.overflowBytes() ||
        one.bufferedBytes() != chunked.bufferedBytes() ||
        one.inRemoteMode() != chunked.inRemoteMode() || one.inBand() != chunked.inBand()) {
        std::abort();
    }
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (!same(whole[i], pieces[i])) {
            std::abort();
        }
    }
    return 0;
}
