#include "shell/Malaboutbox.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "shell/Widgets.h"

namespace veltra::shell {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("TAboutBox");
    setWindowTitle("Version");
    auto* layout = new QHBoxLayout(this);
    auto* icon = new QLabel(this);
    icon->setObjectName("ProgramIcon");
    icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
    layout->addWidget(icon, 0, Qt::AlignTop);
    auto* lines = new QVBoxLayout;
    for (const char* line :
         {"Veltra K55 / K45", "Adjustment Program", "for Windows98", "Version 1.8"}) {
        lines->addWidget(new QLabel(line, this));
    }
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    lines->addWidget(ok, 0, Qt::AlignRight);
    layout->addLayout(lines);
    connect(ok, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
    adjustSize();
    setFixedSize(sizeHint());
    centreOnScreen(this);
}

void TAboutBox::OKButtonClick() {
    accept();
}

void TAboutBox::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    centreOnScreen(this);
}

}  // namespace veltra::shell
