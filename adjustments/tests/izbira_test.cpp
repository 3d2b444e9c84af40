#include "izbiraizravnav.h"
#include "napaka.h"
#include "rezultat.h"
#include "zbirka.h"

#include <gtest/gtest.h>

namespace {

const QDate k1Marec(2024, 3, 1);
const QDate k31Marec(2024, 3, 31);

struct Primer {
    const char* opis;
    IzbiraIzravnav izbira;
    QList<int> vrstice; // the fixture's row numbers, in the listed order
};

IzbiraIzravnav vse(const QString& prenos = {}, const QString& konto = {}, bool poDnevih = true)
{
    IzbiraIzravnav i;
    i.poDnevih = poDnevih;
    i.datum1 = k1Marec;
    i.datum2 = k31Marec;
    i.prenos = prenos;
    i.konto = konto;
    return i;
}

// "Samo označeno" with the box unchecked unless a range is given.
IzbiraIzravnav oznaceno(std::function<void(IzbiraIzravnav&)> nastavi = {})
{
    IzbiraIzravnav i;
    i.samoOznaceno = true;
    i.poDnevih = false;
    i.datum1 = k1Marec;
    i.datum2 = k31Marec;
    if (nastavi)
        nastavi(i);
    return i;
}

QList<int> vrstice(const IzbiraIzravnav& izbira)
{
    Rezultat r;
    r.nastaviImeBaze(QStringLiteral("LB"));
    odpriIzravnave(r, izbira);
    return stevilkeVrstic(r);
}

} // namespace

TEST(IzbiraIzravnav, ChoicesBoxAndTextsGiveTheListedRows)
{
    ZbirkaIzravnav z;
    LEDG_PRESKOCI_BREZ_BAZE(z.baza);
    const QList<Primer> primeri = {
        {"Vse: every row, the one without a day too, whatever the filters say",
         vse(QStringLiteral("abc"), QStringLiteral("999"), false),
         {6, 7, 1, 3, 2, 4, 5}},
        {"Vse with the box checked", vse(), {6, 7, 1, 3, 2, 4, 5}},
        {"Samo označeno, box unchecked, no texts: every row with a day", oznaceno(), {7, 1, 3, 2, 4, 5}},
        {"days 1 to 31 March, both ends inclusive",
         oznaceno([](IzbiraIzravnav& i) { i.poDnevih = true; }),
         {7, 1, 3, 2}},
        {"one day",
         oznaceno([](IzbiraIzravnav& i) {
             i.poDnevih = true;
             i.datum1 = i.datum2 = QDate(2024, 3, 31);
         }),
         {2}},
        {"account prefix 12: 12, 120, 125 and 1299, not 312",
         oznaceno([](IzbiraIzravnav& i) { i.konto = QStringLiteral("12"); }),
         {7, 1, 3, 2}},
        {"transfer number", oznaceno([](IzbiraIzravnav& i) { i.prenos = QStringLiteral("7"); }), {1, 3, 2, 4}},
        {"transfer number with blanks around it",
         oznaceno([](IzbiraIzravnav& i) { i.prenos = QStringLiteral(" 8 "); }),
         {5}},
        {"transfer 0 is the row without a day: never listed in this mode",
         oznaceno([](IzbiraIzravnav& i) { i.prenos = QStringLiteral("0"); }),
         {}},
        {"a quote in the partner prefix is an ordinary character",
         oznaceno([](IzbiraIzravnav& i) { i.partner = QStringLiteral("12'"); }),
         {5}},
        {"partner prefix", oznaceno([](IzbiraIzravnav& i) { i.partner = QStringLiteral("0000010"); }), {1, 3}},
        {"the wildcard _ keeps its meaning",
         oznaceno([](IzbiraIzravnav& i) { i.dejavnost = QStringLiteral("1_1"); }),
         {3, 5}},
        {"the wildcard % keeps its meaning", oznaceno([](IzbiraIzravnav& i) { i.konto = QStringLiteral("%99"); }), {3}},
        {"security code", oznaceno([](IzbiraIzravnav& i) { i.papir = QStringLiteral("2"); }), {7, 2}},
        {"a blank is a text: no account begins with it",
         oznaceno([](IzbiraIzravnav& i) { i.konto = QStringLiteral(" "); }),
         {}},
        {"every filter at once",
         oznaceno([](IzbiraIzravnav& i) {
             i.poDnevih = true;
             i.prenos = QStringLiteral("7");
             i.partner = QStringLiteral("000002");
             i.konto = QStringLiteral("12");
             i.dejavnost = QStringLiteral("00");
             i.papir = QStringLiteral("2");
         }),
         {2}},
        {"statement text in a prefix is only text",
         oznaceno([](IzbiraIzravnav& i) { i.konto = QStringLiteral("' OR 1=1 --"); }),
         {}},
    };
    for (const Primer& p : primeri) {
        SCOPED_TRACE(p.opis);
        try {
            EXPECT_EQ(vrstice(p.izbira), p.vrstice);
        } catch (const Napaka& e) {
            ADD_FAILURE() << e.besedilo().toStdString();
        }
    }
    EXPECT_EQ(z.stevilo(QStringLiteral("SELECT COUNT(*) FROM IZRAVNAVE")), 7);
}

TEST(IzbiraIzravnav, VseIsTheBareStatementWithoutParameters)
{
    IzbiraIzravnav i = vse(QStringLiteral("abc"), QStringLiteral("12"), true);
    i.partner = i.dejavnost = i.papir = QStringLiteral("x");
    const StavekIzravnav s = stavekIzravnav(i);
    EXPECT_EQ(s.sql, QStringLiteral("SELECT * FROM IZRAVNAVE  ORDER BY PRENOS, DAN "));
    EXPECT_TRUE(s.parametri.isEmpty());
}

TEST(IzbiraIzravnav, TextsAreBoundNeverSpliced)
{
    const StavekIzravnav s = stavekIzravnav(oznaceno([](IzbiraIzravnav& i) {
        i.poDnevih = true;
        i.prenos = QStringLiteral("7");
        i.partner = QStringLiteral("1'2");
        i.konto = QStringLiteral("12");
        i.dejavnost = QStringLiteral("0_");
        i.papir = QStringLiteral("3");
    }));
    EXPECT_EQ(s.sql, QStringLiteral("SELECT * FROM IZRAVNAVE  WHERE DAN=DAN  AND DAN >= :DATUM1 AND DAN<=:DATUM2 "
                                    " AND PRENOS=:PRENOS AND PARTNER LIKE :PARTNER  AND KONTO LIKE :KONTO "
                                    " AND SFDJV LIKE :SFDJV  AND VP=:VP  ORDER BY PRENOS, DAN "));
    const QVariantMap pricakovani = {{QStringLiteral("DATUM1"), k1Marec},
                                     {QStringLiteral("DATUM2"), k31Marec},
                                     {QStringLiteral("PRENOS"), qint64(7)},
                                     {QStringLiteral("PARTNER"), QStringLiteral("1'2%")},
                                     {QStringLiteral("KONTO"), QStringLiteral("12%")},
                                     {QStringLiteral("SFDJV"), QStringLiteral("0_%")},
                                     {QStringLiteral("VP"), qint64(3)}};
    EXPECT_EQ(s.parametri, pricakovani);
}

TEST(IzbiraIzravnav, NumbersThatAreNoIntegersAreRefusedWithAMessageAndNothingChanges)
{
    ZbirkaIzravnav z;
    LEDG_PRESKOCI_BREZ_BAZE(z.baza);
    Rezultat r;
    r.nastaviImeBaze(QStringLiteral("LB"));
    odpriIzravnave(r, oznaceno());
    ASSERT_EQ(stevilkeVrstic(r).size(), 6);

    struct Napacen {
        const char* prenos;
        const char* papir;
        const char* sporocilo;
    };
    const Napacen napacni[] = {
        {"abc", "", "Številka prenosa mora biti celo število (vpisano: \"abc\")."},
        {"7 OR 1=1", "", "Številka prenosa mora biti celo število (vpisano: \"7 OR 1=1\")."},
        {" ", "", "Številka prenosa mora biti celo število (vpisano: \" \")."},
        {"7.5", "", "Številka prenosa mora biti celo število (vpisano: \"7.5\")."},
        {"", "x", "Vrednostni papir mora biti celo število (vpisano: \"x\")."},
        {"7", "1;", "Vrednostni papir mora biti celo število (vpisano: \"1;\")."},
    };
    for (const Napacen& n : napacni) {
        SCOPED_TRACE(n.prenos);
        try {
            odpriIzravnave(r, oznaceno([&](IzbiraIzravnav& i) {
                               i.prenos = QString::fromUtf8(n.prenos);
                               i.papir = QString::fromUtf8(n.papir);
                           }));
            ADD_FAILURE() << "accepted";
        } catch (const Napaka& e) {
            EXPECT_EQ(e.besedilo(), QString::fromUtf8(n.sporocilo));
        }
        // The result keeps the rows of the last accepted selection.
        EXPECT_TRUE(r.jeOdprt());
        EXPECT_EQ(stevilkeVrstic(r).size(), 6);
    }

    // A day range whose start is after its end is refused the same way.
    try {
        odpriIzravnave(r, oznaceno([](IzbiraIzravnav& i) {
                           i.poDnevih = true;
                           i.datum1 = QDate(2024, 3, 31);
                           i.datum2 = QDate(2024, 3, 1);
                       }));
        ADD_FAILURE() << "accepted";
    } catch (const Napaka& e) {
        EXPECT_EQ(e.besedilo(), QStringLiteral("Začetni datum 31.3.2024 je za končnim datumom 1.3.2024. Popravite "
                                               "obdobje: začetni datum mora biti enak končnemu ali pred njim."));
    }
    EXPECT_EQ(stevilkeVrstic(r).size(), 6);
}

TEST(IzbiraIzravnav, AMissingTableIsTheDatabasesFailure)
{
    TestnaBaza b(QStringLiteral("LB"), false);
    LEDG_PRESKOCI_BREZ_BAZE(b);
    b.odpri();
    Rezultat r;
    r.nastaviImeBaze(QStringLiteral("LB"));
    EXPECT_THROW(odpriIzravnave(r, vse()), Napaka);
}
