#include "nastavitve.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct PrimerBranja {
    const char* ime;
    const char* vsebina; // nullptr: no file
    const char* mesecni;
    const char* zok;
    bool poljeNastavljeno;
};

class BranjeNastavitev : public ::testing::TestWithParam<PrimerBranja> {};

void PrintTo(const PrimerBranja& p, std::ostream* os) { *os << p.ime; }

QString sep() { return QString(QDir::separator()); }

} // namespace

TEST_P(BranjeNastavitev, ReadsTwoLinesAndAddsTheSeparatorToLineOneOnly)
{
    const PrimerBranja& p = GetParam();
    QTemporaryDir dir;
    qputenv("LEDGXFER_HOME", dir.path().toUtf8());
    if (p.vsebina) {
        QFile f(dir.filePath(QStringLiteral("LEDGXFER.INI")));
        f.open(QIODevice::WriteOnly);
        f.write(p.vsebina);
    }
    Izvajanje v;
    QString polje = QStringLiteral("nespremenjeno");
    const bool prebrano = preberiNastavitve(v, polje);
    EXPECT_EQ(prebrano, p.vsebina != nullptr);
    QString mesecni = QString::fromUtf8(p.mesecni);
    mesecni.replace(u'|', sep());
    EXPECT_EQ(v.MesecniDirektorij, mesecni);
    EXPECT_EQ(v.ZokIzhodnaDatoteka, QString::fromUtf8(p.zok));
    EXPECT_EQ(polje, p.poljeNastavljeno ? QString::fromUtf8(p.zok) : QStringLiteral("nespremenjeno"));
    qunsetenv("LEDGXFER_HOME");
}

// '|' in the expected folder stands for the platform separator.
INSTANTIATE_TEST_SUITE_P(
    Primeri, BranjeNastavitev,
    ::testing::Values(PrimerBranja{"NoFile", nullptr, "", "", false}, PrimerBranja{"EmptyFile", "", "", "", true},
                      PrimerBranja{"OneLine", "/izvoz/gk/\r\n", "/izvoz/gk/", "", true},
                      PrimerBranja{"NoTrailingSeparator", "/izvoz/gk\r\n/zok/ZOKDLL.TXT\r\n", "/izvoz/gk|",
                                   "/zok/ZOKDLL.TXT", true},
                      PrimerBranja{"ExtraLinesIgnored", "/a/\r\n/b/Z.TXT\r\nodvec\r\nse\r\n", "/a/", "/b/Z.TXT", true},
                      PrimerBranja{"EmptyFirstLineStaysEmpty", "\r\n/b/Z.TXT\r\n", "", "/b/Z.TXT", true},
                      PrimerBranja{"BareLineFeeds", "/a/\n/b/Z.TXT\n", "/a/", "/b/Z.TXT", true},
                      PrimerBranja{"LastLineWithoutEnd", "/a/\r\n/b/Z.TXT", "/a/", "/b/Z.TXT", true},
                      PrimerBranja{"Windows1250Letters",
                                   "/izvoz/\xC8"
                                   "rna/\r\n/\x9E"
                                   "i\x9E"
                                   "a/Z.TXT\r\n",
                                   "/izvoz/Črna/", "/žiža/Z.TXT", true}),
    [](const auto& info) { return std::string(info.param.ime); });

TEST(PisanjeNastavitev, WritesExactlyTwoCrLfLinesInWindows1250AndDropsExtraLines)
{
    QTemporaryDir dir;
    qputenv("LEDGXFER_HOME", dir.path().toUtf8());
    const QString pot = dir.filePath(QStringLiteral("LEDGXFER.INI"));
    {
        QFile f(pot);
        f.open(QIODevice::WriteOnly);
        f.write("/stara/\r\n/x.txt\r\ntretja\r\n");
    }
    Izvajanje v;
    QString polje;
    preberiNastavitve(v, polje);
    v.MesecniDirektorij = QStringLiteral("/izvoz/Čas/");
    EXPECT_EQ(zapisiNastavitve(v), QString());
    QFile f(pot);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("/izvoz/\xC8"
                                      "as/\r\n/x.txt\r\n"));
    qunsetenv("LEDGXFER_HOME");
}

// An unwritable place does not stop the caller; the message names the file and the
// reason, and the missing folder is not made.
TEST(PisanjeNastavitev, UnwritablePlaceIsReturnedNotThrown)
{
    qputenv("LEDGXFER_HOME", "/nonexistent/folder/for/ledgxfer");
    Izvajanje v;
    v.MesecniDirektorij = QStringLiteral("/a/");
    QString sporocilo;
    EXPECT_NO_THROW(sporocilo = zapisiNastavitve(v));
    EXPECT_TRUE(sporocilo.startsWith(
        QStringLiteral("Nastavitev ni mogoče zapisati v ")
        + QDir::toNativeSeparators(QStringLiteral("/nonexistent/folder/for/ledgxfer/LEDGXFER.INI : "))))
        << sporocilo.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/nonexistent/folder")));
    qunsetenv("LEDGXFER_HOME");
}

// The settings file is replaced in one step; a settings file that is a symbolic link
// is not followed: the file it points to stays as it was.
TEST(PisanjeNastavitev, SymbolicLinkIsNotFollowed)
{
    QTemporaryDir dir;
    qputenv("LEDGXFER_HOME", dir.path().toUtf8());
    const QString tuja = dir.filePath(QStringLiteral("tuja.txt"));
    {
        QFile f(tuja);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("tuja vsebina\r\n");
    }
    ASSERT_TRUE(QFile::link(tuja, dir.filePath(QStringLiteral("LEDGXFER.INI"))));
    Izvajanje v;
    v.MesecniDirektorij = QStringLiteral("/a/");
    zapisiNastavitve(v);
    QFile f(tuja);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("tuja vsebina\r\n"));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("LEDGXFER.INI"))).isSymLink());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(),
              2);
    qunsetenv("LEDGXFER_HOME");
}

// The settings writer goes through the output guard: where the settings file's name is
// an open database's file, the settings are not written over it, and the book can still
// be opened afresh.
TEST(PisanjeNastavitev, AnOpenDatabasesFileIsNotReplaced)
{
    QTemporaryDir dir;
    qputenv("LEDGXFER_HOME", dir.path().toUtf8());
    const QString baza = dir.filePath(QStringLiteral("LEDGXFER.INI"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("nastavitve"));
        db.setDatabaseName(baza);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE t (a INTEGER)")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO t VALUES (7)")));
    }
    Izvajanje v;
    v.MesecniDirektorij = QStringLiteral("/a/");
    zapisiNastavitve(v);
    {
        QSqlDatabase druga = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("nastavitve2"));
        druga.setDatabaseName(baza);
        ASSERT_TRUE(druga.open());
        QSqlQuery q(druga);
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT a FROM t")) && q.next()) << q.lastError().text().toStdString();
        EXPECT_EQ(q.value(0).toInt(), 7);
    }
    for (const char* ime : {"nastavitve", "nastavitve2"}) {
        QSqlDatabase::database(QString::fromLatin1(ime), false).close();
        QSqlDatabase::removeDatabase(QString::fromLatin1(ime));
    }
    qunsetenv("LEDGXFER_HOME");
}

// A settings file that is no regular file of its size (a FIFO, which would make the
// program wait for ever before its window, or a huge file) is left unread: the values
// stay empty, as without a settings file, and nothing waits.
TEST(BranjeNastavitevMeje, AFifoOrAHugeFileIsNotRead)
{
    QTemporaryDir dir;
    qputenv("LEDGXFER_HOME", dir.path().toUtf8());
    const QString pot = potNastavitev();
    for (const bool cev : {true, false}) {
        QFile::remove(pot);
        if (cev) {
            ASSERT_EQ(::mkfifo(QFile::encodeName(pot).constData(), 0600), 0);
        } else {
            QFile f(pot);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("/mapa/\r\n");
            f.resize(qint64(8) << 20);
        }
        Izvajanje v;
        QString zok;
        EXPECT_FALSE(preberiNastavitve(v, zok)) << (cev ? "FIFO" : "huge file");
        EXPECT_TRUE(v.MesecniDirektorij.isEmpty());
    }
    qunsetenv("LEDGXFER_HOME");
}
