#include "datotekagk.h"
#include "napaka.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QList>

#include <functional>
#include <map>
#include <vector>

namespace {

// Look-ups served from tables; records what was asked.
class LaznoIskanje : public Iskanje {
public:
    QHash<qint64, QString> organizacije{{1000, QStringLiteral(" 101 ")}, {2000, QStringLiteral("202")}};
    QHash<qint64, QString> vrste{{100, QStringLiteral("P")}, {200, QStringLiteral("F")}};
    bool organizacijaOdpove = false;
    QList<qint64> pogodbe;
    QList<qint64> partnerji;

    QString organizacija(qint64 pogodba) override
    {
        pogodbe << pogodba;
        if (organizacijaOdpove)
            throw Napaka(QStringLiteral("no such table: ORG"));
        return organizacije.value(pogodba);
    }
    QString vrstaPartnerja(qint64 partner) override
    {
        partnerji << partner;
        return vrste.value(partner);
    }
};

// A domestic posting: event 1 with contract 1000 (organisation " 101 "), partner 100 of
// kind "P" with bank code 00123, debit 80.00 in the posting's currency, 100.00 domestic.
Knjizba domacaKnjizba()
{
    Knjizba k;
    k.DATUMK = QDate(2018, 1, 31);
    k.DATUMV = QDate(2018, 1, 30);
    k.SFDJV = QStringLiteral("K");
    k.IDPOG = 1000;
    k.KIDPOG = 2000;
    k.IDMASTER = 1;
    k.SFOSB = 100;
    k.KONTO = QStringLiteral("2301");
    k.VALUTA = QStringLiteral("SIT");
    k.STVALUTE = QStringLiteral("705");
    k.STRAN = QStringLiteral("B");
    k.BZNESEK = 80.00;
    k.BZNESEKSIT = 100.00;
    k.KRTBNK = QStringLiteral("00123");
    k.KRTBNK1 = QStringLiteral("04567");
    k.VP = 11;
    return k;
}

// The detail line of domacaKnjizba() as the first line of a file, field by field.
const std::vector<QByteArray> kDomacaVrstica = {
    "VP888",            //  1
    "20180131",         //  2 booking date
    "001",              //  3
    "0001",             //  4 sequence number
    "00000195",         //  5 partner code
    "2301      ",       //  6 KONTO
    "0000000",          //  7
    "101",              //  8 organisation code
    "20180130",         //  9 value date
    "978",              // 10 currency code
    "000000000010000",  // 11 debit (domestic: BZNESEKSIT)
    "+",                // 12 sign of BZNESEK
    "000000000000000",  // 13 credit (domestic: DZNESEKSIT)
    "+",                // 14 sign of DZNESEK
    "1",                // 15 side code
    "000000000010000",  // 16 BZNESEKSIT
    "+",                // 17 its sign
    "000000000000000",  // 18 DZNESEKSIT
    "+",                // 19 its sign
    "O",                // 20
    "00",               // 21
    "20180130",         // 22 value date
    "                ", // 23 sixteen spaces
    "O",                // 24
};

// The base line with some fields (numbered from 1) replaced.
QByteArray vrsticaZ(const std::map<int, QByteArray>& drugacnaPolja)
{
    QByteArray v;
    for (int i = 0; i < static_cast<int>(kDomacaVrstica.size()); ++i) {
        const auto it = drugacnaPolja.find(i + 1);
        v += it != drugacnaPolja.end() ? it->second : kDomacaVrstica[i];
    }
    return v;
}

TEST(PodrobnaVrstica, DomacaKnjizbaPoljeZaPoljem)
{
    LaznoIskanje iskanje;
    const PodrobnaVrstica p = zgradiPodrobnoVrstico(domacaKnjizba(), 0, iskanje);
    ASSERT_TRUE(p.zapisi);
    EXPECT_EQ(p.vrstica, QByteArray("VP888"
                                    "20180131"
                                    "001"
                                    "0001"
                                    "00000195"
                                    "2301      "
                                    "0000000"
                                    "101"
                                    "20180130"
                                    "978"
                                    "000000000010000"
                                    "+"
                                    "000000000000000"
                                    "+"
                                    "1"
                                    "000000000010000"
                                    "+"
                                    "000000000000000"
                                    "+"
                                    "O"
                                    "00"
                                    "20180130"
                                    "                "
                                    "O"));
    EXPECT_EQ(p.vrstica.size(), 152);
    EXPECT_EQ(p.vrstica, vrsticaZ({}));
    EXPECT_FALSE(p.vrstica.endsWith('\n')); // the writer adds CR LF
    // Contract of the event (IDMASTER is not 0), partner of the posting.
    EXPECT_EQ(iskanje.pogodbe, QList<qint64>{1000});
    EXPECT_EQ(iskanje.partnerji, QList<qint64>{100});
    // What the adjustment store receives.
    EXPECT_EQ(p.sifraPartnerja8, QStringLiteral("00000195"));
    EXPECT_EQ(p.KONTO, QStringLiteral("2301"));
    EXPECT_EQ(p.SFDJV, QStringLiteral("K"));
}

struct PrimerVrstice {
    const char* ime;
    std::function<void(Knjizba&)> spremeni;
    std::map<int, QByteArray> polja; // the fields that differ from kDomacaVrstica
};

const std::vector<PrimerVrstice>& primeriVrstic()
{
    static const std::vector<PrimerVrstice> primeri = {
        {"foreign account: currency and amounts of the posting's currency",
         [](Knjizba& k) {
             k.DEVIZEN = QStringLiteral("D");
             k.VALUTA = QStringLiteral("USD");
             k.STVALUTE = QStringLiteral("840");
             k.DZNESEK = -3.5;
         },
         {{10, "840"}, {11, "000000000008000"}, {13, "000000000000350"}, {14, "-"}}},
        {"foreign account marked in lower case",
         [](Knjizba& k) {
             k.DEVIZEN = QStringLiteral("d");
             k.STVALUTE = QStringLiteral("840");
         },
         {{10, "840"}, {11, "000000000008000"}}},
        {"VALUTA E on a domestic account",
         [](Knjizba& k) {
             k.VALUTA = QStringLiteral("E");
             k.STVALUTE = QStringLiteral("978");
         },
         {{11, "000000000008000"}}},
        {"currency without a VLT row",
         [](Knjizba& k) {
             k.DEVIZEN = QStringLiteral("D");
             k.STVALUTE = QStringLiteral("");
         },
         {{10, "   "}, {11, "000000000008000"}}},
        {"currency code shorter than three",
         [](Knjizba& k) {
             k.DEVIZEN = QStringLiteral("D");
             k.STVALUTE = QStringLiteral("97");
         },
         {{10, " 97"}, {11, "000000000008000"}}},
        {"currency code cut to three",
         [](Knjizba& k) {
             k.DEVIZEN = QStringLiteral("D");
             k.STVALUTE = QStringLiteral("97812");
         },
         {{10, "978"}, {11, "000000000008000"}}},
        {"special KONTO 9788010 whatever SALDAKONTEN says",
         [](Knjizba& k) {
             k.KONTO = QStringLiteral("9788010");
             k.SALDAKONTEN = QStringLiteral("T");
         },
         {{5, "51798309"}, {6, "9788010   "}}},
        {"special KONTO 090020",
         [](Knjizba& k) { k.KONTO = QStringLiteral("090020"); },
         {{5, "51798309"}, {6, "090020    "}}},
        {"9788010 with a trailing space is not in the list",
         [](Knjizba& k) {
             k.KONTO = QStringLiteral("9788010 ");
             k.SALDAKONTEN = QStringLiteral("T");
         },
         {{5, "00000123"}, {6, "9788010   "}}},
        {"SALDAKONTEN T takes the partner's bank code",
         [](Knjizba& k) { k.SALDAKONTEN = QStringLiteral("T"); },
         {{5, "00000123"}}},
        {"SALDAKONTEN t like T", [](Knjizba& k) { k.SALDAKONTEN = QStringLiteral("t"); }, {{5, "00000123"}}},
        {"bank code 12A is no integer",
         [](Knjizba& k) {
             k.SALDAKONTEN = QStringLiteral("T");
             k.KRTBNK = QStringLiteral("12A");
         },
         {}},
        {"bank code padded with blanks",
         [](Knjizba& k) {
             k.SALDAKONTEN = QStringLiteral("T");
             k.KRTBNK = QStringLiteral("00123     ");
         },
         {{5, "00000123"}}},
        {"negative bank code grows the field",
         [](Knjizba& k) {
             k.SALDAKONTEN = QStringLiteral("T");
             k.KRTBNK = QStringLiteral("-5");
         },
         {{5, "-00000005"}}},
        {"SALDAKONTEN I takes the issuer's bank code",
         [](Knjizba& k) { k.SALDAKONTEN = QStringLiteral("I"); },
         {{5, "00004567"}}},
        {"SALDAKONTEN I with issuer bank code 12A",
         [](Knjizba& k) {
             k.SALDAKONTEN = QStringLiteral("I");
             k.KRTBNK1 = QStringLiteral("12A");
         },
         {}},
        {"SALDAKONTEN N", [](Knjizba& k) { k.SALDAKONTEN = QStringLiteral("N"); }, {}},
        {"partner of kind F",
         [](Knjizba& k) {
             k.SALDAKONTEN = QStringLiteral("T");
             k.SFOSB = 200;
         },
         {}},
        {"partner code of nine digits grows the field",
         [](Knjizba& k) {
             k.SALDAKONTEN = QStringLiteral("T");
             k.KRTBNK = QStringLiteral("123456789");
         },
         {{5, "123456789"}}},
        {"SFDJV N gives 025", [](Knjizba& k) { k.SFDJV = QStringLiteral("N"); }, {{8, "025"}}},
        {"SFDJV U gives 025", [](Knjizba& k) { k.SFDJV = QStringLiteral("U"); }, {{8, "025"}}},
        {"SFDJV n does not", [](Knjizba& k) { k.SFDJV = QStringLiteral("n"); }, {}},
        {"no event: contract of the posting", [](Knjizba& k) { k.IDMASTER = 0; }, {{8, "202"}}},
        {"organisation not found", [](Knjizba& k) { k.IDPOG = 999; }, {{8, "   "}}},
        {"STRAN D", [](Knjizba& k) { k.STRAN = QStringLiteral("D"); }, {{15, "2"}}},
        {"STRAN b", [](Knjizba& k) { k.STRAN = QStringLiteral("b"); }, {{15, "3"}}},
        {"STRAN d", [](Knjizba& k) { k.STRAN = QStringLiteral("d"); }, {{15, "4"}}},
        {"STRAN X unchanged", [](Knjizba& k) { k.STRAN = QStringLiteral("X"); }, {{15, "X"}}},
        {"STRAN empty", [](Knjizba& k) { k.STRAN = QStringLiteral(""); }, {{15, " "}}},
        {"null DATUMV is day 0", [](Knjizba& k) { k.DATUMV = Knjizba().DATUMV; }, {{9, "18991230"}, {22, "18991230"}}},
        {"only amount 0.004: written, fields of zeros",
         [](Knjizba& k) {
             k.BZNESEK = 0;
             k.BZNESEKSIT = 0;
             k.DZNESEKSIT = 0.004;
         },
         {{11, "000000000000000"}, {16, "000000000000000"}}},
        {"negative domestic amounts",
         [](Knjizba& k) {
             k.BZNESEKSIT = -12.34;
             k.DZNESEKSIT = 2.675;
         },
         {{11, "000000000001234"},
          {13, "000000000000267"},
          {16, "000000000001234"},
          {17, "-"},
          {18, "000000000000267"}}},
        {"KONTO cut to ten bytes, in the code page",
         [](Knjizba& k) { k.KONTO = QStringLiteral("Č12345678901"); },
         {{6, "\xC8"
              "123456789"}}},
    };
    return primeri;
}

TEST(PodrobnaVrstica, VsakaVejaPravila)
{
    for (const PrimerVrstice& primer : primeriVrstic()) {
        LaznoIskanje iskanje;
        Knjizba k = domacaKnjizba();
        primer.spremeni(k);
        const PodrobnaVrstica p = zgradiPodrobnoVrstico(k, 0, iskanje);
        EXPECT_TRUE(p.zapisi) << primer.ime;
        EXPECT_EQ(p.vrstica, vrsticaZ(primer.polja)) << primer.ime;
        const auto sifra = primer.polja.find(5);
        EXPECT_EQ(p.sifraPartnerja8.toLatin1(), sifra != primer.polja.end() ? sifra->second : "00000195") << primer.ime;
    }
}

TEST(PodrobnaVrstica, DesettisocaVrsticaImaPetMestnoZaporednoStevilko)
{
    LaznoIskanje iskanje;
    const PodrobnaVrstica p = zgradiPodrobnoVrstico(domacaKnjizba(), 9999, iskanje);
    EXPECT_EQ(p.vrstica, vrsticaZ({{4, "10000"}}));
    EXPECT_EQ(p.vrstica.size(), 153);
    EXPECT_EQ(zgradiPodrobnoVrstico(domacaKnjizba(), 9998, iskanje).vrstica, vrsticaZ({{4, "9999"}}));
}

TEST(PodrobnaVrstica, BrezZneskovNiVrsticeIskanjaPaSo)
{
    LaznoIskanje iskanje;
    Knjizba k = domacaKnjizba();
    k.BZNESEK = 0;
    k.BZNESEKSIT = -0.0;
    k.SALDAKONTEN = QStringLiteral("T");
    const PodrobnaVrstica p = zgradiPodrobnoVrstico(k, 5, iskanje);
    EXPECT_FALSE(p.zapisi);
    EXPECT_TRUE(p.vrstica.isEmpty());
    EXPECT_EQ(iskanje.pogodbe.size(), 1);
    EXPECT_EQ(iskanje.partnerji.size(), 1);
}

TEST(PodrobnaVrstica, NapakaIskanjaOrganizacijeSePrenese)
{
    LaznoIskanje iskanje;
    iskanje.organizacijaOdpove = true;
    DatotekaGk gk(iskanje);
    EXPECT_THROW(gk.dodaj(domacaKnjizba()), Napaka);
    EXPECT_EQ(gk.steviloVrstic(), 0);
    EXPECT_EQ(gk.vsote().zaokrozenaBremeSit, 0.0);
    // Even where SFDJV decides the code, the look-up is made and its failure passed on.
    Knjizba k = domacaKnjizba();
    k.SFDJV = QStringLiteral("N");
    EXPECT_THROW(zgradiPodrobnoVrstico(k, 0, iskanje), Napaka);
}

TEST(UvodnaVrstica, PresledekStiriNicleDatumOznaka)
{
    EXPECT_EQ(UvodnaVrstica(QDate(2018, 1, 31)), QByteArray(" 0000"
                                                            "20180131"
                                                            "VP-20180131"
                                                            "         "));
    EXPECT_EQ(UvodnaVrstica(QDate(2018, 1, 31)).size(), 33);
}

TEST(ZakljucnaVrstica, SteviloInKontrolneVsote)
{
    VsoteGk vsote;
    vsote.zaokrozenaBremeSit = 1234.56;
    vsote.zaokrozenoDobroSit = 0.5;
    vsote.breme = -1.0; // the signs follow the totals in the postings' currencies
    vsote.dobro = 2.0;
    const QByteArray v = ZakljucnaVrstica(QDate(2018, 1, 31), 42, vsote);
    EXPECT_EQ(v, QByteArray("99999"
                            "20180131"
                            "VP-20180131         "
                            "000042"
                            "000000000123456"
                            "-"
                            "000000000000050"
                            "+"));
    EXPECT_EQ(v.size(), 71);
}

TEST(ZakljucnaVrstica, NegativnaVsotaPodaljsaVrstico)
{
    VsoteGk vsote;
    vsote.zaokrozenaBremeSit = -5.00;
    vsote.breme = -5.00;
    const QByteArray v = ZakljucnaVrstica(QDate(2018, 1, 31), 1, vsote);
    EXPECT_EQ(v, QByteArray("99999"
                            "20180131"
                            "VP-20180131         "
                            "000001"
                            "-000000000000500"
                            "-"
                            "000000000000000"
                            "+"));
    EXPECT_EQ(v.size(), 72);
}

TEST(DatotekaGk, ZaporedjeStetjeInVsote)
{
    LaznoIskanje iskanje;
    DatotekaGk gk(iskanje);

    Knjizba prva = domacaKnjizba();
    Knjizba nicelna = domacaKnjizba();
    nicelna.BZNESEK = nicelna.BZNESEKSIT = 0;
    Knjizba druga = domacaKnjizba();
    druga.STRAN = QStringLiteral("D");
    druga.BZNESEK = druga.BZNESEKSIT = 0;
    druga.DZNESEK = 7.5;
    druga.DZNESEKSIT = 0.015; // rounded: 1 cent

    EXPECT_EQ(gk.dodaj(prva).vrstica, vrsticaZ({}));
    EXPECT_FALSE(gk.dodaj(nicelna).zapisi);
    // The zero posting did not advance the sequence number.
    EXPECT_EQ(gk.dodaj(druga).vrstica, vrsticaZ({{4, "0002"},
                                                 {11, "000000000000000"},
                                                 {13, "000000000000001"},
                                                 {15, "2"},
                                                 {16, "000000000000000"},
                                                 {18, "000000000000001"}}));
    EXPECT_EQ(gk.steviloVrstic(), 2);
    EXPECT_EQ(iskanje.pogodbe.size(), 3);

    EXPECT_EQ(gk.zakljucnaVrstica(QDate(2018, 1, 31)), QByteArray("99999"
                                                                  "20180131"
                                                                  "VP-20180131         "
                                                                  "000002"
                                                                  "000000000010000"
                                                                  "+"
                                                                  "000000000000001"
                                                                  "+"));
    EXPECT_EQ(gk.vsote().breme, 80.0);
    EXPECT_EQ(gk.vsote().dobro, 7.5);
}

TEST(DatotekaGk, SameNicelneKnjizbe)
{
    LaznoIskanje iskanje;
    DatotekaGk gk(iskanje);
    Knjizba k = domacaKnjizba();
    k.BZNESEK = k.BZNESEKSIT = 0;
    gk.dodaj(k);
    gk.dodaj(k);
    EXPECT_EQ(gk.zakljucnaVrstica(QDate(2018, 1, 31)), QByteArray("99999"
                                                                  "20180131"
                                                                  "VP-20180131         "
                                                                  "000000"
                                                                  "000000000000000"
                                                                  "+"
                                                                  "000000000000000"
                                                                  "+"));
}

} // namespace
