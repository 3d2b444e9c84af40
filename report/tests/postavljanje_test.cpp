#include "postavitev.h"
#include "shrambastrani.h"

#include <gtest/gtest.h>

namespace {

const QLocale kSl(QLocale::Slovenian, QLocale::Slovenia);
const QDateTime kZdaj(QDate(2024, 4, 2), QTime(14, 5, 0));

// A grouped report with every kind of item: texts (bold, underlined, right-aligned),
// fields, sums, the page number, a line and a bar.
Porocilo proba()
{
    Porocilo p;
    p.jezik = kSl;
    p.skupina = QStringLiteral("K");
    p.pasovi = {
        {VrstaPasu::GlavaStrani,
         20,
         {Element::tekst(0, 0, QStringLiteral("GLAVA")).krepka(), Element::stran(188.9, 6.3).desno(),
          Element::datumCas(120, 0)}},
        {VrstaPasu::GlavaStolpcev, 10, {Element::tekst(5, 4, QStringLiteral("STOLPEC")).krepka().podcrtana()}},
        {VrstaPasu::Podrobnosti,
         5,
         {Element::vrednost(0, 0, QStringLiteral("K")), Element::vrednost(30, 0, QStringLiteral("D")),
          Element::vrednost(100, 0, QStringLiteral("Z")).desno().zMasko(QStringLiteral("#,###,##0.00"))}},
        {VrstaPasu::NogaSkupine,
         7,
         {Element::tekst(2, 0, QStringLiteral("SKUPAJ")), Element::crta(0, 6, 180, 0),
          Element::vsota(100, 0, QStringLiteral("Z")).desno().zMasko(QStringLiteral("#,###,##0.00"))},
         true},
        {VrstaPasu::Povzetek,
         15,
         {Element::pravokotnik(1, 2, 180, 0.8), Element::vsota(100, 4, QStringLiteral("Z")).desno()},
         false,
         true},
    };
    return p;
}

TabelaVir vir(int n)
{
    QList<QVariantList> v;
    for (int i = 0; i < n; ++i)
        v.append({QStringLiteral("K%1").arg(i / 37), QDate(2024, 1, 1).addDays(i % 300), i * 1.25 - 40});
    return TabelaVir({QStringLiteral("K"), QStringLiteral("D"), QStringLiteral("Z")}, v);
}

void enakiStrani(const Stran& a, const Stran& b)
{
    EXPECT_EQ(a.stevilka, b.stevilka);
    EXPECT_EQ(a.velikostMm, b.velikostMm);
    ASSERT_EQ(a.pasovi.size(), b.pasovi.size());
    for (qsizetype i = 0; i < a.pasovi.size(); ++i) {
        EXPECT_EQ(a.pasovi.at(i).vrsta, b.pasovi.at(i).vrsta);
        EXPECT_DOUBLE_EQ(a.pasovi.at(i).zgoraj, b.pasovi.at(i).zgoraj);
    }
    ASSERT_EQ(a.elementi.size(), b.elementi.size());
    for (qsizetype i = 0; i < a.elementi.size(); ++i) {
        const PostavljenElement& x = a.elementi.at(i);
        const PostavljenElement& y = b.elementi.at(i);
        EXPECT_EQ(x.vrsta, y.vrsta) << i;
        EXPECT_EQ(x.besedilo, y.besedilo) << i;
        EXPECT_DOUBLE_EQ(x.mm.x(), y.mm.x()) << i;
        EXPECT_DOUBLE_EQ(x.mm.y(), y.mm.y()) << i;
        EXPECT_FLOAT_EQ(float(x.mm.width()), float(y.mm.width())) << i;
        EXPECT_FLOAT_EQ(float(x.mm.height()), float(y.mm.height())) << i;
        EXPECT_EQ(x.poravnava, y.poravnava) << i;
        EXPECT_EQ(x.krepko, y.krepko) << i;
        EXPECT_EQ(x.podcrtano, y.podcrtano) << i;
        EXPECT_EQ(x.pas, y.pas) << i;
    }
}

} // namespace

// The layout in steps of any size gives the pages the whole layout gives, and hands
// each page on as soon as it is complete: after the first step of one row nothing but
// the first page has been started, and no page is handed on before it is full.
TEST(Postavljanje, StepsOfAnySizeGiveTheSamePages)
{
    const int vrstic = 700;
    const Porocilo porocilo = proba();
    TabelaVir celota = vir(vrstic);
    const QList<Stran> pricakovane = postaviVse(porocilo, celota, kZdaj);
    ASSERT_GT(pricakovane.size(), 5);
    for (const qint64 korak : {qint64(1), qint64(7), qint64(64), qint64(100000)}) {
        SCOPED_TRACE(korak);
        TabelaVir v = vir(vrstic);
        QList<Stran> strani;
        Postavljanje p(porocilo, v, kZdaj, [&](const Stran& s) { strani.append(s); });
        int korakov = 0;
        while (!p.korak(korak))
            ++korakov;
        EXPECT_EQ(korakov, korak >= vrstic ? 0 : int((vrstic - 1) / korak));
        EXPECT_TRUE(p.konec());
        EXPECT_EQ(p.vrstic(), vrstic);
        EXPECT_EQ(p.strani(), pricakovane.size());
        ASSERT_EQ(strani.size(), pricakovane.size());
        for (qsizetype i = 0; i < strani.size(); ++i)
            enakiStrani(strani.at(i), pricakovane.at(i));
    }
    // One row at a time: the first page is handed on only once its last row is placed
    // (with the row or the footer that no longer fits), and a step after the end
    // changes nothing.
    int naPrvi = 0;
    for (const PostavljenPas& b : pricakovane.at(0).pasovi)
        naPrvi += b.vrsta == VrstaPasu::Podrobnosti;
    TabelaVir v = vir(vrstic);
    int predano = 0;
    Postavljanje stej(porocilo, v, kZdaj, [&](const Stran&) { ++predano; });
    EXPECT_FALSE(stej.korak(1));
    EXPECT_EQ(predano, 0);
    while (predano == 0)
        EXPECT_FALSE(stej.korak(1));
    EXPECT_GE(stej.vrstic(), naPrvi);
    EXPECT_LE(stej.vrstic(), naPrvi + 1);
    while (!stej.korak(1)) {
    }
    EXPECT_TRUE(stej.korak(1));
    EXPECT_EQ(predano, pricakovane.size());
}

// A page kept in the preview's store comes back as it was laid out.
TEST(ShrambaStrani, PagesComeBackAsTheyWereLaidOut)
{
    TabelaVir v = vir(300);
    const QList<Stran> strani = postaviVse(proba(), v, kZdaj);
    ShrambaStrani shramba;
    for (const Stran& s : strani)
        shramba.dodaj(s);
    ASSERT_EQ(shramba.steviloStrani(), strani.size());
    // Out of order, as an operator pages.
    for (int i : {int(strani.size()) - 1, 0, 2, 1})
        enakiStrani(shramba.stran(i), strani.at(i));
}
