#include "postavitev.h"

#include <gtest/gtest.h>

namespace {

const QString kMaska = QStringLiteral("#,###,##0.00");
const QLocale kSl(QLocale::Slovenian, QLocale::Slovenia);

// A small report: page header 20 mm, column header 10 mm, group on K with an empty
// 3 mm header, 5 mm details, a 7 mm footer with its sum, and a 15 mm summary.
// Printable height 277 mm, so 247 mm remain under the headers on every page.
Porocilo proba()
{
    Porocilo p;
    p.jezik = kSl;
    p.skupina = QStringLiteral("K");
    p.pasovi = {
        {VrstaPasu::GlavaStrani,
         20,
         {Element::tekst(0, 0, QStringLiteral("GLAVA")), Element::stran(188.9, 6.3).desno(),
          Element::vrednost(30, 0, QStringLiteral("k"))}},
        {VrstaPasu::GlavaStolpcev, 10, {Element::tekst(5, 4, QStringLiteral("STOLPEC")).krepka().podcrtana()}},
        {VrstaPasu::GlavaSkupine, 3, {}},
        {VrstaPasu::Podrobnosti,
         5,
         {Element::vrednost(0, 0, QStringLiteral("K")),
          Element::vrednost(100, 0, QStringLiteral("Z")).desno().zMasko(kMaska),
          Element::vsota(150, 0, QStringLiteral("Z")).desno().zMasko(kMaska)}},
        {VrstaPasu::NogaSkupine,
         7,
         {Element::tekst(2, 0, QStringLiteral("SKUPAJ")), Element::vrednost(20, 0, QStringLiteral("K")),
          Element::vsota(100, 0, QStringLiteral("z")).desno().zMasko(kMaska)},
         true},
        {VrstaPasu::Povzetek,
         15,
         {Element::pravokotnik(1, 2, 180, 0.8), Element::tekst(2, 4, QStringLiteral("VSE")),
          Element::vsota(100, 4, QStringLiteral("Z")).desno().zMasko(kMaska),
          Element::vsota(100, 10, QStringLiteral("Z - W")).desno().zMasko(kMaska)},
         false,
         true},
    };
    return p;
}

TabelaVir vrstice(const QList<std::pair<QString, double>>& kz, double w = 0)
{
    QList<QVariantList> v;
    for (const auto& [k, z] : kz)
        v.append({k, z, w});
    return TabelaVir({QStringLiteral("K"), QStringLiteral("Z"), QStringLiteral("W")}, v);
}

QList<VrstaPasu> vrstePasov(const Stran& s)
{
    QList<VrstaPasu> v;
    for (const PostavljenPas& p : s.pasovi)
        v << p.vrsta;
    return v;
}

const PostavljenElement* najdi(const Stran& s, const QString& besedilo)
{
    for (const PostavljenElement& e : s.elementi)
        if (e.besedilo == besedilo)
            return &e;
    return nullptr;
}

// Texts of the items of one kind of band, in order, over all pages.
QStringList besedilaPasu(const QList<Stran>& strani, VrstaPasu vrsta)
{
    QStringList b;
    for (const Stran& s : strani)
        for (const PostavljenElement& e : s.elementi)
            if (e.pas == vrsta && e.vrsta == PostavljenElement::Vrsta::Besedilo)
                b << e.besedilo;
    return b;
}

const QDateTime kZdaj(QDate(2024, 4, 2), QTime(14, 5, 0));

} // namespace

TEST(Postavitev, GroupFootersFollowEachChangeAndTheirSumsStartAgain)
{
    Porocilo p = proba();
    TabelaVir vir =
        vrstice({{QStringLiteral("1"), 1500}, {QStringLiteral("1"), 250.5}, {QStringLiteral("2"), 1000000}});
    const QList<Stran> strani = postaviVse(p, vir, kZdaj);
    ASSERT_EQ(strani.size(), 1);
    EXPECT_EQ(vrstePasov(strani.at(0)),
              (QList<VrstaPasu>{VrstaPasu::GlavaStrani, VrstaPasu::GlavaStolpcev, VrstaPasu::GlavaSkupine,
                                VrstaPasu::Podrobnosti, VrstaPasu::Podrobnosti, VrstaPasu::NogaSkupine,
                                VrstaPasu::GlavaSkupine, VrstaPasu::Podrobnosti, VrstaPasu::NogaSkupine,
                                VrstaPasu::Povzetek}));
    // Footers carry the group's own key and its own total only.
    EXPECT_EQ(besedilaPasu(strani, VrstaPasu::NogaSkupine),
              (QStringList{QStringLiteral("SKUPAJ"), QStringLiteral("1"), QStringLiteral("1.750,50"),
                           QStringLiteral("SKUPAJ"), QStringLiteral("2"), QStringLiteral("1.000.000,00")}));
    // A sum in the detail band is a running sum over every row so far.
    EXPECT_EQ(besedilaPasu(strani, VrstaPasu::Podrobnosti),
              (QStringList{QStringLiteral("1"), QStringLiteral("1.500,00"), QStringLiteral("1.500,00"),
                           QStringLiteral("1"), QStringLiteral("250,50"), QStringLiteral("1.750,50"),
                           QStringLiteral("2"), QStringLiteral("1.000.000,00"), QStringLiteral("1.001.750,50")}));
    EXPECT_EQ(besedilaPasu(strani, VrstaPasu::Povzetek),
              (QStringList{QStringLiteral("VSE"), QStringLiteral("1.001.750,50"), QStringLiteral("1.001.750,50")}));
}

TEST(Postavitev, NeighbouringRowsWithTheSameKeyShareOneGroupWhateverElseDiffers)
{
    Porocilo p = proba();
    // 1, 1, 2, 2, 1: a key that comes back later opens a new group.
    TabelaVir vir = vrstice({{QStringLiteral("1"), 1},
                             {QStringLiteral("1"), 2},
                             {QStringLiteral("2"), 4},
                             {QStringLiteral("2"), 8},
                             {QStringLiteral("1"), 16}});
    const QList<Stran> strani = postaviVse(p, vir, kZdaj);
    EXPECT_EQ(besedilaPasu(strani, VrstaPasu::NogaSkupine),
              (QStringList{QStringLiteral("SKUPAJ"), QStringLiteral("1"), QStringLiteral("3,00"),
                           QStringLiteral("SKUPAJ"), QStringLiteral("2"), QStringLiteral("12,00"),
                           QStringLiteral("SKUPAJ"), QStringLiteral("1"), QStringLiteral("16,00")}));
}

TEST(Postavitev, PageBreakRepeatsBothHeadersAndNumbersThePages)
{
    Porocilo p = proba();
    p.skupina.clear(); // details only: 247 mm hold 49 rows of 5 mm
    QList<std::pair<QString, double>> kz;
    for (int i = 0; i < 100; ++i)
        kz.append({QString::number(i), 1.0});
    TabelaVir vir = vrstice(kz);
    const QList<Stran> strani = postaviVse(p, vir, kZdaj);
    ASSERT_EQ(strani.size(), 3);
    int vrstic[3] = {};
    for (int s = 0; s < 3; ++s) {
        const Stran& st = strani.at(s);
        EXPECT_EQ(st.stevilka, s + 1);
        ASSERT_GE(st.pasovi.size(), 2);
        EXPECT_EQ(st.pasovi.at(0).vrsta, VrstaPasu::GlavaStrani);
        EXPECT_DOUBLE_EQ(st.pasovi.at(0).zgoraj, 10.0);
        EXPECT_EQ(st.pasovi.at(1).vrsta, VrstaPasu::GlavaStolpcev);
        EXPECT_DOUBLE_EQ(st.pasovi.at(1).zgoraj, 30.0);
        for (const PostavljenPas& b : st.pasovi) {
            EXPECT_LE(b.zgoraj + b.visina, 287.0 + 1e-9);
            vrstic[s] += b.vrsta == VrstaPasu::Podrobnosti;
        }
        const PostavljenElement* stevilka = najdi(st, QString::number(s + 1));
        ASSERT_NE(stevilka, nullptr);
        EXPECT_EQ(stevilka->pas, VrstaPasu::GlavaStrani);
        EXPECT_EQ(stevilka->poravnava, Poravnava::Desno);
        EXPECT_DOUBLE_EQ(stevilka->mm.x(), 10 + 188.9);
    }
    EXPECT_EQ(vrstic[0], 49);
    EXPECT_EQ(vrstic[1], 49);
    EXPECT_EQ(vrstic[2], 2);
    // The field in the page header shows the row that opens the page.
    EXPECT_NE(najdi(strani.at(1), QStringLiteral("49")), nullptr);
    EXPECT_EQ(strani.at(1).elementi.at(2).besedilo, QStringLiteral("49"));
    EXPECT_EQ(strani.at(2).elementi.at(2).besedilo, QStringLiteral("98"));
    // The summary lands on the last page with the total of all rows.
    EXPECT_EQ(besedilaPasu({strani.at(2)}, VrstaPasu::Povzetek).value(1), QStringLiteral("100,00"));
}

TEST(Postavitev, FooterThatNoLongerFitsOpensTheNextPageWithItsGroupsValues)
{
    Porocilo p = proba();
    // Group header 3 + 48 rows = 243 mm of 247: the footer (7 mm) must go over.
    QList<std::pair<QString, double>> kz;
    for (int i = 0; i < 48; ++i)
        kz.append({QStringLiteral("A"), 2.0});
    TabelaVir vir = vrstice(kz);
    const QList<Stran> strani = postaviVse(p, vir, kZdaj);
    ASSERT_EQ(strani.size(), 2);
    EXPECT_EQ(vrstePasov(strani.at(1)), (QList<VrstaPasu>{VrstaPasu::GlavaStrani, VrstaPasu::GlavaStolpcev,
                                                          VrstaPasu::NogaSkupine, VrstaPasu::Povzetek}));
    EXPECT_EQ(besedilaPasu({strani.at(1)}, VrstaPasu::NogaSkupine),
              (QStringList{QStringLiteral("SKUPAJ"), QStringLiteral("A"), QStringLiteral("96,00")}));
    // The footer's line runs along its top edge across the printable width.
    const PostavljenElement& crta = strani.at(1).elementi.at(4);
    EXPECT_EQ(crta.vrsta, PostavljenElement::Vrsta::Crta);
    EXPECT_DOUBLE_EQ(crta.mm.y(), 40.0);
    EXPECT_DOUBLE_EQ(crta.mm.x(), 10.0);
    EXPECT_DOUBLE_EQ(crta.mm.width(), 190.0);
}

TEST(Postavitev, EmptySourcePrintsHeadersAndZeroSummaryOrNoPagesWhenAskedSo)
{
    Porocilo p = proba();
    PrazenVir prazen;
    const QList<Stran> strani = postaviVse(p, prazen, kZdaj);
    ASSERT_EQ(strani.size(), 1);
    EXPECT_EQ(vrstePasov(strani.at(0)),
              (QList<VrstaPasu>{VrstaPasu::GlavaStrani, VrstaPasu::GlavaStolpcev, VrstaPasu::Povzetek}));
    EXPECT_EQ(besedilaPasu(strani, VrstaPasu::Povzetek),
              (QStringList{QStringLiteral("VSE"), QStringLiteral("0,00"), QStringLiteral("0,00")}));

    // Rows without any of the named fields: values empty, sums zero, no crash.
    TabelaVir tuji({QStringLiteral("STPRENOSA")}, {{7}, {5}});
    const QList<Stran> tuje = postaviVse(p, tuji, kZdaj);
    ASSERT_EQ(tuje.size(), 1);
    EXPECT_EQ(besedilaPasu(tuje, VrstaPasu::Povzetek),
              (QStringList{QStringLiteral("VSE"), QStringLiteral("0,00"), QStringLiteral("0,00")}));

    p.praznoBrezStrani = true;
    int klicev = 0;
    EXPECT_EQ(postavi(p, prazen, kZdaj, [&](const Stran&) { ++klicev; }), 0);
    EXPECT_EQ(klicev, 0);
}

TEST(Postavitev, NegativeBalanceAndLocaleSeparators)
{
    Porocilo p = proba();
    TabelaVir vir = vrstice({{QStringLiteral("1"), 500}}, 1500); // Z - W = -1000
    const QStringList povzetek = besedilaPasu(postaviVse(p, vir, kZdaj), VrstaPasu::Povzetek);
    EXPECT_EQ(povzetek.value(2), QStringLiteral("-1.000,00"));

    p.jezik = QLocale(QLocale::English, QLocale::UnitedStates);
    TabelaVir vir2 = vrstice({{QStringLiteral("1"), 1500}}, 500);
    EXPECT_EQ(besedilaPasu(postaviVse(p, vir2, kZdaj), VrstaPasu::Povzetek).value(2), QStringLiteral("1,000.00"));
}

TEST(Postavitev, ValueTexts)
{
    struct Primer {
        QVariant v;
        QString maska;
        QString pricakovano;
    } primeri[] = {
        {1234567.891, QStringLiteral("#,###,##0.00"), QStringLiteral("1.234.567,89")},
        {-0.004, QStringLiteral("#,###,##0.00"), QStringLiteral("0,00")},
        {-1234.5, QStringLiteral("###,###,##0.0000000000000"), QStringLiteral("-1.234,5000000000000")},
        {1234.5, QStringLiteral("####0.00"), QStringLiteral("1234,50")},
        {QVariant(), QStringLiteral("#,###,##0.00"), QStringLiteral("")},
        {QStringLiteral("abc"), QStringLiteral("#,###,##0.00"), QStringLiteral("abc")},
        {QDate(2024, 3, 1), QStringLiteral(""), QStringLiteral("1. 03. 2024")}, // the year in four digits
        {QDate(1998, 12, 31), QStringLiteral(""), QStringLiteral("31. 12. 1998")},
        {QStringLiteral("K12"), QStringLiteral(""), QStringLiteral("K12")},
        {7, QStringLiteral(""), QStringLiteral("7")},
    };
    for (const Primer& p : primeri)
        EXPECT_EQ(besediloVrednosti(p.v, p.maska, kSl), p.pricakovano) << p.v.toString().toStdString();
}

// Neighbouring rows often repeat a value and the layout then reuses the text it made
// for it: every row still prints its own value, whatever the one before it was (null,
// a zero of either sign, a number of another type, a text, a date).
TEST(Postavitev, EveryRowPrintsItsOwnValueWhenNeighboursRepeatOrChangeType)
{
    const QList<QVariant> vrednosti = {QVariant(),
                                       0.0,
                                       0.0,
                                       -0.0,
                                       QVariant(QMetaType(QMetaType::Double)),
                                       1.5,
                                       1.5,
                                       2,
                                       2.0,
                                       QStringLiteral("2"),
                                       QStringLiteral("x"),
                                       QStringLiteral("x"),
                                       QDate(2024, 3, 1),
                                       QDate(2024, 3, 1),
                                       QDate(2024, 3, 2),
                                       QVariant(),
                                       1234567.891};
    for (const QString& maska : {QString(), kMaska}) {
        Porocilo p;
        p.jezik = kSl;
        p.pasovi = {{VrstaPasu::Podrobnosti, 5, {Element::vrednost(0, 0, QStringLiteral("V")).zMasko(maska)}}};
        QList<QVariantList> vrstice;
        QStringList pricakovano;
        for (const QVariant& v : vrednosti) {
            vrstice.append({v});
            pricakovano << besediloVrednosti(v, maska, kSl);
        }
        TabelaVir vir({QStringLiteral("V")}, vrstice);
        EXPECT_EQ(besedilaPasu(postaviVse(p, vir, kZdaj), VrstaPasu::Podrobnosti), pricakovano) << maska.toStdString();
    }
}

TEST(Postavitev, LandscapeSheetAndMarginsPlaceItemsFromTheMarginCorner)
{
    Porocilo p;
    p.usmerjenost = QPageLayout::Landscape;
    p.robovi = QMarginsF(10, 12, 10, 10);
    p.pasovi = {{VrstaPasu::GlavaStrani,
                 13.5,
                 {Element::datumCas(273.8, 0).desno(), Element::tekst(63.5, 4.2, QStringLiteral("NASLOV"))}}};
    p.praznoBrezStrani = false;
    p.jezik = kSl;
    PrazenVir prazen;
    const QList<Stran> strani = postaviVse(p, prazen, kZdaj);
    ASSERT_EQ(strani.size(), 1);
    EXPECT_DOUBLE_EQ(strani.at(0).velikostMm.width(), 297.0);
    EXPECT_DOUBLE_EQ(strani.at(0).velikostMm.height(), 210.0);
    const PostavljenElement* naslov = najdi(strani.at(0), QStringLiteral("NASLOV"));
    ASSERT_NE(naslov, nullptr);
    EXPECT_DOUBLE_EQ(naslov->mm.x(), 73.5);
    EXPECT_DOUBLE_EQ(naslov->mm.y(), 16.2);
    EXPECT_EQ(strani.at(0).elementi.at(0).besedilo, QStringLiteral("2. 04. 2024 14:05"));
}
