#include "cli/TextMessageHandler.h"

#include <iostream>
#include <string>

#include "procedures/Messages.h"

namespace veltra::cli {

void TextMessageHandler::showError(std::string_view text) {
    ++errors_;
    if (text == msg::kPaperOutError) {
        if (shownInWait_ == text) {
            return;
        }
        shownInWait_ = text;
        beforeText();
        err_ << text << '\n';
        if (!waitAdvice_.empty()) {
            err_ << waitAdvice_ << '\n';
        }
        err_.flush();
        return;
    }
    beforeText();
    err_ << text << '\n';
    err_.flush();
}

void TextMessageHandler::showMessage(std::string_view title, std::string_view text) {
    beforeText();
    err_ << title << ": " << text << '\n';
    err_.flush();
}

bool TextMessageHandler::confirm(std::string_view title, std::string_view text) {
    beforeText();
    err_ << title << ": " << text;
    if (assumeYes_) {
        err_ << " [y/N] y\n";
        return true;
    }
    err_ << " [y/N] ";
    err_.flush();
    std::string answer;
    if (!std::getline(in_, answer)) {
        err_ << '\n';
        return false;
    }
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

void TextMessageHandler::endProgram(std::string_view text, int exitCode) {
    beforeText();
    err_ << text << '\n';
    err_.flush();
    throw ProgramEnded(std::string(text), exitCode);
}

}  // namespace veltra::cli
