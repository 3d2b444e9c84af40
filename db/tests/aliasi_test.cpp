#include "aliasi.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <functional>
#include <sys/stat.h>

#include <functional>

namespace {

QString zapisi(const QTemporaryDir& dir, const QByteArray& vsebina)
{
    const QString pot = dir.filePath(QStringLiteral("aliases.ini"));
    QFile f(pot);
    f.open(QIODevice::WriteOnly);
    f.write(vsebina);
    return pot;
}

} // namespace

TEST(Aliasi, ReadsSectionsWithInlineCommentsAndResolvesSqliteFiles)
{
    QTemporaryDir dir;
    const QString pot = zapisi(dir, "; leading comment\n"
                                    "[LB]\n"
                                    "driver=sqlite          ; sqlite | postgresql | odbc\n"
                                    "database=ledger.sqlite ; relative to this file\n"
                                    "user=\n"
                                    "\n"
                                    "[Produkcija]\r\n"
                                    "driver=PostgreSQL\r\n"
                                    "database=glavna\r\n"
                                    "host=127.0.0.1\r\n"
                                    "port=5433\r\n"
                                    "user=knjigovodja\r\n"
                                    "password=\"a;b#c\"\r\n");
    const Aliasi a = Aliasi::preberi(pot);

    const auto lb = a.najdi(QStringLiteral("LB"));
    ASSERT_TRUE(lb.has_value());
    EXPECT_EQ(lb->driver, QStringLiteral("sqlite"));
    EXPECT_EQ(lb->database, QDir(dir.path()).absoluteFilePath(QStringLiteral("ledger.sqlite")));
    EXPECT_TRUE(lb->user.isEmpty());

    // Alias names are matched without regard to case; a quoted value keeps its ';' and '#'.
    const auto p = a.najdi(QStringLiteral("PRODUKCIJA"));
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->driver, QStringLiteral("postgresql"));
    EXPECT_EQ(p->database, QStringLiteral("glavna"));
    EXPECT_EQ(p->host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(p->port, 5433);
    EXPECT_EQ(p->password, QStringLiteral("a;b#c"));

    EXPECT_FALSE(a.najdi(QStringLiteral("C:\\baze\\LB")).has_value());
}

TEST(Aliasi, MissingFileHasNoAliases)
{
    EXPECT_FALSE(Aliasi::preberi(QStringLiteral("/nonexistent/aliases.ini")).najdi(QStringLiteral("LB")).has_value());
}

// What an INI reader does to the values of an aliases file: each case is one file, one
// alias and one field of it.
// Only a regular file of an aliases file's size is read: a FIFO in its place is
// refused at once (never waited on), and so are a device and a huge file, each with
// the reason; nothing of them is taken for aliases.
TEST(Aliasi, OnlyARegularFileOfItsSizeIsRead)
{
    QTemporaryDir dir;
    const struct {
        const char* ime;
        std::function<QString()> pripravi;
        const char* razlog;
    } primeri[] = {
        {"fifo",
         [&] {
             const QString pot = dir.filePath(QStringLiteral("cev.ini"));
             ::mkfifo(QFile::encodeName(pot).constData(), 0600);
             return pot;
         },
         "FIFO"},
        {"naprava", [] { return QStringLiteral("/dev/zero"); }, "naprava"},
        {"velika",
         [&] {
             QFile f(dir.filePath(QStringLiteral("velika.ini")));
             if (f.open(QIODevice::WriteOnly))
                 f.resize(qint64(64) << 20);
             return f.fileName();
         },
         "bajtov"},
    };
    for (const auto& p : primeri) {
        SCOPED_TRACE(p.ime);
        const Aliasi a = Aliasi::preberi(p.pripravi());
        EXPECT_FALSE(a.najdi(QStringLiteral("LB")).has_value());
        EXPECT_TRUE(a.napakaBranja().contains(QString::fromUtf8(p.razlog))) << a.napakaBranja().toStdString();
    }
}

TEST(Aliasi, ReadsTheValuesAnIniFileCanHold)
{
    struct Primer {
        const char* opis;
        QByteArray vsebina;
        const char* alias;
        std::function<QString(const Alias&)> polje;
        QString pricakovano;
    };
    const auto geslo = [](const Alias& a) { return a.password; };
    const Primer primeri[] = {
        {"commas unquoted", "[A]\npassword=a,b,,c\n", "A", geslo, QStringLiteral("a,b,,c")},
        {"a trailing comma", "[A]\npassword=ab,\n", "A", geslo, QStringLiteral("ab,")},
        {"commas and blanks quoted", "[A]\npassword=\"a, b\"\n", "A", geslo, QStringLiteral("a, b")},
        {"backslashes quoted", "[A]\npassword=\"C:\\\\baze\\\\x\"\n", "A", geslo, QStringLiteral("C:\\baze\\x")},
        {"a quote inside", "[A]\npassword=\"pass\\\"word\"\n", "A", geslo, QStringLiteral("pass\"word")},
        {"a percent sign", "[A]\npassword=50%41\n", "A", geslo, QStringLiteral("50%41")},
        {"a comment after a quoted value", "[A]\npassword=\"x;y\" ; komentar\n", "A", geslo, QStringLiteral("x;y")},
        {"a '#' line is a comment", "[A]\n# password=staro\npassword=novo\n", "A", geslo, QStringLiteral("novo")},
        {"key case and blanks around '='", "[A]\n  DRIVER = PostgreSQL   ; komentar\n", "A",
         [](const Alias& a) { return a.driver; }, QStringLiteral("postgresql")},
        {"a further key with a blank", "[A]\nMoja Nastavitev = da\n", "A",
         [](const Alias& a) { return a.ostalo.value(QStringLiteral("moja nastavitev")); }, QStringLiteral("da")},
        {"a port", "[A]\nport = 5433\n", "A", [](const Alias& a) { return QString::number(a.port); },
         QStringLiteral("5433")},
        {"a port that is no number", "[A]\nport=54x\n", "A", [](const Alias& a) { return QString::number(a.port); },
         QStringLiteral("0")},
        {"a section named with '/'", "[Banka/Test]\ndriver=odbc\n", "banka/test",
         [](const Alias& a) { return a.ime + u' ' + a.driver; }, QStringLiteral("Banka/Test odbc")},
        {"a section named General", "[General]\ndriver=odbc\n[B]\ndriver=sqlite\n", "GENERAL",
         [](const Alias& a) { return a.driver; }, QStringLiteral("odbc")},
    };
    for (const Primer& p : primeri) {
        QTemporaryDir dir;
        const Aliasi a = Aliasi::preberi(zapisi(dir, p.vsebina));
        const auto alias = a.najdi(QString::fromUtf8(p.alias));
        ASSERT_TRUE(alias.has_value()) << p.opis;
        EXPECT_EQ(p.polje(*alias), p.pricakovano) << p.opis;
        EXPECT_TRUE(a.napakaBranja().isEmpty()) << p.opis;
    }
}

// A quote without its pair runs on over the following lines: the alias it opened and
// those it swallowed are not taken for valid, and the reason is kept for the message
// of the failed connection.
TEST(Aliasi, AnUnclosedQuoteTakesItsAliasOutAndSaysWhy)
{
    QTemporaryDir dir;
    const Aliasi a = Aliasi::preberi(zapisi(dir, "[A]\ndriver=sqlite\n"
                                                 "[X]\ndriver=postgresql\npassword=pass\"word\nhost=streznik\n"
                                                 "[Y]\ndriver=sqlite\n"));
    EXPECT_TRUE(a.najdi(QStringLiteral("A")).has_value());
    EXPECT_FALSE(a.najdi(QStringLiteral("X")).has_value());
    EXPECT_FALSE(a.najdi(QStringLiteral("Y")).has_value());
    EXPECT_EQ(a.napakaBranja(), QStringLiteral("narekovaj v vrednosti password aliasa X ni zaprt"));
}

// Files written for the earlier reader keep ODBC connection strings and passwords with
// ';' unquoted and comments after " #"; values are read whole, up to a comment that
// follows a blank.
TEST(Aliasi, UnquotedValuesWithSemicolonsAreReadWholeAsBefore)
{
    QTemporaryDir dir;
    const QString pot =
        zapisi(dir, "[DB2]\n"
                    "driver=odbc\n"
                    "database=DRIVER={IBM DB2 ODBC DRIVER};DATABASE=GLAVNA;HOSTNAME=db2;PORT=50000 ; production\n"
                    "password=a;b\n"
                    "user=ana ; the clerk\n"
                    "host=db2 # the server\n"
                    "port=   ; none\n");
    const std::optional<Alias> a = Aliasi::preberi(pot).najdi(QStringLiteral("db2"));
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->database, QStringLiteral("DRIVER={IBM DB2 ODBC DRIVER};DATABASE=GLAVNA;HOSTNAME=db2;PORT=50000"));
    EXPECT_EQ(a->password, QStringLiteral("a;b"));
    EXPECT_EQ(a->user, QStringLiteral("ana"));
    EXPECT_EQ(a->host, QStringLiteral("db2"));
    EXPECT_EQ(a->port, 0);
}
