#pragma once
// Every message box and every program-ending error goes through one handler passed in by the
// entry: the windows show real boxes, the command line prints to stderr, tests record them.
#include <stdexcept>
#include <string>
#include <string_view>

namespace veltra {

// Thrown after MessageHandler::endProgram by handlers that do not end the process (tests, the
// command line), so that nothing runs on past a program error.
class ProgramEnded : public std::runtime_error {
public:
    ProgramEnded(std::string text, int exitCode)
        : std::runtime_error(text), text_(std::move(text)), exitCode_(exitCode) {}
    const std::string& text() const { return text_; }
    int exitCode() const { return exitCode_; }

private:
    std::string text_;
    int exitCode_;
};

class MessageHandler {
public:
    virtual ~MessageHandler() = default;
    // Modal box of the error kind with one "OK" button; returns when dismissed.
    virtual void showError(std::string_view text) = 0;
    // Plain modal box with a title and one "OK" button.
    virtual void showMessage(std::string_view title, std::string_view text) = 0;
    // Modal question with "Yes"/"No" (or "OK"/"Cancel"); true for the affirmative answer.
    virtual bool confirm(std::string_view title, std::string_view text) = 0;
    // Shows a program error and ends the program with exitCode. Must not return normally:
    // implementations exit the process or throw ProgramEnded.
    virtual void endProgram(std::string_view text, int exitCode) = 0;
};

// Ends the program through the handler; guarantees no return even if a handler misbehaves.
[[noreturn]] inline void fatalError(MessageHandler& h, std::string_view text, int exitCode = 1) {
    h.endProgram(text, exitCode);
    throw ProgramEnded(std::string(text), exitCode);
}

}  // namespace veltra
