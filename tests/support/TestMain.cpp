#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Tests draw and create widgets without a display; a developer may still
    // choose another platform plugin explicitly.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
