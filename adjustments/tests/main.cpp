#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Windows and fonts on the offscreen platform unless another is chosen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The user's locale of the tests: Slovenian separators and dates.
    QLocale::setDefault(QLocale(QLocale::Slovenian, QLocale::Slovenia));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
