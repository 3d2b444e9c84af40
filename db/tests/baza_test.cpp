#include "jedro.h"
#include "napaka.h"
#include "poizvedba.h"
#include "rezultat.h"
#include "povezava.h"
#include "testnabaza.h"

#include <gtest/gtest.h>

// The statement forms the system relies on, on whichever engine the tests run.
TEST(Baza, CoreTablesDatesNullsAndTranslatedFormsWorkOnTheEngine)
{
    TestnaBaza b;
    LEDG_PRESKOCI_BREZ_BAZE(b);
    QSqlDatabase db = b.odpri();
    Poizvedba q(db);
    q.izvedi(QStringLiteral("INSERT INTO KNJIZBE (DATUMK, KONTO, VALUTA, BZNESEK, PRENOS) "
                            "VALUES (:D, 1, :V, :Z, NULL)"),
             {{QStringLiteral("D"), QDate(2018, 3, 31)},
              {QStringLiteral("V"), QStringLiteral("EUR")},
              {QStringLiteral("Z"), 12.345}});
    q.izvedi(QStringLiteral("INSERT INTO KNJIZBE (DATUMK, KONTO, VALUTA, BZNESEK, PRENOS) "
                            "VALUES (:D, 2, NULL, NULL, 0)"),
             {{QStringLiteral("D"), QDate(2018, 4, 1)}});

    // Date parameters select inclusively; fields read without regard to case.
    q.odpri(QStringLiteral("SELECT K.DATUMK, K.VALUTA VALUTA, K.BZNESEK BZNESEK FROM KNJIZBE K "
                           "WHERE K.DATUMK>=:DATUM1  AND K.DATUMK<=:DATUM2 ORDER BY K.DATUMK"),
            {{QStringLiteral("Datum1"), QDate(2018, 3, 1)}, {QStringLiteral("Datum2"), QDate(2018, 3, 31)}});
    ASSERT_TRUE(q.naslednji());
    EXPECT_EQ(q.datum(QStringLiteral("datumk")), QDate(2018, 3, 31));
    EXPECT_EQ(q.niz(QStringLiteral("valuta")), QStringLiteral("EUR"));
    EXPECT_DOUBLE_EQ(q.realno(QStringLiteral("BZNESEK")), 12.345);
    EXPECT_FALSE(q.naslednji());

    // NULL reads as 0 and as the empty text.
    q.odpri(QStringLiteral("SELECT VALUTA, BZNESEK FROM KNJIZBE WHERE KONTO=2"));
    ASSERT_TRUE(q.naslednji());
    EXPECT_EQ(q.niz(QStringLiteral("VALUTA")), QString());
    EXPECT_EQ(q.realno(QStringLiteral("BZNESEK")), 0.0);

    // An owned table with DOUBLE columns, created twice: the second create fails and
    // changes nothing.
    const QString ustvari = QStringLiteral("CREATE TABLE  IZRAVNAVE ( PRENOS INTEGER,ZNESEK DOUBLE)");
    EXPECT_TRUE(q.poskusiIzvesti(ustvari));
    q.izvedi(QStringLiteral("INSERT INTO IZRAVNAVE (PRENOS, ZNESEK) VALUES (1, 0.5)"));
    EXPECT_FALSE(q.poskusiIzvesti(ustvari));
    q.odpri(QStringLiteral("SELECT COUNT(*) N FROM IZRAVNAVE"));
    ASSERT_TRUE(q.naslednji());
    EXPECT_EQ(q.celo(QStringLiteral("N")), 1);

    // The table file name and the double-quoted literal reach the plain table.
    EXPECT_TRUE(q.poskusiIzvesti(
        QStringLiteral("CREATE TABLE  \"GrupeDog.db\" (IdGrupe char(2),SfDog integer,NzvGrupe char(10) )")))
        << q.zadnjaNapaka().toStdString();
    q.izvedi(QStringLiteral("INSERT INTO GrupeDog (IdGrupe, SfDog, NzvGrupe) VALUES (\"05\", 3, \"Nakupi\")"));
    q.odpri(QStringLiteral("SELECT * FROM GrupeDog WHERE IdGrupe=\"05\" "));
    ASSERT_TRUE(q.naslednji());
    EXPECT_EQ(q.niz(QStringLiteral("NZVGRUPE")).trimmed(), QStringLiteral("Nakupi"));

    // The alias-qualified contract table.
    q.izvedi(QStringLiteral("INSERT INTO POG (IDPOG, SFOSB, Nzv) VALUES (7, 1, 'P7')"));
    q.odpri(QStringLiteral("SELECT IdPog, Nzv FROM ':LB:pog' ORDER BY IdPog"));
    ASSERT_TRUE(q.naslednji());
    EXPECT_EQ(q.celo(QStringLiteral("IDPOG")), 7);

    // The shared result counts the rows of a scrollable result.
    Rezultat r;
    r.odpri(db, QStringLiteral("SELECT * FROM KNJIZBE ORDER BY KONTO"));
    EXPECT_EQ(r.steviloVrstic(), 2);
}

TEST(Baza, RefusedLoginIsAFailedConnection)
{
    TestnaBaza b(QStringLiteral("LB"), false);
    LEDG_PRESKOCI_BREZ_BAZE(b);
    if (b.gonilnik() == u"sqlite")
        GTEST_SKIP() << "SQLite has no login";
    const QString napaka =
        povezava::odpri(QStringLiteral("LB"), QStringLiteral("LB"), b.uporabnik(), QStringLiteral("napacno geslo"));
    EXPECT_FALSE(napaka.isEmpty());
    EXPECT_FALSE(povezava::jeOdprta(QStringLiteral("LB")));
}
