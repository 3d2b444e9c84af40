#include "nativno.h"
#include "pogon.h"
#include "spremenljivka.h"
#include "testnabaza.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

struct PrimerPogona {
    const char* gonilnik;          // the test database's engine
    Pogon::Vnos vnos;              // the bulk insert's way, where the handle is proven
    Pogon::Vnos vnosSkoziGonilnik; // with LEDGXFER_NATIVNO=0
    bool kazalec;                  // the run reads through a cursor
    bool vzporedno;                // a one-directional result stays readable beside others
    bool bralnik;                  // a reader past the driver of a one-directional statement
};

void PrintTo(const PrimerPogona& p, std::ostream* os) { *os << p.gonilnik; }

class Pogoni : public ::testing::TestWithParam<PrimerPogona> {};

} // namespace

// Each engine answers for itself, and hands out its ways past the driver only while the
// environment allows them.
TEST_P(Pogoni, EachEngineAnswersForItselfAndHandsOutItsWaysOnlyWhereAllowed)
{
    const PrimerPogona& p = GetParam();
    TestnaBaza b(QStringLiteral("LB"), true, QString::fromLatin1(p.gonilnik));
    LEDG_PRESKOCI_BREZ_BAZE(b);
    QSqlDatabase db = b.odpri();
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE POGON_T (A INTEGER)")));
    const QString branje = QStringLiteral("SELECT A FROM POGON_T");
    const QString vstavi = QStringLiteral("INSERT INTO POGON_T (A) VALUES (?)");

    const std::unique_ptr<Pogon> pogon = Pogon::za(db);
    EXPECT_EQ(pogon->beriSKazalcem(), p.kazalec);
    EXPECT_EQ(pogon->enosmerniRezultatVzporedno(), p.vzporedno);
    {
        ZacasnaSpremenljivka s("LEDGXFER_NATIVNO", nullptr);
        EXPECT_TRUE(pogon->nacinVnosa() == p.vnos);
        EXPECT_EQ(pogon->bralnikNaprej(branje, {}) != nullptr, p.bralnik);
        EXPECT_EQ(pogon->vnosVrstice(vstavi) != nullptr, p.bralnik);
    }
    {
        ZacasnaSpremenljivka s("LEDGXFER_NATIVNO", "0");
        EXPECT_TRUE(pogon->nacinVnosa() == p.vnosSkoziGonilnik);
        EXPECT_EQ(pogon->bralnikNaprej(branje, {}), nullptr);
        EXPECT_EQ(pogon->vnosVrstice(vstavi), nullptr);
    }
}

// Each engine reads its own failures: a value its column refuses is a refused value and
// no lock; a live connection is not lost, and a server connection that the server ended
// is, through whichever driver reaches it. Its translation and its savepoint are
// statements the engine takes.
TEST_P(Pogoni, EachEngineReadsItsOwnFailuresAndTakesItsOwnStatements)
{
    const PrimerPogona& p = GetParam();
    TestnaBaza b(QStringLiteral("LB"), true, QString::fromLatin1(p.gonilnik));
    LEDG_PRESKOCI_BREZ_BAZE(b);
    QSqlDatabase db = b.odpri();
    const std::unique_ptr<Pogon> pogon = Pogon::za(db);
    ASSERT_TRUE(QSqlQuery(db).exec(pogon->prevedi(QStringLiteral("CREATE TABLE POGON_N (A INTEGER NOT NULL, "
                                                                 "Z DOUBLE)"))));
    QSqlQuery urejeno(db);
    EXPECT_TRUE(urejeno.exec(pogon->prevedi(QStringLiteral("SELECT A FROM POGON_N ORDER BY Z DESC, A"))))
        << urejeno.lastError().text().toStdString();
    urejeno.finish();

    QSqlQuery q(db);
    ASSERT_FALSE(q.exec(QStringLiteral("INSERT INTO POGON_N (A, Z) VALUES (NULL, 1)")));
    const QSqlError zavrnjena = pogon->napakaStavka(q);
    EXPECT_TRUE(pogon->jeZavrnjenaVrednost(zavrnjena)) << zavrnjena.text().toStdString();
    EXPECT_FALSE(pogon->jeZaklep(zavrnjena));
    q.finish();

    ASSERT_TRUE(db.transaction());
    QSqlQuery tocka(db);
    EXPECT_TRUE(tocka.exec(pogon->stavekTocke(QStringLiteral("T1")))) << tocka.lastError().text().toStdString();
    tocka.finish();
    EXPECT_TRUE(db.rollback());

    EXPECT_FALSE(pogon->povezavaIzgubljena());
    if (!pogon->streznik())
        return;
    QSqlQuery konec(db);
    konec.exec(QStringLiteral("SELECT pg_terminate_backend(pg_backend_pid())"));
    EXPECT_TRUE(pogon->povezavaIzgubljena());
}

INSTANTIATE_TEST_SUITE_P(
    Pogoni, Pogoni,
    ::testing::Values(PrimerPogona{"sqlite", Pogon::Vnos::Vrstice, Pogon::Vnos::Vrstice, false, true, true},
                      PrimerPogona{"postgresql", Pogon::Vnos::Kopiranje, Pogon::Vnos::Skupine, true, false, false},
                      PrimerPogona{"odbc", Pogon::Vnos::Skupine, Pogon::Vnos::Skupine, false, true, false}),
    [](const auto& info) { return std::string(info.param.gonilnik); });
