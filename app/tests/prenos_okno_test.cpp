#include "jedro.h"
#include "nastavitve.h"
#include "pomoc.h"
#include "poljedatuma.h"
#include "poizvedba.h"
#include "povezava.h"
#include "tform1.h"
#include "zajemdnevnika.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
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
        zaklenjeno = !kontrola<PoljeDatuma>(f, "Datum1")->isEnabled()
                     && !kontrola<PoljeDatuma>(f, "Datum2")->isEnabled()
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
    EXPECT_EQ(p.sporocila,
              (QStringList{QStringLiteral("Izpis ni mogoč, dokler prenos teče. Počakajte, da se prenos konča."),
                           QStringLiteral("Uspešno prepisanih podatkov=3")}));
    // Once the run has ended the journal is there.
    p.sporocila.clear();
    kontrola<QPushButton>(f, "Button1")->click();
    EXPECT_TRUE(p.prikazaniDialogi.contains(QStringLiteral("predogled")));
    EXPECT_TRUE(p.sporocila.isEmpty());
}

// "&Konec" while the postings are written stops the run, which changes nothing; the
// window says so, and the program ends after that message.
TEST_F(PrenosOkno, EndCommandDuringARunStopsItSaysSoAndEndsTheProgram)
{
    ZajemDnevnika dnevnik;
    odgovor = izhod;
    int konecObSporocilu = -1;
    p.obSporocilu = [&] { konecObSporocilu = p.konec; };
    QTimer::singleShot(0, f, [&] { kontrola<QPushButton>(f, "btnKonec")->click(); });
    kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
    EXPECT_EQ(p.sporocila,
              QStringList{QStringLiteral("Prenos je ustavljen. Baza in izhodna datoteka sta ostali nespremenjeni.")});
    EXPECT_EQ(konecObSporocilu, 0) << "the program was still there when the message was shown";
    EXPECT_FALSE(QFileInfo::exists(izhod));
    EXPECT_EQ(p.konec, 1);
    EXPECT_FALSE(povezava::jeOdprta(QStringLiteral("LB")));
    EXPECT_FALSE(f->prenosTece());
    EXPECT_EQ(dnevnik.vrstice("ledgxfer.transfer", QStringLiteral("je ustavljen na zahtevo")).size(), 1);
}

// "&Konec" once the run is completing does not pretend to stop it: the status line
// says that the transfer is being completed, the run commits, its result message is
// shown, and only then does the program end. The log has the run's line.
TEST_F(PrenosOkno, EndCommandDuringCompletionWaitsForTheResult)
{
    ZajemDnevnika dnevnik;
    odgovor = izhod;
    QString status;
    int konecObSporocilu = -1;
    p.obSporocilu = [&] { konecObSporocilu = p.konec; };
    QTimer straza;
    QObject::connect(&straza, &QTimer::timeout, f, [&] {
        auto* l = kontrola<QLabel>(f, "lblOpozorilo");
        if (status.isEmpty() && !l->isHidden() && l->text().startsWith(QStringLiteral("Zaključujem prenos"))) {
            status = l->text();
            kontrola<QPushButton>(f, "btnKonec")->click();
        }
    });
    straza.start(0);
    kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
    straza.stop();
    EXPECT_EQ(status, QStringLiteral("Zaključujem prenos: datoteka je zapisana, prenos se zapisuje v bazo in ga ni "
                                     "več mogoče ustaviti ..."));
    EXPECT_EQ(p.sporocila, QStringList{QStringLiteral("Uspešno prepisanih podatkov=3")});
    EXPECT_EQ(konecObSporocilu, 0) << "the result was shown before the end";
    EXPECT_EQ(p.konec, 1);
    EXPECT_TRUE(QFileInfo(izhod).size() > 0);
    EXPECT_FALSE(povezava::jeOdprta(QStringLiteral("LB")));
    EXPECT_EQ(
        dnevnik.vrstice("ledgxfer.transfer", QStringLiteral("Prenos 1 od 1.1.2018 do 31.1.2018 je zapisan v")).size(),
        1);
    EXPECT_EQ(dnevnik.vrstice("ledgxfer.app", QStringLiteral("Konec med zaključevanjem prenosa")).size(), 1);
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

// The window as an operator types into it: slips in the fields never start a run.
// Each case types into the fields with real keys, leaves the last one with Tab and
// presses "&Prenos podatkov"; the run must not start (no save dialog), the message says
// why, and the book and the output stay as they were. Transfer 1 over January exists.
TEST_F(PrenosOkno, SlipsInTheFieldsNeverStartARun)
{
    odgovor = izhod;
    kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
    ASSERT_EQ(p.sporocila, QStringList{QStringLiteral("Uspešno prepisanih podatkov=3")});
    const QByteArray datoteka = [&] {
        QFile d(izhod);
        return d.open(QIODevice::ReadOnly) ? d.readAll() : QByteArray();
    }();
    f->show();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));

    const struct {
        const char* ime;
        const char* datum1; // typed over the field; nullptr: left as it is (1.1.2018)
        const char* datum2; // likewise (31.1.2018)
        const char* stevilka;
        QString sporocilo;
    } primeri[] = {
        {"a letter O in the start date", "1.1O.2018", nullptr, "",
         QStringLiteral("Datum „1.1O.2018“ ni pravilen.\nVpišite ga kot 26.10.2026 ali 26102026.")},
        {"a letter l in the end date", nullptr, "3l.1.2018", "",
         QStringLiteral("Datum „3l.1.2018“ ni pravilen.\nVpišite ga kot 26.10.2026 ali 26102026.")},
        {"a start after the end", "1.2.2018", nullptr, "",
         QStringLiteral("Začetni datum 1.2.2018 je za končnim datumom 31.1.2018. Popravite obdobje: začetni datum "
                        "mora biti enak končnemu ali pred njim.")},
        {"a repeat number typed over another range", "2.1.2018", nullptr, "1",
         QStringLiteral("Prenos številka 1 je registriran za obdobje od 1.1.2018 do 31.1.2018, datuma pa kažeta "
                        "obdobje od 2.1.2018 do 31.1.2018.\nPonovitev prenosa 1 zajame samo njegovo registrirano "
                        "obdobje: odprite ga v pregledu prenosov ali postavite datuma na od 1.1.2018 do 31.1.2018. "
                        "Za nov prenos pustite številko prenosa prazno.")},
    };
    auto* d1 = kontrola<PoljeDatuma>(f, "Datum1");
    auto* d2 = kontrola<PoljeDatuma>(f, "Datum2");
    auto* stevilka = kontrola<QLineEdit>(f, "eStevilkaPrenosa");
    const auto vpisi = [](QWidget* polje, const char* besedilo) {
        QTest::mouseClick(polje, Qt::LeftButton, {}, QPoint(6, polje->height() / 2));
        if (auto* vrstica = qobject_cast<QLineEdit*>(polje))
            vrstica->selectAll();
        QTest::keyClicks(polje, QString::fromUtf8(besedilo));
    };
    for (const auto& pr : primeri) {
        SCOPED_TRACE(pr.ime);
        d1->setDate(QDate(2018, 1, 1));
        d2->setDate(QDate(2018, 1, 31));
        p.sporocila.clear();
        dialogi.clear();
        if (pr.datum1)
            vpisi(d1, pr.datum1);
        if (pr.datum2)
            vpisi(d2, pr.datum2);
        // The number is typed last: a date change empties the field.
        stevilka->setText(QString());
        vpisi(stevilka, pr.stevilka);
        kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
        QCoreApplication::processEvents();
        ASSERT_FALSE(p.sporocila.isEmpty());
        EXPECT_EQ(p.sporocila.at(0).toStdString(), pr.sporocilo.toStdString());
        EXPECT_TRUE(dialogi.isEmpty()) << "the run started";
        EXPECT_TRUE(p.vprasanja.isEmpty());
        QFile d(izhod);
        ASSERT_TRUE(d.open(QIODevice::ReadOnly));
        EXPECT_EQ(d.readAll(), datoteka);
        Poizvedba q(povezava::zaIme(QStringLiteral("LB")));
        q.odpri(QStringLiteral("SELECT COUNT(*) N FROM LEDGXFER"));
        ASSERT_TRUE(q.naslednji());
        EXPECT_EQ(q.celo(QStringLiteral("N")), 1);
    }
    f->hide();
}

// A new transfer over January again would write transfer 1's postings a second time:
// the window asks before its save dialog, naming transfer 1 and the postings already
// marked. "Ne" (the default) changes nothing; "Da" runs as before.
TEST_F(PrenosOkno, ANewTransferOverARegisteredOneAsksFirst)
{
    odgovor = izhod;
    kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
    ASSERT_EQ(p.sporocila, QStringList{QStringLiteral("Uspešno prepisanih podatkov=3")});
    ASSERT_TRUE(p.vprasanja.isEmpty()) << "the first transfer overlaps nothing";
    p.sporocila.clear();
    dialogi.clear();
    kontrola<QLineEdit>(f, "eStevilkaPrenosa")->setText(QString());

    p.odgovorVprasanja = false;
    kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
    ASSERT_EQ(p.vprasanja.size(), 1);
    EXPECT_EQ(p.vprasanja.at(0).toStdString(),
              QStringLiteral("Nov prenos za obdobje od 1.1.2018 do 31.1.2018 se prekriva z že registriranimi prenosi: "
                             "1 (od 1.1.2018 do 31.1.2018).\nKnjižb tega obdobja, ki že nosijo številko prenosa: 3. "
                             "Nov prenos bi jih v datoteko zapisal še enkrat.\nAli res želite nov prenos?")
                  .toStdString());
    EXPECT_TRUE(dialogi.isEmpty());
    EXPECT_TRUE(p.sporocila.isEmpty());

    p.odgovorVprasanja = true;
    kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
    EXPECT_EQ(p.vprasanja.size(), 2) << "asked once more, not again inside the run";
    EXPECT_EQ(dialogi.size(), 1);
    EXPECT_EQ(p.sporocila, QStringList{QStringLiteral("Uspešno prepisanih podatkov=3")});
    EXPECT_EQ(kontrola<QLineEdit>(f, "eStevilkaPrenosa")->text(), QStringLiteral("2"));
}

// A transfer file that a kill left waiting beside its output in the monthly folder:
// opening the review panel says which transfer it is and what puts it in place; a
// file whose run never committed is not mentioned (the next run removes it).
TEST_F(PrenosOkno, TheReviewPanelSaysWhereACommittedTransfersFileWaits)
{
    odgovor = izhod;
    kontrola<QPushButton>(f, "btnPrenosMesecnih")->click();
    ASSERT_EQ(p.sporocila, QStringList{QStringLiteral("Uspešno prepisanih podatkov=3")});
    // Transfer 1's file as a killed run leaves it, and one of a run that never committed.
    ASSERT_TRUE(QFile::copy(izhod, izhod + QStringLiteral(".prenos1")));
    ASSERT_TRUE(QFile::copy(izhod, izhod + QStringLiteral(".prenos7")));
    p.sporocila.clear();
    kontrola<QPushButton>(f, "btnPonovi")->click();
    EXPECT_EQ(p.sporocila,
              QStringList{QStringLiteral("Prenos 1 je zapisan v bazi, njegova datoteka pa ni nameščena: čaka v %1.\n"
                                         "Namesti jo naslednji prenos v %2; datoteko zapišete tudi s ponovitvijo "
                                         "prenosa 1.")
                              .arg(QFileInfo(izhod + QStringLiteral(".prenos1")).absoluteFilePath(),
                                   QFileInfo(izhod).absoluteFilePath())});
}
