#include "cli/TextView.h"

#include <algorithm>

#include "procedures/Messages.h"

namespace veltra::cli {

void TextView::finishLine() {
    if (midLine_) {
        stream() << '\n';
        stream().flush();
        midLine_ = false;
    }
}

void TextView::write(std::string_view text) {
    if (text.empty()) {
        return;
    }
    beforeText();
    // Multi-line texts (an "Unknown error" with its code) keep their own line breaks.
    stream() << text;
    stream().flush();
    midLine_ = text.back() != '\n';
}

void TextView::setStatusText(std::string_view text) {
    finishLine();
    status_ = text;
    write(text);
}

void TextView::appendStatusText(std::string_view text) {
    status_ += text;
    write(text);
}

void TextView::addStatusLine(std::string_view text) {
    finishLine();
    if (!status_.empty()) {
        status_ += '\n';
    }
    status_ += text;
    write(text);
}

void TextView::setStatusColour(TextColour colour) {
    if (colour != colour_) {
        finishLine();
    }
    colour_ = colour;
}

void TextView::setWidgetVisible(Widget widget, bool visible) {
    // The count-down's closing label is the one text of these widgets a technician must see.
    if (widget == Widget::DischargeCompleteLbl && visible) {
        finishLine();
        beforeText();
        out_ << "You can remove AC cable now.\n";
        out_.flush();
    }
}

void TextView::showWaitingForPrinter(bool waiting) {
    // On the error stream: the wait is no status text of the command, and stays out of --json.
    if (waiting) {
        finishLine();
        beforeText();
        err_ << msg::kWaitingForPrinter << '\n';
        err_.flush();
    }
    if (waitListener_) {
        waitListener_(waiting);
    }
}

void TextView::setCountDownText(std::string_view text) {
    if (!text.empty()) {
        finishLine();
        beforeText();
        out_ << text << '\n';
        out_.flush();
    }
}

std::string TextView::entryText(Entry entry) const {
    return entries_[static_cast<std::size_t>(entry)];
}

void TextView::setEntryText(Entry entry, std::string_view text) {
    entries_[static_cast<std::size_t>(entry)] = text;
}

bool TextView::isChecked(CheckBox box) const {
    return checks_[static_cast<std::size_t>(box)];
}

void TextView::setChecked(CheckBox box, bool checked) {
    checks_[static_cast<std::size_t>(box)] = checked;
}

void TextView::setGridCell(int row, int col, std::string_view text) {
    if (row >= 0 && row < 17 && col >= 0 && col < 17) {
        grid_[std::size_t(row)][std::size_t(col)] = text;
    }
}

void TextView::setSummary(SummaryField, std::string_view) {}

void TextView::printGrid(std::ostream& out, int firstRow, int lastRow) const {
    // Column headings are the low address digit, row headings the high one.
    out << "      Low\n"
        << "High  ";
    for (std::size_t c = 1; c <= 16; ++c) {
        out << "  " << (grid_[0][c].empty() ? " " : grid_[0][c]);
    }
    out << '\n';
    for (std::size_t r = std::size_t(std::max(firstRow, 0)) + 1;
         r <= std::size_t(std::min(lastRow, 15)) + 1; ++r) {
        out << "  " << (grid_[r][0].empty() ? " " : grid_[r][0]) << "   ";
        for (std::size_t c = 1; c <= 16; ++c) {
            const std::string& cell = grid_[r][c];
            out << ' ' << (cell.empty() ? "  " : cell);
        }
        out << '\n';
    }
}

}  // namespace veltra::cli
