#pragma once
// TFormBoot: the start-up window and the program's main window. The technician chooses the model
// and the interface; "OK" hands the model code to the link, opens the port, starts the link and
// shows the adjustment window. Closing it ends the program.
#include <QComboBox>
#include <QDialog>
#include <QMenu>
#include <QPoint>
#include <QPushButton>

#include "procedures/ProgramObjects.h"

namespace veltra::shell {

class TFormAdjust;
class TAboutBox;

class TFormBoot : public QDialog {
    Q_OBJECT
public:
    explicit TFormBoot(ProgramObjects& objects, QWidget* parent = nullptr);

    void setAdjustWindow(TFormAdjust* adjust) { adjust_ = adjust; }
    void setAboutBox(TAboutBox* about) { about_ = about; }

    // Combo index 0 gives 1, 1 gives 2, anything else 255; stored in the choice.
    std::uint8_t GetSelectedModel();
    // Stores the interface group (PortKind) and returns the interface code; 0 when none.
    std::uint16_t GetSelectedPort();

    // Where the pop-up menu opens for a release at pos (window coordinates).
    QPoint popupPoint(QPoint pos) const;
    // The point of the last pop-up, for tests.
    QPoint lastPopupPoint() const { return lastPopup_; }
    QMenu* popupMenu() const { return PopupMenu1; }

public slots:
    void FormShow();
    void PortSelectOKBtnClick();
    void ProEndBtnClick();
    void Version1Click();

signals:
    // The main window has closed: the program ends.
    void programEnded(int exitCode);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;  // FormMouseUp
    void reject() override;                               // Escape: the cancel button

private:
    ProgramObjects& objects_;
    TFormAdjust* adjust_ = nullptr;
    TAboutBox* about_ = nullptr;
    QComboBox* ModelNameCombo = nullptr;
    QComboBox* UsePortCombo = nullptr;
    QPushButton* PortSelectOKBtn = nullptr;
    QPushButton* ProEndBtn = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Version1 = nullptr;
    QPoint lastPopup_;
};

}  // namespace veltra::shell
