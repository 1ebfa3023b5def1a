#pragma once
// Chunk sizes for feeding a stream in pieces: a small generator seeded from one input byte, so
// that each input always splits the same way (a finding replays) while the fuzzer tries many.
#include <cstddef>
#include <cstdint>

namespace veltra::fuzz {

class Chunks {
public:
    explicit Chunks(std::uint8_t seed)
        : state_(0x9E3779B9u ^ (std::uint32_t(seed) * 0x85EBCA6Bu)) {}
    // The next chunk size, 1 to maxSize.
    std::size_t next(std::size_t maxSize) {
        state_ = state_ * 1664525u + 1013904223u;
        return 1 + std::size_t(state_ >> 16) % maxSize;
    }

private:
    std::uint32_t state_;
};

}  // namespace veltra::fuzz
