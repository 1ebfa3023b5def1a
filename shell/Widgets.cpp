#include "shell/Widgets.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <QVariant>
#include <algorithm>

namespace veltra::shell {

void centreOnScreen(QWidget* w) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
    }
}

QPushButton* makeButton(const char* objectName, const QString& caption, ButtonRole role,
                        QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    if (role == ButtonRole::Default) {
        button->setDefault(true);
    } else {
        button->setAutoDefault(false);
    }
    return button;
}

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons, RowAlign align) {
    auto* row = new QHBoxLayout;
    if (align == RowAlign::Right) {
        row->addStretch(1);
    }
    for (QPushButton* button : buttons) {
        row->addWidget(button);
    }
    return row;
}

RadioGroup::RadioGroup(const QString& objectName, const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent) {
    setObjectName(objectName);
    setLayout(new QVBoxLayout);
    // Exclusive only while a button is checked, so that "no selection" can be shown.
    group_.setExclusive(true);
    connect(&group_, &QButtonGroup::idClicked, this, &RadioGroup::itemClicked);
}

void RadioGroup::setItems(const QStringList& items) {
    for (QRadioButton* b : buttons_) {
        group_.removeButton(b);
        // The list may be refilled from within a click of one of its own buttons.
        b->hide();
        b->setParent(nullptr);
        b->deleteLater();
    }
    buttons_.clear();
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setObjectName(objectName() + QString("Item%1").arg(i));
        group_.addButton(b, i);
        layout()->addWidget(b);
        buttons_.push_back(b);
    }
}

QStringList RadioGroup::items() const {
    QStringList out;
    for (const QRadioButton* b : buttons_) {
        out << b->text();
    }
    return out;
}

int RadioGroup::itemIndex() const {
    return group_.checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (index >= 0 && index < count()) {
        buttons_[index]->setChecked(true);
        return;
    }
    // An exclusive group will not uncheck its last button.
    group_.setExclusive(false);
    for (QRadioButton* b : buttons_) {
        b->setChecked(false);
    }
    group_.setExclusive(true);
}

QRadioButton* RadioGroup::button(int index) const {
    return (index >= 0 && index < count()) ? buttons_[index] : nullptr;
}

QValidator::State UpperCaseValidator::validate(QString& input, int&) const {
    input = input.toUpper();
    return Acceptable;
}

namespace {
constexpr const char* kTypedLimit = "veltraTypedLimit";
}  // namespace

QLineEdit* makeEntry(const QString& objectName, int maxLength, bool upperCase, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setMaxLength(maxLength);
    edit->setProperty(kTypedLimit, maxLength);
    // Wide enough for the whole text at its longest, in the widest letter.
    const int textWidth = edit->fontMetrics().horizontalAdvance(QString(maxLength, QChar('W')));
    edit->setMinimumWidth(textWidth + 2 * edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) +
                          12);
    if (upperCase) {
        edit->setValidator(new UpperCaseValidator(edit));
    }
    return edit;
}

UpDown::UpDown(const QString& objectName, QLineEdit* buddy, int min, int max, QWidget* parent)
    : QWidget(parent), buddy_(buddy), min_(min), max_(max) {
    setObjectName(objectName);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    up->setObjectName(objectName + "Up");
    auto* down = new QToolButton(this);
    down->setArrowType(Qt::DownArrow);
    down->setObjectName(objectName + "Down");
    for (QToolButton* b : {up, down}) {
        b->setFixedSize(18, 11);
        layout->addWidget(b);
    }
    connect(up, &QToolButton::clicked, this, [this] { step(1); });
    connect(down, &QToolButton::clicked, this, [this] { step(-1); });
}

void setEntryTextWhole(QLineEdit* edit, const QString& text) {
    const QVariant limit = edit->property(kTypedLimit);
    const int typed = limit.isValid() ? limit.toInt() : edit->maxLength();
    edit->setMaxLength(std::max(typed, int(text.size())));
    edit->setText(text);
}

void UpDown::step(int delta) {
    bool ok = false;
    int value = buddy_->text().toInt(&ok);
    if (!ok) {
        value = 0;
    }
    value = std::clamp(value + delta, min_, max_);
    buddy_->setText(QString::number(value));
}

}  // namespace veltra::shell
