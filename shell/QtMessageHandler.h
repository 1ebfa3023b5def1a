#pragma once
// Message boxes of the desktop program. Injected into the windows and the link, so that tests
// put a recording handler in its place.
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "link/MessageHandler.h"

namespace veltra::shell {

class QtMessageBoxHandler final : public MessageHandler {
public:
    // exitProgram ends the process after endProgram's box; the default calls std::exit.
    explicit QtMessageBoxHandler(std::function<void(int)> exitProgram = {});

    // The window the boxes are centred on (may be null).
    void setParentWindow(QWidget* parent) { parent_ = parent; }

    void showError(std::string_view text) override;
    void showMessage(std::string_view title, std::string_view text) override;
    bool confirm(std::string_view title, std::string_view text) override;
    void endProgram(std::string_view text, int exitCode) override;

private:
    QWidget* activeParent() const;
    void run(QMessageBox& box) const;
    QPointer<QWidget> parent_;
    std::function<void(int)> exit_;
};

}  // namespace veltra::shell
