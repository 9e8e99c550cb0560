#include <QApplication>
#include <gtest/gtest.h>

// GUI tests need one QApplication for the whole program, created before any widget.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
