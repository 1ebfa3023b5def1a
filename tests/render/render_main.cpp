// Text on the pages needs the fonts of a QGuiApplication.
#include <QGuiApplication>

#include "tests/gui/QtTestMain.h"

int main(int argc, char** argv) {
    return veltra::test::runTestsOffscreen<QGuiApplication>(argc, argv);
}
