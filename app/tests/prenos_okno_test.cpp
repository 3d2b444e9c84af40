#include "jedro.h"
#include "nastavitve.h"
#include "pomoc.h"
#include "poljedatuma.h"
#include "poizvedba.h"
#include "povezava.h"
#include "tform1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The main window on a small book of three postings on 15 January 2018.
class PrenosOkno : public ::testing::Test {
protected:
    void SetUp() override
    {
        p.ustvariBazoLB();
        f->AppActivate();
        QSqlDatabase db = povezava::zaIme(QStringLiteral("LB"));
        ustvariJedrneTabele(db);
        Poizvedba q(db);
        q.izvedi(QStringLiteral("INSERT INTO SIFKONT (CTRL, OZNAKA, SALDAKONTEN) VALUES (1, '1100', 'T')"));
        q.izvedi(QStringLiteral("INSERT INTO VLT (SFVLT, ST) VALUES ('EUR', '978')"));
        for (int i = 1; i <= 3; ++i)
            q.izvedi(QStringLiteral("INSERT INTO KNJIZBE (DATUMK, DATUMV, KONTO, IDMASTER, IDPOG, PARTNER, VALUTA,"
                                    " STRAN, BZNESEK, DZNESEK, BZNESEKSIT, DZNESEKSIT) VALUES ('2018-01-15',"
                                    " '2018-01-15', 1, 0, 0, 0, 'EUR', 'B', :Z, 0, :Z2, 0)"),
                     {{QStringLiteral("Z"), i * 1.5}, {QStringLiteral("Z2"), i * 1.5}});
        kontrola<PoljeDatuma>(f, "Datum1")->setDate(QDate(2018, 1, 1));
        kontrola<PoljeDatuma>(f, "Datum2")->setDate(QDate(2018, 1, 31));
        kontrola<QLineEdit>(f, "eStevilkaPrenosa")->setText(QStringLiteral("0"));
        izhod = QDir(p.dir.path()).filePath(QStringLiteral("izvoz/GKDODAT2.TXT"));
        QDir(p.dir.path()).mkdir(QStringLiteral("izvoz"));
        p.shrani = [this](const DialogShrani& d) -> std::optional<QString> {
            dialogi << d;
            return odgovor;
        };
    }

    TestniProgram p{{QStringLiteral("LB"), QStringLiteral("ana"), QStringLiteral("x")}};
    TForm1* f = p.okna.Form1;
    QString izhod;
    std::optional<QString> odgovor;
    QList<DialogShrani> dialogi;
};

} // namespace

TEST_F(PrenosOkno, CancellingTheDialogChangesNothing)
{
    const QString napis = f->windowTitle();
    kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
    ASSERT_EQ(dialogi.size(), 1);
    EXPECT_EQ(dialogi.at(0).naslov, QStringLiteral("MESEČNI PRENOS"));
    EXPECT_EQ(dialogi.at(0).imeDatoteke, QStringLiteral("GKDODAT2.TXT")) << "no monthly folder yet";
    EXPECT_EQ(f->windowTitle(), napis);
    EXPECT_TRUE(f->V.MesecniDirektorij.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(potNastavitev()));
    EXPECT_TRUE(p.sporocila.isEmpty());
}

TEST_F(PrenosOkno, MonthlyTransferFromTheButtonToTheMessage)
{
    odgovor = izhod;
    kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();

    EXPECT_EQ(p.sporocila, QStringList{QStringLiteral("Uspešno prepisanih podatkov=3")});
    EXPECT_EQ(kontrola<QLineEdit>(f, "eStevilkaPrenosa")->text(), QStringLiteral("1"));
    EXPECT_EQ(kontrola<QLabel>(f, "lblSteviloZapisov")->text(), QStringLiteral("3"));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("PRENOS PODATKOV gkdodat2.txt V GLAVNO KNJIGO (Banka Morvik d.d.)"));
    const QString mapa = QDir::toNativeSeparators(QFileInfo(izhod).absolutePath()) + QDir::separator();
    EXPECT_EQ(f->V.MesecniDirektorij, mapa);
    QFile ini(potNastavitev());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().startsWith((mapa + QStringLiteral("\r\n")).toUtf8()));
    EXPECT_TRUE(QFileInfo(izhod).size() > 0);
    // The window is idle again.
    for (const char* ime : {"ProgressBar1", "lblProcenti", "lblOpozorilo"})
        EXPECT_TRUE(kontrola<QWidget>(f, ime)->isHidden()) << ime;
    for (const char* ime : {"btnPonovi", "btnZgodovina", "Datum1", "eStevilkaPrenosa"})
        EXPECT_TRUE(kontrola<QWidget>(f, ime)->isEnabled()) << ime;
    EXPECT_TRUE(kontrola<QLabel>(f, "lblProcenti")->text().isEmpty());
    EXPECT_TRUE(f->DataSource1->omogocen());

    // The next use of the dialog starts where the last one ended.
    odgovor.reset();
    kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
    EXPECT_EQ(dialogi.last().imeDatoteke, izhod);
}

TEST_F(PrenosOkno, DuringARunASecondStartAndTheDateFieldsAreLocked)
{
    odgovor = izhod;
    bool zaklenjeno = false;
    // Clicks that arrive while the run processes pending events.
    QTimer::singleShot(0, f, [&] {
        zaklenjeno = !kontrola<PoljeDatuma>(f, "Datum1")->isEnabled() && !kontrola<PoljeDatuma>(f, "Datum2")->isEnabled()
                     && !kontrola<QLineEdit>(f, "eStevilkaPrenosa")->isEnabled() && f->prenosTece();
        kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
    });
    kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
    EXPECT_TRUE(zaklenjeno);
    EXPECT_EQ(dialogi.size(), 1) << "the second start never reached its dialog";
    EXPECT_EQ(p.sporocila, QStringList{QStringLiteral("Uspešno prepisanih podatkov=3")});
}

TEST_F(PrenosOkno, JournalDuringARunIsRefusedWithAMessage)
{
    odgovor = izhod;
    bool tekel = false;
    // "&Izpis" pressed while the run processes pending events.
    QTimer::singleShot(0, f, [&] {
        tekel = f->prenosTece();
        kontrola<QPushButton>(f, "Button1")->click();
    });
    kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
    EXPECT_TRUE(tekel);
    EXPECT_FALSE(p.prikazaniDialogi.contains(QStringLiteral("predogled"))) << "no journal while the run goes on";
    EXPECT_EQ(p.sporocila, (QStringList{QStringLiteral("Izpis ni mogoč, dokler prenos teče. Počakajte, da se prenos konča."),
                                        QStringLiteral("Uspešno prepisanih podatkov=3")}));
    // Once the run has ended the journal is there.
    p.sporocila.clear();
    kontrola<QPushButton>(f, "Button1")->click();
    EXPECT_TRUE(p.prikazaniDialogi.contains(QStringLiteral("predogled")));
    EXPECT_TRUE(p.sporocila.isEmpty());
}

TEST_F(PrenosOkno, EndCommandDuringARunStopsItAndEndsTheProgram)
{
    odgovor = izhod;
    QTimer::singleShot(0, f, [&] { kontrola<QPushButton>(f, "btnKonec")->click(); });
    kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
    EXPECT_TRUE(p.sporocila.isEmpty()) << "a stopped run shows no success message";
    EXPECT_EQ(QFileInfo(izhod).size(), 0);
    EXPECT_FALSE(f->V.KonecZahtevan) << "cleared by the run when it stopped";
    EXPECT_EQ(p.konec, 1);
    EXPECT_FALSE(povezava::jeOdprta(QStringLiteral("LB")));
    EXPECT_FALSE(f->prenosTece());
}

TEST_F(PrenosOkno, GeneralErrorReportRestoresTheWindow)
{
    Poizvedba(povezava::zaIme(QStringLiteral("LB"))).izvedi(QStringLiteral("DROP TABLE KNJIZBE"));
    odgovor = izhod;
    kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
    ASSERT_EQ(p.sporocila.size(), 2);
    EXPECT_EQ(p.sporocila.at(0), QStringLiteral("Ne morem odpreti tabele :LB:knjizbe"));
    EXPECT_TRUE(p.sporocila.at(1).contains(QStringLiteral("KNJIZBE"))) << p.sporocila.at(1).toStdString();
    EXPECT_TRUE(kontrola<QPushButton>(f, "btnPonovi")->isEnabled());
    EXPECT_TRUE(kontrola<PoljeDatuma>(f, "Datum1")->isEnabled());
    EXPECT_TRUE(kontrola<QProgressBar>(f, "ProgressBar1")->isHidden());
    EXPECT_TRUE(kontrola<QLabel>(f, "lblOpozorilo")->isHidden());
    EXPECT_FALSE(f->prenosTece());
}

TEST_F(PrenosOkno, DailyTransferUsesItsOwnDialogAndLeavesTheMonthlyFolder)
{
    odgovor = QDir(p.dir.path()).filePath(QStringLiteral("izvoz/DAN.055"));
    kontrola<QPushButton>(f, "btnPrenos")->click(); // the button is hidden; its command works all the same
    ASSERT_EQ(dialogi.size(), 1);
    EXPECT_EQ(dialogi.at(0).naslov, QStringLiteral("DNEVNI  PRENOS"));
    EXPECT_EQ(dialogi.at(0).privzetaKoncnica, QStringLiteral("055"));
    EXPECT_EQ(dialogi.at(0).imeDatoteke, QStringLiteral("lb"));
    EXPECT_EQ(p.sporocila, QStringList{QStringLiteral("Uspešno prepisanih podatkov=3")});
    EXPECT_TRUE(f->V.MesecniDirektorij.isEmpty());
    EXPECT_EQ(f->V.ImeDatoteke, QStringLiteral("dan.055"));
}

// A number field that names no transfer is said before the file is asked for: no
// dialog, no setting written, no file, nothing in the database.
TEST_F(PrenosOkno, ANumberFieldThatIsNoTransferIsRefusedBeforeTheDialog)
{
    odgovor = izhod;
    for (const char* polje : {"2x", "-1", "5"}) {
        p.sporocila.clear();
        kontrola<QLineEdit>(f, "eStevilkaPrenosa")->setText(QString::fromLatin1(polje));
        kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
        ASSERT_EQ(p.sporocila.size(), 1) << polje;
        EXPECT_TRUE(p.sporocila.at(0).startsWith(QStringLiteral("Številka prenosa"))
                    || p.sporocila.at(0).startsWith(QStringLiteral("Prenosa številka 5 ni v registru")))
            << p.sporocila.at(0).toStdString();
        EXPECT_EQ(kontrola<QLineEdit>(f, "eStevilkaPrenosa")->text(), QString::fromLatin1(polje));
    }
    EXPECT_TRUE(dialogi.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(potNastavitev()));
    EXPECT_FALSE(QFileInfo::exists(izhod));
}
