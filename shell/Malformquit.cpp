#include "shell/Malformquit.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "shell/Malformboot.h"
#include "shell/Widgets.h"

namespace veltra::shell {

TFormQuit::TFormQuit(QWidget* parent) : QDialog(parent) {
    setObjectName("TFormQuit");
    setWindowTitle(" Adjustment Program");
    // No close box: one of the two buttons must be used.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QVBoxLayout(this);
    auto* question = new QLabel("Do you continue?", this);
    question->setObjectName("QuestionLbl");
    question->setAlignment(Qt::AlignCenter);
    layout->addWidget(question);
    NextBtn = makeButton("NextBtn", "Next", ButtonRole::Default, this);
    QuitBtn = makeButton("QuitBtn", "Quit", ButtonRole::Other, this);
    layout->addLayout(buttonRow({NextBtn, QuitBtn}, RowAlign::Full));
    connect(NextBtn, &QPushButton::clicked, this, &TFormQuit::NextBtnClick);
    connect(QuitBtn, &QPushButton::clicked, this, &TFormQuit::QuitBtnClick);
    adjustSize();
    setFixedSize(sizeHint().expandedTo(QSize(260, 0)));
    centreOnScreen(this);
}

void TFormQuit::NextBtnClick() {
    // The start-up window first, so that no moment passes without a window on screen.
    if (boot_) {
        boot_->show();  // its FormShow empties both lists
    }
    leaving_ = true;
    close();
    leaving_ = false;
}

void TFormQuit::QuitBtnClick() {
    leaving_ = true;
    close();
    leaving_ = false;
    if (boot_) {
        boot_->close();  // closing the main window ends the program
    }
}

void TFormQuit::reject() {
    QuitBtnClick();
}

void TFormQuit::closeEvent(QCloseEvent* event) {
    // Only the two buttons close the question (a window manager may still offer Alt+F4).
    if (leaving_) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace veltra::shell
