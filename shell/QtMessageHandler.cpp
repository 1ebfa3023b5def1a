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
    // Never the "Virtual printer" tool window: a box over it would block the very controls that
    // clear the printer's error (the paper-out box comes back every second until paper is in).
    if (QWidget* active = QApplication::activeWindow();
        active && active->windowType() != Qt::Tool) {
        return active;
    }
    return parent_.data();
}

void QtMessageBoxHandler::run(QMessageBox& box) const {
    // Modal to the program's own window only, so that other windows (the tool window of
    // --simulate) stay usable while it shows.
    if (box.parentWidget() != nullptr) {
        box.setWindowModality(Qt::WindowModal);
    }
    box.exec();
}

void QtMessageBoxHandler::showError(std::string_view text) {
    // The error kind with one OK button; the title is the application's.
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), toQString(text),
                    QMessageBox::Ok, activeParent());
    run(box);
}

void QtMessageBoxHandler::showMessage(std::string_view title, std::string_view text) {
    QMessageBox box(QMessageBox::NoIcon, toQString(title), toQString(text), QMessageBox::Ok,
                    activeParent());
    run(box);
}

bool QtMessageBoxHandler::confirm(std::string_view title, std::string_view text) {
    QMessageBox box(QMessageBox::Question, toQString(title), toQString(text),
                    QMessageBox::Ok | QMessageBox::Cancel, activeParent());
    box.setDefaultButton(QMessageBox::Ok);
    run(box);
    return box.result() == QMessageBox::Ok;
}

void QtMessageBoxHandler::endProgram(std::string_view text, int exitCode) {
    showError(text);
    exit_(exitCode);
    // An exit function that returns (tests) still must not let the caller run on.
    throw ProgramEnded(std::string(text), exitCode);
}

}  // namespace veltra::shell
