#pragma once
// TFormQuit: "Do you continue?", shown each time the adjustment window closes. "Next" returns
// to the start-up window, "Quit" ends the program. It has no close box.
#include <QDialog>
#include <QPushButton>

namespace veltra::shell {

class TFormBoot;

class TFormQuit : public QDialog {
    Q_OBJECT
public:
    explicit TFormQuit(QWidget* parent = nullptr);
    void setBootWindow(TFormBoot* boot) { boot_ = boot; }

public slots:
    void NextBtnClick();
    void QuitBtnClick();

protected:
    void reject() override;  // Escape: the cancel button
    void closeEvent(QCloseEvent* event) override;

private:
    TFormBoot* boot_ = nullptr;
    QPushButton* NextBtn = nullptr;
    QPushButton* QuitBtn = nullptr;
    bool leaving_ = false;
};

}  // namespace veltra::shell
