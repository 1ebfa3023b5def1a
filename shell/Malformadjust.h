#pragma once
// TFormAdjust: the individual adjustment window. Four tabs with their item groups, the work area
// with one panel per procedure step, the status area, the "Adjusted items" summary and the
// window's four 1000 ms timers. It implements AdjustView with its widgets; the procedure logic
// (status modes, messages, command order) is in procedures/; the window connects each control,
// by its name, to the procedure it runs.
#include <QCheckBox>
#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

#include "procedures/AdjustFrame.h"
#include "procedures/AdjustView.h"
#include "procedures/ChangeJournal.h"
#include "procedures/EepromFiles.h"
#include "procedures/ProgramObjects.h"
#include "shell/FileChooser.h"
#include "shell/Widgets.h"

namespace veltra::shell {

class TFormQuit;

class TFormAdjust : public QWidget, public AdjustView {
    Q_OBJECT
public:
    // files: where the EEPROM image files are chosen.
    TFormAdjust(ProgramObjects& objects, FileChooser& files, QWidget* parent = nullptr);
    ~TFormAdjust() override;

    void setQuitWindow(TFormQuit* quit) { quitWindow_ = quit; }
    AdjustFrame& frame() { return *frame_; }

    // Called by the start-up window's OK before the port is opened: the model label and the
    // normal item list.
    void PrepareForModel(std::uint8_t modelNo);

    // Controls by name, for the procedures' enums and for tests.
    QWidget* panel(Panel p) const;
    QLineEdit* entry(Entry e) const;
    QCheckBox* checkBox(CheckBox c) const;
    RadioGroup* group(Group g) const;
    QTimer* timer(Timer t) const;
    QTableWidget* grid() const { return EepromStrGrid; }
    QPlainTextEdit* statusMemo() const { return StatusMemo; }
    TextColour statusColour() const { return statusColour_; }
    bool hourglass() const { return hourglass_; }
    // The panel on view, or null.
    QWidget* visiblePanel() const;

    // One tick of a timer, as its timeout signal delivers it (tests on a manual clock).
    void tickTimer(Timer t);

    // --- AdjustView
    void setStatusText(std::string_view text) override;
    void appendStatusText(std::string_view text) override;
    void addStatusLine(std::string_view text) override;
    std::string statusText() const override;
    void setStatusColour(TextColour colour) override;
    void setWindowEnabled(bool enabled) override;
    void setHourglass(bool on) override;
    void repaint() override;
    void startTimer(Timer timer) override;
    void stopTimer(Timer timer) override;
    void hideAllPanels() override;
    void showPanel(Panel panel) override;
    void setWidgetVisible(Widget widget, bool visible) override;
    void setCountDownText(std::string_view text) override;
    std::string entryText(Entry entry) const override;
    void setEntryText(Entry entry, std::string_view text) override;
    void setFocus(Entry entry) override;
    bool isChecked(CheckBox box) const override;
    void setChecked(CheckBox box, bool checked) override;
    void setTopMarginItems(const std::vector<std::string>& items) override;
    int topMarginIndex() const override;
    void setTopMarginIndex(int index) override;
    void setGridCell(int row, int col, std::string_view text) override;
    void setAdjustItems(const std::vector<std::string>& items) override;
    void setAdjustCaptions(std::string_view tabCaption, std::string_view groupCaption) override;
    void setGroupIndex(Group group, int index) override;
    void setControlEnabled(Control control, bool enabled) override;
    void setActiveTab(int index) override;
    void setSummary(SummaryField field, std::string_view text) override;
    void setPrinterName(std::string_view name) override;
    void showQuitWindow() override;
    void showClosingLink() override;
    void showProgress(const Progress& progress) override;
    void endProgress() override;
    void showWaitingForPrinter(bool waiting) override;

signals:
    // A program error has ended the program (the handler has shown it).
    void programEnded(int exitCode);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Builder;
    void buildWindow();
    void buildSummary(QWidget* parent);
    // The work area's panels, from one table (MalformadjustPanels.cpp).
    void buildPanels(QWidget* workArea);
    void FormShow();
    void FormClose();
    // Connects the panels' buttons and entries to their procedures.
    void wireHandlers();

    // The EEPROM's image files and the change journal (MalformadjustFiles.cpp): the buttons
    // beside the EEPROM data items, the differences with the regions to restore, the history.
    static void buildEepromFileButtons(TFormAdjust& form, Builder& b);
    static void buildEepromDiff(TFormAdjust& form, Builder& b);
    static void buildEepromHistory(TFormAdjust& form, Builder& b);
    void wireEepromFiles();
    void EepromSaveBtnClick();
    void EepromCompareBtnClick();
    void EepromRestoreBtnClick();
    void EepromRestoreOkBtnClick();
    void EepromHistoryBtnClick();
    void EepromUndoBtnClick();
    // The file the technician chooses; "" when cancelled. The folder is remembered.
    QString chooseImageFile(bool forSaving, std::string_view caption);
    // Reads the printer and the file and shows the differences; restoring adds the regions.
    void showComparison(const std::string& path, bool restoring);
    void fillHistory(const HistoryResult& history);
    // The busy lock of an EEPROM file operation, and its end after success. The printer need
    // not be ready: its EEPROM answers on the control channel in the error state too.
    void beginFileWork(std::string_view text);
    void finishFileWork(std::string_view text);
    // What a restore or undo did, in the status area.
    void reportChange(const ChangeResult& result, std::string_view refusalPrefix);
    // The failure of a restore's or undo's writes, in the words taken when it happened.
    void reportWriteFailure(const ChangeResult& result);
    // Runs a procedure handler; a program error ends the program through the message handler.
    template <typename F>
    void run(F&& handler);
    // A radio group of the panels by name.
    RadioGroup* panelGroup(const char* name) const;
    // The chosen item of a panel's radio group as a procedure's choice; nullopt when none.
    template <typename Choice>
    std::optional<Choice> choiceOf(const char* groupName) const {
        const int index = panelGroup(groupName)->itemIndex();
        return index < 0 ? std::nullopt : std::optional<Choice>(Choice(index));
    }

    ProgramObjects& objects_;
    FileChooser& files_;
    AdjustState state_;
    std::unique_ptr<AdjustFrame> frame_;
    TFormQuit* quitWindow_ = nullptr;
    bool closing_ = false;
    bool settingTab_ = false;
    bool hourglass_ = false;
    TextColour statusColour_ = TextColour::Black;
    // The status a wait for the printer covers, put back when the wait ends.
    struct CoveredStatus {
        std::string text;
        TextColour colour;
    };
    std::optional<CoveredStatus> waitingOver_;
    std::string waitingText_;  // the status area while the wait is shown

    QHash<int, QWidget*> panels_;
    QHash<int, QLineEdit*> entries_;
    QHash<int, QCheckBox*> checkBoxes_;
    QList<QPushButton*> defaultButtons_;
    QList<QPushButton*> cancelButtons_;

    QLabel* SelectPrinterNameLbl = nullptr;
    QTabWidget* AdjustmentTab = nullptr;
    RadioGroup* AdjustRdoGrp = nullptr;
    RadioGroup* MaintRdoGrp = nullptr;
    RadioGroup* PatternPrnItemsRdoGrp = nullptr;
    RadioGroup* AppendixRdoGrp = nullptr;
    QPlainTextEdit* StatusMemo = nullptr;
    QPushButton* GetStatusBtn = nullptr;
    QPushButton* AdjustRtnBtn = nullptr;
    QComboBox* TopMarginInputCombo = nullptr;
    QTableWidget* EepromStrGrid = nullptr;
    QLabel* DischargeWaitLbl = nullptr;
    QPlainTextEdit* DischargeCountDownMemo = nullptr;
    QLabel* DischargeCompleteLbl = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QLabel* ProgressTimeLbl = nullptr;
    QHash<int, QLabel*> summary_;
    QHash<int, QTimer*> timers_;

    // EEPROM image files and history.
    QString lastFolder_;  // of the last file chosen; the backup folder at first
    struct ShownComparison {
        std::string path;
        std::vector<ByteChange> differences;  // as the grid shows them
    };
    std::optional<ShownComparison> shown_;
    std::vector<std::vector<std::uint8_t>> regions_;  // addresses of each region list item
    std::vector<JournalEntry> history_;               // the history grid's rows
    QLabel* EepromDiffLbl = nullptr;
    QTableWidget* EepromDiffGrid = nullptr;
    QLabel* EepromRegionLbl = nullptr;
    QListWidget* EepromRegionList = nullptr;
    QPushButton* EepromRestoreOkBtn = nullptr;
    QLabel* EepromHistoryLbl = nullptr;
    QTableWidget* EepromHistoryGrid = nullptr;
};

template <typename F>
inline void TFormAdjust::run(F&& handler) {
    try {
        handler();
    } catch (const ProgramEnded& ended) {
        // The handler has shown the program error; nothing of the window runs on.
        emit programEnded(ended.exitCode());
    } catch (const std::exception& e) {
        // Shown like the toolkit's exception display; the event loop goes on.
        objects_.ui.showError(e.what());
    }
}

}  // namespace veltra::shell
