#pragma once
// A cap on the boxes a test's recording message handler takes. A wait that loops showing a box
// each turn (paper out, say) would otherwise record without end; past kLimit the test fails and
// MessageFlood unwinds it. MessageFlood is not a std::exception, so no catch-all of the program
// (the window's handler wrapper, say) swallows it on the way out.
#include <gtest/gtest.h>

#include <cstddef>

namespace veltra::test {

struct MessageFlood {};

class MessageCap {
public:
    static constexpr std::size_t kLimit = 1000;

    // Counts one box; the one past kLimit fails the test and ends it.
    void count() {
        if (++count_ > kLimit) {
            ADD_FAILURE() << "more than " << kLimit
                          << " messages: a wait that shows a box each turn never ended";
            throw MessageFlood{};
        }
    }
    std::size_t counted() const { return count_; }

private:
    std::size_t count_ = 0;
};

}  // namespace veltra::test
