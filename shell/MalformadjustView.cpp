// TFormAdjust as the procedures' AdjustView: its controls by name, the status area, the window
// state, the work area's panels and entries, the frame's captions and the summary.
#include <QApplication>
#include <QScrollBar>
#include <QTabWidget>

#include "shell/Malformadjust.h"
#include "shell/MalformadjustBuilder.h"
#include "shell/Malformquit.h"

namespace veltra::shell {

namespace {

QColor toColor(TextColour colour) {
    switch (colour) {
        case TextColour::Blue:
            return Qt::blue;
        case TextColour::Red:
            return Qt::red;
        case TextColour::Black:
            break;
    }
    return Qt::black;
}

}  // namespace

// --- controls by name

QWidget* TFormAdjust::panel(Panel p) const {
    return panels_.value(int(p));
}
QLineEdit* TFormAdjust::entry(Entry e) const {
    return entries_.value(int(e));
}
QCheckBox* TFormAdjust::checkBox(CheckBox c) const {
    return checkBoxes_.value(int(c));
}

RadioGroup* TFormAdjust::group(Group g) const {
    return panelGroup(kGroupNames[int(g)]);
}

RadioGroup* TFormAdjust::panelGroup(const char* name) const {
    return findChild<RadioGroup*>(name);
}

QTimer* TFormAdjust::timer(Timer t) const {
    return timers_.value(int(t));
}

QWidget* TFormAdjust::visiblePanel() const {
    for (QWidget* p : panels_) {
        if (!p->isHidden()) {
            return p;
        }
    }
    return nullptr;
}

void TFormAdjust::tickTimer(Timer t) {
    run([this, t] { frame_->OnTimer(t); });
}

// --- AdjustView: status area

void TFormAdjust::setStatusText(std::string_view text) {
    StatusMemo->setPlainText(qs(text));
}

void TFormAdjust::appendStatusText(std::string_view text) {
    QTextCursor cursor(StatusMemo->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(qs(text));
    // The newest line stays in view.
    StatusMemo->verticalScrollBar()->setValue(StatusMemo->verticalScrollBar()->maximum());
}

void TFormAdjust::addStatusLine(std::string_view text) {
    if (StatusMemo->document()->isEmpty()) {
        StatusMemo->setPlainText(qs(text));
        return;
    }
    appendStatusText("\n");
    appendStatusText(text);
}

std::string TFormAdjust::statusText() const {
    return StatusMemo->toPlainText().toStdString();
}

void TFormAdjust::setStatusColour(TextColour colour) {
    statusColour_ = colour;
    QPalette pal = StatusMemo->palette();
    pal.setColor(QPalette::Text, toColor(colour));
    StatusMemo->setPalette(pal);
}

// --- AdjustView: window state

void TFormAdjust::setWindowEnabled(bool enabled) {
    setEnabled(enabled);
}

void TFormAdjust::setHourglass(bool on) {
    if (on == hourglass_) {
        return;
    }
    hourglass_ = on;
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void TFormAdjust::repaint() {
    // Paint now: the handler that wrote the status keeps the event loop busy.
    QWidget::repaint();
}

void TFormAdjust::startTimer(Timer t) {
    timer(t)->start();
}
void TFormAdjust::stopTimer(Timer t) {
    timer(t)->stop();
}

// --- AdjustView: work area

void TFormAdjust::hideAllPanels() {
    for (QWidget* p : panels_) {
        p->hide();
    }
}

void TFormAdjust::showPanel(Panel p) {
    if (QWidget* w = panel(p)) {
        w->show();
    }
}

void TFormAdjust::setWidgetVisible(Widget widget, bool visible) {
    if (auto* w = findChild<QWidget*>(kWidgetNames[int(widget)])) {
        w->setVisible(visible);
    }
}

void TFormAdjust::setCountDownText(std::string_view text) {
    DischargeCountDownMemo->setPlainText(qs(text));
}

// --- AdjustView: entries, check boxes, combo, grid

std::string TFormAdjust::entryText(Entry e) const {
    QLineEdit* edit = entry(e);
    return edit ? edit->text().toStdString() : std::string();
}

void TFormAdjust::setEntryText(Entry e, std::string_view text) {
    if (QLineEdit* edit = entry(e)) {
        setEntryTextWhole(edit, qs(text));
    }
}

void TFormAdjust::setFocus(Entry e) {
    if (QLineEdit* edit = entry(e)) {
        edit->setFocus(Qt::OtherFocusReason);
    }
}

bool TFormAdjust::isChecked(CheckBox c) const {
    QCheckBox* box = checkBox(c);
    return box && box->isChecked();
}

void TFormAdjust::setChecked(CheckBox c, bool checked) {
    if (QCheckBox* box = checkBox(c)) {
        box->setChecked(checked);
    }
}

void TFormAdjust::setTopMarginItems(const std::vector<std::string>& items) {
    TopMarginInputCombo->clear();
    for (const std::string& item : items) {
        TopMarginInputCombo->addItem(qs(item));
    }
    TopMarginInputCombo->setCurrentIndex(-1);
}

int TFormAdjust::topMarginIndex() const {
    return TopMarginInputCombo->currentIndex();
}

void TFormAdjust::setTopMarginIndex(int index) {
    TopMarginInputCombo->setCurrentIndex(index);
}

void TFormAdjust::setGridCell(int row, int col, std::string_view text) {
    if (row < 0 || row > 16 || col < 0 || col > 16) {
        return;
    }
    EepromStrGrid->item(row, col)->setText(qs(text));
}

// --- AdjustView: frame

void TFormAdjust::setAdjustItems(const std::vector<std::string>& items) {
    QStringList list;
    for (const std::string& item : items) {
        list << qs(item);
    }
    AdjustRdoGrp->setItems(list);
}

void TFormAdjust::setAdjustCaptions(std::string_view tabCaption, std::string_view groupCaption) {
    AdjustmentTab->setTabText(0, qs(tabCaption));
    AdjustRdoGrp->setTitle(qs(groupCaption));
}

void TFormAdjust::setGroupIndex(Group g, int index) {
    if (RadioGroup* grp = group(g)) {
        grp->setItemIndex(index);
    }
}

void TFormAdjust::setControlEnabled(Control control, bool enabled) {
    if (auto* w = findChild<QWidget*>(kControlNames[int(control)])) {
        w->setEnabled(enabled);
    }
}

void TFormAdjust::setActiveTab(int index) {
    // Choosing the tab from the program is not the user's tab change.
    settingTab_ = true;
    AdjustmentTab->setCurrentIndex(index);
    settingTab_ = false;
}

void TFormAdjust::setSummary(SummaryField field, std::string_view text) {
    if (QLabel* label = summary_.value(int(field))) {
        label->setText(qs(text));
    }
}

void TFormAdjust::setPrinterName(std::string_view name) {
    SelectPrinterNameLbl->setText(qs(name));
}

void TFormAdjust::showProgress(const Progress& progress) {
    // The time left and the bar in view before the value moves, so that whoever watches the
    // value sees them match.
    ProgressTimeLbl->setText(progress.remainingMs < 0
                                 ? QString()
                                 : QString::number((progress.remainingMs + 999) / 1000) +
                                       qs(msg::kSecondsLeft));
    ProgressBar->show();
    ProgressTimeLbl->show();
    // The bar counts in int: a total beyond its range is scaled down.
    const std::int64_t scale = progress.total > 1000000 ? progress.total / 1000000 + 1 : 1;
    ProgressBar->setRange(0, int(progress.total / scale));
    ProgressBar->setValue(int(progress.done / scale));
    // Painted now: the operation keeps the event loop busy until it ends.
    ProgressBar->repaint();
    ProgressTimeLbl->repaint();
}

void TFormAdjust::endProgress() {
    ProgressBar->hide();
    ProgressTimeLbl->hide();
}

void TFormAdjust::showWaitingForPrinter(bool waiting) {
    if (waiting) {
        // Below what the status area says, which stays in view.
        waitingOver_ = {statusText(), statusColour_};
        setStatusColour(TextColour::Blue);
        addStatusLine(msg::kWaitingForPrinter);
        waitingText_ = statusText();
        repaint();
    } else if (waitingOver_) {
        // Back to what the wait covered, unless something was written during it.
        if (statusText() == waitingText_) {
            setStatusColour(waitingOver_->colour);
            setStatusText(waitingOver_->text);
            repaint();
        }
        waitingOver_.reset();
    }
}

void TFormAdjust::showClosingLink() {
    setStatusColour(TextColour::Blue);
    setStatusText(msg::kClosingLink);
    setEnabled(false);
    repaint();
}

void TFormAdjust::showQuitWindow() {
    // The window leaves as the question comes; it is shown again enabled and empty.
    setStatusColour(TextColour::Black);
    setStatusText("");
    setEnabled(true);
    if (quitWindow_) {
        quitWindow_->show();
    }
}

}  // namespace veltra::shell
