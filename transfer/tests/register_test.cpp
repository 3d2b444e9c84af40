#include "register.h"

#include "napaka.h"
#include "poizvedba.h"
#include "povezava.h"
#include "rezultat.h"
#include "testnabaza.h"
#include "transakcija.h"
#include "zapisnik.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

// The outside world of a registration, its clock at 23:59:59 on 2 April 2024.
struct Ura : Zapisnik {
    Ura() { trenutek = QDateTime(QDate(2024, 4, 2), QTime(23, 59, 59)); }
};

// A database of the test engine under the alias and connection "REG", with the
// core tables and no register yet.
struct Baza {
    Baza() : baza(QStringLiteral("REG")) {}

    void izvedi(const QString& sql)
    {
        QSqlQuery q(povezava::zaIme(ime));
        EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
    }
    // Register rows as "number datum1 datum2 datumprenosa", in number order.
    QStringList vrstice()
    {
        QSqlQuery q(povezava::zaIme(ime));
        q.exec(QStringLiteral("SELECT STPRENOSA, DATUM1, DATUM2, DATUMPRENOSA FROM LEDGXFER ORDER BY STPRENOSA"));
        QStringList v;
        while (q.next()) {
            QStringList polja;
            for (int i = 0; i < 4; ++i)
                polja << (i == 0 ? q.value(i).toString() : vrednostDatum(q.value(i)).toString(Qt::ISODate));
            v << polja.join(u' ');
        }
        return v;
    }

    // Registers a run as a transfer does: inside a transaction, committed.
    void registriraj(const Okolje& ura, qint64 n, const QDate& d1, const QDate& d2)
    {
        Ura okolje;
        Transakcija tx(povezava::zaIme(ime), okolje);
        tx.zacni();
        ShraniZgodovino(tx, ura, n, d1, d2);
        tx.potrdi();
    }

    TestnaBaza baza;
    QString ime = QStringLiteral("REG");
};

} // namespace

TEST(Register, NoTableGivesOneAndTheFirstRegistrationCreatesIt)
{
    Baza b;
    LEDG_PRESKOCI_BREZ_BAZE(b.baza);
    b.baza.odpri();
    Ura ura;
    EXPECT_FALSE(najvisjiPrenos(b.ime).has_value());
    EXPECT_EQ(novaStevilkaPrenosa(b.ime), 1);
    EXPECT_THROW(najdiPrenos(b.ime, 1), Napaka);

    // A run over 1 to 31 March registered on 2 April.
    b.registriraj(ura, 1, QDate(2024, 3, 1), QDate(2024, 3, 31));
    EXPECT_EQ(b.vrstice(), QStringList{QStringLiteral("1 2024-03-01 2024-03-31 2024-04-02")});
    EXPECT_EQ(novaStevilkaPrenosa(b.ime), 2);
    const std::optional<VrsticaRegistra> v = najdiPrenos(b.ime, 1);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->datum1, QDate(2024, 3, 1));
    EXPECT_EQ(v->datum2, QDate(2024, 3, 31));
    EXPECT_FALSE(najdiPrenos(b.ime, 2).has_value());
    EXPECT_TRUE(ura.sporocila.isEmpty());
}

TEST(Register, EmptyRegisterYieldsNullAndOne)
{
    Baza b;
    LEDG_PRESKOCI_BREZ_BAZE(b.baza);
    b.baza.odpri();
    b.izvedi(QStringLiteral("CREATE TABLE LEDGXFER (STPRENOSA INTEGER NOT NULL, DATUM1 DATE, DATUM2 DATE,"
                            " DATUMPRENOSA DATE, PRIMARY KEY(STPRENOSA))"));
    const std::optional<QVariant> najvisji = najvisjiPrenos(b.ime);
    ASSERT_TRUE(najvisji.has_value());
    EXPECT_TRUE(najvisji->isNull());
    EXPECT_EQ(novaStevilkaPrenosa(b.ime), 1);
}

TEST(Register, RegisteringANumberAgainRefreshesOnlyItsDate)
{
    Baza b;
    LEDG_PRESKOCI_BREZ_BAZE(b.baza);
    b.baza.odpri();
    Ura ura;
    b.registriraj(ura, 4, QDate(2024, 3, 1), QDate(2024, 3, 31));
    ura.trenutek.setDate(QDate(2024, 5, 9));
    b.registriraj(ura, 4, QDate(2024, 5, 1), QDate(2024, 5, 8));
    EXPECT_EQ(b.vrstice(), QStringList{QStringLiteral("4 2024-03-01 2024-03-31 2024-05-09")});
}

TEST(Register, ListHighestFirstAndDeletionLeavesPostingsMarked)
{
    Baza b;
    LEDG_PRESKOCI_BREZ_BAZE(b.baza);
    b.baza.odpri();
    Ura ura;
    for (int n : {1, 2, 5})
        b.registriraj(ura, n, QDate(2024, n, 1), QDate(2024, n, 28));
    b.izvedi(QStringLiteral("INSERT INTO KNJIZBE (DATUMK, PRENOS) VALUES ('2024-05-03', 5)"));

    Rezultat r;
    odpriSeznamPrenosov(r, b.ime);
    EXPECT_EQ(r.imeBaze(), b.ime);
    ASSERT_EQ(r.steviloStolpcev(), 4);
    EXPECT_EQ(r.imeStolpca(0).toUpper(), QStringLiteral("STPRENOSA"));
    EXPECT_EQ(r.imeStolpca(3).toUpper(), QStringLiteral("DATUMPRENOSA"));
    QList<int> st;
    if (r.prvi())
        do
            st << r.polje(QStringLiteral("stprenosa")).toInt();
        while (r.naslednji());
    EXPECT_EQ(st, (QList<int>{5, 2, 1}));

    // Deleting the highest row: the next new transfer gets its number again, and the
    // postings it marked keep the number.
    brisiPrenos(b.ime, 5);
    EXPECT_EQ(novaStevilkaPrenosa(b.ime), 3);
    EXPECT_EQ(b.vrstice().size(), 2);
    QSqlQuery q(povezava::zaIme(b.ime));
    q.exec(QStringLiteral("SELECT PRENOS FROM KNJIZBE"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 5);
}

TEST(Register, FailuresStaySilentOrReachTheCaller)
{
    Ura ura;
    // An unknown database: the allocation outside a run falls back to 1, the others report it.
    EXPECT_EQ(novaStevilkaPrenosa(QStringLiteral("NI_BAZE")), 1);
    Rezultat r;
    EXPECT_THROW(odpriSeznamPrenosov(r, QStringLiteral("NI_BAZE")), Napaka);
    EXPECT_THROW(brisiPrenos(QStringLiteral("NI_BAZE"), 1), Napaka);

    Baza b;
    LEDG_PRESKOCI_BREZ_BAZE(b.baza);
    b.baza.odpri();
    EXPECT_THROW(brisiPrenos(b.ime, 1), Napaka); // no table yet
    EXPECT_THROW(odpriSeznamPrenosov(r, b.ime), Napaka);
    EXPECT_FALSE(r.jeOdprt());
}

// A registration the database refuses reaches the run, which must not complete; the
// transaction then leaves nothing behind.
TEST(Register, ARefusedRegistrationIsThrownAndLeavesNothing)
{
    Baza b;
    LEDG_PRESKOCI_BREZ_BAZE(b.baza);
    b.baza.odpri();
    b.izvedi(QStringLiteral("CREATE TABLE LEDGXFER (STPRENOSA INTEGER NOT NULL, PRIMARY KEY(STPRENOSA))"));
    b.izvedi(QStringLiteral("INSERT INTO KNJIZBE (DATUMK, PRENOS) VALUES ('2024-05-03', 0)"));
    Ura ura;
    {
        Transakcija tx(povezava::zaIme(b.ime), ura);
        tx.zacni();
        tx.izvedi(QStringLiteral("UPDATE KNJIZBE SET PRENOS=1"), {}, QStringLiteral("tabelo KNJIZBE"));
        EXPECT_THROW(ShraniZgodovino(tx, ura, 1, QDate(2024, 5, 1), QDate(2024, 5, 31)), Napaka);
    }
    QSqlQuery q(povezava::zaIme(b.ime));
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT PRENOS FROM KNJIZBE")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 0);
}

// The allocation reads the highest number under the register's lock.
TEST(Register, AllocationGivesTheNextNumberAndCreatesTheRegister)
{
    Baza b;
    LEDG_PRESKOCI_BREZ_BAZE(b.baza);
    b.baza.odpri();
    Ura ura;
    {
        Transakcija tx(povezava::zaIme(b.ime), ura);
        tx.zacni();
        const DodeljenaStevilka d = dodeliStevilko(tx); // no table yet
        EXPECT_TRUE(d.najvisja.isNull());
        EXPECT_EQ(d.nova, 1);
        tx.potrdi();
    }
    for (int n : {1, 2, 6})
        b.registriraj(ura, n, QDate(2024, 1, 1), QDate(2024, 1, 31));
    Transakcija tx(povezava::zaIme(b.ime), ura);
    tx.zacni();
    const DodeljenaStevilka d = dodeliStevilko(tx);
    EXPECT_EQ(vrednostCelo(d.najvisja), 6);
    EXPECT_EQ(d.nova, 7);
}
