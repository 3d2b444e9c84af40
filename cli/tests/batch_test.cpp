#include "batch.h"
#include "demoknjiga.h"
#include "izpis.h"
#include "poizvedba.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace {

const char* const kUkazi[] = {"transfer", "verify", "journal", "adjustments", "parties", "revaluation", "demo"};

} // namespace

TEST(BatchUkaz, HelpGlobalAndPerCommandInSlovenianWithOptionsExampleAndExitCodes)
{
    for (const char* h : {"--help", "-h"}) {
        const IzidBatch i = zazeniBatch({QString::fromLatin1(h)});
        EXPECT_EQ(i.koda, 0) << h;
        EXPECT_TRUE(i.izhod.startsWith(QStringLiteral("Uporaba: ledgxfer-batch UKAZ"))) << i.izhod.toStdString();
        for (const char* u : kUkazi)
            EXPECT_TRUE(i.izhod.contains(QStringLiteral("  %1 ").arg(QString::fromLatin1(u)))) << u;
        EXPECT_TRUE(i.izhod.contains(QStringLiteral("130  ustavljeno s signalom"))) << i.izhod.toStdString();
    }
    // Each command's help: description, every option, an example, the exit codes.
    const QMap<QString, QStringList> moznosti = {
        {QStringLiteral("transfer"),
         {QStringLiteral("--alias A"), QStringLiteral("--user U"), QStringLiteral("--password P"),
          QStringLiteral("--password-stdin"), QStringLiteral("--aliases DATOTEKA"), QStringLiteral("--from LLLL-MM-DD"),
          QStringLiteral("--to LLLL-MM-DD"), QStringLiteral("--output POT"), QStringLiteral("--repeat N")}},
        {QStringLiteral("verify"),
         {QStringLiteral("--file POT"), QStringLiteral("--alias A"), QStringLiteral("--transfer N"),
          QStringLiteral("--aliases DATOTEKA")}},
        {QStringLiteral("journal"),
         {QStringLiteral("--transfer N"), QStringLiteral("--pdf DATOTEKA"), QStringLiteral("--initiator"),
          QStringLiteral("--journal-number")}},
        {QStringLiteral("adjustments"),
         {QStringLiteral("--pdf DATOTEKA"), QStringLiteral("--from"), QStringLiteral("--to"),
          QStringLiteral("--transfer"), QStringLiteral("--partner"), QStringLiteral("--account"),
          QStringLiteral("--activity"), QStringLiteral("--security")}},
        {QStringLiteral("parties"),
         {QStringLiteral("--output POT"), QStringLiteral("--first N"), QStringLiteral("--last N")}},
        {QStringLiteral("revaluation"), {QStringLiteral("--output POT")}},
        {QStringLiteral("demo"),
         {QStringLiteral("--database DATOTEKA"), QStringLiteral("--aliases DATOTEKA"), QStringLiteral("--postings N"),
          QStringLiteral("--today LLLL-MM-DD"), QStringLiteral("--alias A")}},
    };
    for (const char* u : kUkazi) {
        for (const char* h : {"--help", "-h"}) {
            SCOPED_TRACE(std::string(u) + " " + h);
            const IzidBatch i = zazeniBatch({QString::fromLatin1(u), QString::fromLatin1(h)});
            EXPECT_EQ(i.koda, 0);
            EXPECT_TRUE(i.izhod.startsWith(
                QStringLiteral("Uporaba: ledgxfer-batch %1 [možnosti]\n\n").arg(QString::fromLatin1(u))))
                << i.izhod.toStdString();
            EXPECT_TRUE(i.izhod.contains(QStringLiteral("-h, --help"))) << i.izhod.toStdString();
            for (const QString& m : moznosti.value(QString::fromLatin1(u)))
                EXPECT_TRUE(i.izhod.contains(QStringLiteral("\n  ") + m)) << m.toStdString() << "\n"
                                                                          << i.izhod.toStdString();
            EXPECT_TRUE(i.izhod.contains(QStringLiteral("\nPrimer"))) << i.izhod.toStdString();
            EXPECT_TRUE(i.izhod.contains(QStringLiteral("  ledgxfer-batch %1 ").arg(QString::fromLatin1(u))));
            EXPECT_TRUE(i.izhod.contains(QStringLiteral("Izhodne kode:\n  0    opravljeno\n")));
            // Nothing of the toolkit's English.
            for (const char* angl : {"Usage", "Options", "Displays", "Unknown"})
                EXPECT_FALSE(i.izhod.contains(QString::fromLatin1(angl))) << angl;
        }
    }
}

TEST(BatchUkaz, VersionIsTheProjectsVersion)
{
    const IzidBatch i = zazeniBatch({QStringLiteral("--version")});
    EXPECT_EQ(i.koda, 0);
    EXPECT_EQ(i.izhod, QStringLiteral("ledgxfer-batch " LEDGXFER_VERSION "\n"));
}

// Refusals come before any work: exit 2, the reason in Slovenian and a pointer to
// the help on standard error, nothing on standard output.
TEST(BatchUkaz, StrayArgumentsUnknownOptionsAndMissingValuesAreRefusedForEveryCommand)
{
    for (const char* u : kUkazi) {
        const QString ukaz = QString::fromLatin1(u);
        struct Primer {
            QStringList argumenti;
            QString napaka;
        };
        const QList<Primer> primeri = {
            {{ukaz, QStringLiteral("odvec")}, QStringLiteral("Odvečni argumenti: odvec")},
            {{ukaz, QStringLiteral("odvec"), QStringLiteral("drugi")},
             QStringLiteral("Odvečni argumenti: odvec drugi")},
            {{ukaz, QStringLiteral("--nic")}, QStringLiteral("Neznana možnost: --nic")},
            {{ukaz, QStringLiteral("-x")}, QStringLiteral("Neznana možnost: -x")},
            // revaluation reads no aliases file and does not take the option at all.
            {{ukaz, QStringLiteral("--aliases")},
             ukaz == u"revaluation" ? QStringLiteral("Neznana možnost: --aliases")
                                    : QStringLiteral("Možnosti --aliases manjka vrednost.")},
            {{ukaz, QStringLiteral("--help=da")}, QStringLiteral("Možnost --help ne sprejme vrednosti.")},
        };
        for (const Primer& p : primeri) {
            SCOPED_TRACE(p.argumenti.join(u' ').toStdString());
            const IzidBatch i = zazeniBatch(p.argumenti);
            EXPECT_EQ(i.koda, 2);
            EXPECT_TRUE(i.napake.contains(p.napaka)) << i.napake.toStdString();
            EXPECT_TRUE(i.napake.contains(QStringLiteral("Za pomoč: ledgxfer-batch %1 --help").arg(ukaz)));
            EXPECT_EQ(i.izhod, QString());
        }
    }
    for (const QStringList& a :
         {QStringList{}, QStringList{QStringLiteral("prenos")}, QStringList{QStringLiteral("--verzija")},
          QStringList{QStringLiteral("--help"), QStringLiteral("odvec")}}) {
        const IzidBatch i = zazeniBatch(a);
        EXPECT_EQ(i.koda, 2) << a.join(u' ').toStdString();
        EXPECT_TRUE(i.napake.contains(QStringLiteral("Za pomoč: ledgxfer-batch --help"))) << i.napake.toStdString();
    }
    const IzidBatch i = zazeniBatch({QStringLiteral("verify"), QStringLiteral("--file"), QStringLiteral("x"),
                                     QStringLiteral("--alias"), QStringLiteral("LB")});
    EXPECT_EQ(i.koda, 2);
    EXPECT_TRUE(i.napake.contains(QStringLiteral("--alias in --transfer se podata skupaj."))) << i.napake.toStdString();
}

// What the help says is what the command does.
TEST(BatchUkaz, HelpTellsTheTruthAboutOptionsExitCodesAndLineLengths)
{
    const IzidBatch prevrednotenje = zazeniBatch({QStringLiteral("revaluation"), QStringLiteral("--help")});
    EXPECT_FALSE(prevrednotenje.izhod.contains(QStringLiteral("--aliases"))) << prevrednotenje.izhod.toStdString();
    QTemporaryDir dir;
    const IzidBatch zAliasi = zazeniBatch({QStringLiteral("revaluation"), QStringLiteral("--output"),
                                           dir.filePath(QStringLiteral("Z.TXT")), QStringLiteral("--aliases=a.ini")});
    EXPECT_EQ(zAliasi.koda, 2);
    EXPECT_TRUE(zAliasi.napake.contains(QStringLiteral("Neznana možnost: --aliases"))) << zAliasi.napake.toStdString();
    // A value that only looks like the option is the value of the option before it.
    const IzidBatch kotVrednost = zazeniBatch({QStringLiteral("revaluation"), QStringLiteral("--output"),
                                               QStringLiteral("--aliases"), QStringLiteral("--help")});
    EXPECT_EQ(kotVrednost.koda, 0) << kotVrednost.napake.toStdString();

    // verify ends with 0, 1 or 2 only, and says so; detail lines grow with their number.
    const IzidBatch preverjanje = zazeniBatch({QStringLiteral("verify"), QStringLiteral("--help")});
    const QString kode = preverjanje.izhod.mid(preverjanje.izhod.indexOf(QStringLiteral("Izhodne kode:")));
    EXPECT_TRUE(kode.contains(QStringLiteral("\n  1    datoteka ni pravilna"))) << kode.toStdString();
    EXPECT_FALSE(kode.contains(QStringLiteral("\n  3 "))) << kode.toStdString();
    EXPECT_FALSE(kode.contains(QStringLiteral("\n  130 "))) << kode.toStdString();
    EXPECT_TRUE(preverjanje.izhod.contains(QStringLiteral("od 100.000. 154"))) << preverjanje.izhod.toStdString();

    const IzidBatch demo = zazeniBatch({QStringLiteral("demo"), QStringLiteral("--help")});
    EXPECT_TRUE(demo.izhod.contains(QStringLiteral("--postings N"))) << demo.izhod.toStdString();
    EXPECT_TRUE(demo.izhod.contains(QStringLiteral("N ≥ 1"))) << demo.izhod.toStdString();
}

// demo refuses what it cannot do before doing anything: no postings, a folder that
// is not there (which it never makes).
TEST(BatchUkaz, DemoRefusesNoPostingsAndMissingFolders)
{
    QTemporaryDir dir;
    const QString baza = dir.filePath(QStringLiteral("l.sqlite"));
    const QString aliasi = dir.filePath(QStringLiteral("a.ini"));
    const QString ni = dir.filePath(QStringLiteral("ni/l.sqlite"));
    struct Primer {
        QStringList argumenti;
        QString napaka;
    };
    const QList<Primer> primeri = {
        {{QStringLiteral("--database"), baza, QStringLiteral("--aliases"), aliasi, QStringLiteral("--postings"),
          QStringLiteral("0")},
         QStringLiteral("--postings ni pozitivno celo število: 0")},
        {{QStringLiteral("--database"), ni, QStringLiteral("--aliases"), aliasi},
         QStringLiteral("Mapa datoteke --database ne obstaja: ")
             + QDir::toNativeSeparators(dir.filePath(QStringLiteral("ni")))},
        {{QStringLiteral("--database"), baza, QStringLiteral("--aliases"), dir.filePath(QStringLiteral("ni/a.ini"))},
         QStringLiteral("Mapa datoteke --aliases ne obstaja: ")},
        {{QStringLiteral("--database"), baza, QStringLiteral("--aliases"), aliasi, QStringLiteral("--output"),
          dir.filePath(QStringLiteral("ni/P.TXT"))},
         QStringLiteral("Mapa datoteke --output ne obstaja: ")},
    };
    for (const Primer& p : primeri) {
        SCOPED_TRACE(p.argumenti.join(u' ').toStdString());
        const IzidBatch i = zazeniBatch(QStringList{QStringLiteral("demo")} + p.argumenti);
        EXPECT_EQ(i.koda, 2);
        EXPECT_TRUE(i.napake.contains(p.napaka)) << i.napake.toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }
}

// Under cron there is no runtime folder; the drawing commands say nothing of it.
TEST(BatchUkaz, DrawingCommandsAreQuietWithoutARuntimeFolder)
{
    QTemporaryDir tmp;
    QProcessEnvironment okolje = QProcessEnvironment::systemEnvironment();
    okolje.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    okolje.remove(QStringLiteral("QT_QPA_PLATFORM"));
    okolje.remove(QStringLiteral("DISPLAY"));
    okolje.remove(QStringLiteral("WAYLAND_DISPLAY"));
    okolje.insert(QStringLiteral("TMPDIR"), tmp.path());
    for (const char* ukaz : {"journal", "adjustments"}) {
        SCOPED_TRACE(ukaz);
        const IzidBatch i = zazeniBatch({QString::fromLatin1(ukaz), QStringLiteral("--help")}, okolje);
        EXPECT_EQ(i.koda, 0);
        EXPECT_EQ(i.napake, QString());
    }
    // The private folder is gone again.
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

// The demo book of 31 January 2018 (a Wednesday): what an accountant checks first.
class DemoKnjiga : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_mapa = new QTemporaryDir;
        const QString baza = s_mapa->filePath(QStringLiteral("ledger.sqlite"));
        const IzidBatch i =
            zazeniBatch({QStringLiteral("demo"), QStringLiteral("--database"), baza, QStringLiteral("--aliases"),
                         s_mapa->filePath(QStringLiteral("aliases.ini")), QStringLiteral("--today"),
                         QStringLiteral("2018-01-31"), QStringLiteral("--postings"), QStringLiteral("3000")});
        s_koda = i.koda;
        s_izhod = i.izhod + i.napake;
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("demo"));
        db.setDatabaseName(baza);
        db.open();
    }
    static void TearDownTestSuite()
    {
        QSqlDatabase::database(QStringLiteral("demo"), false).close();
        QSqlDatabase::removeDatabase(QStringLiteral("demo"));
        delete s_mapa;
    }
    void SetUp() override { ASSERT_EQ(s_koda, 0) << s_izhod.toStdString(); }

    static qint64 stevilo(const char* sql)
    {
        Poizvedba q(QSqlDatabase::database(QStringLiteral("demo"), false));
        q.odpri(QString::fromLatin1(sql));
        return q.naslednji() ? q.celo(QStringLiteral("N")) : -1;
    }
    static QTemporaryDir* s_mapa;
    static int s_koda;
    static QString s_izhod;
};
QTemporaryDir* DemoKnjiga::s_mapa = nullptr;
int DemoKnjiga::s_koda = -1;
QString DemoKnjiga::s_izhod;

TEST_F(DemoKnjiga, EveryEventAndEveryDayBalancesInDomesticAndPostingCurrency)
{
    EXPECT_EQ(stevilo("SELECT COUNT(*) N FROM KNJIZBE"), 3000);
    for (const char* kljuc : {"DATUMK", "DATUMK, IDMASTER"}) {
        for (const char* zneska : {"BZNESEKSIT) - SUM(DZNESEKSIT", "BZNESEK) - SUM(DZNESEK"}) {
            const QString sql = QStringLiteral("SELECT COUNT(*) N FROM (SELECT %1 FROM KNJIZBE GROUP BY %1"
                                               " HAVING ABS(SUM(%2)) > 0.0005) X")
                                    .arg(QString::fromLatin1(kljuc), QString::fromLatin1(zneska));
            EXPECT_EQ(stevilo(sql.toLatin1().constData()), 0) << sql.toStdString();
        }
    }
    // An event is one business case on one day, with both sides.
    EXPECT_EQ(stevilo("SELECT COUNT(*) N FROM (SELECT IDMASTER FROM KNJIZBE WHERE IDMASTER<>0 GROUP BY IDMASTER"
                      " HAVING COUNT(DISTINCT DATUMK)>1 OR SUM(BZNESEKSIT)=0) X"),
              0);
    EXPECT_GT(stevilo("SELECT COUNT(DISTINCT IDMASTER) N FROM KNJIZBE"), 500);
    // Debits on debit sides only, credits on credit sides only.
    EXPECT_EQ(stevilo("SELECT COUNT(*) N FROM KNJIZBE WHERE (STRAN IN ('B','b') AND DZNESEK<>0)"
                      " OR (STRAN IN ('D','d') AND BZNESEK<>0)"),
              0);
}

TEST_F(DemoKnjiga, PostingsAndValueDatesFallOnWorkingDaysOfTheSeventyFiveDays)
{
    Poizvedba q(QSqlDatabase::database(QStringLiteral("demo"), false));
    q.odpri(QStringLiteral("SELECT DISTINCT DATUMK D FROM KNJIZBE UNION SELECT DISTINCT DATUMV D FROM KNJIZBE"
                           " WHERE DATUMV IS NOT NULL"));
    int dni = 0;
    while (q.naslednji()) {
        const QDate d = q.datum(QStringLiteral("D"));
        EXPECT_TRUE(jeDelovniDan(d)) << d.toString(Qt::ISODate).toStdString();
        ++dni;
    }
    EXPECT_GT(dni, 45);
    EXPECT_EQ(stevilo("SELECT COUNT(*) N FROM KNJIZBE WHERE DATUMK<'2017-11-18' OR DATUMK>'2018-01-31'"), 0);
    // Christmas, New Year and their neighbouring weekends are in the range, and empty.
    EXPECT_EQ(stevilo("SELECT COUNT(*) N FROM KNJIZBE WHERE DATUMK IN ('2017-12-25','2017-12-26','2018-01-01',"
                      "'2018-01-02','2017-12-23','2018-01-06')"),
              0);
    EXPECT_GT(stevilo("SELECT COUNT(*) N FROM KNJIZBE WHERE DATUMK='2017-12-27'"), 0);
}

TEST_F(DemoKnjiga, EveryCurrencyIsInVltAtOneRate)
{
    EXPECT_EQ(stevilo("SELECT COUNT(*) N FROM KNJIZBE K LEFT JOIN VLT V ON K.VALUTA=V.SFVLT WHERE V.SFVLT IS NULL"), 0);
    EXPECT_GE(stevilo("SELECT COUNT(DISTINCT VALUTA) N FROM KNJIZBE"), 6);
    // Codes of the euro (978) are at par; every other code has one rate (debits of
    // 100 and more in domestic currency, where the rounding to a thousandth stays
    // below a hundred-thousandth).
    EXPECT_EQ(stevilo("SELECT COUNT(*) N FROM KNJIZBE K JOIN VLT V ON K.VALUTA=V.SFVLT WHERE V.ST='978'"
                      " AND (BZNESEK<>BZNESEKSIT OR DZNESEK<>DZNESEKSIT)"),
              0);
    EXPECT_EQ(stevilo("SELECT COUNT(*) N FROM (SELECT VALUTA FROM KNJIZBE WHERE BZNESEKSIT>=100"
                      " GROUP BY VALUTA HAVING MAX(BZNESEKSIT/BZNESEK) - MIN(BZNESEKSIT/BZNESEK)"
                      " > 0.00001 * MAX(BZNESEKSIT/BZNESEK)) X"),
              0);
    EXPECT_EQ(stevilo("SELECT COUNT(*) N FROM (SELECT ST FROM VLT GROUP BY ST HAVING COUNT(*)>1) X"), 1)
        << "EUR and E share 978";
}

TEST_F(DemoKnjiga, TransferOneIsCompleteAndItsFileHoldsAgainstTheBook)
{
    EXPECT_EQ(stevilo("SELECT COUNT(*) N FROM LEDGXFER WHERE STPRENOSA=1 AND DATUM1='2017-11-18'"
                      " AND DATUM2='2017-12-16' AND DATUMPRENOSA='2017-12-18'"),
              1);
    EXPECT_EQ(stevilo("SELECT COUNT(*) N FROM LEDGXFER"), 1);
    // Marked: every posting of its range and no other.
    EXPECT_EQ(stevilo("SELECT COUNT(*) N FROM KNJIZBE WHERE DATUMK<='2017-12-16' AND (PRENOS IS NULL OR PRENOS<>1)"),
              0);
    EXPECT_EQ(stevilo("SELECT COUNT(*) N FROM KNJIZBE WHERE DATUMK>'2017-12-16' AND PRENOS>=1"), 0);
    EXPECT_GT(stevilo("SELECT COUNT(*) N FROM KNJIZBE WHERE PRENOS=1"), 800);
    // One adjustment row per line written, all numbered 1, some with a difference.
    EXPECT_EQ(stevilo("SELECT COUNT(*) N FROM IZRAVNAVE WHERE PRENOS=1"),
              stevilo("SELECT COUNT(*) N FROM KNJIZBE WHERE PRENOS=1 AND (BZNESEK<>0 OR DZNESEK<>0"
                      " OR BZNESEKSIT<>0 OR DZNESEKSIT<>0)"));
    EXPECT_EQ(stevilo("SELECT COUNT(*) N FROM IZRAVNAVE WHERE PRENOS IS NULL OR PRENOS<>1"), 0);
    EXPECT_GT(stevilo("SELECT COUNT(*) N FROM IZRAVNAVE WHERE RAZLIKA<>0"), 0);

    const QString datoteka = s_mapa->filePath(QStringLiteral("PRENOS1.TXT"));
    ASSERT_TRUE(QFile::exists(datoteka));
    const IzidBatch i =
        zazeniBatch({QStringLiteral("verify"), QStringLiteral("--file"), datoteka, QStringLiteral("--aliases"),
                     s_mapa->filePath(QStringLiteral("aliases.ini")), QStringLiteral("--alias"), QStringLiteral("LB"),
                     QStringLiteral("--transfer"), QStringLiteral("1")});
    EXPECT_EQ(i.koda, 0) << i.izhod.toStdString() << i.napake.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("je pravilna"))) << i.izhod.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("enakih ponovitvi prenosa 1"))) << i.izhod.toStdString();
    {
        QFile f(datoteka);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readLine().startsWith(" 000020171218VP-20171218")) << "written on the day it ran";
    }

    // A file changed by hand: one line per finding, exit 1.
    const QString spremenjena = s_mapa->filePath(QStringLiteral("SPREMENJENA.TXT"));
    QFile::copy(datoteka, spremenjena);
    {
        QFile f(spremenjena);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(35 + 152 + 2 + 60); // line 3, field 11
        f.write("9");
    }
    const IzidBatch s =
        zazeniBatch({QStringLiteral("verify"), QStringLiteral("--file"), spremenjena, QStringLiteral("--aliases"),
                     s_mapa->filePath(QStringLiteral("aliases.ini")), QStringLiteral("--alias"), QStringLiteral("LB"),
                     QStringLiteral("--transfer"), QStringLiteral("1")});
    EXPECT_EQ(s.koda, 1);
    EXPECT_TRUE(s.izhod.contains(QStringLiteral("vrstica 3, polje 11 (znesek v breme) (po bazi): pričakovano \"")))
        << s.izhod.toStdString();
    EXPECT_TRUE(s.izhod.contains(QStringLiteral("NI pravilna: 1 ugotovitev."))) << s.izhod.toStdString();

    const IzidBatch ni =
        zazeniBatch({QStringLiteral("verify"), QStringLiteral("--file"), s_mapa->filePath(QStringLiteral("NI.TXT"))});
    EXPECT_EQ(ni.koda, 1);
    EXPECT_TRUE(ni.izhod.contains(QStringLiteral("Ne morem brati datoteke"))) << ni.izhod.toStdString();
}

namespace {

struct PdfIzhod {
    const char* ime;
    const char* ukaz; // journal | adjustments
    std::function<QString(const QString& mapa)> pripravi;
    const char* razlog;
    bool datotekaBaze = false; // the book's own file: it changes under any connection
};

void PrintTo(const PdfIzhod& c, std::ostream* os) { *os << c.ime; }

class DemoPdf : public DemoKnjiga, public ::testing::WithParamInterface<PdfIzhod> {};

QByteArray vsebinaAliVrsta(const QString& pot)
{
    const QFileInfo info(pot);
    if (info.isSymLink())
        return "povezava";
    if (!info.isFile())
        return info.exists() ? "posebna" : "nic";
    QFile f(pot);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<ni>");
}

} // namespace

// Both PDF commands go through the one output guard: the book's own files, the aliases
// file, a link, a FIFO and a device are refused as usage (exit 2) with the reason, and
// what lies there stays; the book is still whole.
TEST_P(DemoPdf, OutputIsGuarded)
{
    const PdfIzhod& c = GetParam();
    const QString pot = c.pripravi(s_mapa->path());
    const QByteArray prej = c.datotekaBaze ? QByteArray() : vsebinaAliVrsta(pot);
    QStringList argumenti{QString::fromLatin1(c.ukaz),
                          QStringLiteral("--aliases"),
                          s_mapa->filePath(QStringLiteral("aliases.ini")),
                          QStringLiteral("--alias"),
                          QStringLiteral("LB"),
                          QStringLiteral("--pdf"),
                          pot};
    if (QByteArray(c.ukaz) == "journal")
        argumenti << QStringLiteral("--transfer") << QStringLiteral("1");
    const IzidBatch i = zazeniBatch(argumenti);
    EXPECT_EQ(i.koda, 2) << i.izhod.toStdString() << i.napake.toStdString();
    EXPECT_TRUE(i.napake.contains(QString::fromUtf8(c.razlog))) << i.napake.toStdString();
    if (!c.datotekaBaze) {
        EXPECT_EQ(vsebinaAliVrsta(pot), prej);
    }
    EXPECT_GT(stevilo("SELECT COUNT(*) N FROM LEDGXFER"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Poti, DemoPdf,
    ::testing::Values(
        PdfIzhod{"journal_baza", "journal", [](const QString& m) { return m + QStringLiteral("/ledger.sqlite"); },
                 "baze podatkov", true},
        PdfIzhod{"journal_wal", "journal", [](const QString& m) { return m + QStringLiteral("/ledger.sqlite-wal"); },
                 "baze podatkov", true},
        PdfIzhod{"journal_aliasi", "journal", [](const QString& m) { return m + QStringLiteral("/aliases.ini"); },
                 "programa"},
        PdfIzhod{"journal_naprava", "journal", [](const QString&) { return QStringLiteral("/dev/null"); }, "naprava"},
        PdfIzhod{"adjustments_baza", "adjustments",
                 [](const QString& m) { return m + QStringLiteral("/ledger.sqlite"); }, "baze podatkov", true},
        PdfIzhod{"adjustments_shm", "adjustments",
                 [](const QString& m) { return m + QStringLiteral("/ledger.sqlite-shm"); }, "baze podatkov", true},
        PdfIzhod{"adjustments_povezava", "adjustments",
                 [](const QString& m) {
                     QFile::link(m + QStringLiteral("/PRENOS1.TXT"), m + QStringLiteral("/povezava.pdf"));
                     return m + QStringLiteral("/povezava.pdf");
                 },
                 "simbolna povezava"},
        PdfIzhod{"adjustments_cev", "adjustments",
                 [](const QString& m) {
                     ::mkfifo(QFile::encodeName(m + QStringLiteral("/cev.pdf")).constData(), 0600);
                     return m + QStringLiteral("/cev.pdf");
                 },
                 "cev"}),
    PoImenu());

namespace {

struct VhodVerify {
    const char* ime;
    std::function<QString(const QString& mapa)> pripravi;
    const char* razlog;
};

void PrintTo(const VhodVerify& c, std::ostream* os) { *os << c.ime; }

class VerifyVhod : public ::testing::TestWithParam<VhodVerify> {};

} // namespace

// `verify` reads only a regular file within the bound of a ledger file: a FIFO without
// a writer, /dev/zero and a 5 GB sparse file are refused at once with the reason.
TEST_P(VerifyVhod, OnlyARegularFileWithinItsBoundIsRead)
{
    QTemporaryDir dir;
    const QString pot = GetParam().pripravi(dir.path());
    QProcess p;
    p.start(programBatch(), {QStringLiteral("verify"), QStringLiteral("--file"), pot});
    p.closeWriteChannel();
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        FAIL() << "verify did not end";
    }
    const IzidBatch i = izidBatch(p);
    EXPECT_EQ(i.koda, 1);
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Ne morem brati datoteke"))) << i.izhod.toStdString();
    EXPECT_TRUE(i.izhod.contains(QString::fromUtf8(GetParam().razlog))) << i.izhod.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Vhodi, VerifyVhod,
    ::testing::Values(VhodVerify{"fifo",
                                 [](const QString& m) {
                                     ::mkfifo(QFile::encodeName(m + QStringLiteral("/cev")).constData(), 0600);
                                     return m + QStringLiteral("/cev");
                                 },
                                 "FIFO"},
                      VhodVerify{"dev_zero",
                                 [](const QString& m) {
                                     QFile::link(QStringLiteral("/dev/zero"), m + QStringLiteral("/GK.TXT"));
                                     return m + QStringLiteral("/GK.TXT");
                                 },
                                 "naprava"},
                      VhodVerify{"redka_5_GB",
                                 [](const QString& m) {
                                     QFile f(m + QStringLiteral("/GK.TXT"));
                                     if (f.open(QIODevice::WriteOnly))
                                         f.resize(qint64(5) << 30);
                                     return m + QStringLiteral("/GK.TXT");
                                 },
                                 "5368709120 bajtov"}),
    PoImenu());

// Typed values are read whole and a refused one is usage (exit 2) before anything is
// read or written: a date with text after it, a party range that is no number (its
// reason on standard output).
TEST(BatchUkaz, TypedValuesAreReadWhole)
{
    QTemporaryDir dir;
    struct Primer {
        QStringList argumenti;
        const char* razlog;
        bool naIzhodu;
    };
    const Primer primeri[] = {
        {{QStringLiteral("adjustments"), QStringLiteral("--alias"), QStringLiteral("LB"), QStringLiteral("--pdf"),
          dir.filePath(QStringLiteral("a.pdf")), QStringLiteral("--from"), QStringLiteral("2026-10-01junk"),
          QStringLiteral("--to"), QStringLiteral("2026-10-31")},
         "--from ni datum",
         false},
        {{QStringLiteral("adjustments"), QStringLiteral("--alias"), QStringLiteral("LB"), QStringLiteral("--pdf"),
          dir.filePath(QStringLiteral("a.pdf")), QStringLiteral("--from"), QStringLiteral("2026-10-01"),
          QStringLiteral("--to"), QStringLiteral("2026-02-30")},
         "--to ni datum",
         false},
        {{QStringLiteral("adjustments"), QStringLiteral("--alias"), QStringLiteral("LB"), QStringLiteral("--pdf"),
          dir.filePath(QStringLiteral("a.pdf")), QStringLiteral("--from"), QStringLiteral("2026-10-31"),
          QStringLiteral("--to"), QStringLiteral("2026-10-01")},
         "Začetni datum 31.10.2026 je za končnim datumom 1.10.2026.",
         false},
        {{QStringLiteral("parties"), QStringLiteral("--alias"), QStringLiteral("LB"), QStringLiteral("--output"),
          dir.filePath(QStringLiteral("OSB.TXT")), QStringLiteral("--first"), QStringLiteral("abc")},
         "--first ni celo število: abc",
         true},
    };
    for (const Primer& p : primeri) {
        const IzidBatch i = zazeniBatch(p.argumenti);
        EXPECT_EQ(i.koda, 2) << p.argumenti.join(u' ').toStdString();
        EXPECT_TRUE((p.naIzhodu ? i.izhod : i.napake).contains(QString::fromUtf8(p.razlog)))
            << i.izhod.toStdString() << i.napake.toStdString();
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

// The demo's revaluation table gives the sums its description promises, through the
// program's own reader and summary.
TEST_F(DemoKnjiga, RevaluationTableSumsPerAccountAsDescribed)
{
    ASSERT_TRUE(QFile::exists(s_mapa->filePath(QStringLiteral("ZOKDLL.DB"))));
    QProcessEnvironment okolje = QProcessEnvironment::systemEnvironment();
    okolje.insert(QStringLiteral("LEDGXFER_HOME"), s_mapa->path());
    const QString izhod = s_mapa->filePath(QStringLiteral("ZOK.TXT"));
    const IzidBatch i = zazeniBatch({QStringLiteral("revaluation"), QStringLiteral("--output"), izhod}, okolje);
    ASSERT_EQ(i.koda, 0) << i.izhod.toStdString() << i.napake.toStdString();
    QFile f(izhod);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList racuni;
    for (const QByteArray& v : f.readAll().split('\n')) {
        if (v.isEmpty())
            continue;
        const QString s = QString::fromLatin1(v).chopped(1); // without CR
        ASSERT_EQ(s.size(), 54) << s.toStdString();
        racuni << QStringLiteral("%1 %2 %3")
                      .arg(s.mid(13, 10).trimmed(), s.mid(23, 15).trimmed().replace(u',', u'.'),
                           s.mid(38, 15).trimmed().replace(u',', u'.'));
    }
    EXPECT_EQ(racuni, (QStringList{QStringLiteral("1000 150.50 14.75"), QStringLiteral("1200 700.00 125.00"),
                                   QStringLiteral("2100 12.34 56.78"), QStringLiteral("4000 60.60 6.00")}));
}

// The wide book of the benchmarks: many parties, contracts and accounts, texts of 60
// characters, and every look-up of the postings query finding its row; the same number
// of postings. A shape the command does not know is refused (2).
TEST(BatchDemo, TheWideShapeHasEveryLookUpHitting)
{
    QTemporaryDir dir;
    const QString baza = dir.filePath(QStringLiteral("w.sqlite"));
    IzidBatch i = zazeniBatch({QStringLiteral("demo"), QStringLiteral("--database"), baza, QStringLiteral("--aliases"),
                               dir.filePath(QStringLiteral("w.ini")), QStringLiteral("--postings"),
                               QStringLiteral("900"), QStringLiteral("--shape"), QStringLiteral("wide")});
    ASSERT_EQ(i.koda, 0) << i.izhod.toStdString() << i.napake.toStdString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("siroka"));
        db.setDatabaseName(baza);
        ASSERT_TRUE(db.open());
        const auto stevilo = [&](const char* sql) {
            QSqlQuery q(db);
            return q.exec(QString::fromLatin1(sql)) && q.next() ? q.value(0).toLongLong() : -1;
        };
        EXPECT_EQ(stevilo("SELECT COUNT(*) FROM KNJIZBE"), 900);
        EXPECT_EQ(stevilo("SELECT COUNT(*) FROM OSB"), 20000);
        EXPECT_EQ(stevilo("SELECT COUNT(*) FROM SIFKONT"), 2000);
        for (const char* ni :
             {"SELECT COUNT(*) FROM KNJIZBE K LEFT JOIN DOG D ON K.IDMASTER=D.IDDOG WHERE D.IDDOG IS NULL",
              "SELECT COUNT(*) FROM KNJIZBE K LEFT JOIN OSB O ON K.PARTNER=O.SFOSB WHERE O.SFOSB IS NULL",
              "SELECT COUNT(*) FROM KNJIZBE K LEFT JOIN SFVP V ON K.VP=V.SFVP WHERE V.SFVP IS NULL",
              "SELECT COUNT(*) FROM KNJIZBE K LEFT JOIN SIFKONT S ON K.KONTO=S.CTRL WHERE S.CTRL IS NULL",
              "SELECT COUNT(*) FROM POG WHERE SFORG IS NULL", "SELECT COUNT(*) FROM KNJIZBE WHERE LENGTH(TEKST)<>60"})
            EXPECT_EQ(stevilo(ni), 0) << ni;
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("siroka"));

    i = zazeniBatch({QStringLiteral("demo"), QStringLiteral("--database"), dir.filePath(QStringLiteral("x.sqlite")),
                     QStringLiteral("--aliases"), dir.filePath(QStringLiteral("x.ini")), QStringLiteral("--shape"),
                     QStringLiteral("siroka")});
    EXPECT_EQ(i.koda, 2);
    EXPECT_TRUE(i.napake.contains(QStringLiteral("--shape je demo ali wide: siroka"))) << i.napake.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("x.sqlite"))));
}
