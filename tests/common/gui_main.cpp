// main() for GoogleTest programs that create widgets: one QApplication for the
// whole run. Added to a test's SOURCES; it takes precedence over gtest_main.
// Without a display the tests run on the offscreen platform, also while CTest
// lists the cases (the test environment is not applied to discovery).

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
