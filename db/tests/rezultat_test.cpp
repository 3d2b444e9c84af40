#include "napaka.h"
#include "rezultat.h"

#include <QLocale>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

class RezultatTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("rezultat"));
        db.setDatabaseName(QStringLiteral(":memory:"));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        q.exec(QStringLiteral("CREATE TABLE K (DATUMK DATE, KONTO VARCHAR(10), BZNESEK DOUBLE)"));
        q.exec(QStringLiteral("INSERT INTO K VALUES ('2018-01-02','1100',1234.5),"
                              "('2018-01-03','1200',NULL),('2018-01-04','1300',-0.005)"));
    }
    void TearDown() override
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("rezultat"));
    }
    QSqlDatabase db;
};

} // namespace

TEST_F(RezultatTest, NavigatesCountsAndReadsFieldsWithoutRegardToCase)
{
    QLocale::setDefault(QLocale(QLocale::Slovenian, QLocale::Slovenia));
    Rezultat r;
    QSignalSpy spremembe(&r, &Rezultat::spremenjen);
    r.odpri(db, QStringLiteral("SELECT * FROM K WHERE DATUMK>=:DATUM1 ORDER BY DATUMK"),
            {{QStringLiteral("Datum1"), QDate(2018, 1, 3)}});
    EXPECT_EQ(spremembe.count(), 1);
    EXPECT_EQ(r.steviloVrstic(), 2);
    EXPECT_EQ(r.trenutnaVrstica(), 0);
    EXPECT_EQ(r.polje(QStringLiteral("konto")).toString(), QStringLiteral("1200"));
    EXPECT_TRUE(r.polje(QStringLiteral("BZNESEK")).isNull());

    // The walk of the list-finishing pass: to the last row, then back to the first.
    ASSERT_TRUE(r.zadnji());
    EXPECT_TRUE(r.prejsnji());
    EXPECT_FALSE(r.prejsnji());
    EXPECT_EQ(r.trenutnaVrstica(), 0);

    r.nastaviPrikaz(QStringLiteral("BZnesek"), {13, QStringLiteral("####0.00"), QString()});
    EXPECT_EQ(r.prikaz(2).sirina, 13);
    EXPECT_EQ(r.prikaz(2).format, QStringLiteral("####0.00"));
    EXPECT_DOUBLE_EQ(r.vrednost(1, 2).toDouble(), -0.005);
    EXPECT_EQ(r.trenutnaVrstica(), 0) << "reading a cell keeps the current row";
    EXPECT_THROW(r.polje(QStringLiteral("NI")), Napaka);

    r.zapri();
    EXPECT_FALSE(r.jeOdprt());
    EXPECT_EQ(r.steviloVrstic(), 0);
    QLocale::setDefault(QLocale::c());
}

TEST_F(RezultatTest, RefusedStatementThrowsAndLeavesTheResultClosed)
{
    Rezultat r;
    r.odpri(db, QStringLiteral("SELECT * FROM K"));
    EXPECT_THROW(r.odpri(db, QStringLiteral("SELECT * FROM NI")), Napaka);
    EXPECT_FALSE(r.jeOdprt());
}
