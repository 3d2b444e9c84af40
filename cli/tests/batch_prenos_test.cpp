#include "batch.h"
#include "poizvedba.h"
#include "testnabaza.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <sys/types.h>
#include <gtest/gtest.h>

namespace {

// A book of one day, 15 January 2018: `par` balanced pairs of domestic postings.
class BatchPrenos : public ::testing::Test {
protected:
    void SetUp() override
    {
        LEDG_PRESKOCI_BREZ_BAZE(b);
        db = b.odpri();
        izvedi("INSERT INTO SIFKONT (CTRL, OZNAKA, SALDAKONTEN, DEVIZEN) VALUES (1, '1100', NULL, NULL)");
        izvedi("INSERT INTO SIFKONT (CTRL, OZNAKA, SALDAKONTEN, DEVIZEN) VALUES (2, '7600', NULL, NULL)");
        izvedi("INSERT INTO VLT (SFVLT, ST) VALUES ('EUR', '978')");
        pot = QDir(b.mapa()).filePath(QStringLiteral("GKDODAT2.TXT"));
    }

    void izvedi(const char* sql) { Poizvedba(db).izvedi(QString::fromLatin1(sql)); }
    void knjizbe(int parov)
    {
        for (int i = 0; i < parov; ++i) {
            for (int stran = 0; stran < 2; ++stran)
                Poizvedba(db).izvedi(
                    QStringLiteral("INSERT INTO KNJIZBE (DATUMK, DATUMV, KONTO, IDMASTER, IDPOG, VP, PARTNER,"
                                   " VALUTA, STRAN, BZNESEK, DZNESEK, BZNESEKSIT, DZNESEKSIT, CTRL) VALUES"
                                   " ('2018-01-15', '2018-01-15', :K, 0, 0, 0, 0, 'EUR', :S, :B, :D, :B, :D, :C)"),
                    {{QStringLiteral("K"), stran + 1},
                     {QStringLiteral("S"), stran ? QStringLiteral("D") : QStringLiteral("B")},
                     {QStringLiteral("B"), stran ? 0.0 : 10.0 + i},
                     {QStringLiteral("D"), stran ? 10.0 + i : 0.0},
                     {QStringLiteral("C"), 2 * i + stran + 1}});
        }
    }
    QStringList prenos(const char* od = "2018-01-01") const
    {
        return {QStringLiteral("transfer"),   QStringLiteral("--alias"),  b.alias(),
                QStringLiteral("--from"),     QString::fromLatin1(od),    QStringLiteral("--to"),
                QStringLiteral("2018-01-31"), QStringLiteral("--output"), pot};
    }
    qint64 registriranih()
    {
        Poizvedba q(db);
        if (!q.poskusiOdpreti(QStringLiteral("SELECT COUNT(*) N FROM LEDGXFER")))
            return 0; // the register was never made
        return q.naslednji() ? q.celo(QStringLiteral("N")) : -1;
    }

    TestnaBaza b;
    QSqlDatabase db;
    QString pot;
};

// A process of ledgxfer-batch with the test database's user and the password on
// standard input; the environment as given.
struct Proces {
    QProcess p;
    Proces(const TestnaBaza& b, QStringList argumenti, QProcessEnvironment okolje)
    {
        if (!b.uporabnik().isEmpty())
            argumenti << QStringLiteral("--user") << b.uporabnik();
        argumenti << QStringLiteral("--password-stdin");
        p.setProcessEnvironment(okolje);
        p.start(programBatch(), argumenti);
        p.waitForStarted();
    }
    IzidBatch koncaj(const QString& geslo)
    {
        p.write((geslo + u'\n').toUtf8());
        p.closeWriteChannel();
        p.waitForFinished(120000);
        return izidBatch(p);
    }
};

} // namespace

TEST_F(BatchPrenos, ExitCodesFollowHowTheRunEnded)
{
    knjizbe(2);
    IzidBatch i = zazeniBatch(b, prenos("2018-01-16"));
    EXPECT_EQ(i.koda, 3) << "nothing to transfer";
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Iz tabele :LB:knjizbe ni kaj prenesti!"))) << i.izhod.toStdString();

    i = zazeniBatch(b, prenos() << QStringLiteral("odvec"));
    EXPECT_EQ(i.koda, 2);
    EXPECT_TRUE(i.napake.contains(QStringLiteral("Odvečni argumenti: odvec"))) << i.napake.toStdString();
    i = zazeniBatch(b, prenos() << QStringLiteral("--repeat") << QStringLiteral("7x"));
    EXPECT_EQ(i.koda, 2);
    EXPECT_TRUE(i.napake.contains(QStringLiteral("--repeat ni celo število: 7x"))) << i.napake.toStdString();
    i = zazeniBatch(b, {QStringLiteral("transfer"), QStringLiteral("--alias"), b.alias(), QStringLiteral("--from"),
                        QStringLiteral("2018-01-01"), QStringLiteral("--to"), QStringLiteral("31.1.2018"),
                        QStringLiteral("--output"), pot});
    EXPECT_EQ(i.koda, 2);
    EXPECT_TRUE(i.napake.contains(QStringLiteral("--to ni veljaven datum"))) << i.napake.toStdString();
    EXPECT_EQ(registriranih(), 0) << "a refused command line does nothing";

    i = zazeniBatch(b, prenos());
    EXPECT_EQ(i.koda, 0) << i.izhod.toStdString() << i.napake.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Uspešno prepisanih podatkov=4"))) << i.izhod.toStdString();
    EXPECT_EQ(registriranih(), 1);
    // Standard error is no terminal here: no progress line.
    EXPECT_FALSE(i.napake.contains(QStringLiteral("vrstic/s"))) << i.napake.toStdString();

    i = zazeniBatch(b, {QStringLiteral("transfer"), QStringLiteral("--alias"), QStringLiteral("NI"),
                        QStringLiteral("--from"), QStringLiteral("2018-01-01"), QStringLiteral("--to"),
                        QStringLiteral("2018-01-31"), QStringLiteral("--output"), pot});
    EXPECT_EQ(i.koda, 1);
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Prijava v NI"))) << i.izhod.toStdString();
}

// A repeat covers its own transfer: without --from/--to it takes the registered
// range, and another range is refused (2). A new transfer over a registered one is
// refused (2) with the question's text unless --allow-overlap is given; a start after
// the end is refused (2). A refusal writes nothing.
TEST_F(BatchPrenos, ARepeatTakesItsRegisteredRangeAndANewTransferOverOneNeedsAllowOverlap)
{
    knjizbe(2);
    ASSERT_EQ(zazeniBatch(b, prenos("2018-01-10")).koda, 0); // transfer 1 over 10.–31.1.2018
    QFile::remove(pot);
    const QStringList ponovi{
        QStringLiteral("transfer"), QStringLiteral("--alias"), b.alias(), QStringLiteral("--output"), pot,
        QStringLiteral("--repeat"), QStringLiteral("1")};
    const struct {
        const char* ime;
        QStringList argumenti;
        int koda;
        QString besedilo; // in standard output
    } primeri[] = {
        {"a repeat over another range", ponovi + prenos().mid(3, 4), 2,
         QStringLiteral("Prenos številka 1 je registriran za obdobje od 10.1.2018 do 31.1.2018, datuma pa kažeta "
                        "obdobje od 1.1.2018 do 31.1.2018.")},
        {"a new transfer over transfer 1", prenos(), 2,
         QStringLiteral("Nov prenos za obdobje od 1.1.2018 do 31.1.2018 se prekriva z že registriranimi prenosi: 1 "
                        "(od 10.1.2018 do 31.1.2018).\nKnjižb tega obdobja, ki že nosijo številko prenosa: 4.")},
        {"a start after the end", prenos("2018-02-01"), 2,
         QStringLiteral("Začetni datum 1.2.2018 je za končnim datumom 31.1.2018.")},
    };
    for (const auto& p : primeri) {
        const IzidBatch i = zazeniBatch(b, p.argumenti);
        EXPECT_EQ(i.koda, p.koda) << p.ime << i.izhod.toStdString() << i.napake.toStdString();
        EXPECT_TRUE(i.izhod.contains(p.besedilo)) << p.ime << ": " << i.izhod.toStdString();
        EXPECT_FALSE(QFileInfo::exists(pot)) << p.ime;
        EXPECT_EQ(registriranih(), 1) << p.ime;
    }
    EXPECT_TRUE(zazeniBatch(b, prenos()).izhod.contains(QStringLiteral("brez --allow-overlap")));

    // The repeat with its registered range, then the new transfer allowed over it.
    IzidBatch i = zazeniBatch(b, ponovi);
    EXPECT_EQ(i.koda, 0) << i.izhod.toStdString() << i.napake.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Uspešno prepisanih podatkov=4"))) << i.izhod.toStdString();
    EXPECT_EQ(registriranih(), 1);
    i = zazeniBatch(b, prenos() << QStringLiteral("--allow-overlap"));
    EXPECT_EQ(i.koda, 0) << i.izhod.toStdString() << i.napake.toStdString();
    EXPECT_EQ(registriranih(), 2);
}

// A login that fails prints the window's message with the reason on the next line and
// exits with 1, whether the alias is unknown or its database is not there.
TEST_F(BatchPrenos, FailedLoginPrintsTheReasonAndExitsWithOne)
{
    QString manjka = b.odsekAliasa();
    manjka.replace(QStringLiteral("[") + b.alias() + u']', QStringLiteral("[MANJKA]"));
    if (b.gonilnik() == u"odbc") // the database inside the ODBC connection string
        manjka.replace(QRegularExpression(QStringLiteral("DATABASE=[^;\"\n]*")),
                       QStringLiteral("DATABASE=ni_take_baze"));
    else
        manjka.replace(QRegularExpression(QStringLiteral("database=[^\n;]*")),
                       b.gonilnik() == u"sqlite" ? QStringLiteral("database=manjka.sqlite")
                                                 : QStringLiteral("database=ni_take_baze"));
    QFile ini(b.potAliasov());
    ASSERT_TRUE(ini.open(QIODevice::Append));
    ini.write(u'\n' + manjka.toUtf8());
    ini.close();

    struct Primer {
        const char* alias;
        QString razlog;
    };
    const Primer primeri[] = {
        {"NI", QStringLiteral("Alias ne obstaja: NI (datoteka z aliasi ") + b.potAliasov()},
        {"MANJKA", b.gonilnik() == u"sqlite" ? QStringLiteral("Baza ne obstaja: ") : QStringLiteral("ni_take_baze")},
    };
    for (const Primer& p : primeri) {
        QStringList argumenti = prenos();
        argumenti[2] = QString::fromLatin1(p.alias);
        const IzidBatch i = zazeniBatch(b, argumenti);
        EXPECT_EQ(i.koda, 1) << p.alias;
        const QStringList vrstice = i.izhod.split(u'\n', Qt::SkipEmptyParts);
        ASSERT_EQ(vrstice.size(), 2) << p.alias << ": " << i.izhod.toStdString();
        EXPECT_EQ(
            vrstice.at(0),
            QStringLiteral("Prijava v %1 kot uporabnik %2 ni uspela!").arg(QLatin1StringView(p.alias), b.uporabnik()));
        EXPECT_TRUE(vrstice.at(1).contains(p.razlog)) << p.alias << ": " << vrstice.at(1).toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(pot));
    EXPECT_FALSE(QFileInfo::exists(QDir(b.mapa()).filePath(QStringLiteral("manjka.sqlite"))))
        << "a login never makes a database";
}

TEST_F(BatchPrenos, PasswordFromTheEnvironmentOrStandardInputAndAliasesFromTheOption)
{
    knjizbe(1);
    QProcessEnvironment okolje = QProcessEnvironment::systemEnvironment();
    // The aliases file only through --aliases.
    okolje.remove(QStringLiteral("LEDGXFER_ALIASES"));
    okolje.insert(QStringLiteral("LEDGXFER_HOME"), QDir(b.mapa()).filePath(QStringLiteral("ni")));
    const QStringList aliasi = {QStringLiteral("--aliases"), b.potAliasov()};

    Proces brez(b, prenos(), okolje);
    IzidBatch i = brez.koncaj(b.geslo());
    EXPECT_EQ(i.koda, 1) << "no aliases file: alias unknown";

    Proces stdin_(b, prenos() << aliasi, okolje);
    i = stdin_.koncaj(b.geslo());
    EXPECT_EQ(i.koda, 0) << i.izhod.toStdString() << i.napake.toStdString();

    i = zazeniBatch(b, prenos() << QStringLiteral("--aliases") << QDir(b.mapa()).filePath(QStringLiteral("ni.ini")));
    EXPECT_EQ(i.koda, 2);
    EXPECT_TRUE(i.napake.contains(QStringLiteral("--aliases ne imenuje obstoječe datoteke"))) << i.napake.toStdString();

    i = zazeniBatch(b, prenos() << QStringLiteral("--password") << QStringLiteral("x")
                                << QStringLiteral("--password-stdin"));
    EXPECT_EQ(i.koda, 2) << "--password and --password-stdin together";

    if (b.geslo().isEmpty())
        GTEST_SKIP() << "this engine has no login: the password's sources are checked on a server";
    // A wrong password on standard input is refused, the right one in the environment taken.
    Proces narobe(b, prenos() << aliasi, okolje);
    i = narobe.koncaj(QStringLiteral("narobe"));
    EXPECT_EQ(i.koda, 1);
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("ni uspela!\n"))) << i.izhod.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("password authentication failed"))) << i.izhod.toStdString();
    QProcess p;
    okolje.insert(QStringLiteral("LEDGXFER_PASSWORD"), b.geslo());
    p.setProcessEnvironment(okolje);
    // A second new transfer over the first one's range: allowed, the point is the password.
    p.start(programBatch(),
            prenos() << aliasi << QStringLiteral("--user") << b.uporabnik() << QStringLiteral("--allow-overlap"));
    p.waitForFinished(120000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardOutput().toStdString() << p.readAllStandardError().toStdString();
}

// SIGINT and SIGTERM raise the stop request of "&Konec": the run stops at its next
// posting, registers and marks nothing, and the batch exits 130. The signal is sent
// once the handlers are in place (seen in /proc) and before the password arrives, so
// it always lands before the first posting.
TEST_F(BatchPrenos, ASignalStopsTheRunLikeTheEndCommandWithExitCode130)
{
    knjizbe(50);
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        Proces p(b, prenos(), QProcessEnvironment::systemEnvironment());
        const QString status = QStringLiteral("/proc/%1/status").arg(p.p.processId());
        bool prestrezen = false;
        for (int poskus = 0; poskus < 500 && !prestrezen; ++poskus) {
            QFile f(status);
            if (f.open(QIODevice::ReadOnly)) {
                for (const QByteArray& v : f.readAll().split('\n')) {
                    if (v.startsWith("SigCgt:"))
                        prestrezen = (v.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
                }
            }
            if (!prestrezen)
                QThread::msleep(10);
        }
        ASSERT_TRUE(prestrezen) << "the batch never caught the signal";
        ::kill(pid_t(p.p.processId()), signal);
        const IzidBatch i = p.koncaj(b.geslo());
        EXPECT_EQ(i.koda, 130) << i.izhod.toStdString() << i.napake.toStdString();
        EXPECT_FALSE(i.izhod.contains(QStringLiteral("Uspešno"))) << i.izhod.toStdString();
        EXPECT_EQ(registriranih(), 0);
        Poizvedba q(db);
        q.odpri(QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE WHERE PRENOS>=1"));
        ASSERT_TRUE(q.naslednji());
        EXPECT_EQ(q.celo(QStringLiteral("N")), 0);
    }
}

// On a terminal the run shows one progress line on standard error: percentage, rows
// and rows per second, ending at 100 %.
TEST_F(BatchPrenos, ProgressLineOnATerminal)
{
    if (QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty())
        GTEST_SKIP() << "script (util-linux) is not installed";
    knjizbe(3);
    QStringList ukaz{programBatch()};
    ukaz << prenos();
    if (!b.uporabnik().isEmpty())
        ukaz << QStringLiteral("--user") << b.uporabnik();
    QProcess p;
    QProcessEnvironment okolje = QProcessEnvironment::systemEnvironment();
    okolje.insert(QStringLiteral("LEDGXFER_PASSWORD"), b.geslo());
    p.setProcessEnvironment(okolje);
    // script runs the command on a pseudo-terminal and copies what it shows.
    p.start(QStringLiteral("script"), {QStringLiteral("-qec"), ukaz.join(u' '), QStringLiteral("/dev/null")});
    p.closeWriteChannel();
    p.waitForFinished(120000);
    const QString izhod = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(p.exitCode(), 0) << izhod.toStdString();
    EXPECT_TRUE(izhod.contains(QStringLiteral("\r100 % (6 vrstic, "))) << izhod.toStdString();
    EXPECT_TRUE(izhod.contains(QStringLiteral(" vrstic/s)"))) << izhod.toStdString();
    EXPECT_TRUE(izhod.contains(QStringLiteral("Uspešno prepisanih podatkov=6"))) << izhod.toStdString();
}
