#include "jezik.h"
#include "tfgeslo.h"
#include "tform6.h"

#include <QApplication>
#include <QDate>
#include <QLocale>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QStyle>
#include <gtest/gtest.h>

TEST(Iniciator, BlankNameKeepsThePromptOpenAndANameWithBlanksClosesIt)
{
    TForm6 f;
    QSignalSpy konci(&f, &TForm6::konecZahtevan);
    f.show();
    for (const char* prazno : {"", "   ", " \t "}) {
        f.eIniciator()->setText(QString::fromLatin1(prazno));
        QTest::keyClick(f.eIniciator(), Qt::Key_Return);
        EXPECT_TRUE(f.isVisible());
        f.btnPotrdClick();
        EXPECT_TRUE(f.isVisible());
    }
    f.eIniciator()->setText(QStringLiteral("  Ana Novak"));
    QTest::keyClick(f.eIniciator(), Qt::Key_Return);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(f.eIniciator()->text(), QStringLiteral("  Ana Novak")) << "kept as typed";
    EXPECT_EQ(konci.size(), 0);
}

TEST(Iniciator, EscapeAsksForTheEndAndClosesAsCancelled)
{
    TForm6 f;
    QSignalSpy konci(&f, &TForm6::konecZahtevan);
    f.show();
    QTest::keyClick(f.eIniciator(), Qt::Key_Escape);
    EXPECT_EQ(konci.size(), 1);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.result(), QDialog::Rejected);
    EXPECT_FALSE(f.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(f.windowFlags() & Qt::WindowSystemMenuHint);
}

TEST(Prijava, FocusGoesToTheFirstEmptyFieldOfAliasUserPassword)
{
    const struct {
        const char* baza;
        const char* user;
        const char* geslo;
        const char* fokus;
    } primeri[] = {
        {"", "", "", "eBaza"},
        {"LB", "", "", "eUser"},
        {"LB", "ana", "", "eGeslo"},
        {" ", "ana", "x", "eBaza"},
    };
    for (const auto& p : primeri) {
        SCOPED_TRACE(p.fokus);
        TfGeslo d;
        d.eBaza()->setText(QString::fromLatin1(p.baza));
        d.eUser()->setText(QString::fromLatin1(p.user));
        d.eGeslo()->setText(QString::fromLatin1(p.geslo));
        d.show();
        ASSERT_NE(d.focusWidget(), nullptr);
        EXPECT_EQ(d.focusWidget()->objectName(), QString::fromLatin1(p.fokus));
    }
    // All three filled: the focus is not moved.
    TfGeslo d;
    d.eBaza()->setText(QStringLiteral("LB"));
    d.eUser()->setText(QStringLiteral("ana"));
    d.eGeslo()->setText(QStringLiteral("x"));
    d.Button1()->setFocus();
    d.FormActivate();
    EXPECT_EQ(d.focusWidget(), d.Button1());
}

TEST(Prijava, EnterWalksTheTabOrderAndPressesTheButton)
{
    TfGeslo d;
    d.show();
    QApplication::setActiveWindow(&d);
    EXPECT_EQ(d.focusWidget(), d.eBaza());
    QTest::keyClick(d.eBaza(), Qt::Key_Return);
    EXPECT_EQ(d.focusWidget(), d.eUser()) << "Enter in the alias goes to the user, not the button";
    QTest::keyClick(d.eUser(), Qt::Key_Return);
    EXPECT_EQ(d.focusWidget(), d.eGeslo());
    EXPECT_EQ(d.eGeslo()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(d.eGeslo()->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, d.eGeslo()), int(u'*'));
    QTest::keyClick(d.eGeslo(), Qt::Key_Enter);
    EXPECT_EQ(d.focusWidget(), d.Button1());
    // Escape does nothing; Enter on the button closes with OK, fields unvalidated.
    QTest::keyClick(d.Button1(), Qt::Key_Escape);
    EXPECT_TRUE(d.isVisible());
    QTest::keyClick(d.Button1(), Qt::Key_Return);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

// The toolkit's own dialogs speak Slovenian: the distribution's translation for the
// file and print dialogs, and the program's supplement for the standard buttons and
// the command-line errors that it leaves in English. Dates and numbers are Slovenian.
TEST(Jezik, ToolkitTextsDatesAndNumbersAreSlovenian)
{
    const QLocale prej;
    if (!jezik::namesti())
        GTEST_SKIP() << "the distribution's Slovenian translation of the toolkit is not installed";
    const struct {
        const char* kontekst;
        const char* izvor;
        const char* prevod;
    } primeri[] = {
        {"QFileDialog", "Look in:", "Išči v:"},
        {"QPrintPreviewDialog", "Landscape", "Ležeče"},
        {"QPlatformTheme", "Cancel", "Prekliči"},
        {"QPlatformTheme", "OK", "V redu"},
        {"QCommandLineParser", "Unknown option '%1'.", "Neznana možnost '%1'."},
    };
    for (const auto& p : primeri)
        EXPECT_EQ(QCoreApplication::translate(p.kontekst, p.izvor), QString::fromUtf8(p.prevod)) << p.izvor;
    EXPECT_EQ(QLocale().toString(QDate(2026, 9, 27), QLocale::ShortFormat), QStringLiteral("27. 09. 26"));
    EXPECT_EQ(QLocale().toString(1234.5, 'f', 2), QStringLiteral("1.234,50"));
    QLocale::setDefault(prej);
}
