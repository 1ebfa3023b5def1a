#pragma once
// TAboutBox: the version box, opened from the start-up window's pop-up menu.
#include <QDialog>

namespace veltra::shell {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

public slots:
    void OKButtonClick();

protected:
    void hideEvent(QHideEvent* event) override;  // FormClose: back to the middle of the screen
};

}  // namespace veltra::shell
