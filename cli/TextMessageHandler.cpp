#include "cli/TextMessageHandler.h"

#include <iostream>
#include <string>

namespace veltra::cli {

void TextMessageHandler::showError(std::string_view text) {
    ++errors_;
    err_ << text << '\n';
    err_.flush();
}

void TextMessageHandler::showMessage(std::string_view title, std::string_view text) {
    err_ << title << ": " << text << '\n';
    err_.flush();
}

bool TextMessageHandler::confirm(std::string_view title, std::string_view text) {
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
    err_ << text << '\n';
    err_.flush();
    throw ProgramEnded(std::string(text), exitCode);
}

}  // namespace veltra::cli
