#include "napaka.h"
#include "pogon.h"
#include "rezultat.h"
#include "testnabaza.h"

#include <QLocale>
#include <algorithm>
#include <vector>
#include <cmath>
#include <cstring>
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

// The one-directional result reads SQLite's statement itself; every field must come out
// as the driver gives it, whatever storage class the engine holds it in.
TEST_F(RezultatTest, OneDirectionalResultReadsEveryValueAsTheDriverDoes)
{
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE V (ZAP INTEGER, D DATE, T VARCHAR(10), N INTEGER, R DOUBLE)")));
    ASSERT_TRUE(q.exec(QStringLiteral(
        "INSERT INTO V VALUES (1, '2018-01-02', 'abc', 5, 1.5), (2, NULL, NULL, NULL, NULL),"
        " (3, ' 2018-01-03 ', 'ščž', '12abc', '2.25x'), (4, '2018-13-01', '', 7.9, 3),"
        " (5, '0000-01-01', 'x', 9223372036854775807, -0.0), (6, '2018-01-05T10:00', '1e3', 1e20, 1e300),"
        " (7, 20180106, X'00ff', ' 42 ', ''), (8, '2018-1-7', 12.5, '3.7', '1,5'),"
        " (9, '2018-02-30', 42, -7, 'inf'), (10, '99999-01-01', ' T ', 2.0, 1e-320)")));
    const QString sql = QStringLiteral("SELECT D, T, N, R, ZAP FROM V WHERE ZAP>=:OD ORDER BY ZAP");
    const QVariantMap parametri{{QStringLiteral("od"), 1}};

    Rezultat gonilnik; // the driver's reading, scrollable
    gonilnik.odpri(db, sql, parametri);
    Rezultat naprej;
    naprej.odpri(db, sql, parametri, true);
    ASSERT_TRUE(naprej.samoNaprej());
    ASSERT_EQ(naprej.steviloStolpcev(), 5);
    EXPECT_EQ(naprej.imeStolpca(1), QStringLiteral("T"));
    EXPECT_EQ(naprej.indeksStolpca(QStringLiteral("zap")), 4);

    int vrstic = 0;
    for (bool je = !naprej.eof(); je; je = naprej.naslednji(), gonilnik.naslednji()) {
        ASSERT_FALSE(gonilnik.eof());
        ++vrstic;
        EXPECT_EQ(naprej.trenutnaVrstica(), gonilnik.trenutnaVrstica());
        for (int s = 0; s < 4; ++s) {
            SCOPED_TRACE(QStringLiteral("vrstica %1, stolpec %2").arg(vrstic).arg(s).toStdString());
            const QVariant a = naprej.vrednost(naprej.trenutnaVrstica(), s);
            const QVariant b = gonilnik.vrednost(gonilnik.trenutnaVrstica(), s);
            EXPECT_EQ(a.isNull(), b.isNull());
            EXPECT_EQ(a.typeId(), b.typeId());
            EXPECT_EQ(a, b);
            EXPECT_EQ(naprej.niz(s), gonilnik.niz(s));
            EXPECT_EQ(naprej.celo(s), gonilnik.celo(s));
            const double x = naprej.realno(s);
            const double y = gonilnik.realno(s);
            EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << x << " " << y;
            EXPECT_EQ(naprej.datum(s), gonilnik.datum(s));
        }
    }
    EXPECT_EQ(vrstic, 10);
    EXPECT_TRUE(naprej.napaka().isEmpty());
    EXPECT_FALSE(naprej.naslednji());
    naprej.zapri();
    EXPECT_FALSE(naprej.jeOdprt());
}

// A row the engine fails to produce part way through ends the reading with the
// engine's reason instead of looking like the end of the rows.
TEST_F(RezultatTest, OneDirectionalResultReportsAFailureAfterTheFirstRows)
{
    Rezultat r;
    r.odpri(db,
            QStringLiteral("SELECT DATUMK, CASE WHEN DATUMK>'2018-01-03' THEN abs(-9223372036854775807-1) END X "
                           "FROM K"),
            {}, true);
    ASSERT_FALSE(r.eof());
    EXPECT_TRUE(r.naslednji());
    EXPECT_FALSE(r.naslednji());
    EXPECT_TRUE(r.eof());
    EXPECT_TRUE(r.napaka().contains(QStringLiteral("overflow"))) << r.napaka().toStdString();
    // A statement that fails on its first row fails to open (the sort reads every row).
    EXPECT_THROW(r.odpri(db,
                         QStringLiteral("SELECT DATUMK, CASE WHEN DATUMK>'2018-01-03' THEN abs(-9223372036854775807-1) "
                                        "END X FROM K ORDER BY DATUMK"),
                         {}, true),
                 Napaka);
    EXPECT_FALSE(r.jeOdprt());
}

// On PostgreSQL the cursor's groups are fetched on the driver's own connection; every
// value of every column type read there must come out as the driver gives it.
TEST(RezultatKazalec, CursorReadsEveryValueAsTheDriverDoes)
{
    TestnaBaza b;
    LEDG_PRESKOCI_BREZ_BAZE(b);
    if (b.gonilnik() != QLatin1String("postgresql"))
        GTEST_SKIP() << "the cursor is PostgreSQL's";
    QSqlDatabase db = b.odpri();
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral(
        "CREATE TABLE V (ZAP INTEGER, I2 SMALLINT, I8 BIGINT, F4 REAL, F8 DOUBLE PRECISION, NU NUMERIC(18,4),"
        " NN NUMERIC, D DATE, T VARCHAR(20), C CHAR(5), X TEXT)")));
    ASSERT_TRUE(q.exec(QStringLiteral(
        "INSERT INTO V VALUES (1, 7, 9223372036854775807, 1.1, 46.46, 12.3456, 0.1, '2018-01-31', 'abc', 'ab', 'x'),"
        " (2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
        " (3, -32768, -9223372036854775808, 'NaN', 'Infinity', -0.0001, 'NaN', '0044-03-15 BC', 'ščž Đ', '', ''),"
        " (4, 0, 0, '-Infinity', '-Infinity', 99999999999999.9999, 123456789012345678901234.5678901,"
        "  'infinity', ' 12 ', 'T', 'tab\tkonec'),"
        " (5, 1, 1, 3.4e38, 1e-320, 0, 1e-30, '9999-12-31', '12', '1.5', '2018-02-03'),"
        " (6, 2, -5, -0.0, -0.0, 1.5, -2.5e10, '1900-02-28', '0x1A', 'D', '-')")));
    const QString sql = QStringLiteral("SELECT * FROM V WHERE ZAP>=:OD ORDER BY ZAP");
    const QVariantMap parametri{{QStringLiteral("OD"), 1}};

    ASSERT_TRUE(db.transaction());
    Rezultat gonilnik;
    gonilnik.odpri(db, sql, parametri);
    Rezultat kazalec;
    kazalec.odpriKazalec(db, sql, parametri, 4); // groups of four: the second group is read too
    ASSERT_EQ(kazalec.steviloStolpcev(), gonilnik.steviloStolpcev());
    for (int s = 0; s < gonilnik.steviloStolpcev(); ++s) {
        EXPECT_EQ(kazalec.imeStolpca(s), gonilnik.imeStolpca(s));
        EXPECT_EQ(kazalec.dolzinaStolpca(s), gonilnik.dolzinaStolpca(s)) << s;
    }
    EXPECT_EQ(kazalec.indeksStolpca(QStringLiteral("nu")), 5);

    int vrstic = 0;
    for (bool je = !kazalec.eof(); je; je = kazalec.naslednji(), gonilnik.naslednji()) {
        ASSERT_FALSE(gonilnik.eof());
        EXPECT_EQ(kazalec.trenutnaVrstica(), vrstic);
        ++vrstic;
        for (int s = 1; s < gonilnik.steviloStolpcev(); ++s) {
            SCOPED_TRACE(
                QStringLiteral("vrstica %1, stolpec %2").arg(vrstic).arg(gonilnik.imeStolpca(s)).toStdString());
            const QVariant a = kazalec.vrednost(kazalec.trenutnaVrstica(), s);
            const QVariant v = gonilnik.vrednost(gonilnik.trenutnaVrstica(), s);
            EXPECT_EQ(a.isNull(), v.isNull());
            EXPECT_EQ(a.typeId(), v.typeId());
            EXPECT_EQ(a.toString(), v.toString());
            EXPECT_EQ(kazalec.niz(s), gonilnik.niz(s));
            EXPECT_EQ(kazalec.celo(s), gonilnik.celo(s));
            const double x = kazalec.realno(s);
            const double y = gonilnik.realno(s);
            EXPECT_TRUE(std::memcmp(&x, &y, sizeof x) == 0 || (std::isnan(x) && std::isnan(y))) << x << " " << y;
            EXPECT_EQ(kazalec.datum(s), gonilnik.datum(s));
        }
    }
    EXPECT_EQ(vrstic, 6);
    EXPECT_TRUE(kazalec.napaka().isEmpty());
    kazalec.zapri();
    gonilnik.zapri();
    db.rollback();
}

// A statement that runs long calls back as it works, so that a window can repaint: on
// SQLite any statement, on PostgreSQL the groups of a cursor fetched past the driver. A
// grid painted from inside such a call reads nothing of the result being read (it
// would step the same statement again from inside its own step), and the result read
// afterwards is whole. The calls end with their object.
TEST(OdzivnostMedStavkom, ARepaintInsideALongStatementReadsNothingOfTheResultBeingRead)
{
    TestnaBaza b;
    LEDG_PRESKOCI_BREZ_BAZE(b);
    QSqlDatabase db = b.odpri();
    std::unique_ptr<Pogon> pogon = Pogon::za(db);
    Rezultat r;
    int klicev = 0;
    int prebranoMed = 0;
    std::unique_ptr<Pogon::Odzivnost> odzivnost = pogon->odzivnost([&] {
        ++klicev;
        // What the grid asks for when it paints.
        if (r.jeOdprt() && (r.vrednost(0, 1).isValid() || r.vrednost(5000, 1).isValid() || r.steviloVrstic() != 0))
            ++prebranoMed;
    });
    if (!odzivnost)
        GTEST_SKIP() << "no calls back on this engine (the driver waits for the server, or a handle not proven)";

    // 20,000 rows, their key a permutation of 0..19,999, sorted by it.
    const QString sql = QStringLiteral("WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 20000)"
                                       " SELECT I, (I * 7919) % 20000 AS KLJUC FROM N ORDER BY KLJUC");
    if (pogon->beriSKazalcem()) {
        // The run's way on a server: a cursor of a transaction, a group at a time.
        ASSERT_TRUE(db.transaction());
        r.odpriKazalec(db, sql, {}, 1000);
        std::vector<int> kljuci;
        for (bool ima = !r.eof(); ima; ima = r.naslednji()) // as the run reads it
            kljuci.push_back(int(r.celo(1)));
        db.rollback();
        EXPECT_GT(klicev, 0) << "each group fetched calls back";
        EXPECT_EQ(prebranoMed, 0);
        ASSERT_EQ(kljuci.size(), 20000u);
        EXPECT_EQ(kljuci.front(), 0);
        EXPECT_EQ(kljuci.back(), 19999);
        EXPECT_TRUE(std::is_sorted(kljuci.begin(), kljuci.end()));
        r.zapri();
        odzivnost.reset();
        klicev = 0;
        ASSERT_TRUE(db.transaction());
        r.odpriKazalec(db, sql, {}, 1000);
        for (bool ima = !r.eof(); ima; ima = r.naslednji()) {
        }
        db.rollback();
        EXPECT_EQ(klicev, 0);
        return;
    }
    r.odpri(db, sql);
    EXPECT_GT(klicev, 0) << "the sort calls back";
    const int poOdpiranju = klicev;
    EXPECT_EQ(r.steviloVrstic(), 20000);
    EXPECT_GT(klicev, poOdpiranju) << "reading every row calls back with the result open";
    EXPECT_EQ(prebranoMed, 0);
    EXPECT_EQ(r.vrednost(0, 1).toInt(), 0);
    EXPECT_EQ(r.vrednost(19999, 1).toInt(), 19999);
    EXPECT_EQ(r.vrednost(12345, 1).toInt(), 12345);

    odzivnost.reset();
    klicev = 0;
    r.odpri(db, sql);
    EXPECT_EQ(r.steviloVrstic(), 20000);
    EXPECT_EQ(klicev, 0);
}
