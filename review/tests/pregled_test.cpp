#include "dnevnik.h"
#include "postavitev.h"
#include "pregled.h"
#include "rezultat.h"
#include "zajemdnevnika.h"
#include "zapisnik.h"
#include "zbirka.h"

#include <gtest/gtest.h>

namespace {

// The panel's controls as plain values. `vsiljenaStevilka`, when set, is what the
// number field reads back, as if the operator had typed it while the command let
// the pending window messages through.
class Kontrole : public KontrolePregleda {
public:
    QString stevilkaPrenosa() const override { return vsiljenaStevilka.value_or(stevilka); }
    void nastaviStevilkoPrenosa(const QString& b) override { stevilka = b; }
    QDate datum1() const override { return d1; }
    QDate datum2() const override { return d2; }
    void nastaviDatum1(const QDate& d) override
    {
        d1 = d;
        stevilka.clear(); // a date change empties the number field
    }
    void nastaviDatum2(const QDate& d) override
    {
        d2 = d;
        stevilka.clear();
    }
    void nastaviSteviloZapisov(const QString& b) override { steviloZapisov = b; }
    void prikaziVprasanje(const QString& b) override
    {
        vprasanje = b;
        vprasanjeVidno = true;
    }
    void skrijVprasanje() override { vprasanjeVidno = false; }
    void Sume() override { ++sume; }

    QString stevilka = QStringLiteral("0");
    std::optional<QString> vsiljenaStevilka;
    QDate d1{2024, 3, 1}, d2{2024, 3, 31};
    QString steviloZapisov = QStringLiteral("..");
    QString vprasanje;
    bool vprasanjeVidno = false;
    int sume = 0;
};

struct Panel {
    Zbirka zbirka;
    Rezultat Q1;
    Kontrole k;
    Zapisnik okolje;
    QString baza = QStringLiteral("LB");
    Pregled pregled{Q1, k, okolje, baza};

    QStringList tekst()
    {
        QStringList t;
        if (Q1.prvi())
            do
                t << Q1.polje(QStringLiteral("TEXT")).toString();
            while (Q1.naslednji());
        return t;
    }
    void odpri(qint64 stevilka)
    {
        pregled.btnZgodovinaClick();
        while (!Q1.eof() && Q1.polje(QStringLiteral("STPRENOSA")).toLongLong() != stevilka)
            Q1.naslednji();
        pregled.DBGrid1DblClick();
    }
};

} // namespace

TEST(Pregled, OpeningATransferListsItsPostingsOfItsRangeNullAccountsLast)
{
    Panel p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    p.odpri(7);
    EXPECT_EQ(p.k.d1, QDate(2024, 3, 1));
    EXPECT_EQ(p.k.d2, QDate(2024, 3, 31));
    EXPECT_EQ(p.k.stevilka, QStringLiteral("7"));
    EXPECT_EQ(p.k.steviloZapisov, QStringLiteral("3"));
    EXPECT_EQ(p.k.sume, 1);
    EXPECT_EQ(p.okolje.statusi, QStringList{QStringLiteral("Poteka zbiranje podatkov prenosa 7...")});
    EXPECT_FALSE(p.okolje.statusViden);
    // Accounts 1100, 2200, then the posting without an account; D (outside the range)
    // and E (transfer 2) are not listed.
    EXPECT_EQ(p.tekst(), (QStringList{QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("C")}));
    EXPECT_EQ(p.Q1.imeStolpca(0).toUpper(), QStringLiteral("DATUMK"));
    EXPECT_EQ(p.Q1.prikaz(p.Q1.indeksStolpca(QStringLiteral("KONTO"))).naslov, QStringLiteral("konto"));
}

TEST(Pregled, NumberFieldTextThatIsNoIntegerListsNothingAndIsNeverSpliced)
{
    for (const QString& vsiljeno : {QStringLiteral("7 OR 1=1"), QStringLiteral("abc"), QStringLiteral("7.0"),
                                    QStringLiteral("7; DELETE FROM KNJIZBE")}) {
        Panel p;
        LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
        p.pregled.btnZgodovinaClick();
        p.k.steviloZapisov = QStringLiteral("prej");
        p.k.vsiljenaStevilka = vsiljeno;
        p.pregled.DBGrid1DblClick(); // row 8, the first of the register list
        EXPECT_FALSE(p.Q1.jeOdprt()) << vsiljeno.toStdString();
        EXPECT_EQ(p.k.steviloZapisov, QStringLiteral("prej"));
        EXPECT_FALSE(p.okolje.statusViden);
        EXPECT_EQ(p.zbirka.stevilo(QStringLiteral("SELECT COUNT(*) FROM KNJIZBE")), 6);
    }
    // Blanks around a number are no reason to refuse it.
    Panel p;
    p.pregled.btnZgodovinaClick();
    p.Q1.naslednji(); // transfer 7
    p.k.vsiljenaStevilka = QStringLiteral(" 7 ");
    p.pregled.DBGrid1DblClick();
    EXPECT_EQ(p.tekst(), (QStringList{QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("C")}));
}

TEST(Pregled, OpeningFromAnythingButARegisterRowDoesNothing)
{
    Panel p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    p.pregled.DBGrid1DblClick(); // nothing loaded
    EXPECT_EQ(p.k.stevilka, QStringLiteral("0"));
    EXPECT_TRUE(p.okolje.statusi.isEmpty());

    p.odpri(7);
    p.k.d1 = QDate(2024, 1, 1);
    p.k.stevilka = QStringLiteral("x");
    p.pregled.DBGrid1DblClick(); // the grid shows postings
    EXPECT_EQ(p.k.stevilka, QStringLiteral("x"));
    EXPECT_EQ(p.k.d1, QDate(2024, 1, 1));
    EXPECT_EQ(p.tekst(), (QStringList{QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("C")}));
}

TEST(Pregled, RegisterListHighestFirstAndEmptyCountLabel)
{
    Panel p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    p.k.steviloZapisov = QStringLiteral("3");
    p.pregled.btnZgodovinaClick();
    EXPECT_EQ(p.k.steviloZapisov, QString());
    EXPECT_EQ(p.Q1.trenutnaVrstica(), 0);
    QList<int> st;
    do
        st << p.Q1.polje(QStringLiteral("STPRENOSA")).toInt();
    while (p.Q1.naslednji());
    EXPECT_EQ(st, (QList<int>{8, 7, 2, 1}));

    // Without a register table the grid shows nothing and the label is emptied.
    p.zbirka.izvedi(QStringLiteral("DROP TABLE LEDGXFER"));
    p.k.steviloZapisov = QStringLiteral("3");
    p.pregled.btnZgodovinaClick();
    EXPECT_FALSE(p.Q1.jeOdprt());
    EXPECT_EQ(p.k.steviloZapisov, QString());
    EXPECT_TRUE(p.okolje.sporocila.isEmpty());
}

TEST(Pregled, TransferWithoutPostingsShowsZero)
{
    Panel p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    p.odpri(8);
    EXPECT_EQ(p.k.stevilka, QStringLiteral("8"));
    EXPECT_EQ(p.k.steviloZapisov, QStringLiteral("0"));
    EXPECT_TRUE(p.Q1.jeOdprt());
}

TEST(Pregled, LastTransferListsTheWholeRangeUnderTheHighestNumber)
{
    {
        Panel p;
        LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
        p.pregled.btnZadnjiClick();
        EXPECT_EQ(p.k.stevilka, QStringLiteral("8"));
        EXPECT_EQ(p.k.steviloZapisov, QStringLiteral("5"));
        EXPECT_EQ(p.okolje.statusi, (QStringList{QStringLiteral("Iskanje zadnje številke prenosa..."),
                                                 QStringLiteral("Poteka zbiranje podatkov prenosa 8 ...")}));
        EXPECT_FALSE(p.okolje.statusViden);
        // Every posting of March, transferred or not, accounts in order and NULL last.
        EXPECT_EQ(p.tekst(), (QStringList{QStringLiteral("B"), QStringLiteral("E"), QStringLiteral("F"),
                                          QStringLiteral("A"), QStringLiteral("C")}));
        EXPECT_EQ(p.k.d1, QDate(2024, 3, 1)); // the pickers are used as they stand
    }
    {
        // A failed highest-number statement ends the command without a list.
        Panel q;
        q.zbirka.izvedi(QStringLiteral("DROP TABLE LEDGXFER"));
        q.pregled.btnZadnjiClick();
        EXPECT_EQ(q.k.stevilka, QStringLiteral("0"));
        EXPECT_FALSE(q.Q1.jeOdprt());
        EXPECT_FALSE(q.okolje.statusViden);
    }
    {
        // An empty register: the field is emptied and the range listed under 0.
        Panel r;
        r.zbirka.izvedi(QStringLiteral("DELETE FROM LEDGXFER"));
        r.pregled.btnZadnjiClick();
        EXPECT_EQ(r.k.stevilka, QStringLiteral("0"));
        EXPECT_EQ(r.k.steviloZapisov, QStringLiteral("5"));
    }
}

TEST(Pregled, Deletion)
{
    struct Primer {
        QString polje;
        bool vprasanje;
        bool da;
        QString besediloVprasanja;
        QStringList sporocila;
        int vrsticRegistra;
    } primeri[] = {
        {QStringLiteral("0"), false, true, QStringLiteral(""), {}, 4},
        {QStringLiteral("-3"), false, true, QStringLiteral(""), {}, 4},
        {QStringLiteral("abc"), true, true, QStringLiteral("Ali brišem prenos številka abc ?"), {}, 4},
        {QStringLiteral("7"), true, false, QStringLiteral("Ali brišem prenos številka 7 ?"), {}, 4},
        {QStringLiteral("7"),
         true,
         true,
         QStringLiteral("Ali brišem prenos številka 7 ?"),
         {QStringLiteral("Prenos številka 7 je zbrisan!")},
         3},
    };
    for (const Primer& c : primeri) {
        Panel p;
        LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
        p.pregled.btnZgodovinaClick();
        p.k.stevilka = c.polje;
        p.pregled.btnBrisiPrenosClick();
        EXPECT_EQ(p.k.vprasanjeVidno, c.vprasanje) << c.polje.toStdString();
        EXPECT_EQ(p.k.vprasanje, c.besediloVprasanja);
        if (c.vprasanje) {
            if (c.da)
                p.pregled.btnOdgovorDaClick();
            else
                p.pregled.btnOdgovorNeClick();
            EXPECT_FALSE(p.k.vprasanjeVidno);
        }
        EXPECT_EQ(p.okolje.sporocila, c.sporocila) << c.polje.toStdString();
        EXPECT_FALSE(p.okolje.statusViden);
        EXPECT_EQ(p.zbirka.stevilo(QStringLiteral("SELECT COUNT(*) FROM LEDGXFER")), c.vrsticRegistra);
        // Postings keep their transfer number whatever happened to the register.
        EXPECT_EQ(p.zbirka.stevilo(QStringLiteral("SELECT COUNT(*) FROM KNJIZBE WHERE PRENOS=7")), 4);
        if (c.vrsticRegistra == 3) {
            EXPECT_EQ(p.okolje.statusi.value(0), QStringLiteral("Poteka brisanje prenosa 7"));
            EXPECT_FALSE(p.Q1.jeOdprt()); // the grid shows nothing after a deletion
        }
    }

    // A refused deletion only hides the question; the log says why.
    Panel p;
    p.zbirka.izvedi(QStringLiteral("DROP TABLE LEDGXFER"));
    p.k.stevilka = QStringLiteral("7");
    p.pregled.btnBrisiPrenosClick();
    ZajemDnevnika zajem;
    p.pregled.btnOdgovorDaClick();
    EXPECT_FALSE(p.k.vprasanjeVidno);
    EXPECT_TRUE(p.okolje.sporocila.isEmpty());
    EXPECT_FALSE(p.okolje.statusViden);
    EXPECT_EQ(zajem.vrstice("ledgxfer.review", QStringLiteral("Prenosa 7 ni mogoče zbrisati:")).size(), 1);
}

TEST(Pregled, JournalRunsOverThePostingsListAndPrintsOnlyZerosForTheRegisterList)
{
    const QLocale sl(QLocale::Slovenian, QLocale::Slovenia);
    auto povzetek = [&](Rezultat& Q1) {
        auto vir = virDnevnika(Q1);
        QStringList b;
        for (const Stran& s : postaviVse(opisDnevnika({}, sl), *vir, QDateTime::currentDateTime()))
            for (const PostavljenElement& e : s.elementi)
                if (e.pas == VrstaPasu::Povzetek && e.vrsta == PostavljenElement::Vrsta::Besedilo)
                    b << e.besedilo;
        return b;
    };
    Panel p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    EXPECT_EQ(povzetek(p.Q1), (QStringList{QStringLiteral("VSE SKUPAJ"), QStringLiteral("0,00"), QStringLiteral("0,00"),
                                           QStringLiteral("0,00"), QStringLiteral("0,00"), QStringLiteral("saldo"),
                                           QStringLiteral("0,00"), QStringLiteral("0,00")}));
    p.pregled.btnZgodovinaClick();
    EXPECT_EQ(povzetek(p.Q1), (QStringList{QStringLiteral("VSE SKUPAJ"), QStringLiteral("0,00"), QStringLiteral("0,00"),
                                           QStringLiteral("0,00"), QStringLiteral("0,00"), QStringLiteral("saldo"),
                                           QStringLiteral("0,00"), QStringLiteral("0,00")}));
    p.odpri(7);
    p.Q1.naslednji();
    EXPECT_EQ(povzetek(p.Q1),
              (QStringList{QStringLiteral("VSE SKUPAJ"), QStringLiteral("1.236.067,50"), QStringLiteral("500,00"),
                           QStringLiteral("1.236.067,50"), QStringLiteral("500,00"), QStringLiteral("saldo"),
                           QStringLiteral("1.235.567,50"), QStringLiteral("1.235.567,50")}));
    EXPECT_EQ(p.Q1.trenutnaVrstica(), 1); // the grid's current row stays where it was
}
