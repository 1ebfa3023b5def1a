// The message boxes of the desktop program, answered as a user would.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "shell/QtMessageHandler.h"
#include "tests/gui/ShellRig.h"

namespace veltra::test {
namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Answers the next modal box by pressing the button with the given role, recording the box.
void answerNextBox(SeenBox& seen, QMessageBox::StandardButton press) {
    QTimer::singleShot(0, [&seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = SeenBox{};
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* b : box->buttons()) {
            seen.buttons << b->text().remove('&');
        }
        box->button(press)->click();
    });
}

// A box is modal to the program's window only, never put over the "Virtual printer" tool
// window: a trainee can load paper there while the paper-out box shows.
TEST(QtMessageBoxes, BoxesLeaveTheToolWindowUsable) {
    QWidget program;
    program.show();
    QWidget tool(nullptr, Qt::Tool);
    tool.show();
    QApplication::setActiveWindow(&tool);
    shell::QtMessageBoxHandler boxes;
    boxes.setParentWindow(&program);
    Qt::WindowModality modality = Qt::ApplicationModal;
    QWidget* parent = nullptr;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        modality = box->windowModality();
        parent = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
    });
    boxes.showError("Paper out error");
    EXPECT_EQ(modality, Qt::WindowModal);
    EXPECT_EQ(parent, &program);
}

TEST(QtMessageBoxes, ErrorMessageAndQuestion) {
    shell::QtMessageBoxHandler boxes;
    SeenBox seen;
    answerNextBox(seen, QMessageBox::Ok);
    boxes.showError("Cannot open port.");
    EXPECT_EQ(seen.text, "Cannot open port.");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, QStringList{"OK"});

    answerNextBox(seen, QMessageBox::Ok);
    boxes.showMessage("Notice", "Done.");
    EXPECT_EQ(seen.title, "Notice");
    EXPECT_EQ(seen.buttons, QStringList{"OK"});

    const struct {
        QMessageBox::StandardButton press;
        bool answer;
    } cases[] = {{QMessageBox::Ok, true}, {QMessageBox::Cancel, false}};
    for (const auto& c : cases) {
        answerNextBox(seen, c.press);
        EXPECT_EQ(boxes.confirm("Confirmation", "Once you select OK button, ..."), c.answer);
        EXPECT_EQ(seen.title, "Confirmation");
        EXPECT_EQ(seen.buttons.size(), 2);
    }
}

TEST(QtMessageBoxes, ProgramErrorShowsTheBoxThenEnds) {
    int exitCode = -1;
    shell::QtMessageBoxHandler boxes([&exitCode](int code) { exitCode = code; });
    SeenBox seen;
    answerNextBox(seen, QMessageBox::Ok);
    EXPECT_THROW(fatalError(boxes, "Program miss!!!", 3), ProgramEnded);
    EXPECT_EQ(seen.text, "Program miss!!!");
    EXPECT_EQ(exitCode, 3);
}

}  // namespace
}  // namespace veltra::test
