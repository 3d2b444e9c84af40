#include "izris.h"
#include "porociloizravnav.h"
#include "postavitev.h"
#include "rezultat.h"
#include "rezultatvir.h"
#include "izbiraizravnav.h"
#include "pdf.h"
#include "zbirka.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QLocale kSl(QLocale::Slovenian, QLocale::Slovenia);
const QDateTime kZdaj(QDate(2024, 4, 2), QTime(9, 30));

TabelaVir izravnave(int n)
{
    QList<QVariantList> vrstice;
    for (int i = 0; i < n; ++i)
        vrstice.append({7, 1, QDate(2024, 3, 1).addDays(i % 31), QStringLiteral("1299"), QStringLiteral("101"),
                        QStringLiteral("00000100"), 1234.0625, 1234.06, -0.0025});
    return TabelaVir({QStringLiteral("PRENOS"), QStringLiteral("VP"), QStringLiteral("DAN"), QStringLiteral("KONTO"),
                      QStringLiteral("SFDJV"), QStringLiteral("PARTNER"), QStringLiteral("ZNESEK"),
                      QStringLiteral("ZAOKROZEN"), QStringLiteral("RAZLIKA")},
                     vrstice);
}

const PostavljenElement* najdi(const Stran& s, const QString& besedilo)
{
    for (const PostavljenElement& e : s.elementi)
        if (e.vrsta == PostavljenElement::Vrsta::Besedilo && e.besedilo == besedilo)
            return &e;
    return nullptr;
}

} // namespace

TEST(PorociloIzravnav, OnePageWithTitlesCaptionsMasksAndTheThreeSums)
{
    TabelaVir vir = izravnave(2);
    const QList<Stran> strani = postaviVse(opisIzravnav(kSl), vir, kZdaj);
    ASSERT_EQ(strani.size(), 1);
    const Stran& s = strani.at(0);
    EXPECT_NEAR(s.velikostMm.width(), 297, 0.5); // A4 landscape
    EXPECT_NEAR(s.velikostMm.height(), 210, 0.5);

    struct Pricakovano {
        QString besedilo;
        double x, y; // mm from the sheet's edges
        bool desno, krepko;
    };
    const Pricakovano pricakovani[] = {
        {QStringLiteral("Banka Morvik d.d."), 10, 10, false, true},
        {QStringLiteral("PREGLED IZRAVNAV PRI ZAOKROŽEVANJU"), 73.5, 14.2, false, true},
        {QStringLiteral("2. 04. 2024 09:30"), 283.8, 10, true, false},
        {QStringLiteral("1"), 283.8, 16.3, true, false},
        {QStringLiteral("Prenos"), 10, 25.6, false, true},
        {QStringLiteral(" Dan"), 26.9, 25.6, false, true},
        {QStringLiteral("Dejavnost"), 43.9, 25.6, false, true},
        {QStringLiteral("Partner"), 62.9, 25.6, false, true},
        {QStringLiteral("Vrsta papirja"), 90.4, 25.6, false, true},
        {QStringLiteral("Konto"), 118.0, 25.6, false, true},
        {QStringLiteral("Znesek"), 164.5, 25.6, false, true},
        {QStringLiteral("Zaokrožen znesek"), 204.7, 25.6, false, true},
        {QStringLiteral("Razlika"), 274.6, 25.6, false, true},
        // The first detail line, under the 13.5 + 7.1 mm of headers.
        {QStringLiteral("1. 03. 2024"), 26.9, 30.6, false, false},
        {QStringLiteral("101"), 46.0, 30.6, false, false},
        {QStringLiteral("00000100"), 62.9, 30.6, false, false},
        {QStringLiteral("1299"), 115.8, 30.6, false, false},
        {QStringLiteral("1.234,0625000000000"), 175.9, 30.6, true, false},
        {QStringLiteral("1.234,06"), 233.8, 30.6, true, false},
        {QStringLiteral("-0,0025000000000"), 286.2, 30.6, true, false},
        // The summary after the second line.
        {QStringLiteral("2.468,1250000000000"), 176.2, 40.6, true, false},
        {QStringLiteral("2.468,12"), 233.8, 40.6, true, false},
        {QStringLiteral("-0,0050000000000"), 286.8, 40.6, true, false},
    };
    for (const Pricakovano& p : pricakovani) {
        SCOPED_TRACE(p.besedilo.toStdString());
        const PostavljenElement* e = najdi(s, p.besedilo);
        ASSERT_NE(e, nullptr) << s.besedila().join(u'|').toStdString();
        EXPECT_NEAR(e->mm.x(), p.x, 0.01);
        EXPECT_NEAR(e->mm.y(), p.y, 0.01);
        EXPECT_EQ(e->poravnava == Poravnava::Desno, p.desno);
        EXPECT_EQ(e->krepko, p.krepko);
    }
    // Lines along the top and bottom edges of the summary.
    int crte = 0;
    for (const PostavljenElement& e : s.elementi)
        if (e.vrsta == PostavljenElement::Vrsta::Crta && e.pas == VrstaPasu::Povzetek) {
            EXPECT_TRUE(qFuzzyCompare(e.mm.y(), 40.6) || qFuzzyCompare(e.mm.y(), 46.9)) << e.mm.y();
            ++crte;
        }
    EXPECT_EQ(crte, 2);
}

TEST(PorociloIzravnav, PageHeaderOnEveryPageSumsOnceAtTheEnd)
{
    TabelaVir vir = izravnave(80);
    const QList<Stran> strani = postaviVse(opisIzravnav(kSl), vir, kZdaj);
    // 190 mm of body less 20.6 mm of headers hold 33 lines a page.
    ASSERT_EQ(strani.size(), 3);
    int vsot = 0;
    for (const Stran& s : strani) {
        const QStringList b = s.besedila();
        EXPECT_EQ(b.count(QStringLiteral("Banka Morvik d.d.")), 1) << s.stevilka;
        EXPECT_EQ(b.count(QStringLiteral("Zaokrožen znesek")), 1) << s.stevilka;
        EXPECT_TRUE(b.contains(QString::number(s.stevilka))) << s.stevilka;
        vsot += b.count(QStringLiteral("98.724,80"));
    }
    EXPECT_EQ(vsot, 1);
    EXPECT_TRUE(strani.at(2).besedila().contains(QStringLiteral("98.724,80")));
}

TEST(PorociloIzravnav, AnEmptyResultHasNoPages)
{
    PrazenVir vir;
    EXPECT_TRUE(postaviVse(opisIzravnav(kSl), vir, kZdaj).isEmpty());
}

// The list of the fixture as a PDF, read back as text.
TEST(PorociloIzravnav, PdfOfTheTableReadsBackWithItsAmountsAndSums)
{
    LEDG_PRESKOCI_BREZ_PDFTOTEXT();
    ZbirkaIzravnav z;
    LEDG_PRESKOCI_BREZ_BAZE(z.baza);
    Rezultat r;
    odpriIzravnave(r, IzbiraIzravnav{});
    RezultatVir vir(r);
    const QString pdf = QDir(z.mapa()).filePath(QStringLiteral("izravnave.pdf"));
    const IzidPdf izid = zapisiPdf(opisIzravnav(kSl), vir, pdf, kZdaj);
    ASSERT_TRUE(izid.uspeh) << izid.napaka.toStdString();
    EXPECT_EQ(izid.strani, 1);
    const QString t = besediloPdf(pdf);
    for (const char* del : {"Banka Morvik d.d.", "PREGLED IZRAVNAV PRI ZAOKROŽEVANJU", "Vrsta papirja",
                            "Zaokrožen znesek", "100,0040000000000", "200,01", "12'45678",
                            // ZAOKROZEN and RAZLIKA summed over the seven rows
                            "2.800,01", "-0,0079000000000"})
        EXPECT_TRUE(t.contains(QString::fromUtf8(del))) << del << "\n" << t.toStdString();
    // ZNESEK summed: 2800.0179 as the sum of doubles, shown to thirteen decimals.
    EXPECT_TRUE(t.contains(QRegularExpression(QStringLiteral("2\\.800,01(79|78)\\d{9}")))) << t.toStdString();
    // The row without a day is listed under "Vse"; it comes first, transfer 0.
    const QStringList vrstice = t.split(u'\n');
    qsizetype prva = -1;
    for (qsizetype i = 0; i < vrstice.size(); ++i)
        if (vrstice.at(i).contains(QStringLiteral("600,0010000000000")))
            prva = i;
    ASSERT_GE(prva, 0);
    EXPECT_TRUE(vrstice.at(prva).trimmed().startsWith(u'0')) << vrstice.at(prva).toStdString();
}
