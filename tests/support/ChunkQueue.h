#pragma once
// How the link's scripted ports hand out their queued replies: the tests' FakeBackend and the
// fuzz targets' FuzzBackend both keep a queue of chunks, each with its bytes, and a read takes
// from the chunk at the front.
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace veltra::test {

// Moves up to n bytes of the front chunk's bytes to out and drops the chunk once it is used up;
// the count moved. The queue must not be empty.
template <typename Queue>
std::size_t takeFromFront(Queue& chunks, std::uint8_t* out, std::size_t n) {
    auto& bytes = chunks.front().bytes;
    const std::size_t take = std::min(n, bytes.size());
    std::copy_n(bytes.begin(), take, out);
    bytes.erase(bytes.begin(), bytes.begin() + std::ptrdiff_t(take));
    if (bytes.empty()) {
        chunks.pop_front();
    }
    return take;
}

}  // namespace veltra::test
