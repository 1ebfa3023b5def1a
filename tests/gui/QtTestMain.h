#pragma once
// The main of the test programs that need a Qt application: the windows need a QApplication, text
// on the pages the fonts of a QGuiApplication. The tests run it offscreen, also when the test
// runner lists the tests without the environment of a test run.
#include <gtest/gtest.h>
#include <QtGlobal>

namespace veltra::test {

template <typename Application>
int runTestsOffscreen(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Application app(argc, argv);
    return RUN_ALL_TESTS();
}

}  // namespace veltra::test
