#pragma once
// A recording adjustment window and a program object set wired to the in-process virtual
// printer on a ManualClock, for the procedure tests.
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "link/Clock.h"
#include "procedures/AdjustFrame.h"
#include "procedures/ProgramObjects.h"
#include "procedures/Session.h"
#include "tests/support/RecordingHandler.h"
#include "tests/support/SimPrinter.h"

namespace veltra::test {

// A factory command as the printer received it: command byte and parameters.
struct Wire {
    std::uint8_t command;
    std::vector<std::uint8_t> params;
    friend bool operator==(const Wire&, const Wire&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const Wire& w) {
    os << std::hex << int(w.command) << '(';
    for (auto b : w.params) {
        os << int(b) << ' ';
    }
    return os << ')';
}

class FakeView final : public AdjustView {
public:
    // status area
    void setStatusText(std::string_view text) override {
        lines.clear();
        lines.emplace_back(text);
    }
    void appendStatusText(std::string_view text) override {
        if (lines.empty()) {
            lines.emplace_back();
        }
        lines.back() += text;
    }
    void addStatusLine(std::string_view text) override {
        if (lines.size() == 1 && lines[0].empty()) {
            lines[0] = text;
        } else {
            lines.emplace_back(text);
        }
    }
    std::string statusText() const override {
        std::string out;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            out += (i ? "\n" : "") + lines[i];
        }
        return out;
    }
    void setStatusColour(TextColour c) override { colour = c; }

    // window
    void setWindowEnabled(bool on) override {
        enabled = on;
        log.push_back(on ? "enable" : "disable");
    }
    void setHourglass(bool on) override { hourglass = on; }
    void repaint() override { ++repaints; }
    void startTimer(Timer t) override { timers.insert(t); }
    void stopTimer(Timer t) override { timers.erase(t); }

    // work area
    void hideAllPanels() override { panel.reset(); }
    void showPanel(Panel p) override {
        panel = p;
        log.push_back("panel");
    }
    void setWidgetVisible(Widget w, bool on) override { visible[w] = on; }
    void setCountDownText(std::string_view t) override {
        countDown = t;
        countDownHistory.emplace_back(t);
    }

    // entries
    std::string entryText(Entry e) const override {
        auto it = entries.find(e);
        return it == entries.end() ? std::string() : it->second;
    }
    void setEntryText(Entry e, std::string_view t) override { entries[e] = t; }
    void setFocus(Entry e) override { focus = e; }
    bool isChecked(CheckBox b) const override {
        auto it = checks.find(b);
        return it != checks.end() && it->second;
    }
    void setChecked(CheckBox b, bool on) override { checks[b] = on; }
    void setTopMarginItems(const std::vector<std::string>& items) override {
        topMarginItems = items;
        topMarginIndexValue = -1;
    }
    int topMarginIndex() const override { return topMarginIndexValue; }
    void setTopMarginIndex(int i) override { topMarginIndexValue = i; }
    void setGridCell(int r, int c, std::string_view t) override {
        grid.at(std::size_t(r)).at(std::size_t(c)) = t;
        ++gridWrites;
    }

    // frame
    void setAdjustItems(const std::vector<std::string>& items) override {
        adjustItems = items;
        groups[Group::AdjustRdoGrp] = -1;
    }
    void setAdjustCaptions(std::string_view tab, std::string_view group) override {
        tabCaption = tab;
        groupCaption = group;
    }
    void setGroupIndex(Group g, int i) override { groups[g] = i; }
    void setControlEnabled(Control c, bool on) override { controls[c] = on; }
    void setActiveTab(int i) override { activeTab = i; }
    void setSummary(SummaryField f, std::string_view t) override { summary[f] = t; }
    void setPrinterName(std::string_view n) override { printerName = n; }
    void showQuitWindow() override { ++quitShown; }
    void showProgress(const Progress& p) override { progress.push_back(p); }
    void endProgress() override { ++progressEnded; }

    bool isVisible(Widget w) const {
        auto it = visible.find(w);
        return it != visible.end() && it->second;
    }
    bool controlEnabled(Control c) const {
        auto it = controls.find(c);
        return it == controls.end() || it->second;
    }
    std::string cell(int r, int c) const { return grid[std::size_t(r)][std::size_t(c)]; }

    std::vector<std::string> lines;
    std::vector<Progress> progress;
    int progressEnded = 0;
    TextColour colour = TextColour::Black;
    bool enabled = true;
    bool hourglass = false;
    int repaints = 0;
    std::set<Timer> timers;
    std::optional<Panel> panel;
    std::map<Widget, bool> visible;
    std::string countDown;
    std::vector<std::string> countDownHistory;
    std::map<Entry, std::string> entries;
    std::optional<Entry> focus;
    std::map<CheckBox, bool> checks;
    std::vector<std::string> topMarginItems;
    int topMarginIndexValue = -1;
    std::array<std::array<std::string, 17>, 17> grid{};
    int gridWrites = 0;
    std::vector<std::string> adjustItems;
    std::string tabCaption = "Adjustment";
    std::string groupCaption = "Adjustment items";
    std::map<Group, int> groups;
    std::map<Control, bool> controls;
    int activeTab = 0;
    std::map<SummaryField, std::string> summary;
    std::string printerName;
    int quitShown = 0;
    std::vector<std::string> log;
};

// One virtual printer, the program objects on its port, a started link, and a frame.
struct Rig : SimPrinter {
    explicit Rig(int modelIndex = 0)
        : SimPrinter(modelIndex),
          objects(clock, handler, [this](std::uint16_t, const std::string&) { return openPort(); }),
          frame(objects, view, state) {}

    // Starts the link on ZTUSB1 and marks what the printer has received so far.
    bool start(int modelIndex = 0) {
        markPackets();
        const bool ok = StartSession(objects, modelIndex, kUsbPortIndex) == StartOutcome::Started;
        mark();
        return ok;
    }

    static constexpr int kUsbPortIndex = 3;

    RecordingHandler handler;
    ProgramObjects objects;
    FakeView view;
    AdjustState state;
    AdjustFrame frame;
};

// A test on a started rig, with its view and frame at hand.
class RigTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig.start()); }
    Rig rig;
    FakeView& view = rig.view;
    AdjustFrame& frame = rig.frame;
};

}  // namespace veltra::test
