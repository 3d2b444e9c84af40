#include "dnevnik.h"
#include "postavitev.h"

#include <gtest/gtest.h>

namespace {

const QLocale kSl(QLocale::Slovenian, QLocale::Slovenia);
const QDateTime kZdaj(QDate(2024, 4, 2), QTime(9, 30));

// Postings as the review panel lists them: DATUMV, SFDJV, KONTO, VALUTA and the
// four amounts (debit, credit, domestic debit, domestic credit).
TabelaVir knjizbe(const QList<QVariantList>& vrstice)
{
    return TabelaVir({QStringLiteral("DATUMK"), QStringLiteral("SFDJV"), QStringLiteral("DATUMV"),
                      QStringLiteral("KONTO"), QStringLiteral("STRAN"), QStringLiteral("VALUTA"),
                      QStringLiteral("BZNESEK"), QStringLiteral("DZNESEK"), QStringLiteral("BZNESEKSIT"),
                      QStringLiteral("DZNESEKSIT")},
                     vrstice);
}

QVariantList knjizba(const QString& sfdjv, const QString& konto, double b, double d)
{
    return {QDate(2024, 3, 5),
            sfdjv,
            QDate(2024, 3, 6),
            konto,
            QStringLiteral("B"),
            QStringLiteral("EUR"),
            b,
            d,
            b * 2,
            d * 2};
}

QStringList besedila(const QList<Stran>& strani, VrstaPasu pas)
{
    QStringList b;
    for (const Stran& s : strani)
        for (const PostavljenElement& e : s.elementi)
            if (e.pas == pas && e.vrsta == PostavljenElement::Vrsta::Besedilo)
                b << e.besedilo;
    return b;
}

QList<Stran> dnevnik(VirVrstic& vir, const GlavaDnevnika& glava = {})
{
    return postaviVse(opisDnevnika(glava, kSl), vir, kZdaj);
}

} // namespace

TEST(Dnevnik, SubtotalAfterEachChangeOfActivityCodeOnlyAcrossAccounts)
{
    // Activity codes 1, 1, 2: a subtotal after the second row and after the third.
    TabelaVir a = knjizbe({knjizba(QStringLiteral("1"), QStringLiteral("1100"), 100, 0),
                           knjizba(QStringLiteral("1"), QStringLiteral("1200"), 0, 40),
                           knjizba(QStringLiteral("2"), QStringLiteral("1200"), 7, 0)});
    EXPECT_EQ(
        besedila(dnevnik(a), VrstaPasu::NogaSkupine),
        (QStringList{QStringLiteral("SKUPAJ"), QStringLiteral("1"), QStringLiteral("100,00"), QStringLiteral("40,00"),
                     QStringLiteral("200,00"), QStringLiteral("80,00"), QStringLiteral("SKUPAJ"), QStringLiteral("2"),
                     QStringLiteral("7,00"), QStringLiteral("0,00"), QStringLiteral("14,00"), QStringLiteral("0,00")}));

    // Account A with activity 2, then account B with activity 2: one subtotal.
    TabelaVir b = knjizbe({knjizba(QStringLiteral("2"), QStringLiteral("A"), 1, 0),
                           knjizba(QStringLiteral("2"), QStringLiteral("B"), 2, 0)});
    EXPECT_EQ(besedila(dnevnik(b), VrstaPasu::NogaSkupine),
              (QStringList{QStringLiteral("SKUPAJ"), QStringLiteral("2"), QStringLiteral("3,00"),
                           QStringLiteral("0,00"), QStringLiteral("6,00"), QStringLiteral("0,00")}));
}

TEST(Dnevnik, BalanceWithThousandsSeparatorAndLeadingMinus)
{
    TabelaVir a = knjizbe({knjizba(QStringLiteral("1"), QStringLiteral("1100"), 1500, 500)});
    EXPECT_EQ(besedila(dnevnik(a), VrstaPasu::Povzetek),
              (QStringList{QStringLiteral("VSE SKUPAJ"), QStringLiteral("1.500,00"), QStringLiteral("500,00"),
                           QStringLiteral("3.000,00"), QStringLiteral("1.000,00"), QStringLiteral("saldo"),
                           QStringLiteral("1.000,00"), QStringLiteral("2.000,00")}));
    TabelaVir b = knjizbe({knjizba(QStringLiteral("1"), QStringLiteral("1100"), 500, 1500)});
    const QStringList povzetek = besedila(dnevnik(b), VrstaPasu::Povzetek);
    EXPECT_EQ(povzetek.mid(5),
              (QStringList{QStringLiteral("saldo"), QStringLiteral("-1.000,00"), QStringLiteral("-2.000,00")}));
}

TEST(Dnevnik, DetailLineShowsValueDateCodesAndMaskedAmounts)
{
    TabelaVir a = knjizbe({knjizba(QStringLiteral("1"), QStringLiteral("1100"), 1234567.891, 0)});
    const QList<Stran> strani = dnevnik(a);
    EXPECT_EQ(besedila(strani, VrstaPasu::Podrobnosti),
              (QStringList{QStringLiteral("6. 03. 2024"), QStringLiteral("1"), QStringLiteral("1100"),
                           QStringLiteral("EUR"), QStringLiteral("1.234.567,89"), QStringLiteral("0,00"),
                           QStringLiteral("2.469.135,78"), QStringLiteral("0,00")}));
    // Right-aligned amounts end at their edge, measured from the left margin.
    for (const PostavljenElement& e : strani.at(0).elementi)
        if (e.besedilo == QStringLiteral("1.234.567,89") && e.pas == VrstaPasu::Podrobnosti) {
            EXPECT_EQ(e.poravnava, Poravnava::Desno);
            EXPECT_DOUBLE_EQ(e.mm.x(), 10 + 85.7);
        }
}

TEST(Dnevnik, EmptyListPrintsHeaderCaptionsAndZeroTotalsOnOnePage)
{
    TabelaVir prazen = knjizbe({});
    GlavaDnevnika glava;
    glava.stevilkaTemeljnice = QStringLiteral("17");
    glava.iniciator = QStringLiteral("  Janez Novak ");
    const QList<Stran> strani = dnevnik(prazen, glava);
    ASSERT_EQ(strani.size(), 1);
    EXPECT_EQ(besedila(strani, VrstaPasu::GlavaStrani),
              (QStringList{QStringLiteral("Temeljnica številka:"), QStringLiteral("17"),
                           QStringLiteral("Datum knjiženja:   "), QStringLiteral("1.1.2003"),
                           QStringLiteral("Datum valutacije:   "), QStringLiteral("1.1.2003"),
                           QStringLiteral("Iniciator: "), QStringLiteral("  Janez Novak "),
                           QStringLiteral("Aplikacija ORV Master"), QStringLiteral("PRENOS PROMETA V GLAVNO KNJIGO"),
                           QStringLiteral("2. 04. 2024 09:30"), QStringLiteral("1")}));
    EXPECT_EQ(besedila(strani, VrstaPasu::GlavaStolpcev),
              (QStringList{QStringLiteral("DAN"), QStringLiteral("DEJ"), QStringLiteral("KONTO"), QStringLiteral("VAL"),
                           QStringLiteral("Znesek breme"), QStringLiteral("Znesek dobro"),
                           QStringLiteral("Znesek breme "), QStringLiteral("Znesek dobro ")}));
    EXPECT_TRUE(besedila(strani, VrstaPasu::NogaSkupine).isEmpty());
    EXPECT_EQ(besedila(strani, VrstaPasu::Povzetek),
              (QStringList{QStringLiteral("VSE SKUPAJ"), QStringLiteral("0,00"), QStringLiteral("0,00"),
                           QStringLiteral("0,00"), QStringLiteral("0,00"), QStringLiteral("saldo"),
                           QStringLiteral("0,00"), QStringLiteral("0,00")}));
}

TEST(Dnevnik, LongListRepeatsTheHeaderOnEveryPage)
{
    QList<QVariantList> vrstice;
    for (int i = 0; i < 120; ++i)
        vrstice << knjizba(i < 60 ? QStringLiteral("1") : QStringLiteral("2"), QStringLiteral("1100"), 1, 0);
    TabelaVir vir = knjizbe(vrstice);
    const QList<Stran> strani = dnevnik(vir);
    ASSERT_EQ(strani.size(), 3);
    for (const Stran& s : strani) {
        EXPECT_EQ(s.besedila().value(0), QStringLiteral("Temeljnica številka:"));
        EXPECT_TRUE(s.besedila().contains(QStringLiteral("Znesek dobro ")));
        EXPECT_TRUE(s.besedila().contains(QString::number(s.stevilka)));
    }
    EXPECT_EQ(besedila(strani, VrstaPasu::Povzetek).value(1), QStringLiteral("120,00"));
}
