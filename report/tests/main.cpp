#include <QGuiApplication>
#include <gtest/gtest.h>

// Fonts and painting need the GUI application (on the offscreen platform in tests).
int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
