// Adjustment items beside Bi-D and PF: the top margin (stored value and the values the window
// offers, or one of them written) and the CR motor drive dispersion registration (a fixed value
// or the printer's measurement).
#include <algorithm>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "procedures/Adjustment.h"
#include "procedures/HeadAngle.h"

namespace veltra::cli {

namespace {

std::string joined(const std::vector<std::string>& items, const char* separator) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : separator) + item;
    }
    return text;
}

// Reads the stored value as the window's "Adjust" does; the labels land in the view.
bool readTopMargin(CliSession& s) {
    return TopMarginMainBtnClick(s.frame, TopMarginChoice::Adjust) == kOk;
}

int topMarginRead(CliSession& s) {
    if (!readTopMargin(s)) {
        return 1;
    }
    const int value = int(s.frame.result().value(kTopMarginName).value_or(-1));
    const std::vector<std::string>& labels = s.view.topMarginItems();
    s.out << "Top margin value = " << value << '\n';
    if (labels.empty()) {
        s.out << "The value is in neither series: no value can be written.\n";
    } else {
        s.out << "Values offered: " << joined(labels, " ") << '\n';
    }
    const TopMarginSeries series = s.frame.state().topMarginSeries;
    s.json["value"] = value;
    s.json["series"] = labels.empty() ? "none" : series == TopMarginSeries::High ? "high" : "low";
    s.json["labels"] = labels;
    return 0;
}

// The label is chosen as in the window's list; one that is not offered selects nothing, which
// the write refuses with the window's text and without writing.
int topMarginWrite(CliSession& s, const std::string& label) {
    if (!readTopMargin(s)) {
        return 1;
    }
    const std::vector<std::string>& labels = s.view.topMarginItems();
    const auto found = std::find(labels.begin(), labels.end(), label);
    s.view.setTopMarginIndex(found == labels.end() ? -1 : int(found - labels.begin()));
    if (TopMarginWriteOKBtnClick(s.frame) != kOk) {
        s.view.finishLine();
        s.err << (labels.empty() ? "No value is offered for the stored top margin value."
                                 : "Values offered: " + joined(labels, " "))
              << '\n';
        return 1;
    }
    return 0;
}

// The panel's OK with the replaced parts ticked: the main board alone leads to the fixed value,
// with the CR guide shaft to the measurement.
int crMotor(CliSession& s, bool measure) {
    s.view.setChecked(CheckBox::ReplaceMainBoardCheckBox, true);
    s.view.setChecked(CheckBox::ReplaceCRMainShaftCheckBox, measure);
    if (CRHeatProtectOffsetOKBtnClick(s.frame) != kOk) {
        return 1;
    }
    // A question answered "no" leaves the emptied status area as it was.
    if (s.view.statusText().empty()) {
        s.err << "Nothing was sent.\n";
        return 1;
    }
    return 0;
}

}  // namespace

void addAdjustCommands(CliApp& cli) {
    CLI::App& top = addGroup(cli, "top-margin", "Top margin value");
    addCommand(cli, top, "read", "Show the stored value and the values offered for writing",
               topMarginRead);
    addCommand(cli, top, "write",
               "Write one of the offered values; LABEL is one of the five that top-margin read "
               "shows (-5 to -1, 0 or +1 to +4, as the stored value allows)",
               "LABEL",
               "The value as offered: -5 to -1, 0 or +1 to +4 (top-margin read shows which)",
               topMarginWrite)
        .get_option("LABEL")
        ->check(CLI::IsMember({"-5", "-4", "-3", "-2", "-1", "0", "+1", "+2", "+3", "+4"}));

    addCommands(cli, addGroup(cli, "crmotor", "CR motor drive dispersion"),
                {
                    {"fixed",
                     "Register the fixed value (main board, PS board or CR motor replaced; asks "
                     "first unless --yes)",
                     [](CliSession& s) { return crMotor(s, false); }},
                    {"measure",
                     "Run the printer's measurement and register its value (CR guide shaft "
                     "replaced; at least 31 s; asks first unless --yes)",
                     [](CliSession& s) { return crMotor(s, true); }},
                });
}

}  // namespace veltra::cli
