#include "shell/QtMessageHandler.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdlib>

namespace veltra::shell {

namespace {
QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}
}  // namespace

QtMessageBoxHandler::QtMessageBoxHandler(std::function<void(int)> exitProgram)
    : exit_(std::move(exitProgram)) {
    if (!exit_) {
        exit_ = [](int code) { std::exit(code); };
    }
}

QWidget* QtMessageBoxHandler::activeParent() const {
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    return parent_.data();
}

void QtMessageBoxHandler::showError(std::string_view text) {
    // The error kind with one OK button; the title is the application's.
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), toQString(text),
                    QMessageBox::Ok, activeParent());
    box.exec();
}

void QtMessageBoxHandler::showMessage(std::string_view title, std::string_view text) {
    QMessageBox box(QMessageBox::NoIcon, toQString(title), toQString(text), QMessageBox::Ok,
                    activeParent());
    box.exec();
}

bool QtMessageBoxHandler::confirm(std::string_view title, std::string_view text) {
    QMessageBox box(QMessageBox::Question, toQString(title), toQString(text),
                    QMessageBox::Ok | QMessageBox::Cancel, activeParent());
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

void QtMessageBoxHandler::endProgram(std::string_view text, int exitCode) {
    showError(text);
    exit_(exitCode);
    // An exit function that returns (tests) still must not let the caller run on.
    throw ProgramEnded(std::string(text), exitCode);
}

}  // namespace veltra::shell
