#include <QGuiApplication>
#include <gtest/gtest.h>

// Fonts and painting need the GUI application (on the offscreen platform in tests).
int main(int argc, char** argv)
{
    // Windows and fonts on the offscreen platform unless another is chosen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
