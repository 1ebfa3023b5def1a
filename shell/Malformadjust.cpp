// TFormAdjust's frame: the left column with the tabs, the work area above the status area, the
// "Adjusted items" summary, the timers and the window's events. The panels of each tab are built
// in a unit of their own, the AdjustView side is in MalformadjustView.cpp.
#include "shell/Malformadjust.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QProgressBar>
#include <QTabBar>

#include "procedures/AdjustFrame.h"
#include "procedures/StateFolder.h"
#include "shell/MalformadjustBuilder.h"
#include "shell/Malformquit.h"

namespace veltra::shell {

TFormAdjust::TFormAdjust(ProgramObjects& objects, FileChooser& files, QWidget* parent)
    : QWidget(parent),
      objects_(objects),
      files_(files),
      lastFolder_(QString::fromStdString(backupFolder().string())) {
    setObjectName("TFormAdjust");
    setWindowTitle(qs(msg::window::kTitle));
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

    // Left: model, tabs with the item groups, the "Adjusted items" summary, Status and Quit. The
    // summary sits below the item lists rather than in a column of its own, so that the window
    // fits a 1024 x 768 screen with every tab caption and the largest panel whole.
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
    const std::string_view sheetCaptions[] = {msg::kAdjustmentTab, msg::window::kTabMaintenance,
                                              msg::window::kTabPatternPrinting,
                                              msg::window::kTabAppendix};
    RadioGroup* groups[4] = {
        AdjustRdoGrp = new RadioGroup("AdjustRdoGrp", qs(msg::kAdjustmentItems)),
        MaintRdoGrp = new RadioGroup("MaintRdoGrp", qs(msg::window::kMaintenanceItems)),
        PatternPrnItemsRdoGrp =
            new RadioGroup("PatternPrnItemsRdoGrp", qs(msg::window::kPatternPrintingItems)),
        AppendixRdoGrp = new RadioGroup("AppendixRdoGrp", qs(msg::window::kAppendixItems)),
    };
    for (int i = 0; i < 4; ++i) {
        auto* sheet = new QWidget;
        sheet->setObjectName(sheetNames[i]);
        auto* sheetLayout = new QVBoxLayout(sheet);
        sheetLayout->addWidget(groups[i]);
        sheetLayout->addStretch(1);
        AdjustmentTab->addTab(sheet, qs(sheetCaptions[i]));
    }
    AdjustRdoGrp->setItems(toList(kNormalAdjustItems));
    MaintRdoGrp->setItems(toList(kMaintItems));
    PatternPrnItemsRdoGrp->setItems(toList(kPatternPrnItems));
    AppendixRdoGrp->setItems(toList(kAppendixItems));
    // Every tab caption in view, without scroll arrows.
    AdjustmentTab->setUsesScrollButtons(false);
    AdjustmentTab->setMinimumWidth(AdjustmentTab->tabBar()->sizeHint().width() + 8);
    left->addWidget(AdjustmentTab);
    buildSummary(this);
    left->addWidget(findChild<QWidget*>("Panel8"));
    left->addStretch(1);

    auto* frameButtons = new QHBoxLayout;
    GetStatusBtn = new QPushButton(qs(msg::window::kStatusButton), this);
    GetStatusBtn->setObjectName("GetStatusBtn");
    AdjustRtnBtn = new QPushButton(qs(msg::window::kQuitButton), this);
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
    // Room for the largest panel, so that the window keeps its size from panel to panel and no
    // panel is ever squeezed under another.
    QSize largest(440, 360);
    for (QWidget* p : panels_) {
        largest = largest.expandedTo(p->sizeHint());
    }
    workArea->setMinimumSize(largest + QSize(24, 24));
    middle->addWidget(workArea, 1);
    StatusMemo = new QPlainTextEdit(this);
    StatusMemo->setObjectName("StatusMemo");
    StatusMemo->setReadOnly(true);
    StatusMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Eight lines: the eight Bi-D results at once.
    const int memoMargins =
        2 * (StatusMemo->frameWidth() + int(StatusMemo->document()->documentMargin()) + 1);
    StatusMemo->setFixedHeight(8 * StatusMemo->fontMetrics().lineSpacing() + memoMargins);
    middle->addWidget(StatusMemo);
    // The progress of a long operation; its room is kept while hidden, so the window keeps its
    // size when it shows.
    auto* progressRow = new QHBoxLayout;
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressTimeLbl = new QLabel(this);
    ProgressTimeLbl->setObjectName("ProgressTimeLbl");
    ProgressTimeLbl->setMinimumWidth(
        ProgressTimeLbl->fontMetrics().horizontalAdvance("0000" + qs(msg::kSecondsLeft)));
    for (QWidget* w :
         {static_cast<QWidget*>(ProgressBar), static_cast<QWidget*>(ProgressTimeLbl)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
        w->hide();
    }
    progressRow->addWidget(ProgressBar, 1);
    progressRow->addWidget(ProgressTimeLbl);
    middle->addLayout(progressRow);
    outer->addLayout(middle, 1);

    // Timers, all 1000 ms on this thread.
    for (std::size_t i = 0; i < std::size(kTimerNames); ++i) {
        const Timer id = Timer(i);
        auto* t = new QTimer(this);
        t->setObjectName(kTimerNames[i]);
        t->setInterval(1000);
        timers_.insert(int(id), t);
        connect(t, &QTimer::timeout, this, [this, id] { tickTimer(id); });
    }

    // Frame events.
    connect(AdjustmentTab, &QTabWidget::currentChanged, this, [this] {
        if (!settingTab_) {
            run([this] { frame_->AdjustmentTabChange(); });
        }
    });
    // Each tab's item group tells the frame the item chosen.
    const std::pair<RadioGroup*, void (AdjustFrame::*)(int)> itemGroups[] = {
        {AdjustRdoGrp, &AdjustFrame::AdjustRdoGrpClick},
        {MaintRdoGrp, &AdjustFrame::MaintRdoGrpClick},
        {PatternPrnItemsRdoGrp, &AdjustFrame::PatternPrnItemsRdoGrpClick},
        {AppendixRdoGrp, &AdjustFrame::AppendixRdoGrpClick},
    };
    for (const auto& itemGroup : itemGroups) {
        RadioGroup* grp = itemGroup.first;
        const auto click = itemGroup.second;
        connect(grp, &RadioGroup::itemClicked, this, [this, grp, click] {
            run([this, grp, click] { ((*frame_).*click)(grp->itemIndex()); });
        });
    }
    connect(GetStatusBtn, &QPushButton::clicked, this,
            [this] { run([this] { (void)frame_->GetStatusBtnClick(); }); });
    connect(AdjustRtnBtn, &QPushButton::clicked, this, &TFormAdjust::close);
    wireHandlers();
}

void TFormAdjust::buildSummary(QWidget* parent) {
    auto* box = new QGroupBox(qs(msg::window::kAdjustedItems), parent);
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
    auto caption = [&](std::string_view text, int row, int col, int span = 1) {
        grid->addWidget(new QLabel(qs(text), box), row, col, 1, span);
    };
    // Each caption beside its field, the Bi-D table under its heading: short enough to sit below
    // the item lists.
    int row = 0;
    caption(msg::window::kSummaryHeadId, row, 0);
    field(SummaryField::ShowHdVolIDPnl, row++, 1, 2);
    caption(msg::window::kSummaryBid, row++, 0, 3);
    caption(msg::window::kSummaryBlack, row, 1);
    caption(msg::window::kSummaryColor, row++, 2);
    // Black and colour fields of VSD1, VSD2, VSD3 and ECO follow each other in SummaryField.
    static_assert(int(SummaryField::ShowEcoClPnl) - int(SummaryField::ShowVSD1BkPnl) == 7);
    for (int i = 0; i < int(std::size(msg::window::kSummaryBidRows)); ++i) {
        caption(msg::window::kSummaryBidRows[i], row, 0);
        field(SummaryField(int(SummaryField::ShowVSD1BkPnl) + 2 * i), row, 1);
        field(SummaryField(int(SummaryField::ShowVSD1ClPnl) + 2 * i), row++, 2);
    }
    const struct {
        std::string_view caption;
        SummaryField field;
    } singles[] = {
        {msg::window::kSummaryUsbId, SummaryField::ShowUSBIDLbl},
        {msg::window::kSummaryProtectionCounter, SummaryField::ShowProCounterPnl},
        {msg::window::kSummaryTopMargin, SummaryField::ShowTopMarginPnl},
        {msg::window::kSummaryPf, SummaryField::ShowPFPnl},
    };
    for (const auto& single : singles) {
        caption(single.caption, row, 0);
        field(single.field, row++, 1, 2);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
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

}  // namespace veltra::shell
