#pragma once
// Message boxes on a terminal: errors and plain boxes go to the error stream; a confirmation is
// asked on the input stream unless the caller answered it in advance (--yes); a program error is
// printed and ends the command by ProgramEnded.
#include <iosfwd>

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

private:
    std::ostream& err_;
    std::istream& in_;
    bool assumeYes_;
    int errors_ = 0;
};

}  // namespace veltra::cli
