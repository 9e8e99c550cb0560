#include <QApplication>
#include <gtest/gtest.h>

// GUI tests need one QApplication for the whole program, created before any widget.
// Test discovery runs the program without the tests' environment, so the offscreen platform is also the
// default here: without it a machine with no display aborts before listing a single test.
int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
