#include "shell/Malformadjust.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTabBar>
#include <QVBoxLayout>

#include "procedures/AdjustFrame.h"
#include "procedures/Adjustment.h"
#include "shell/Malformquit.h"

namespace veltra::shell {

namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Control names in the order of the procedures' enums.
constexpr const char* kPanelNames[] = {
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
    "A3PPrintPnl",
};
static_assert(std::size(kPanelNames) == std::size_t(Panel::A3PPrintPnl) + 1);

constexpr const char* kSummaryNames[] = {
    "ShowHdVolIDPnl",    "ShowVSD1BkPnl",    "ShowVSD1ClPnl", "ShowVSD2BkPnl", "ShowVSD2ClPnl",
    "ShowVSD3BkPnl",     "ShowVSD3ClPnl",    "ShowEcoBkPnl",  "ShowEcoClPnl",  "ShowUSBIDLbl",
    "ShowProCounterPnl", "ShowTopMarginPnl", "ShowPFPnl",
};
static_assert(std::size(kSummaryNames) == std::size_t(SummaryField::ShowPFPnl) + 1);

constexpr const char* kEntryNames[] = {
    "LeftHeadIDInputEdit", "OriginalUsbIdInputEdit", "UsbIdInputEdit",   "PFEdit",
    "BidVSD1BkWrtEdit",    "BidVSD1YMCWrtEdit",      "BidVSD2BkWrtEdit", "BidVSD2YMCWrtEdit",
    "BidVSD3BkWrtEdit",    "BidVSD3YMCWrtEdit",      "BidECOBkWrtEdit",  "BidECOYMCWrtEdit",
    "EepReadBegEdit",      "EepReadEndEdit",         "EepWriteAddEdit",  "EepWriteDataEdit",
};
static_assert(std::size(kEntryNames) == std::size_t(Entry::EepWriteDataEdit) + 1);

constexpr const char* kCheckBoxNames[] = {
    "BidVSD1BkCheckBox",      "BidVSD1YMCCheckBox",     "BidVSD2BkCheckBox",
    "BidVSD2YMCCheckBox",     "BidVSD3BkCheckBox",      "BidVSD3YMCCheckBox",
    "BidECOBkCheckBox",       "BidECOYMCCheckBox",      "ReplaceMainBoardCheckBox",
    "ReplacePSBoardCheckBox", "ReplaceCRMotorCheckBox", "ReplaceCRMainShaftCheckBox",
};
static_assert(std::size(kCheckBoxNames) == std::size_t(CheckBox::ReplaceCRMainShaftCheckBox) + 1);

// Spinners of the eight Bi-D rows, in the rows' order.
constexpr const char* kBidUpDownNames[] = {
    "BidVSD1BkUpDown", "BidVSD1YMCUpDown", "BidVSD2BkUpDown", "BidVSD2YMCUpDown",
    "BidVSD3BkUpDown", "BidVSD3YMCUpDown", "BidECOBkUpDown",  "BidECOYMCUpDown",
};
static_assert(std::size(kBidUpDownNames) == kBidRows.size());

QStringList toList(std::span<const ItemEntry> items) {
    QStringList out;
    for (const ItemEntry& item : items) {
        out << qs(item.text);
    }
    return out;
}

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

// A stand-in picture of the head label: a box holding 13 character places.
QPixmap headLabelPicture() {
    QPixmap pixmap(220, 44);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.drawRect(0, 0, 219, 43);
    p.drawText(QRect(0, 2, 220, 18), Qt::AlignCenter, "Head ID label");
    for (int i = 0; i < 13; ++i) {
        p.drawRect(6 + i * 16, 22, 14, 16);
    }
    return pixmap;
}

}  // namespace

// Builds one panel of the work area: a title line, then rows of texts and controls, then a row
// of buttons.
class TFormAdjust::Builder {
public:
    Builder(TFormAdjust& form, QWidget* workArea, Panel id, const QString& title)
        : form_(form), panel_(new QFrame(workArea)) {
        panel_->setObjectName(kPanelNames[int(id)]);
        panel_->setFrameShape(QFrame::StyledPanel);
        layout_ = new QVBoxLayout(panel_);
        if (!title.isEmpty()) {
            auto* heading = new QLabel(title, panel_);
            QFont font = heading->font();
            font.setBold(true);
            heading->setFont(font);
            layout_->addWidget(heading);
        }
        workArea->layout()->addWidget(panel_);
        form_.panels_.insert(int(id), panel_);
    }
    ~Builder() { layout_->addStretch(1); }

    QLabel* text(const QString& line, const char* name = nullptr) {
        auto* label = new QLabel(line, panel_);
        label->setWordWrap(true);
        if (name) {
            label->setObjectName(name);
        }
        layout_->addWidget(label);
        return label;
    }
    void texts(const QStringList& lines) {
        for (const QString& line : lines) {
            text(line);
        }
    }
    RadioGroup* radio(const char* name, const QString& caption, const QStringList& items) {
        auto* group = new RadioGroup(name, caption, panel_);
        group->setItems(items);
        group->setItemIndex(0);  // the first item is chosen at start
        layout_->addWidget(group);
        return group;
    }
    // A caption beside an entry.
    QLineEdit* entryRow(const QString& caption, Entry id, int maxLength, bool upperCase,
                        const QString& after = {}) {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(caption, panel_));
        QLineEdit* edit = makeEntry(kEntryNames[int(id)], maxLength, upperCase, panel_);
        form_.entries_.insert(int(id), edit);
        row->addWidget(edit);
        if (!after.isEmpty()) {
            row->addWidget(new QLabel(after, panel_));
        }
        row->addStretch(1);
        layout_->addLayout(row);
        return edit;
    }
    QCheckBox* checkBox(CheckBox id, const QString& caption, QLayout* into) {
        auto* box = new QCheckBox(caption, panel_);
        box->setObjectName(kCheckBoxNames[int(id)]);
        form_.checkBoxes_.insert(int(id), box);
        into->addWidget(box);
        return box;
    }
    enum class Role { Plain, Default, Cancel };
    QPushButton* button(const char* name, const QString& caption, Role role = Role::Plain) {
        if (!buttons_) {
            buttons_ = new QHBoxLayout;
            buttons_->addStretch(1);
            layout_->addLayout(buttons_);
        }
        auto* b = new QPushButton(caption, panel_);
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
    QFrame* panel() const { return panel_; }
    QVBoxLayout* layout() const { return layout_; }

private:
    TFormAdjust& form_;
    QFrame* panel_;
    QVBoxLayout* layout_;
    QHBoxLayout* buttons_ = nullptr;
};

TFormAdjust::TFormAdjust(ProgramObjects& objects, QWidget* parent)
    : QWidget(parent), objects_(objects) {
    setObjectName("TFormAdjust");
    setWindowTitle(" Individual Adjustment Program");
    buildWindow();
    frame_ = std::make_unique<AdjustFrame>(objects_, *this, state_);
    frame_->Create();  // resets the panels, fills the grid headings, starts DisableTimer
}

TFormAdjust::~TFormAdjust() {
    if (hourglass_) {
        QApplication::restoreOverrideCursor();
    }
}

void TFormAdjust::buildWindow() {
    auto* outer = new QHBoxLayout(this);

    // Left: model, tabs with the item groups, Status and Quit.
    auto* left = new QVBoxLayout;
    SelectPrinterNameLbl = new QLabel(this);
    SelectPrinterNameLbl->setObjectName("SelectPrinterNameLbl");
    QFont big = SelectPrinterNameLbl->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    SelectPrinterNameLbl->setFont(big);
    left->addWidget(SelectPrinterNameLbl);

    AdjustmentTab = new QTabWidget(this);
    AdjustmentTab->setObjectName("AdjustmentTab");
    const char* sheetNames[] = {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4"};
    const char* sheetCaptions[] = {"Adjustment", "Maintenance", "Check pattern printing",
                                   "Appendix"};
    RadioGroup* groups[4] = {
        AdjustRdoGrp = new RadioGroup("AdjustRdoGrp", "Adjustment items"),
        MaintRdoGrp = new RadioGroup("MaintRdoGrp", "Maintenance items"),
        PatternPrnItemsRdoGrp =
            new RadioGroup("PatternPrnItemsRdoGrp", "Check pattern printing items"),
        AppendixRdoGrp = new RadioGroup("AppendixRdoGrp", "Appendix items"),
    };
    for (int i = 0; i < 4; ++i) {
        auto* sheet = new QWidget;
        sheet->setObjectName(sheetNames[i]);
        auto* sheetLayout = new QVBoxLayout(sheet);
        sheetLayout->addWidget(groups[i]);
        sheetLayout->addStretch(1);
        AdjustmentTab->addTab(sheet, sheetCaptions[i]);
    }
    AdjustRdoGrp->setItems(toList(kNormalAdjustItems));
    MaintRdoGrp->setItems(toList(kMaintItems));
    PatternPrnItemsRdoGrp->setItems(toList(kPatternPrnItems));
    AppendixRdoGrp->setItems(toList(kAppendixItems));
    // Every tab caption in view, without scroll arrows.
    AdjustmentTab->setUsesScrollButtons(false);
    AdjustmentTab->setMinimumWidth(AdjustmentTab->tabBar()->sizeHint().width() + 8);
    left->addWidget(AdjustmentTab, 1);

    auto* frameButtons = new QHBoxLayout;
    GetStatusBtn = new QPushButton("Status", this);
    GetStatusBtn->setObjectName("GetStatusBtn");
    AdjustRtnBtn = new QPushButton("Quit", this);
    AdjustRtnBtn->setObjectName("AdjustRtnBtn");
    for (QPushButton* b : {GetStatusBtn, AdjustRtnBtn}) {
        b->setAutoDefault(false);
        frameButtons->addWidget(b);
    }
    left->addLayout(frameButtons);
    outer->addLayout(left);

    // Middle: the work area above the status area.
    auto* middle = new QVBoxLayout;
    auto* workArea = new QFrame(this);
    workArea->setObjectName("WorkArea");
    workArea->setLayout(new QVBoxLayout);
    buildPanels(workArea);
    // Room for the largest panel, so that the window keeps its size from panel to panel.
    QSize largest(480, 380);
    for (QWidget* p : panels_) {
        largest = largest.expandedTo(p->sizeHint());
    }
    workArea->setMinimumSize(largest + QSize(24, 24));
    middle->addWidget(workArea, 1);
    StatusMemo = new QPlainTextEdit(this);
    StatusMemo->setObjectName("StatusMemo");
    StatusMemo->setReadOnly(true);
    StatusMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StatusMemo->setMaximumHeight(110);
    middle->addWidget(StatusMemo);
    outer->addLayout(middle, 1);

    // Right: the summary.
    buildSummary(this);
    outer->addWidget(findChild<QWidget*>("Panel8"));

    // Timers, all 1000 ms on this thread.
    auto makeTimer = [this](const char* name) {
        auto* t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(1000);
        return t;
    };
    DisableTimer = makeTimer("DisableTimer");
    CountDownTimer = makeTimer("CountDownTimer");
    CountDownTimer2 = makeTimer("CountDownTimer2");
    HeadAngGetStatusTimer = makeTimer("HeadAngGetStatusTimer");
    connect(DisableTimer, &QTimer::timeout, this, &TFormAdjust::DisableTimerTimer);
    connect(CountDownTimer, &QTimer::timeout, this, &TFormAdjust::CountDownTimerTimer);
    connect(CountDownTimer2, &QTimer::timeout, this, &TFormAdjust::CountDownTimer2Timer);
    connect(HeadAngGetStatusTimer, &QTimer::timeout, this,
            &TFormAdjust::HeadAngGetStatusTimerTimer);

    // Frame events.
    connect(AdjustmentTab, &QTabWidget::currentChanged, this, [this] {
        if (!settingTab_) {
            AdjustmentTabChange();
        }
    });
    connect(AdjustRdoGrp, &RadioGroup::itemClicked, this, &TFormAdjust::AdjustRdoGrpClick);
    connect(MaintRdoGrp, &RadioGroup::itemClicked, this, &TFormAdjust::MaintRdoGrpClick);
    connect(PatternPrnItemsRdoGrp, &RadioGroup::itemClicked, this,
            &TFormAdjust::PatternPrnItemsRdoGrpClick);
    connect(AppendixRdoGrp, &RadioGroup::itemClicked, this, &TFormAdjust::AppendixRdoGrpClick);
    connect(GetStatusBtn, &QPushButton::clicked, this, &TFormAdjust::GetStatusBtnClick);
    connect(AdjustRtnBtn, &QPushButton::clicked, this, &TFormAdjust::AdjustRtnBtnClick);
    wireHandlers();
}

void TFormAdjust::buildSummary(QWidget* parent) {
    auto* box = new QGroupBox("Adjusted items", parent);
    box->setObjectName("Panel8");
    auto* grid = new QGridLayout(box);
    auto field = [&](SummaryField id, int row, int col, int span = 1) {
        auto* label = new QLabel(box);
        label->setObjectName(kSummaryNames[int(id)]);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(60);
        summary_.insert(int(id), label);
        grid->addWidget(label, row, col, 1, span);
    };
    auto caption = [&](const QString& text, int row, int col, int span = 1) {
        grid->addWidget(new QLabel(text, box), row, col, 1, span);
    };
    int row = 0;
    caption("Head ID", row++, 0, 3);
    field(SummaryField::ShowHdVolIDPnl, row++, 0, 3);
    caption("Bi-D Adjustment value", row++, 0, 3);
    caption("Black", row, 1);
    caption("Color", row++, 2);
    const struct {
        const char* name;
        SummaryField black;
        SummaryField colour;
    } bidRows[] = {
        {"VSD1", SummaryField::ShowVSD1BkPnl, SummaryField::ShowVSD1ClPnl},
        {"VSD2", SummaryField::ShowVSD2BkPnl, SummaryField::ShowVSD2ClPnl},
        {"VSD3", SummaryField::ShowVSD3BkPnl, SummaryField::ShowVSD3ClPnl},
        {"ECO", SummaryField::ShowEcoBkPnl, SummaryField::ShowEcoClPnl},
    };
    for (const auto& r : bidRows) {
        caption(r.name, row, 0);
        field(r.black, row, 1);
        field(r.colour, row++, 2);
    }
    caption("USB ID", row++, 0, 3);
    field(SummaryField::ShowUSBIDLbl, row++, 0, 3);
    caption("Protection counter", row++, 0, 3);
    field(SummaryField::ShowProCounterPnl, row++, 0, 3);
    caption("Top Margin", row++, 0, 3);
    field(SummaryField::ShowTopMarginPnl, row++, 0, 3);
    caption("PF Adjustment value", row++, 0, 3);
    field(SummaryField::ShowPFPnl, row++, 0, 3);
    grid->setRowStretch(row, 1);
}

void TFormAdjust::buildPanels(QWidget* workArea) {
    using Role = Builder::Role;
    { Builder b(*this, workArea, Panel::CanvasPanel, {}); }
    // EEPROM initialization, head ID, USB ID.
    {
        Builder b(*this, workArea, Panel::DefaultSetPnl, "EEPROM initialization ");
        b.texts(
            {"After replacing Main board, make sure to do this EEPROM Initialization to "
             "re-register the factory setting value onto the spare Main board.",
             "In case of Veltra K55/K45, destination setting will also be done in this "
             "operation.",
             "Even though you've done this operation, it does\nnot mean you need to perform "
             "all\nelectronic adjustments."});
        b.button("DefaultSetBtn", "OK");
    }
    {
        Builder b(*this, workArea, Panel::HeadIDItemsPnl, "Head ID Input ");
        b.radio("HdVolRdoBtn", "Items", {"Change data", "Check present data"});
        b.button("HdVolOKBtn", "OK", Role::Default);
    }
    {
        Builder b(*this, workArea, Panel::HeadIDInputPnl, "Head ID Input ");
        b.text("Enter the 13 digits Head ID.");
        b.entryRow("Head ID", Entry::LeftHeadIDInputEdit, 13, true);
        QLabel* picture = b.text({}, "HeadIDLabelImage");
        picture->setPixmap(headLabelPicture());
        b.button("HeadIDInputOKBtn", "OK", Role::Default);
        b.button("HeadIDInputRtnBtn", "Previous", Role::Cancel);
    }
    {
        Builder b(*this, workArea, Panel::USBIDItemsPnl, "USB ID Readout / Input ");
        b.radio("USBIDRdoGrp", "Items", {"Input USB ID", "Readout USB ID"});
        b.button("UsbIdOKBtn", "OK", Role::Default);
    }
    {
        Builder b(*this, workArea, Panel::USBIDInputPnl, "USB ID Input ");
        b.text("Input Original USB ID, or Serial number");
        b.entryRow("1. Original USB ID (18-digits)", Entry::OriginalUsbIdInputEdit, 18, true);
        b.entryRow("2. Serial number (10-digits)", Entry::UsbIdInputEdit, 10, true);
        b.button("UsbIdInputOKBtn", "OK", Role::Default);
        b.button("UsbIdInputRtnBtn", "Previous", Role::Cancel);
    }
    // Bi-D, PF, top margin.
    {
        Builder b(*this, workArea, Panel::BidItemsPnl, "Bi-Directional adjustment ");
        b.radio(
            "BidRdoBtn", "Items",
            {"Printing the Bi-D adjustment pattern", "Adjust", "Checking present Bi-D parameter"});
        b.button("BidOKBtn", "OK");
    }
    {
        Builder b(*this, workArea, Panel::BidInputPnl, "Input Bi-directional adjustment value ");
        b.text("Adjustable range is -60 to 60.");
        auto* rows = new QGridLayout;
        int r = 0;
        for (const veltra::BidRow& row : kBidRows) {
            auto* cell = new QHBoxLayout;
            b.checkBox(row.box, qs(row.name), cell);
            rows->addLayout(cell, r, 0);
            QLineEdit* edit = makeEntry(kEntryNames[int(row.entry)], 3, false, b.panel());
            entries_.insert(int(row.entry), edit);
            rows->addWidget(edit, r, 1);
            rows->addWidget(new UpDown(kBidUpDownNames[r], edit, -60, 60, b.panel()), r, 2);
            ++r;
        }
        b.layout()->addLayout(rows);
        b.button("BidWrtOKBtn", "OK");
        b.button("BidWrtRtnBtn", "Previous");
    }
    {
        Builder b(*this, workArea, Panel::PFItemsPnl, "PF adjustment ");
        b.radio("PFRdoGrp", "Items",
                {"Printing the PF adjustment pattern", "Adjust", "Checking present PF parameter"});
        b.button("PFOKBtn", "OK");
    }
    {
        Builder b(*this, workArea, Panel::PFAdjustPnl, "PF adjustment");
        b.text("Input your confirmed value.");
        b.text("(-4 to 4)");
        auto* row = new QHBoxLayout;
        QLineEdit* edit = makeEntry(kEntryNames[int(Entry::PFEdit)], 3, false, b.panel());
        entries_.insert(int(Entry::PFEdit), edit);
        row->addWidget(edit);
        row->addWidget(new UpDown("PFUpDown", edit, -4, 4, b.panel()));
        row->addStretch(1);
        b.layout()->addLayout(row);
        b.button("PFWriteOKBtn", "OK");
        b.button("PFRtnBtn", "Previous");
    }
    {
        Builder b(*this, workArea, Panel::TopMarginMainPnl, "Top margin adjustment");
        b.radio("TopMarginRdoGrp", "Items", {"Checking the Top margin", "Adjust"});
        b.button("TopMarginMainBtn", "OK");
    }
    {
        Builder b(*this, workArea, Panel::TopMarginPnl, "Top margin adjustment");
        b.text("Select a value from following window.");
        TopMarginInputCombo = new QComboBox(b.panel());
        TopMarginInputCombo->setObjectName("TopMarginInputCombo");
        b.layout()->addWidget(TopMarginInputCombo);
        b.button("TopMarginWriteOKBtn", "OK");
        b.button("TopMarginRtnBtn", "Previous");
    }
    // Head angle, CR motor drive dispersion.
    const QString headAngle = "Head angular adjustment ";
    {
        Builder b(*this, workArea, Panel::HdAngItemsPnl, headAngle);
        b.radio("HdAngItemsRdoGrp", "Items", {"Printing the head angle pattern"});
        b.button("HdAngItemsOKBtn", "OK");
    }
    {
        Builder b(*this, workArea, Panel::HdAngStep1Pnl, headAngle);
        b.radio("HdAngAdjustRdoGrp", "Items", {"Adjusting the head angle", "No need to adjust"});
        b.text("(Changing head angle lever.)");
        b.button("HdAngStep1OKBtn", "OK");
    }
    {
        Builder b(*this, workArea, Panel::HeadAngSusPlateSelectPnl, headAngle);
        b.texts({"Select the printer version.",
                 "If the previous head fastener is mounted, select \"Old\".",
                 "If the new head fastener is mounted, select \"New\"."});
        b.radio("SusPlateSelectRdoGrp", "Items", {"New", "Old"});
        b.button("SusPlateSelectOKBtn", "OK");
    }
    {
        Builder b(*this, workArea, Panel::HeadAngNewPnl, headAngle);
        b.texts({"1. Press Ink SW.(Do not press it more 2 seconds.)", "2. Remove all I/Cs.",
                 "3. Remove the cartridge spring from the bottom of the carriage."
                 "(First operation only)",
                 "4. Loosen the left screw.(Do not remove it completely.)",
                 "5. Loosen the right screw.(Do not remove it completely.)",
                 "6. Change the head angle adjust lever position.",
                 "7. Push both edges of the head fastener towards the inner side.",
                 "8. Tighten the right screw while pushing the head fastener.",
                 "9. Tighten the left screw while pushing the head fastener.",
                 "10. Install all I/Cs.", "11. Press Ink SW.",
                 "12. After completing CL, next check print will start."});
    }
    {
        Builder b(*this, workArea, Panel::HeadAngOldPnl, headAngle);
        b.texts({"1. Press Ink SW.(Do not press it more 2 seconds.)", "2. Remove all I/Cs.",
                 "3. Loosen the left screw.(Do not remove it completely.)",
                 "4. Loosen the right screw.(Do not remove it completely.)",
                 "5. Change the head angle adjust lever position.",
                 "6. Push both edges of the head fastener towards the inner side.",
                 "7. Tighten the right screw while pushing the head fastener.",
                 "8. Tighten the left screw while pushing the head fastener.",
                 "9. Install all I/Cs.", "10. Press Ink SW.",
                 "11. After completing CL, next check print will start."});
    }
    {
        Builder b(*this, workArea, Panel::HeadAngCompletePnl, headAngle);
        b.texts({"1. Press Ink SW.(Do not press it more 2 seconds.)", "2. Remove all I/Cs.",
                 "3. Reinstall the cartridge spring at the bottom of the carriage.",
                 "4. Install all I/Cs.", "5. Press Ink SW.", "6. Press OK bellow to return."});
        b.button("HeadAngCompleteBtn", "OK", Role::Cancel);
    }
    {
        Builder b(*this, workArea, Panel::CRHeatProtectOffsetPnl,
                  "CR Motor Drive Dispersion Sequence ");
        b.texts({"Mark the replaced parts (more than one may be marked), then press OK button.",
                 "Be sure to execute this function in case you replace a 1.main board, 2.CR "
                 "motor, 3.PS board, or 4.CR guide shaft with new one.",
                 "Excepting aboves, do not execute this function."});
        auto* parts = new QGroupBox("replaced parts", b.panel());
        parts->setObjectName("ReplacedPartsGrp");
        auto* partsLayout = new QVBoxLayout(parts);
        b.checkBox(CheckBox::ReplaceMainBoardCheckBox, "main board", partsLayout);
        b.checkBox(CheckBox::ReplacePSBoardCheckBox, "PS board", partsLayout);
        b.checkBox(CheckBox::ReplaceCRMotorCheckBox, "CR motor", partsLayout);
        b.checkBox(CheckBox::ReplaceCRMainShaftCheckBox, "CR guide shaft", partsLayout);
        b.layout()->addWidget(parts);
        b.button("CRHeatProtectOffsetOKBtn", "OK");
    }
    // Maintenance.
    {
        Builder b(*this, workArea, Panel::CleaningPnl, "Head cleaning ");
        b.texts({"CL3(Powerful) cleaning will be done once you press OK button. ",
                 "Consumption volume", "1/23:      Black ink cartridge",
                 "1/33:      Color ink cartridge"});
        b.button("CleaningOKBtn", "OK");
    }
    {
        Builder b(*this, workArea, Panel::InkChargePnl, "Ink charge ");
        b.texts({"Ink Charge sequence will consume big ink amount.",
                 "Re-perform Ink charge if ink out occurs on the way of operation.",
                 "Black I/C:     1/8", "Color I/C:     1/11"});
        b.button("ChargeOKBtn", "OK");
    }
    {
        Builder b(*this, workArea, Panel::InkChargeJigPnl, "Ink charge for Jig ");
        b.texts({"It will take about 80 seconds.",
                 "If you can find some air-bubbles inside the ink tube, please perform this "
                 "function again.",
                 "Replace the I/C with ink supply tool before pressing OK button."});
        b.button("ChargeForJigOKBtn", "OK");
    }
    {
        Builder b(*this, workArea, Panel::TraStep0Pnl, "Refurbishment for DOA ");
        b.texts(
            {"Once you press following OK button, exclusive S46 transportation sequence "
             "with Jig will be executed.",
             "Replace the I/C or ink supply tool with transportation tool before pressing OK "
             "button."});
        b.button("MessageOKBtn", "OK");
    }
    {
        Builder b(*this, workArea, Panel::TraStep4Pnl, "Refurbishment for DOA ");
        b.texts({"1. Move away the Jig.", "2. Turn off the printer.", "3. Press OK button."});
        DischargeWaitLbl = b.text("Wait for 10 seconds.", "DischargeWaitLbl");
        DischargeCountDownMemo = new QPlainTextEdit(b.panel());
        DischargeCountDownMemo->setObjectName("DischargeCountDownMemo");
        DischargeCountDownMemo->setReadOnly(true);
        DischargeCountDownMemo->setMaximumSize(80, 40);
        b.layout()->addWidget(DischargeCountDownMemo);
        DischargeCompleteLbl = b.text("You can remove AC cable now.", "DischargeCompleteLbl");
        b.button("PowerSwOffOKBtn", "OK");
    }
    {
        Builder b(*this, workArea, Panel::ProCounterItemsPnl, "Protection counter ");
        b.radio("CounterRdoBtn", "Items",
                {"Checking the present counter", "Clearing the protection counter"});
        b.button("ProCounterOKBtn", "OK");
    }
    {
        Builder b(*this, workArea, Panel::ProCounterCheckPnl, "Protection counter ");
        b.texts({"Maximum Counter = 49,728 points.",
                 "34,809 points is the rough standard to replace to the waste ink drain pad."});
        b.button("CounterCheckRtnBtn", "Previous");
    }
    {
        Builder b(*this, workArea, Panel::NewProCounterClearPnl, "Protection counter ");
        b.texts({"Which type of the ink pad have you replaced whether new one or old one? ",
                 "If you don't replace the ink pad, click the following button, then replace "
                 "current ink pad with new one, at first. "});
        b.button("OldInkPadClearBtn", "Old type");
        b.button("NewInkPadClearBtn", "New type");
        b.button("CounterClearRtnBtn", "Previous");
    }
    {
        Builder b(*this, workArea, Panel::PageCounterPnl, "Page counter ");
        b.button("PageCountOKBtn", "OK");
    }
    {
        Builder b(*this, workArea, Panel::PrintPassCountPnl, "Print pass counter ");
        b.button("PrintPassCountOKBtn", "OK");
    }
    // EEPROM data and check pattern printing.
    {
        Builder b(*this, workArea, Panel::EEPROMItemsPnl, "EEPROM data ");
        b.radio("EepromCheckRdoGrp", "Items", {"Check the EEPROM data", "Change the EEPROM data"});
        b.button("EepromItemsOKBtn", "OK");
    }
    {
        Builder b(*this, workArea, Panel::EEPROMCheckPnl, "Check the EEPROM data ");
        b.text("Enter the reading start address and the end address.");
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel("(Start)", b.panel()));
        QLineEdit* beg = makeEntry("EepReadBegEdit", 2, true, b.panel());
        row->addWidget(beg);
        row->addWidget(new QLabel("~", b.panel()));
        QLineEdit* end = makeEntry("EepReadEndEdit", 2, true, b.panel());
        row->addWidget(end);
        row->addWidget(new QLabel("(End)", b.panel()));
        row->addStretch(1);
        entries_.insert(int(Entry::EepReadBegEdit), beg);
        entries_.insert(int(Entry::EepReadEndEdit), end);
        b.layout()->addLayout(row);
        b.button("EepromReadOkBtn", "OK");
        b.button("EepromReadRtnBtn", "Previous");
    }
    {
        Builder b(*this, workArea, Panel::EEPROMGridPnl, "Check the EEPROM data ");
        b.text("Low")->setAlignment(Qt::AlignHCenter);
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel("High", b.panel()));
        EepromStrGrid = new QTableWidget(17, 17, b.panel());
        EepromStrGrid->setObjectName("EepromStrGrid");
        EepromStrGrid->horizontalHeader()->hide();
        EepromStrGrid->verticalHeader()->hide();
        EepromStrGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        EepromStrGrid->horizontalHeader()->setDefaultSectionSize(26);
        EepromStrGrid->verticalHeader()->setDefaultSectionSize(20);
        for (int r = 0; r < 17; ++r) {
            for (int c = 0; c < 17; ++c) {
                auto* item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignCenter);
                if (r == 0 || c == 0) {
                    item->setBackground(palette().button());
                }
                EepromStrGrid->setItem(r, c, item);
            }
        }
        EepromStrGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        EepromStrGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        const int frame = 2 * EepromStrGrid->frameWidth();
        EepromStrGrid->setFixedSize(17 * 26 + frame, 17 * 20 + frame);
        row->addWidget(EepromStrGrid, 1);
        b.layout()->addLayout(row);
        b.button("EepromGridRtnBtn", "Previous");
    }
    {
        Builder b(*this, workArea, Panel::EEPROMChangePnl, "Change the EEPROM data ");
        b.text("Enter a data and address.");
        b.entryRow("Address", Entry::EepWriteAddEdit, 2, true, "(00~FF)");
        b.entryRow("Data", Entry::EepWriteDataEdit, 2, true, "(00~FF)");
        b.button("EepromWriteOkBtn", "OK");
        b.button("EepromWriteRtnBtn", "Previous");
    }
    {
        Builder b(*this, workArea, Panel::A3PPrintPnl, "A4 normal paper printing ");
        b.texts({"1. Beta pattern(BK-Y-M-C)", "2. Nozzle check pattern(BK-Y-M-C)",
                 "3. Alignment pattern(BK-Y-M-C)", "4. Nozzle column shift(BK-M)",
                 "5. Bi-D pattern", "6. Head angle pattern", "7. PF pattern", "8. Head ID",
                 "9. USB ID", "10. Protection counter"});
        b.button("A3PPrintOKBtn", "OK");
    }
}

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
    switch (g) {
        case Group::AdjustRdoGrp:
            return AdjustRdoGrp;
        case Group::MaintRdoGrp:
            return MaintRdoGrp;
        case Group::PatternPrnItemsRdoGrp:
            return PatternPrnItemsRdoGrp;
        case Group::AppendixRdoGrp:
            return AppendixRdoGrp;
        case Group::HdAngAdjustRdoGrp:
            return panelGroup("HdAngAdjustRdoGrp");
    }
    return nullptr;
}

RadioGroup* TFormAdjust::panelGroup(const char* name) const {
    return findChild<RadioGroup*>(name);
}

QTimer* TFormAdjust::timer(Timer t) const {
    switch (t) {
        case Timer::DisableTimer:
            return DisableTimer;
        case Timer::CountDownTimer:
            return CountDownTimer;
        case Timer::CountDownTimer2:
            return CountDownTimer2;
        case Timer::HeadAngGetStatusTimer:
            return HeadAngGetStatusTimer;
    }
    return nullptr;
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
    switch (t) {
        case Timer::DisableTimer:
            DisableTimerTimer();
            break;
        case Timer::CountDownTimer:
            CountDownTimerTimer();
            break;
        case Timer::CountDownTimer2:
            CountDownTimer2Timer();
            break;
        case Timer::HeadAngGetStatusTimer:
            HeadAngGetStatusTimerTimer();
            break;
    }
}

// --- AdjustView: status area

void TFormAdjust::setStatusText(std::string_view text) {
    StatusMemo->setPlainText(qs(text));
}

void TFormAdjust::appendStatusText(std::string_view text) {
    QTextCursor cursor(StatusMemo->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(qs(text));
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
    QWidget* w = nullptr;
    switch (widget) {
        case Widget::StatusMemo:
            w = StatusMemo;
            break;
        case Widget::DischargeWaitLbl:
            w = DischargeWaitLbl;
            break;
        case Widget::DischargeCountDownMemo:
            w = DischargeCountDownMemo;
            break;
        case Widget::DischargeCompleteLbl:
            w = DischargeCompleteLbl;
            break;
    }
    if (w) {
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
    QWidget* w = nullptr;
    switch (control) {
        case Control::AdjustmentTab:
            w = AdjustmentTab;
            break;
        case Control::MaintRdoGrp:
            w = MaintRdoGrp;
            break;
        case Control::PatternPrnItemsRdoGrp:
            w = PatternPrnItemsRdoGrp;
            break;
        case Control::AppendixRdoGrp:
            w = AppendixRdoGrp;
            break;
        case Control::AdjustRtnBtn:
            w = AdjustRtnBtn;
            break;
        case Control::GetStatusBtn:
            w = GetStatusBtn;
            break;
    }
    if (w) {
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

void TFormAdjust::showQuitWindow() {
    if (quitWindow_) {
        quitWindow_->show();
    }
}

// --- events

void TFormAdjust::PrepareForModel(std::uint8_t modelNo) {
    for (const ModelInfo& model : kModels) {
        if (model.number == modelNo) {
            setPrinterName(model.name);
        }
    }
    AdjustRdoGrp->setItems(toList(kNormalAdjustItems));
    state_.errorItemList = false;
}

void TFormAdjust::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A window restored from the task bar is not shown anew.
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TFormAdjust::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    closing_ = true;
    FormClose();
    closing_ = false;
    event->accept();
}

void TFormAdjust::FormClose() {
    run([this] { frame_->FormClose(); });
}

void TFormAdjust::keyPressEvent(QKeyEvent* event) {
    auto clickVisible = [](const QList<QPushButton*>& buttons) {
        for (QPushButton* b : buttons) {
            if (b->isVisible() && b->isEnabled()) {
                b->click();
                return true;
            }
        }
        return false;
    };
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (clickVisible(defaultButtons_)) {
                return;
            }
            break;
        case Qt::Key_Escape:
            // A panel's own cancel button first, else the window's "Quit".
            if (clickVisible(cancelButtons_) || clickVisible({AdjustRtnBtn})) {
                return;
            }
            break;
        default:
            break;
    }
    QWidget::keyPressEvent(event);
}

void TFormAdjust::FormShow() {
    run([this] { frame_->FormShow(); });
}

void TFormAdjust::AdjustmentTabChange() {
    run([this] { frame_->AdjustmentTabChange(); });
}
void TFormAdjust::AdjustRdoGrpClick() {
    run([this] { frame_->AdjustRdoGrpClick(AdjustRdoGrp->itemIndex()); });
}
void TFormAdjust::MaintRdoGrpClick() {
    run([this] { frame_->MaintRdoGrpClick(MaintRdoGrp->itemIndex()); });
}
void TFormAdjust::PatternPrnItemsRdoGrpClick() {
    run([this] { frame_->PatternPrnItemsRdoGrpClick(PatternPrnItemsRdoGrp->itemIndex()); });
}
void TFormAdjust::AppendixRdoGrpClick() {
    run([this] { frame_->AppendixRdoGrpClick(AppendixRdoGrp->itemIndex()); });
}
void TFormAdjust::GetStatusBtnClick() {
    run([this] { (void)frame_->GetStatusBtnClick(); });
}
void TFormAdjust::AdjustRtnBtnClick() {
    close();
}
void TFormAdjust::DisableTimerTimer() {
    run([this] { frame_->OnTimer(Timer::DisableTimer); });
}

}  // namespace veltra::shell
