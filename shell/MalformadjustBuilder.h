#pragma once
// What the units that build TFormAdjust share: the control names in the order of the procedures'
// enums, and the builder of one work-area panel. The panels are built from one table in
// MalformadjustPanels.cpp, their texts all from msg::window.
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <array>
#include <span>
#include <string_view>

#include "procedures/AdjustFrame.h"
#include "procedures/Messages.h"
#include "shell/Malformadjust.h"
#include "shell/Widgets.h"

namespace veltra::shell {

inline QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

inline QStringList toList(std::span<const std::string_view> texts) {
    QStringList out;
    for (std::string_view text : texts) {
        out << qs(text);
    }
    return out;
}

inline QStringList toList(std::span<const ItemEntry> items) {
    QStringList out;
    for (const ItemEntry& item : items) {
        out << qs(item.text);
    }
    return out;
}

// The object names of the controls the procedures' enums name, in the enums' order: one name
// for each value up to Last.
template <auto Last, std::size_t N>
consteval std::array<const char*, N> namesInOrder(const char* const (&names)[N]) {
    static_assert(N == std::size_t(Last) + 1, "one name for each value of the enum");
    return std::to_array(names);
}

inline constexpr auto kPanelNames = namesInOrder<Panel::A3PPrintPnl>({
    "CanvasPanel",
    "DefaultSetPnl",
    "HeadIDItemsPnl",
    "HeadIDInputPnl",
    "USBIDItemsPnl",
    "USBIDInputPnl",
    "BidItemsPnl",
    "BidInputPnl",
    "PFItemsPnl",
    "PFAdjustPnl",
    "TopMarginMainPnl",
    "TopMarginPnl",
    "HdAngItemsPnl",
    "HdAngStep1Pnl",
    "HeadAngSusPlateSelectPnl",
    "HeadAngNewPnl",
    "HeadAngOldPnl",
    "HeadAngCompletePnl",
    "CRHeatProtectOffsetPnl",
    "CleaningPnl",
    "InkChargePnl",
    "InkChargeJigPnl",
    "TraStep0Pnl",
    "TraStep4Pnl",
    "ProCounterItemsPnl",
    "ProCounterCheckPnl",
    "NewProCounterClearPnl",
    "PageCounterPnl",
    "PrintPassCountPnl",
    "EEPROMItemsPnl",
    "EEPROMCheckPnl",
    "EEPROMGridPnl",
    "EEPROMChangePnl",
    "EEPROMDiffPnl",
    "EEPROMHistoryPnl",
    "A3PPrintPnl",
});

inline constexpr auto kSummaryNames = namesInOrder<SummaryField::ShowPFPnl>(
    {"ShowHdVolIDPnl", "ShowVSD1BkPnl", "ShowVSD1ClPnl", "ShowVSD2BkPnl", "ShowVSD2ClPnl",
     "ShowVSD3BkPnl", "ShowVSD3ClPnl", "ShowEcoBkPnl", "ShowEcoClPnl", "ShowUSBIDLbl",
     "ShowProCounterPnl", "ShowTopMarginPnl", "ShowPFPnl"});

inline constexpr auto kEntryNames = namesInOrder<Entry::EepWriteDataEdit>(
    {"LeftHeadIDInputEdit", "OriginalUsbIdInputEdit", "UsbIdInputEdit", "PFEdit",
     "BidVSD1BkWrtEdit", "BidVSD1YMCWrtEdit", "BidVSD2BkWrtEdit", "BidVSD2YMCWrtEdit",
     "BidVSD3BkWrtEdit", "BidVSD3YMCWrtEdit", "BidECOBkWrtEdit", "BidECOYMCWrtEdit",
     "EepReadBegEdit", "EepReadEndEdit", "EepWriteAddEdit", "EepWriteDataEdit"});

inline constexpr auto kCheckBoxNames = namesInOrder<CheckBox::ReplaceCRMainShaftCheckBox>(
    {"BidVSD1BkCheckBox", "BidVSD1YMCCheckBox", "BidVSD2BkCheckBox", "BidVSD2YMCCheckBox",
     "BidVSD3BkCheckBox", "BidVSD3YMCCheckBox", "BidECOBkCheckBox", "BidECOYMCCheckBox",
     "ReplaceMainBoardCheckBox", "ReplacePSBoardCheckBox", "ReplaceCRMotorCheckBox",
     "ReplaceCRMainShaftCheckBox"});

inline constexpr auto kGroupNames =
    namesInOrder<Group::HdAngAdjustRdoGrp>({"AdjustRdoGrp", "MaintRdoGrp", "PatternPrnItemsRdoGrp",
                                            "AppendixRdoGrp", "HdAngAdjustRdoGrp"});

inline constexpr auto kControlNames =
    namesInOrder<Control::GetStatusBtn>({"AdjustmentTab", "MaintRdoGrp", "PatternPrnItemsRdoGrp",
                                         "AppendixRdoGrp", "AdjustRtnBtn", "GetStatusBtn"});

inline constexpr auto kWidgetNames = namesInOrder<Widget::DischargeCompleteLbl>(
    {"StatusMemo", "DischargeWaitLbl", "DischargeCountDownMemo", "DischargeCompleteLbl"});

inline constexpr auto kTimerNames = namesInOrder<Timer::HeadAngGetStatusTimer>(
    {"DisableTimer", "CountDownTimer", "CountDownTimer2", "HeadAngGetStatusTimer"});

// Builds one panel of the work area: a title line, then rows of texts and controls, then a row
// of buttons.
class TFormAdjust::Builder {
public:
    enum class Role { Plain, Default, Cancel };

    // A button of a panel's button row, by object name; none where the name is null.
    struct PanelButton {
        const char* name = nullptr;
        Role role = Role::Plain;
    };
    // One panel as data, built in this order: the title, a text line, a list of text lines, a
    // radio group with its items, what is particular to the panel (body), the OK button, the
    // Previous button and what follows the buttons (tail). What a panel does not have is left
    // empty.
    struct PanelRow {
        Panel id;
        std::string_view title = {};
        std::string_view text = {};
        std::span<const std::string_view> texts = {};
        const char* radio = nullptr;
        std::span<const std::string_view> items = {};
        void (*body)(TFormAdjust& form, Builder& b) = nullptr;
        PanelButton ok = {};
        PanelButton previous = {};
        void (*tail)(TFormAdjust& form, Builder& b) = nullptr;
    };
    // Builds the panels one after another.
    static void build(TFormAdjust& form, QWidget* workArea, std::span<const PanelRow> rows) {
        for (const PanelRow& row : rows) {
            Builder b(form, workArea, row.id, row.title);
            if (!row.text.empty()) {
                b.text(row.text);
            }
            b.texts(row.texts);
            if (row.radio) {
                b.radio(row.radio, row.items);
            }
            if (row.body) {
                row.body(form, b);
            }
            if (row.ok.name) {
                b.ok(row.ok.name, row.ok.role);
            }
            if (row.previous.name) {
                b.previous(row.previous.name, row.previous.role);
            }
            if (row.tail) {
                row.tail(form, b);
            }
        }
    }

    Builder(TFormAdjust& form, QWidget* workArea, Panel id, std::string_view title)
        : form_(form), panel_(new QFrame(workArea)) {
        panel_->setObjectName(kPanelNames[int(id)]);
        panel_->setFrameShape(QFrame::StyledPanel);
        layout_ = new QVBoxLayout(panel_);
        if (!title.empty()) {
            auto* heading = new QLabel(qs(title), panel_);
            QFont font = heading->font();
            font.setBold(true);
            heading->setFont(font);
            layout_->addWidget(heading);
        }
        workArea->layout()->addWidget(panel_);
        form_.panels_.insert(int(id), panel_);
    }
    ~Builder() { layout_->addStretch(1); }
    Builder(const Builder&) = delete;
    Builder& operator=(const Builder&) = delete;

    QLabel* text(std::string_view line, const char* name = nullptr) {
        auto* label = new QLabel(qs(line), panel_);
        label->setWordWrap(true);
        if (name) {
            label->setObjectName(name);
        }
        layout_->addWidget(label);
        return label;
    }
    void texts(std::span<const std::string_view> lines) {
        for (std::string_view line : lines) {
            text(line);
        }
    }
    // A label of the panel, for rows laid out by the caller.
    QLabel* label(std::string_view caption) const { return new QLabel(qs(caption), panel_); }
    RadioGroup* radio(const char* name, std::span<const std::string_view> items) {
        auto* group = new RadioGroup(name, qs(msg::window::kItems), panel_);
        group->setItems(toList(items));
        group->setItemIndex(0);  // the first item is chosen at start
        layout_->addWidget(group);
        return group;
    }
    // An entry of the panel, known to the window by its enum.
    QLineEdit* entry(Entry id, int maxLength, bool upperCase) {
        QLineEdit* edit = makeEntry(kEntryNames[int(id)], maxLength, upperCase, panel_);
        form_.entries_.insert(int(id), edit);
        return edit;
    }
    // A caption beside an entry.
    QLineEdit* entryRow(std::string_view caption, Entry id, int maxLength, bool upperCase,
                        std::string_view after = {}) {
        auto* row = new QHBoxLayout;
        row->addWidget(label(caption));
        QLineEdit* edit = entry(id, maxLength, upperCase);
        row->addWidget(edit);
        if (!after.empty()) {
            row->addWidget(label(after));
        }
        row->addStretch(1);
        layout_->addLayout(row);
        return edit;
    }
    QCheckBox* checkBox(CheckBox id, std::string_view caption, QLayout* into) {
        auto* box = new QCheckBox(qs(caption), panel_);
        box->setObjectName(kCheckBoxNames[int(id)]);
        form_.checkBoxes_.insert(int(id), box);
        into->addWidget(box);
        return box;
    }
    QPushButton* button(const char* name, std::string_view caption, Role role = Role::Plain) {
        if (!buttons_) {
            buttons_ = new QHBoxLayout;
            buttons_->addStretch(1);
            layout_->addLayout(buttons_);
        }
        auto* b = new QPushButton(qs(caption), panel_);
        b->setObjectName(name);
        b->setAutoDefault(false);
        buttons_->addWidget(b);
        if (role == Role::Default) {
            form_.defaultButtons_ << b;
        } else if (role == Role::Cancel) {
            form_.cancelButtons_ << b;
        }
        return b;
    }
    QPushButton* ok(const char* name, Role role = Role::Plain) {
        return button(name, msg::window::kOk, role);
    }
    QPushButton* previous(const char* name, Role role = Role::Plain) {
        return button(name, msg::window::kPrevious, role);
    }
    QFrame* panel() const { return panel_; }
    QVBoxLayout* layout() const { return layout_; }

private:
    TFormAdjust& form_;
    QFrame* panel_;
    QVBoxLayout* layout_;
    QHBoxLayout* buttons_ = nullptr;
};

}  // namespace veltra::shell
