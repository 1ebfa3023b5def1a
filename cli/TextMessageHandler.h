#pragma once
// Message boxes on a terminal: errors and plain boxes go to the error stream; a confirmation is
// asked on the input stream unless the caller answered it in advance (--yes); a program error is
// printed and ends the command by ProgramEnded.
#include <functional>
#include <iosfwd>
#include <string>

#include "link/MessageHandler.h"

namespace veltra::cli {

class TextMessageHandler final : public MessageHandler {
public:
    TextMessageHandler(std::ostream& err, std::istream& in, bool assumeYes)
        : err_(err), in_(in), assumeYes_(assumeYes) {}
    void showError(std::string_view text) override;
    void showMessage(std::string_view title, std::string_view text) override;
    bool confirm(std::string_view title, std::string_view text) override;
    void endProgram(std::string_view text, int exitCode) override;
    int errorsShown() const { return errors_; }
    // A ready wait repeats the error it waits out (paper out) at every poll: a terminal gets it
    // once per wait, followed by this advice (what to do, how long the wait lasts).
    void setWaitAdvice(std::string advice) { waitAdvice_ = std::move(advice); }
    // Called before any text is printed (the progress dots end their line there).
    void setBeforeText(std::function<void()> before) { beforeText_ = std::move(before); }
    // The ready wait has ended: its error is said again if a later wait meets it.
    void waitEnded() { shownInWait_.clear(); }

private:
    void beforeText() {
        if (beforeText_) {
            beforeText_();
        }
    }

    std::ostream& err_;
    std::istream& in_;
    bool assumeYes_;
    int errors_ = 0;
    std::string waitAdvice_;
    std::string shownInWait_;  // the error already said in the current wait
    std::function<void()> beforeText_;
};

}  // namespace veltra::cli
