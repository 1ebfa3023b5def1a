#include "shell/Malformboot.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "link/Backends.h"
#include "procedures/Messages.h"
#include "procedures/Session.h"
#include "shell/Malaboutbox.h"
#include "shell/Malformadjust.h"
#include "shell/Widgets.h"

namespace veltra::shell {

namespace {
// The pop-up menu opens a little right of and below the pointer.
constexpr int kPopupOffsetX = 3;
constexpr int kPopupOffsetY = 20;

// Restores the normal cursor when the handler leaves, whichever way.
class HourglassScope {
public:
    HourglassScope() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~HourglassScope() { QApplication::restoreOverrideCursor(); }
    HourglassScope(const HourglassScope&) = delete;
    HourglassScope& operator=(const HourglassScope&) = delete;
};
}  // namespace

TFormBoot::TFormBoot(ProgramObjects& objects, QWidget* parent)
    : QDialog(parent), objects_(objects) {
    setObjectName("TFormBoot");
    setWindowTitle(" ZOLTA Printer Adjustment Program");
    // Fixed size, no maximise box.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel("ZOLTA Printer Adjustment Program", this);
    heading->setObjectName("HeadingLbl");
    QFont font = heading->font();
    font.setPointSize(font.pointSize() + 6);
    font.setBold(true);
    heading->setFont(font);
    heading->setAlignment(Qt::AlignCenter);
    layout->addWidget(heading);
    auto* subtitle = new QLabel("for Windows98", this);
    subtitle->setObjectName("SubHeadingLbl");
    subtitle->setAlignment(Qt::AlignCenter);
    layout->addWidget(subtitle);

    auto* choices = new QGridLayout;
    ModelNameCombo = new QComboBox(this);
    ModelNameCombo->setObjectName("ModelNameCombo");
    for (const ModelInfo& model : kModels) {
        ModelNameCombo->addItem(QString::fromUtf8(model.name.data(), qsizetype(model.name.size())));
    }
    UsePortCombo = new QComboBox(this);
    UsePortCombo->setObjectName("UsePortCombo");
    for (const PortInfo& port : kPorts) {
        UsePortCombo->addItem(QString::fromUtf8(port.name.data(), qsizetype(port.name.size())));
    }
    choices->addWidget(new QLabel("Model Name", this), 0, 0);
    choices->addWidget(ModelNameCombo, 0, 1);
    choices->addWidget(new QLabel("Interface", this), 1, 0);
    choices->addWidget(UsePortCombo, 1, 1);
    layout->addLayout(choices);

    PortSelectOKBtn = makeButton("PortSelectOKBtn", "OK", ButtonRole::Default, this);
    ProEndBtn = makeButton("ProEndBtn", "Quit", ButtonRole::Other, this);
    layout->addLayout(buttonRow({PortSelectOKBtn, ProEndBtn}, RowAlign::Right));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    Version1 = PopupMenu1->addAction("Version");
    Version1->setObjectName("Version1");

    connect(PortSelectOKBtn, &QPushButton::clicked, this, &TFormBoot::PortSelectOKBtnClick);
    connect(ProEndBtn, &QPushButton::clicked, this, &TFormBoot::ProEndBtnClick);
    connect(Version1, &QAction::triggered, this, &TFormBoot::Version1Click);

    adjustSize();
    setFixedSize(sizeHint().expandedTo(QSize(420, 0)));
    centreOnScreen(this);
}

std::uint8_t TFormBoot::GetSelectedModel() {
    const int index = ModelNameCombo->currentIndex();
    objects_.choice.modelIndex = -1;
    objects_.choice.ModelNo = kNoModel;
    if (index >= 0 && index < int(kModels.size())) {
        objects_.choice.modelIndex = index;
        objects_.choice.ModelNo = kModels[std::size_t(index)].number;
    }
    return objects_.choice.ModelNo;
}

std::uint16_t TFormBoot::GetSelectedPort() {
    const int index = UsePortCombo->currentIndex();
    if (index < 0 || index >= int(kPorts.size())) {
        return 0;
    }
    const std::uint16_t code = kPorts[std::size_t(index)].interfaceCode;
    objects_.choice.PortKind = std::uint16_t(code & 0xFF00);
    return code;
}

void TFormBoot::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TFormBoot::FormShow() {
    // The technician chooses model and interface anew each time.
    ModelNameCombo->setCurrentIndex(-1);
    UsePortCombo->setCurrentIndex(-1);
    PortSelectOKBtn->setEnabled(true);
    ProEndBtn->setEnabled(true);
}

void TFormBoot::PortSelectOKBtnClick() {
    HourglassScope hourglass;
    const int modelIndex = ModelNameCombo->currentIndex();
    const int portIndex = UsePortCombo->currentIndex();
    if (modelIndex < 0 || portIndex < 0) {
        return;  // nothing chosen: nothing happens
    }
    const std::uint8_t modelNo = GetSelectedModel();
    if (adjust_) {
        adjust_->PrepareForModel(modelNo);
    }
    (void)GetSelectedPort();
    StartOutcome outcome = StartOutcome::NoChoice;
    try {
        outcome = StartSession(objects_, modelIndex, portIndex);
    } catch (const ProgramEnded& ended) {
        emit programEnded(ended.exitCode());
        return;
    } catch (const std::exception& e) {
        objects_.ui.showError(e.what());  // the toolkit's exception display; the loop goes on
        return;
    }
    switch (outcome) {
        case StartOutcome::NoChoice:
            return;
        case StartOutcome::OpenFailed: {
            // Why, and what to do, below the message, as the command line says it.
            const std::string reason =
                OpenFailureText(objects_.driver.openFailure(), msg::window::kChooseAnotherPort);
            objects_.ui.showError(std::string(msg::kCannotOpenPort) +
                                  (reason.empty() ? "" : "\n" + reason));
            return;
        }
        case StartOutcome::LinkFailed:
            // The port stays open; the next OK opens it again.
            objects_.ui.showError(msg::kCommunicationError);
            return;
        case StartOutcome::Started:
            break;
    }
    hide();
    if (adjust_) {
        adjust_->show();  // its FormShow reads the printer status at once
    }
}

void TFormBoot::ProEndBtnClick() {
    close();
}

void TFormBoot::reject() {
    ProEndBtnClick();
}

void TFormBoot::closeEvent(QCloseEvent* event) {
    // Not QDialog's close, which would turn into reject() and back here.
    event->accept();
    emit programEnded(0);
}

QPoint TFormBoot::popupPoint(QPoint pos) const {
    return QPoint(x() + pos.x() + kPopupOffsetX, y() + pos.y() + kPopupOffsetY);
}

void TFormBoot::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        lastPopup_ = popupPoint(event->position().toPoint());
        PopupMenu1->popup(lastPopup_);
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

void TFormBoot::Version1Click() {
    if (about_) {
        about_->exec();
    }
}

}  // namespace veltra::shell
