#include "aliasi.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    const QString pot = zapisi(dir,
        "; leading comment\n"
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
        "password=a;b#c\r\n");
    const Aliasi a = Aliasi::preberi(pot);

    const auto lb = a.najdi(QStringLiteral("LB"));
    ASSERT_TRUE(lb.has_value());
    EXPECT_EQ(lb->driver, QStringLiteral("sqlite"));
    EXPECT_EQ(lb->database, QDir(dir.path()).absoluteFilePath(QStringLiteral("ledger.sqlite")));
    EXPECT_TRUE(lb->user.isEmpty());

    // Alias names are matched without regard to case; a ';' inside a value stays.
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
    EXPECT_FALSE(Aliasi::preberi(QStringLiteral("/nonexistent/aliases.ini"))
                     .najdi(QStringLiteral("LB")).has_value());
}
