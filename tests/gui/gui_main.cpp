// The windows need a QApplication.
#include <QApplication>

#include "tests/gui/QtTestMain.h"

int main(int argc, char** argv) {
    return veltra::test::runTestsOffscreen<QApplication>(argc, argv);
}
