// Test entry point for window tests: a QApplication (offscreen platform from the test environment) around GoogleTest.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glyfex"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
