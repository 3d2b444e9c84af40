#include <QLocale>
#include <gtest/gtest.h>

#ifdef LEDG_TESTI_OKNA
#include <QApplication>
#else
#include <QCoreApplication>
#endif

// The main of every test program. Engine suites run under a plain core application;
// with LEDG_TESTI_OKNA the suite gets windows and fonts, on the offscreen platform
// unless another is chosen; with LEDG_TESTI_SLOVENSKO its locale is the user's,
// Slovenian separators and dates.
int main(int argc, char** argv)
{
#ifdef LEDG_TESTI_OKNA
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
#ifdef LEDG_TESTI_SLOVENSKO
    QLocale::setDefault(QLocale(QLocale::Slovenian, QLocale::Slovenia));
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
