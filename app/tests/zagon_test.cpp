#include "pomoc.h"
#include "poljedatuma.h"
#include "povezava.h"
#include "testnabaza.h"
#include "tfgeslo.h"
#include "tform1.h"
#include "tform5.h"
#include "tform6.h"
#include "tform7.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

const QString kRep = QStringLiteral("V GLAVNO KNJIGO (Banka Morvik d.d.)");

// A failed login is one message: the window's text, and the database's reason on the
// next line; then the program ends.
void preveriNeuspeloPrijavo(const TestniProgram& p, const QString& besedilo, const QString& razlog)
{
    ASSERT_EQ(p.sporocila.size(), 1) << p.sporocila.join(u'|').toStdString();
    const QStringList vrstici = p.sporocila.at(0).split(u'\n');
    ASSERT_EQ(vrstici.size(), 2) << p.sporocila.at(0).toStdString();
    EXPECT_EQ(vrstici.at(0), besedilo);
    EXPECT_TRUE(vrstici.at(1).contains(razlog, Qt::CaseInsensitive)) << vrstici.at(1).toStdString();
    EXPECT_EQ(p.konec, 1);
    // The program's exit code comes from this: a failed login does not end as done.
    EXPECT_TRUE(p.okna.Form1->prijavaNeuspela());
}

} // namespace

TEST(Zagon, WithoutArgumentsLoginOpensEmptyAndFailedLoginEndsTheProgram)
{
    TestniProgram p({});
    TForm1* f = p.okna.Form1;
    QStringList poljaObPrijavi;
    p.modalno = [&](QDialog& d) {
        if (auto* f6 = qobject_cast<TForm6*>(&d))
            f6->eIniciator()->setText(QStringLiteral("Tester"));
        if (auto* g = qobject_cast<TfGeslo*>(&d))
            poljaObPrijavi << g->eBaza()->text() << g->eUser()->text() << g->eGeslo()->text();
        return int(QDialog::Accepted);
    };
    f->AppActivate();

    EXPECT_EQ(p.prikazaniDialogi, (QStringList{QStringLiteral("TForm6"), QStringLiteral("TfGeslo")}));
    EXPECT_EQ(poljaObPrijavi, (QStringList{QString(), QString(), QString()}));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("PRENOS PODATKOV ") + kRep);
    // Empty alias: two blanks after "Prijava v".
    preveriNeuspeloPrijavo(p, QStringLiteral("Prijava v  kot uporabnik  ni uspela!"),
                           QStringLiteral("Alias ne obstaja: "));
    EXPECT_EQ(f->height(), 162);
}

TEST(Zagon, OneArgumentFillsTheAliasAndJoinsItToTheCaption)
{
    TestniProgram p({QStringLiteral("LB")});
    p.ustvariBazoLB();
    TForm1* f = p.okna.Form1;
    QString aliasObPrijavi;
    p.modalno = [&](QDialog& d) {
        if (auto* f6 = qobject_cast<TForm6*>(&d))
            f6->eIniciator()->setText(QStringLiteral("Tester"));
        if (auto* g = qobject_cast<TfGeslo*>(&d)) {
            aliasObPrijavi = g->eBaza()->text();
            g->eUser()->setText(QStringLiteral("ana"));
        }
        return int(QDialog::Accepted);
    };
    f->AppActivate();

    EXPECT_EQ(aliasObPrijavi, QStringLiteral("LB"));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("PRENOS PODATKOV LB") + kRep);
    EXPECT_EQ(f->V.Baza, QStringLiteral("LB"));
    EXPECT_EQ(f->V.Uporabnik, QStringLiteral("ana"));
    EXPECT_TRUE(p.sporocila.isEmpty());
    EXPECT_EQ(p.konec, 0);
    EXPECT_TRUE(povezava::jeOdprta(QStringLiteral("LB")));
}

TEST(Zagon, ThreeArgumentsSkipTheLoginAndAFourthChangesNothing)
{
    TestniProgram p({QStringLiteral("LB"), QStringLiteral("ana"), QStringLiteral("skrivno"), QStringLiteral("odvec")});
    p.ustvariBazoLB();
    TForm1* f = p.okna.Form1;
    f->AppActivate();
    EXPECT_EQ(p.prikazaniDialogi, QStringList{QStringLiteral("TForm6")});
    EXPECT_EQ(f->V.Uporabnik, QStringLiteral("ana"));
    EXPECT_EQ(f->V.Geslo, QStringLiteral("skrivno"));
    EXPECT_EQ(p.okna.fGeslo->eGeslo()->text(), QStringLiteral("skrivno"));
    EXPECT_TRUE(p.sporocila.isEmpty());
    EXPECT_EQ(p.konec, 0);
}

TEST(Zagon, FullPathArgumentShowsItsFileNameAndIsTriedWholeAsAlias)
{
    const QString pot = QStringLiteral("C:\\Baze\\Glavna.GDB");
    TestniProgram p({pot, QStringLiteral("ana"), QStringLiteral("x")});
    p.ustvariBazoLB();
    TForm1* f = p.okna.Form1;
    EXPECT_EQ(f->V.ImeDatoteke, QStringLiteral("Glavna.GDB"));
    f->AppActivate();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("PRENOS PODATKOV Glavna.GDB") + kRep);
    EXPECT_EQ(f->SaveDialog1.imeDatoteke, QStringLiteral("glavna.gdb"));
    preveriNeuspeloPrijavo(p, QStringLiteral("Prijava v ") + pot + QStringLiteral(" kot uporabnik ana ni uspela!"),
                           QStringLiteral("Alias ne obstaja: ") + pot);
}

// The reason of a failed login reaches the operator: an alias that the aliases file
// does not know, an SQLite file that is not there.
TEST(Zagon, FailedLoginShowsTheReason)
{
    struct Primer {
        const char* ime;
        const char* alias;
        const char* aliasi; // the aliases file
        QString razlog;
    };
    const Primer primeri[] = {
        {"neznan_alias", "NI", "[LB]\ndriver=sqlite\ndatabase=ledger.sqlite\n", QStringLiteral("Alias ne obstaja: NI")},
        {"manjka_datoteka", "LB", "[LB]\ndriver=sqlite\ndatabase=manjka.sqlite\n", QStringLiteral("manjka.sqlite")},
    };
    for (const Primer& primer : primeri) {
        SCOPED_TRACE(primer.ime);
        TestniProgram p({QString::fromLatin1(primer.alias), QStringLiteral("ana"), QStringLiteral("x")});
        p.ustvariBazoLB();
        QFile ini(p.dir.filePath(QStringLiteral("aliases.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(primer.aliasi);
        ini.close();
        p.okna.Form1->AppActivate();
        preveriNeuspeloPrijavo(
            p, QStringLiteral("Prijava v %1 kot uporabnik ana ni uspela!").arg(QLatin1StringView(primer.alias)),
            primer.razlog);
    }
}

// A password that the server refuses: the server's reason is in the message.
TEST(Zagon, RefusedLoginOnTheServerShowsTheServersReason)
{
    TestniProgram p({QStringLiteral("LB"), QStringLiteral("ana"), QStringLiteral("narobe")});
    TestnaBaza b(QStringLiteral("LB"), false, QStringLiteral("postgresql")); // its aliases file is the program's
    LEDG_PRESKOCI_BREZ_BAZE(b);
    p.okna.Form1->AppActivate();
    preveriNeuspeloPrijavo(p, QStringLiteral("Prijava v LB kot uporabnik ana ni uspela!"),
                           QStringLiteral("password authentication failed"));
    EXPECT_FALSE(povezava::jeOdprta(QStringLiteral("LB")));
}

TEST(Zagon, SetsTodayEverywhereReadsSettingsAndRunsOnlyOnce)
{
    TestniProgram p({QStringLiteral("LB"), QStringLiteral("ana"), QStringLiteral("x")});
    p.ustvariBazoLB();
    {
        QFile ini(p.dir.filePath(QStringLiteral("LEDGXFER.INI")));
        ini.open(QIODevice::WriteOnly);
        ini.write("/izvoz/gk\r\n/zok/ZOKDLL.TXT\r\n");
    }
    TForm1* f = p.okna.Form1;
    kontrola<PoljeDatuma>(f, "Datum1")->setDate(QDate(2000, 1, 1));
    f->AppActivate();
    const QDate danes = QDate::currentDate();
    EXPECT_EQ(kontrola<PoljeDatuma>(f, "Datum1")->date(), danes);
    EXPECT_EQ(kontrola<PoljeDatuma>(f, "Datum2")->date(), danes);
    EXPECT_EQ(kontrola<PoljeDatuma>(p.okna.Form5, "DateTimePicker1")->date(), danes);
    EXPECT_EQ(kontrola<PoljeDatuma>(p.okna.Form5, "DateTimePicker2")->date(), danes);
    EXPECT_EQ(f->V.MesecniDirektorij, QStringLiteral("/izvoz/gk/"));
    EXPECT_EQ(p.okna.Form7->eZokIzhodniDirektorij()->text(), QStringLiteral("/zok/ZOKDLL.TXT"));
    EXPECT_TRUE(kontrola<QLabel>(f, "lblProcenti")->text().isEmpty());
    EXPECT_FALSE(f->V.PrvaAktivacija);
    EXPECT_EQ(kontrola<QLineEdit>(f, "eStevilkaPrenosa")->text(), QStringLiteral("0"))
        << "setting today's date is no change by the operator";

    // A later activation runs nothing.
    kontrola<PoljeDatuma>(f, "Datum1")->setDate(QDate(2000, 1, 1));
    f->AppActivate();
    EXPECT_EQ(kontrola<PoljeDatuma>(f, "Datum1")->date(), QDate(2000, 1, 1));
    EXPECT_EQ(p.prikazaniDialogi.size(), 1);
}

TEST(Zagon, EscapeInTheInitiatorPromptEndsAfterTheRestOfTheSequence)
{
    TestniProgram p({QStringLiteral("LB")});
    p.ustvariBazoLB();
    TForm1* f = p.okna.Form1;
    // The real modal path: the prompt and the login as the program shows them.
    p.modalno = nullptr;
    QTimer::singleShot(0, [&] { QTest::keyClick(p.okna.Form6->eIniciator(), Qt::Key_Escape); });
    f->AppActivate();
    EXPECT_EQ(p.konec, 1);
    EXPECT_TRUE(p.okna.fGeslo->isHidden()) << "the login dialog is not shown after Escape";
    // The connection is still attempted with the alias of the command line.
    EXPECT_EQ(f->V.Baza, QStringLiteral("LB"));
    EXPECT_TRUE(povezava::jeOdprta(QStringLiteral("LB")));
    EXPECT_TRUE(p.sporocila.isEmpty());
}

TEST(Zagon, EndCommandDisconnectsWritesSettingsAndEnds)
{
    TestniProgram p({QStringLiteral("LB"), QStringLiteral("ana"), QStringLiteral("x")});
    p.ustvariBazoLB();
    TForm1* f = p.okna.Form1;
    f->AppActivate();
    f->V.MesecniDirektorij = QStringLiteral("/izvoz/");
    f->V.ZokIzhodnaDatoteka = QStringLiteral("/zok/Z.TXT");
    kontrola<QPushButton>(f, "btnKonec")->click();
    EXPECT_TRUE(f->V.KonecZahtevan);
    EXPECT_FALSE(povezava::jeOdprta(QStringLiteral("LB")));
    EXPECT_EQ(p.konec, 1);
    EXPECT_FALSE(f->prijavaNeuspela());
    EXPECT_TRUE(p.sporocila.isEmpty()) << p.sporocila.join(u'|').toStdString();
    QFile ini(p.dir.filePath(QStringLiteral("LEDGXFER.INI")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_EQ(ini.readAll(), QByteArray("/izvoz/\r\n/zok/Z.TXT\r\n"));
}

// Settings that cannot be saved (a folder in the settings file's place) are said in
// the window before the program ends, not only in the log.
TEST(Zagon, EndCommandSaysInTheWindowWhenTheSettingsCannotBeSaved)
{
    TestniProgram p({QStringLiteral("LB"), QStringLiteral("ana"), QStringLiteral("x")});
    p.ustvariBazoLB();
    TForm1* f = p.okna.Form1;
    f->AppActivate();
    ASSERT_TRUE(QDir(p.dir.path()).mkdir(QStringLiteral("LEDGXFER.INI")));
    kontrola<QPushButton>(f, "btnKonec")->click();
    ASSERT_EQ(p.sporocila.size(), 1) << p.sporocila.join(u'|').toStdString();
    EXPECT_TRUE(
        p.sporocila.at(0).startsWith(QStringLiteral("Nastavitev ni mogoče zapisati v ")
                                     + QDir::toNativeSeparators(p.dir.filePath(QStringLiteral("LEDGXFER.INI")))))
        << p.sporocila.at(0).toStdString();
    EXPECT_EQ(p.konec, 1);
}

TEST(Zagon, SumeLeavesTheFirstRowCurrentAndTheLinkOn)
{
    TestniProgram p({QStringLiteral("LB"), QStringLiteral("ana"), QStringLiteral("x")});
    p.ustvariBazoLB();
    TForm1* f = p.okna.Form1;
    f->AppActivate();
    QSqlQuery(povezava::zaIme(QStringLiteral("LB"))).exec(QStringLiteral("INSERT INTO T VALUES (1),(2),(3)"));
    f->Q1->odpri(povezava::zaIme(QStringLiteral("LB")), QStringLiteral("SELECT A FROM T ORDER BY A"));
    f->Q1->zadnji();
    f->Sume();
    EXPECT_EQ(f->Q1->trenutnaVrstica(), 0);
    EXPECT_TRUE(f->DataSource1->omogocen());
    EXPECT_EQ(kontrola<QTableView>(f, "DBGrid1")->model()->rowCount(), 3);

    // Nothing loaded: the walk ends without a failure.
    f->Q1->zapri();
    EXPECT_NO_THROW(f->Sume());
}
