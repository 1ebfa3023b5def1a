#pragma once
// Small controls the windows are built from: a radio group with an item index (-1 = none) that
// reports only the user's clicks, an up/down spinner bound to an entry, and the entry field that
// turns typed letters to upper case.
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QToolButton>
#include <QValidator>
#include <QWidget>

namespace veltra::shell {

// Moves a window to the middle of the primary screen.
void centreOnScreen(QWidget* window);

// A dialog's push button: the default one is pressed by Enter; the others never become the
// default.
enum class ButtonRole { Default, Other };
QPushButton* makeButton(const char* objectName, const QString& caption, ButtonRole role,
                        QWidget* parent);

// A dialog's row of buttons, pushed to the right or sharing the row's width.
enum class RowAlign { Right, Full };
QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons, RowAlign align);

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& objectName, const QString& caption, QWidget* parent = nullptr);

    // Replaces the items; the selection is removed.
    void setItems(const QStringList& items);
    QStringList items() const;
    int count() const { return int(buttons_.size()); }
    int itemIndex() const;
    // Selects an item (-1 clears the selection) without emitting itemClicked.
    void setItemIndex(int index);
    // The radio button of one item, for tests that click it.
    QRadioButton* button(int index) const;

signals:
    // The user chose an item.
    void itemClicked(int index);

private:
    QButtonGroup group_;
    QList<QRadioButton*> buttons_;
};

// Turns letters to upper case as they are typed or pasted.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// An entry with a length limit, optionally turning letters to upper case.
QLineEdit* makeEntry(const QString& objectName, int maxLength, bool upperCase,
                     QWidget* parent = nullptr);

// Sets an entry's text whole. The entry's length limit is for typing: a text the program shows
// (a stored value such as "-128" in a 3-character entry) is never cut to it, since the cut text
// would pass as another value.
void setEntryTextWhole(QLineEdit* edit, const QString& text);

// Two arrow buttons that step the decimal value of an entry within [min, max]. A text that is
// not a number steps from 0.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(const QString& objectName, QLineEdit* buddy, int min, int max,
           QWidget* parent = nullptr);
    int minimum() const { return min_; }
    int maximum() const { return max_; }
    void stepUp() { step(1); }
    void stepDown() { step(-1); }

private:
    void step(int delta);
    QLineEdit* buddy_;
    int min_;
    int max_;
};

}  // namespace veltra::shell
