#include "belezenje.h"
#include "izpis.h"
#include "varovanjeizhoda.h"
#include "vhodnadatoteka.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void zapisi(const QString& pot, const QByteArray& vsebina)
{
    QFile f(pot);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(vsebina);
}

QByteArray preberi(const QString& pot)
{
    QFile f(pot);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<ni>");
}

// --- The output guard -----------------------------------------------------------

// The application directory holds the program's own files; the database "knjiga.sqlite"
// is open in write-ahead logging, so its -wal and -shm exist.
class VarovanjeIzhoda : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkdir(QStringLiteral("app"));
        QDir(dir.path()).mkdir(QStringLiteral("izvoz"));
        qputenv("LEDGXFER_HOME", app().toUtf8());
        qputenv("LEDGXFER_ALIASES", (dir.path() + QStringLiteral("/aliasi.ini")).toUtf8());
        zapisi(dir.path() + QStringLiteral("/aliasi.ini"), "[LB]\ndriver=sqlite\n");
        zapisi(app() + QStringLiteral("ZokDll.db"), "tabela");
        zapisi(app() + QStringLiteral("LEDGXFER.INI"), "\r\n\r\n");
        zapisi(dir.path() + QStringLiteral("/vhod.txt"), "vhod");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("varovanje"));
            db.setDatabaseName(dir.path() + QStringLiteral("/knjiga.sqlite"));
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA journal_mode=WAL")));
            ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE t (a INTEGER)")));
        }
    }
    void TearDown() override
    {
        QSqlDatabase::database(QStringLiteral("varovanje"), false).close();
        QSqlDatabase::removeDatabase(QStringLiteral("varovanje"));
        qunsetenv("LEDGXFER_HOME");
        qunsetenv("LEDGXFER_ALIASES");
    }
    QString app() const { return dir.path() + QStringLiteral("/app/"); }
    QTemporaryDir dir;
};

struct IzhodCase {
    const char* ime;
    const char* pot;         // relative to the test folder
    const char* razlog;      // part of the refusal; empty: accepted
    const char* lastna = ""; // the program's own file the writer is for
};

void PrintTo(const IzhodCase& c, std::ostream* os) { *os << c.ime; }

class VarovanjeIzhodaPoti : public VarovanjeIzhoda, public ::testing::WithParamInterface<IzhodCase> {};

// The database's files, the program's own files and the command's input are refused
// under any name that leads to them; other paths are accepted, and the check leaves
// every file as it was.
TEST_P(VarovanjeIzhodaPoti, zavrneDatotekeBazeProgramaInVhoda)
{
    const IzhodCase& c = GetParam();
    ASSERT_EQ(::link(QFile::encodeName(dir.path() + QStringLiteral("/knjiga.sqlite")).constData(),
                     QFile::encodeName(dir.path() + QStringLiteral("/izvoz/trda.txt")).constData()),
              0);
    const QString pot = dir.path() + u'/' + QString::fromUtf8(c.pot);
    const QString lastna = *c.lastna ? dir.path() + u'/' + QString::fromUtf8(c.lastna) : QString();
    const QByteArray prej = preberi(pot);

    const auto zakaj = zavrnitevIzhoda(pot, QSqlDatabase(), {dir.path() + QStringLiteral("/vhod.txt")}, lastna);
    if (*c.razlog) {
        ASSERT_TRUE(zakaj.has_value());
        EXPECT_TRUE(zakaj->contains(QString::fromUtf8(c.razlog))) << zakaj->toStdString();
    } else {
        EXPECT_FALSE(zakaj.has_value()) << zakaj->toStdString();
    }
    EXPECT_EQ(preberi(pot), prej);
}

INSTANTIATE_TEST_SUITE_P(
    Poti, VarovanjeIzhodaPoti,
    ::testing::Values(
        IzhodCase{"baza", "knjiga.sqlite", "baze podatkov"}, IzhodCase{"wal", "knjiga.sqlite-wal", "baze podatkov"},
        IzhodCase{"shm", "knjiga.sqlite-shm", "baze podatkov"},
        IzhodCase{"journal_se_ni", "knjiga.sqlite-journal", "baze podatkov"},
        IzhodCase{"baza_skozi_mapo_nazaj", "izvoz/../knjiga.sqlite", "baze podatkov"},
        IzhodCase{"trda_povezava_na_bazo", "izvoz/trda.txt", "baze podatkov"},
        IzhodCase{"vhod_ukaza", "izvoz/../vhod.txt", "ukaz bere"}, IzhodCase{"zokdll", "app/ZOKDLL.DB", "programa"},
        IzhodCase{"zokdll_v_drugih_crkah", "app/ZokDll.db", "programa"},
        IzhodCase{"nastavitve", "app/LEDGXFER.INI", "programa"}, IzhodCase{"dnevnik", "app/ledgxfer.log", "programa"},
        IzhodCase{"aliasi", "aliasi.ini", "programa"},
        IzhodCase{"nastavitve_za_pisca_nastavitev", "app/LEDGXFER.INI", "", "app/LEDGXFER.INI"},
        IzhodCase{"navadna_datoteka", "izvoz/OSB.TXT", ""},
        IzhodCase{"ime_kot_baza_v_drugi_mapi", "izvoz/knjiga.sqlite", ""}),
    PoImenu());

// --- Bounded inputs ---------------------------------------------------------------

struct VhodCase {
    const char* ime;
    std::function<QString(const QString& mapa)> pripravi;
    qint64 najvec;
    const char* razlog; // part of the refusal; empty: read
};

void PrintTo(const VhodCase& c, std::ostream* os) { *os << c.ime; }

class OmejenVhod : public ::testing::TestWithParam<VhodCase> {};

// An input is read only as a regular file within its bound; a device, a FIFO and a
// huge sparse file are refused at once, without reading them and without waiting.
TEST_P(OmejenVhod, beremLeNavadnoDatotekoVMeji)
{
    QTemporaryDir dir;
    const QString pot = GetParam().pripravi(dir.path());
    QElapsedTimer cas;
    cas.start();
    QString razlog;
    const std::optional<QByteArray> bajti = preberiVhodnoDatoteko(pot, GetParam().najvec, razlog);
    EXPECT_LT(cas.elapsed(), 5000);
    if (*GetParam().razlog) {
        EXPECT_FALSE(bajti.has_value());
        EXPECT_TRUE(razlog.contains(QString::fromUtf8(GetParam().razlog))) << razlog.toStdString();
    } else {
        ASSERT_TRUE(bajti.has_value()) << razlog.toStdString();
        EXPECT_EQ(*bajti, QByteArray("vsebina"));
    }
}

QString vMapi(const QString& mapa, const char* ime) { return mapa + u'/' + QString::fromUtf8(ime); }

INSTANTIATE_TEST_SUITE_P(Vhodi, OmejenVhod,
                         ::testing::Values(VhodCase{"navadna",
                                                    [](const QString& m) {
                                                        zapisi(vMapi(m, "a"), "vsebina");
                                                        return vMapi(m, "a");
                                                    },
                                                    7, ""},
                                           VhodCase{"povezava_na_navadno",
                                                    [](const QString& m) {
                                                        zapisi(vMapi(m, "a"), "vsebina");
                                                        QFile::link(vMapi(m, "a"), vMapi(m, "b"));
                                                        return vMapi(m, "b");
                                                    },
                                                    100, ""},
                                           VhodCase{"vecja_od_meje",
                                                    [](const QString& m) {
                                                        zapisi(vMapi(m, "a"), "vsebina");
                                                        return vMapi(m, "a");
                                                    },
                                                    6, "največ dovoljenih je 6"},
                                           VhodCase{"povezava_na_dev_zero",
                                                    [](const QString& m) {
                                                        QFile::link(QStringLiteral("/dev/zero"), vMapi(m, "ZOKDLL.DB"));
                                                        return vMapi(m, "ZOKDLL.DB");
                                                    },
                                                    1 << 20, "naprava"},
                                           VhodCase{"fifo_brez_pisca",
                                                    [](const QString& m) {
                                                        ::mkfifo(QFile::encodeName(vMapi(m, "cev")).constData(), 0600);
                                                        return vMapi(m, "cev");
                                                    },
                                                    1 << 20, "FIFO"},
                                           VhodCase{"redka_datoteka_5_GB",
                                                    [](const QString& m) {
                                                        QFile f(vMapi(m, "redka"));
                                                        if (f.open(QIODevice::WriteOnly))
                                                            f.resize(qint64(5) << 30);
                                                        return vMapi(m, "redka");
                                                    },
                                                    qint64(1) << 30, "5368709120 bajtov"},
                                           VhodCase{"mapa", [](const QString& m) { return m; }, 1 << 20, "mapa"},
                                           VhodCase{"ni_datoteke", [](const QString& m) { return vMapi(m, "ni"); },
                                                    1 << 20, "No such file"}),
                         PoImenu());

// --- The log file -----------------------------------------------------------------

struct DnevnikCase {
    const char* ime;
    std::function<void(const QString& pot, const QString& mapa)> pripravi;
    bool zapisan; // the line reaches the log file
};

void PrintTo(const DnevnikCase& c, std::ostream* os) { *os << c.ime; }

class DnevnikDatoteka : public ::testing::TestWithParam<DnevnikCase> {
protected:
    void TearDown() override { belezenje::namesti(); }
};

// The log is appended to a regular file of its own only: a symbolic link is not
// followed (its target stays as it was), a FIFO does not stop the program, and a new
// log is readable by its owner only.
TEST_P(DnevnikDatoteka, leNavadnaDatotekaSamoZaLastnika)
{
    QTemporaryDir dir;
    const QString pot = dir.filePath(QStringLiteral("ledgxfer.log"));
    zapisi(dir.filePath(QStringLiteral("cilj.txt")), "cilj\n");
    GetParam().pripravi(pot, dir.path());

    QElapsedTimer cas;
    cas.start();
    belezenje::namesti(pot);
    qCWarning(lcDb) << "poskusna vrstica";
    belezenje::namesti();
    EXPECT_LT(cas.elapsed(), 5000);

    EXPECT_EQ(preberi(dir.filePath(QStringLiteral("cilj.txt"))), QByteArray("cilj\n"));
    if (GetParam().zapisan) {
        EXPECT_TRUE(preberi(pot).contains("poskusna vrstica"));
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(pot).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Dnevniki, DnevnikDatoteka,
    ::testing::Values(
        DnevnikCase{"nov", [](const QString&, const QString&) {}, true},
        DnevnikCase{"obstojec_berljiv_vsem",
                    [](const QString& p, const QString&) {
                        zapisi(p, "prej\n");
                        QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther
                                                     | QFile::ReadGroup);
                    },
                    true},
        DnevnikCase{"simbolna_povezava",
                    [](const QString& p, const QString& m) { QFile::link(m + QStringLiteral("/cilj.txt"), p); }, false},
        DnevnikCase{"fifo", [](const QString& p, const QString&) { ::mkfifo(QFile::encodeName(p).constData(), 0600); },
                    false}),
    PoImenu());

// Every log line, on standard error and in the log file alike, is
// "YYYY-MM-DD HH:MM:SS.zzz category level: text" in the local time of its writing;
// a message without a category of its own is under "default".
TEST(Dnevnik, EveryLineIsTimeCategoryLevelAndText)
{
    QTemporaryDir dir;
    const QString pot = dir.filePath(QStringLiteral("ledgxfer.log"));
    const QDateTime prej = QDateTime::currentDateTime().addMSecs(-1);
    belezenje::namesti(pot);
    qCWarning(lcDb).noquote() << "prva vrstica: č";
    qCInfo(lcTransfer).noquote() << "druga";
    qCCritical(lcCli).noquote() << "tretja";
    qWarning().noquote() << "brez kategorije";
    belezenje::namesti();
    const QDateTime potem = QDateTime::currentDateTime().addMSecs(1);

    const QList<QByteArray> vrstice = preberi(pot).split('\n');
    const QList<QByteArray> besedila = {"ledgxfer.db warning: prva vrstica: \xc4\x8d", "ledgxfer.transfer info: druga",
                                        "ledgxfer.cli critical: tretja", "default warning: brez kategorije", ""};
    ASSERT_EQ(vrstice.size(), besedila.size()) << preberi(pot).toStdString();
    for (qsizetype i = 0; i + 1 < vrstice.size(); ++i) {
        const QByteArray& v = vrstice.at(i);
        ASSERT_GT(v.size(), 24) << v.toStdString();
        EXPECT_EQ(v.mid(23, 1), " ") << v.toStdString();
        const QDateTime cas =
            QDateTime::fromString(QString::fromLatin1(v.left(23)), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        EXPECT_TRUE(cas.isValid() && cas >= prej && cas <= potem) << v.toStdString();
        EXPECT_EQ(v.mid(24), besedila.at(i));
    }
}

} // namespace
