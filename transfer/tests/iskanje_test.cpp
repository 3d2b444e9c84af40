#include "datotekagk.h"
#include "iskanje.h"
#include "jedro.h"
#include "knjizba.h"
#include "napaka.h"
#include "poizvedba.h"
#include "rezultat.h"

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QList>
#include <QSqlRecord>
#include <QTemporaryDir>

namespace {

// An SQLite file with the core tables: contracts 1000 (organisation "101"), 1001
// (organisation " 20 ") and 1003 (an organisation that does not exist); parties 100
// (kind "P") and 200 (kind "F").
class BazaIskanja : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_mapa.isValid());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(kIme));
            db.setDatabaseName(m_mapa.filePath(QStringLiteral("jedro.sqlite")));
            ASSERT_TRUE(db.open());
            Poizvedba(db).izvedi(QStringLiteral("PRAGMA synchronous=OFF"));
            ustvariJedrneTabele(db);
            Poizvedba q(db);
            q.izvedi(QStringLiteral("INSERT INTO ORG (SFORG, KNTORG) VALUES (1, '101')"));
            q.izvedi(QStringLiteral("INSERT INTO ORG (SFORG, KNTORG) VALUES (2, ' 20 ')"));
            q.izvedi(QStringLiteral("INSERT INTO POG (IDPOG, SFOSB, SFORG) VALUES (1000, 100, 1)"));
            q.izvedi(QStringLiteral("INSERT INTO POG (IDPOG, SFOSB, SFORG) VALUES (1001, 200, 2)"));
            q.izvedi(QStringLiteral("INSERT INTO POG (IDPOG, SFOSB, SFORG) VALUES (1003, 100, 99)"));
            q.izvedi(QStringLiteral("INSERT INTO OSB (SFOSB, KRTBNK, SFSOS) VALUES (100, '00123', 'P')"));
            q.izvedi(QStringLiteral("INSERT INTO OSB (SFOSB, KRTBNK, SFSOS) VALUES (200, '04567', 'F')"));
        }
    }
    void TearDown() override { QSqlDatabase::removeDatabase(QLatin1String(kIme)); }

    QSqlDatabase baza() const { return QSqlDatabase::database(QLatin1String(kIme)); }

    static constexpr const char* kIme = "transfer_iskanje_test";
    QTemporaryDir m_mapa;
};

TEST_F(BazaIskanja, OrganizacijaNajdenaAliPrazna)
{
    IskanjeVBazi iskanje(baza());
    EXPECT_EQ(iskanje.organizacija(1000), QStringLiteral("101"));
    EXPECT_EQ(iskanje.organizacija(1001), QStringLiteral(" 20 ")); // as the database gives it
    EXPECT_EQ(iskanje.organizacija(1003), QString());              // organisation missing
    EXPECT_EQ(iskanje.organizacija(5555), QString());              // contract missing
    EXPECT_EQ(iskanje.organizacija(-1), QString());
}

TEST_F(BazaIskanja, VrstaPartnerjaNapakaSeNePrenese)
{
    IskanjeVBazi iskanje(baza());
    EXPECT_EQ(iskanje.vrstaPartnerja(200), QStringLiteral("F"));
    EXPECT_EQ(iskanje.vrstaPartnerja(100), QStringLiteral("P"));
    EXPECT_EQ(iskanje.vrstaPartnerja(999), QString());

    Poizvedba(baza()).izvedi(QStringLiteral("DROP TABLE OSB"));
    EXPECT_EQ(iskanje.vrstaPartnerja(200), QString());
    // The same query object serves the next look-up after the failure.
    EXPECT_EQ(iskanje.organizacija(1000), QStringLiteral("101"));
}

TEST_F(BazaIskanja, NapakaOrganizacijeJeNapaka)
{
    IskanjeVBazi iskanje(baza());
    Poizvedba(baza()).izvedi(QStringLiteral("DROP TABLE ORG"));
    try {
        iskanje.organizacija(1000);
        FAIL() << "the failing statement must be passed on";
    } catch (const Napaka& e) {
        EXPECT_TRUE(e.besedilo().contains(QStringLiteral("ORG"), Qt::CaseInsensitive)) << e.what();
    }
}

TEST_F(BazaIskanja, SifraOrganizacijeVVrstici)
{
    IskanjeVBazi iskanje(baza());
    Knjizba k;
    k.DATUMK = QDate(2018, 1, 31);
    k.IDMASTER = 1;
    k.IDPOG = 1000;
    k.SFOSB = 200;
    k.SALDAKONTEN = QStringLiteral("T");
    k.KRTBNK = QStringLiteral("04567");
    k.BZNESEKSIT = 1;
    const auto polja = [&](const char* sfdjv, qint64 pogodba) {
        k.SFDJV = QString::fromLatin1(sfdjv);
        k.IDPOG = pogodba;
        const PodrobnaVrstica p = zgradiPodrobnoVrstico(k, 0, iskanje);
        return p.vrstica.mid(20, 8) + '|' + p.vrstica.mid(45, 3);
    };
    // Partner 200 is of kind "F": partner code 195 whatever the bank code says.
    EXPECT_EQ(polja("K", 1000), QByteArray("00000195|101"));
    EXPECT_EQ(polja("N", 1000), QByteArray("00000195|025"));
    EXPECT_EQ(polja("U", 5555), QByteArray("00000195|025"));
    EXPECT_EQ(polja("n", 1000), QByteArray("00000195|101"));
    EXPECT_EQ(polja("K", 1001), QByteArray("00000195|20 ")); // trimmed, then left-aligned
    EXPECT_EQ(polja("K", 5555), QByteArray("00000195|   "));
}

// The run's look-ups answer as the statements one by one do, whether a key was asked
// one by one or read with the whole table (after `prag` keys one by one), and in any
// order of asking; a key asked twice is the same answer.
TEST_F(BazaIskanja, SPomnilnikomEnakoKotPosamic)
{
    Poizvedba q(baza());
    q.izvedi(QStringLiteral("INSERT INTO ORG (SFORG, KNTORG) VALUES (3, NULL)"));
    q.izvedi(QStringLiteral("INSERT INTO POG (IDPOG, SFOSB, SFORG) VALUES (1004, 300, 3)"));
    q.izvedi(QStringLiteral("INSERT INTO POG (IDPOG, SFOSB, SFORG) VALUES (1005, 300, 1)"));
    q.izvedi(QStringLiteral("INSERT INTO OSB (SFOSB, KRTBNK, SFSOS) VALUES (300, '1', NULL)"));
    const QList<qint64> pogodbe = {1000, 1001, 1003, 1004, 5555, -1, 1005, 1000, 0};
    const QList<qint64> partnerji = {200, 100, 999, 300, 0, 200};
    IskanjeVBazi posamic(baza());
    for (const int prag : {0, 1, 3, 1000}) {
        IskanjeSPomnilnikom iskanje(baza(), prag);
        for (qsizetype i = 0; i < pogodbe.size(); ++i)
            EXPECT_EQ(iskanje.organizacija(pogodbe.at(i)), posamic.organizacija(pogodbe.at(i)))
                << "prag " << prag << ", pogodba " << pogodbe.at(i);
        for (qsizetype i = 0; i < partnerji.size(); ++i)
            EXPECT_EQ(iskanje.vrstaPartnerja(partnerji.at(i)), posamic.vrstaPartnerja(partnerji.at(i)))
                << "prag " << prag << ", partner " << partnerji.at(i);
        EXPECT_EQ(iskanje.organizacijeVse(), prag < 8) << prag; // 8 different contracts
        EXPECT_EQ(iskanje.partnerjiVsi(), prag < 5) << prag;    // 5 different partners
    }
}

// Once a table is read whole, no statement of its kind runs again: a table dropped
// afterwards changes no answer. Before that every new key is a statement, and a failing
// organisation look-up ends the run.
TEST_F(BazaIskanja, SPomnilnikomPoBranjuCeleTabeleBrezStavkov)
{
    IskanjeSPomnilnikom vse(baza(), 0);
    IskanjeSPomnilnikom posamic(baza());
    EXPECT_EQ(vse.organizacija(1000), QStringLiteral("101"));
    EXPECT_EQ(vse.vrstaPartnerja(100), QStringLiteral("P"));
    EXPECT_EQ(posamic.organizacija(1000), QStringLiteral("101"));
    EXPECT_EQ(posamic.vrstaPartnerja(100), QStringLiteral("P"));
    Poizvedba(baza()).izvedi(QStringLiteral("DROP TABLE ORG"));
    Poizvedba(baza()).izvedi(QStringLiteral("DROP TABLE OSB"));
    EXPECT_EQ(vse.organizacija(1001), QStringLiteral(" 20 "));
    EXPECT_EQ(vse.organizacija(7777), QString());
    EXPECT_EQ(vse.vrstaPartnerja(200), QStringLiteral("F"));
    EXPECT_EQ(posamic.organizacija(1000), QStringLiteral("101")); // asked before: kept
    EXPECT_THROW(posamic.organizacija(1001), Napaka);
    EXPECT_EQ(posamic.vrstaPartnerja(100), QStringLiteral("P"));
    EXPECT_EQ(posamic.vrstaPartnerja(200), QString()); // the failure is no kind
}

// A partner table that cannot be read whole leaves the partners to the statements one
// by one, each failure no kind, as before.
TEST_F(BazaIskanja, SPomnilnikomNeuspeloBranjePartnerjevGrePosamic)
{
    IskanjeSPomnilnikom iskanje(baza(), 1);
    EXPECT_EQ(iskanje.vrstaPartnerja(100), QStringLiteral("P"));
    Poizvedba(baza()).izvedi(QStringLiteral("DROP TABLE OSB"));
    EXPECT_EQ(iskanje.vrstaPartnerja(200), QString());
    EXPECT_FALSE(iskanje.partnerjiVsi());
    EXPECT_EQ(iskanje.vrstaPartnerja(100), QStringLiteral("P"));
    EXPECT_EQ(iskanje.vrstaPartnerja(999), QString());
}

// The postings query of a transfer run, as the run opens it.
const char* kPoizvedbaKnjizb =
    "SELECT K.DATUMV, K.DATUMK,  D.SFDJV  SFDJV,  D.IDPOG  IDPOG,  K.IDPOG  KIDPOG,  K.VP  VP, "
    " K.DATUMV DATUMV,  K.PARTNER  SFOSB,  K.CTRL  CTRL,  K.DEJAVNOST  DEJAVNOST, "
    " K.IDMASTER  IDMASTER,  K.OE  OE,  V.ST STVALUTE,  S.SALDAKONTEN  SALDAKONTEN, "
    " S.DEVIZEN  DEVIZEN,  S.OZNAKA KONTO, K.STRAN, K.VALUTA VALUTA,  K.BZNESEK BZNESEK ,"
    " K.DZNESEK DZNESEK,  K.BZNESEKSIT BZNESEKSIT , K.DZNESEKSIT DZNESEKSIT,  O1.KRTBNK KRTBNK1,"
    "  O2.KRTBNK KRTBNK,  K.TEKST TEXT, K.IDMASTER IDMASTER  FROM KNJIZBE  K  "
    " LEFT OUTER JOIN DOG  D ON (K.IDMASTER = D.IDDOG)  LEFT OUTER JOIN SIFKONT  S ON (K.KONTO = S.CTRL) "
    " LEFT OUTER JOIN VLT  V ON (K.VALUTA = V.SFVLT)  LEFT OUTER JOIN SFVP SFVP ON (K.VP=SFVP.SFVP) "
    " LEFT OUTER JOIN OSB  O1 ON (SFVP.SFOSBIZD=O1.SFOSB)  LEFT OUTER JOIN OSB  O2 ON (K.PARTNER=O2.SFOSB) "
    " WHERE K.DATUMK>=:DATUM1  AND K.DATUMK<=:DATUM2  ORDER BY  S.OZNAKA, D.SFDJV,  K.DATUMK, K.STRAN, K.VALUTA";

TEST_F(BazaIskanja, KnjizbaIzPoizvedbeKnjizb)
{
    Poizvedba q(baza());
    q.izvedi(QStringLiteral("INSERT INTO DOG (IDDOG, IDPOG, SFDJV) VALUES (1, 1000, 'N')"));
    q.izvedi(QStringLiteral("INSERT INTO SIFKONT (CTRL, OZNAKA, SALDAKONTEN, DEVIZEN) VALUES (4, '1110', 'T', 'D')"));
    q.izvedi(QStringLiteral("INSERT INTO VLT (SFVLT, ST) VALUES ('USD', '840')"));
    q.izvedi(QStringLiteral("INSERT INTO SFVP (SFVP, SFOSBIZD) VALUES (12, 200)"));
    // A posting with every join filled, then one with every nullable column null.
    q.izvedi(QStringLiteral("INSERT INTO KNJIZBE (DATUMK, DATUMV, KONTO, IDMASTER, IDPOG, VP, PARTNER, VALUTA,"
                            " STRAN, BZNESEK, DZNESEK, BZNESEKSIT, DZNESEKSIT) VALUES ('2018-01-31', '2018-01-30',"
                            " 4, 1, 1001, 12, 100, 'USD', 'b', 50.5, 0, 46.46, 0)"));
    q.izvedi(QStringLiteral("INSERT INTO KNJIZBE (DATUMK) VALUES ('2018-01-31')"));

    QSqlQuery sql(baza());
    ASSERT_TRUE(sql.prepare(QString::fromLatin1(kPoizvedbaKnjizb)));
    sql.bindValue(QStringLiteral(":DATUM1"), QDate(2018, 1, 1));
    sql.bindValue(QStringLiteral(":DATUM2"), QDate(2018, 1, 31));
    ASSERT_TRUE(sql.exec());
    const StolpciKnjizbe stolpci(sql.record());

    // Both rows, whatever order the database gives NULL keys.
    QList<Knjizba> vrstice;
    while (sql.next())
        vrstice << stolpci.beri(sql);
    ASSERT_EQ(vrstice.size(), 2);
    if (vrstice[0].KONTO.isEmpty())
        std::swap(vrstice[0], vrstice[1]);
    const Knjizba& polna = vrstice[0];
    const Knjizba& prazna = vrstice[1];

    EXPECT_EQ(prazna.DATUMK, QDate(2018, 1, 31));
    EXPECT_EQ(prazna.DATUMV, QDate(1899, 12, 30));
    EXPECT_EQ(prazna.IDMASTER, 0);
    EXPECT_EQ(prazna.SFOSB, 0);
    EXPECT_EQ(prazna.KONTO, QString());
    EXPECT_EQ(prazna.STVALUTE, QString());
    EXPECT_EQ(prazna.BZNESEK, 0.0);
    EXPECT_EQ(prazna.KRTBNK1, QString());

    EXPECT_EQ(polna.DATUMV, QDate(2018, 1, 30));
    EXPECT_EQ(polna.SFDJV, QStringLiteral("N"));
    EXPECT_EQ(polna.IDPOG, 1000);
    EXPECT_EQ(polna.KIDPOG, 1001);
    EXPECT_EQ(polna.IDMASTER, 1);
    EXPECT_EQ(polna.SFOSB, 100);
    EXPECT_EQ(polna.KONTO, QStringLiteral("1110"));
    EXPECT_EQ(polna.SALDAKONTEN, QStringLiteral("T"));
    EXPECT_EQ(polna.DEVIZEN, QStringLiteral("D"));
    EXPECT_EQ(polna.VALUTA, QStringLiteral("USD"));
    EXPECT_EQ(polna.STVALUTE, QStringLiteral("840"));
    EXPECT_EQ(polna.STRAN, QStringLiteral("b"));
    EXPECT_EQ(polna.BZNESEK, 50.5);
    EXPECT_EQ(polna.BZNESEKSIT, 46.46);
    EXPECT_EQ(polna.KRTBNK, QStringLiteral("00123"));
    EXPECT_EQ(polna.KRTBNK1, QStringLiteral("04567"));
    EXPECT_EQ(polna.VP, 12);

    // The shared result reads the same rows.
    Rezultat q1;
    q1.odpri(baza(), QString::fromLatin1(kPoizvedbaKnjizb),
             {{QStringLiteral("DATUM1"), QDate(2018, 1, 1)}, {QStringLiteral("DATUM2"), QDate(2018, 1, 31)}});
    const StolpciKnjizbe stolpciQ1(q1);
    QList<Knjizba> izQ1;
    for (bool je = !q1.eof(); je; je = q1.naslednji())
        izQ1 << stolpciQ1.beri(q1);
    ASSERT_EQ(izQ1.size(), 2);
    const Knjizba& polnaQ1 = izQ1[0].KONTO.isEmpty() ? izQ1[1] : izQ1[0];
    EXPECT_EQ(polnaQ1.KONTO, polna.KONTO);
    EXPECT_EQ(polnaQ1.KRTBNK1, polna.KRTBNK1);
    EXPECT_EQ(polnaQ1.BZNESEKSIT, polna.BZNESEKSIT);
    EXPECT_EQ(polnaQ1.DATUMV, polna.DATUMV);
}

TEST(StolpciKnjizbe, ManjkajocStolpecJeNapaka)
{
    QSqlRecord zapis;
    EXPECT_THROW(StolpciKnjizbe{zapis}, Napaka);
}

} // namespace
