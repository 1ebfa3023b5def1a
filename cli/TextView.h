#pragma once
// The adjustment window's status area and work area as plain text, for the command line. Status
// texts are printed as the procedures write them: a replacing write starts a new line, an
// appending write continues the line, a new-line write starts one. Red texts (failures) go to
// the error stream. The EEPROM grid and the window's timers are kept for the command to use.
#include <array>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "procedures/AdjustView.h"

namespace veltra::cli {

class TextView final : public AdjustView {
public:
    TextView(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    ~TextView() override { finishLine(); }

    void setStatusText(std::string_view text) override;
    void appendStatusText(std::string_view text) override;
    void addStatusLine(std::string_view text) override;
    std::string statusText() const override { return status_; }
    void setStatusColour(TextColour colour) override;

    void setWindowEnabled(bool) override {}
    void setHourglass(bool) override {}
    void repaint() override {}
    void startTimer(Timer timer) override { running_.insert(timer); }
    void stopTimer(Timer timer) override { running_.erase(timer); }

    void hideAllPanels() override {}
    void showPanel(Panel) override {}
    void setWidgetVisible(Widget widget, bool visible) override;
    void setCountDownText(std::string_view text) override;

    std::string entryText(Entry entry) const override;
    void setEntryText(Entry entry, std::string_view text) override;
    void setFocus(Entry) override {}
    bool isChecked(CheckBox box) const override;
    void setChecked(CheckBox box, bool checked) override;
    void setTopMarginItems(const std::vector<std::string>& items) override { topMargin_ = items; }
    int topMarginIndex() const override { return topMarginIndex_; }
    void setTopMarginIndex(int index) override { topMarginIndex_ = index; }
    void setGridCell(int row, int col, std::string_view text) override;

    void setAdjustItems(const std::vector<std::string>&) override {}
    void setAdjustCaptions(std::string_view, std::string_view) override {}
    void setGroupIndex(Group, int) override {}
    void setControlEnabled(Control, bool) override {}
    void setActiveTab(int) override {}
    void setSummary(SummaryField field, std::string_view text) override;
    void setPrinterName(std::string_view) override {}
    void showQuitWindow() override {}
    void showWaitingForPrinter(bool waiting) override;
    // Called before any text is printed (the progress dots end their line there).
    void setBeforeText(std::function<void()> before) { beforeText_ = std::move(before); }
    // Told when a ready wait starts polling (true) and when it ends (false).
    void setWaitListener(std::function<void(bool)> listener) {
        waitListener_ = std::move(listener);
    }

    bool timerRunning(Timer timer) const { return running_.count(timer) != 0; }
    const std::vector<std::string>& topMarginItems() const { return topMargin_; }
    // Prints the grid as the 16 x 16 table with its "Low"/"High" headings, or only its rows
    // firstRow to lastRow (0-15, the high address digit).
    void printGrid(std::ostream& out, int firstRow = 0, int lastRow = 15) const;
    void finishLine();

private:
    std::ostream& stream() { return colour_ == TextColour::Red ? err_ : out_; }
    void write(std::string_view text);
    void beforeText() {
        if (beforeText_) {
            beforeText_();
        }
    }

    std::ostream& out_;
    std::ostream& err_;
    std::string status_;
    TextColour colour_ = TextColour::Black;
    bool midLine_ = false;
    std::set<Timer> running_;
    std::array<std::string, 16> entries_{};
    std::array<bool, 12> checks_{};
    std::vector<std::string> topMargin_;
    int topMarginIndex_ = -1;
    std::array<std::array<std::string, 17>, 17> grid_{};
    std::function<void(bool)> waitListener_;
    std::function<void()> beforeText_;
};

}  // namespace veltra::cli
