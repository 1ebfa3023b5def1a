#pragma once
// The message handler of the tests: it records every box instead of showing it, answers each
// question from `answers` and, once they are used up, with `answer`, and turns a program error
// into ProgramEnded (after recording it).
//
// A wait that loops showing a box each turn (paper out, say) would otherwise record without end:
// past MessageCap::kLimit boxes the test fails and MessageFlood unwinds it. MessageFlood is not a
// std::exception, so no catch-all of the program (the window's handler wrapper, say) swallows it
// on the way out.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "link/MessageHandler.h"

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

class RecordingHandler final : public MessageHandler {
public:
    using Box = std::pair<std::string, std::string>;  // (title, text)

    void showError(std::string_view text) override {
        cap.count();
        errors.emplace_back(text);
    }
    void showMessage(std::string_view title, std::string_view text) override {
        cap.count();
        messages.emplace_back(title, text);
    }
    bool confirm(std::string_view title, std::string_view text) override {
        cap.count();
        questions.emplace_back(title, text);
        if (!answers.empty()) {
            const bool first = answers.front();
            answers.erase(answers.begin());
            return first;
        }
        return answer;
    }
    void endProgram(std::string_view text, int exitCode) override {
        ended.emplace_back(text);
        throw ProgramEnded(std::string(text), exitCode);
    }

    std::vector<std::string> errors;
    std::vector<Box> messages;
    std::vector<Box> questions;
    std::vector<std::string> ended;
    bool answer = true;
    std::vector<bool> answers;  // the next questions' answers, in order; then answer
    MessageCap cap;
};

}  // namespace veltra::test
