#include <QApplication>
#include <gtest/gtest.h>

// GUI tests need one QApplication for the whole program, created before any widget. They run on the
// offscreen platform unless told otherwise, also when ctest lists them without the test's environment.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
