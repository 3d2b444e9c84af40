#include <QByteArray>
#include <QLocale>
#include <gtest/gtest.h>

#if defined(LEDG_TESTI_OKNA)
#include <QApplication>
#elif defined(LEDG_TESTI_RISANJE)
#include <QGuiApplication>
#else
#include <QCoreApplication>
#endif

// The main of every test program. Engine suites run under a plain core application;
// with LEDG_TESTI_RISANJE the suite gets fonts and painting (no widgets), with
// LEDG_TESTI_OKNA windows too, on the offscreen platform unless another is chosen; with LEDG_TESTI_SLOVENSKO its locale is the user's,
// Slovenian separators and dates.
int main(int argc, char** argv)
{
    // "ENGINE+gonilnik": the engine's tests on the driver path alone (LEDGXFER_NATIVNO=0),
    // for this suite and every program it runs.
    if (QByteArray baza = qgetenv("LEDGXFER_TEST_DB"); baza.endsWith("+gonilnik")) {
        baza.chop(int(qstrlen("+gonilnik")));
        qputenv("LEDGXFER_TEST_DB", baza);
        qputenv("LEDGXFER_NATIVNO", "0");
    }
#ifdef LEDG_TESTI_OKNA
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#elif defined(LEDG_TESTI_RISANJE)
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
#ifdef LEDG_TESTI_SLOVENSKO
    QLocale::setDefault(QLocale(QLocale::Slovenian, QLocale::Slovenia));
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
