#include "izris.h"
#include "pdf.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QFileInfo>
#include <QDir>
#include <gtest/gtest.h>
#include <stdexcept>

#include <sys/stat.h>

namespace {

constexpr double kTockNaMm = 72.0 / 25.4;

QList<BesedaPdf> poisci(const QList<BesedaPdf>& besede, const QString& t)
{
    QList<BesedaPdf> r;
    for (const BesedaPdf& b : besede)
        if (b.besedilo == t)
            r << b;
    return r;
}

} // namespace

TEST(Pdf, TextsLandAtTheirMillimetresOnEveryPage)
{
    LEDG_PRESKOCI_BREZ_PDFTOTEXT();
    Porocilo p;
    p.naslov = QStringLiteral("Proba");
    p.jezik = QLocale(QLocale::Slovenian, QLocale::Slovenia);
    p.skupina = QStringLiteral("K");
    p.pasovi = {
        {VrstaPasu::GlavaStrani,
         24.1,
         {Element::tekst(0, 0, QStringLiteral("Temeljnica številka:")), Element::stran(188.9, 6.3).desno()}},
        {VrstaPasu::GlavaStolpcev, 10.6, {Element::tekst(63.0, 4.2, QStringLiteral("Breme")).krepka().podcrtana()}},
        {VrstaPasu::Podrobnosti,
         5.0,
         {Element::vrednost(1.6, 0, QStringLiteral("K")),
          Element::vrednost(85.7, 0, QStringLiteral("Z")).desno().zMasko(QStringLiteral("#,###,##0.00"))}},
        {VrstaPasu::NogaSkupine,
         7.7,
         {Element::tekst(2.6, 0, QStringLiteral("SKUPAJ")),
          Element::vsota(85.7, 0, QStringLiteral("Z")).desno().zMasko(QStringLiteral("#,###,##0.00"))},
         true},
        {VrstaPasu::Povzetek,
         15.6,
         {Element::pravokotnik(1.1, 2.1, 187.1, 0.8), Element::tekst(2.6, 4.2, QStringLiteral("ZADNJE"))}},
    };
    QList<QVariantList> vrstice;
    for (int i = 0; i < 60; ++i)
        vrstice.append({i < 30 ? QStringLiteral("AA") : QStringLiteral("BB"), 1234.5});
    TabelaVir vir({QStringLiteral("K"), QStringLiteral("Z")}, vrstice);

    QTemporaryDir dir;
    const QString pot = dir.filePath(QStringLiteral("proba.pdf"));
    const IzidPdf izid = zapisiPdf(p, vir, pot);
    ASSERT_TRUE(izid.uspeh) << izid.napaka.toStdString();
    ASSERT_EQ(izid.strani, 2);

    QList<QSizeF> strani;
    const QList<BesedaPdf> besede = besedePdf(pot, &strani);
    ASSERT_EQ(strani.size(), 2);
    EXPECT_NEAR(strani.at(0).width(), 595.3, 0.5); // A4 portrait
    EXPECT_NEAR(strani.at(0).height(), 841.9, 0.5);

    // The page header on both pages, at 10 mm from the left and top edges.
    const QList<BesedaPdf> glava = poisci(besede, QStringLiteral("številka:"));
    ASSERT_EQ(glava.size(), 2);
    EXPECT_EQ(glava.at(1).stran, 2);
    const QList<BesedaPdf> temeljnica = poisci(besede, QStringLiteral("Temeljnica"));
    ASSERT_EQ(temeljnica.size(), 2);
    EXPECT_NEAR(temeljnica.at(0).xMin, 10 * kTockNaMm, 1.0);
    EXPECT_NEAR(temeljnica.at(0).yMin, 10 * kTockNaMm, 2.0);
    // Page numbers end at their right edge.
    const QList<BesedaPdf> dva = poisci(besede, QStringLiteral("2"));
    ASSERT_EQ(dva.size(), 1);
    EXPECT_NEAR(dva.at(0).xMax, (10 + 188.9) * kTockNaMm, 1.0);

    // Amounts with the locale's separators, right-aligned on 85.7 mm.
    const QList<BesedaPdf> zneski = poisci(besede, QStringLiteral("1.234,50"));
    EXPECT_EQ(zneski.size(), 60);
    for (const BesedaPdf& b : zneski)
        EXPECT_NEAR(b.xMax, (10 + 85.7) * kTockNaMm, 1.0);
    // One footer per group, each with its own sum.
    const QList<BesedaPdf> vsote = poisci(besede, QStringLiteral("37.035,00"));
    EXPECT_EQ(vsote.size(), 2);
    EXPECT_EQ(poisci(besede, QStringLiteral("SKUPAJ")).size(), 2);
    EXPECT_EQ(poisci(besede, QStringLiteral("ZADNJE")).value(0).stran, 2);
}

// The report puts most texts together from the glyphs of their characters instead of
// shaping each again. Wherever it does, every word must land exactly where the painter's
// own text drawing puts it: kerned pairs, ligatures, combining marks, right-to-left
// script, tabs and characters of a fallback font included, left- and right-aligned.
TEST(Pdf, TextsPutTogetherFromGlyphsLandWhereThePainterDrawsThem)
{
    LEDG_PRESKOCI_BREZ_PDFTOTEXT();
    const QStringList besedila = {QStringLiteral("1.234.567,89"),
                                  QStringLiteral("-0,01"),
                                  QStringLiteral("30 Sep 2026"),
                                  QStringLiteral("Temeljnica številka:"),
                                  QStringLiteral("AVATAR Te Yo LT"),
                                  QStringLiteral("office ffi fl"),
                                  QStringLiteral("Cafe\u0301 na\u0308ive"),
                                  QStringLiteral("abc \u05E9\u05DC\u05D5\u05DD 12"),
                                  QStringLiteral("x\ty"),
                                  QStringLiteral("ok \U0001F600 ok"),
                                  QStringLiteral("  RUB ПРЕНОС  "),
                                  QStringLiteral("PRENOS PROMETA V GLAVNO KNJIGO"),
                                  QStringLiteral("USD EUR CHF 09001")};
    Porocilo p;
    Pas pas{VrstaPasu::GlavaStrani, 200, {}};
    for (int i = 0; i < besedila.size(); ++i) {
        pas.elementi.append(Element::tekst(1.6, 6.0 * i, besedila.at(i)));
        pas.elementi.append(Element::tekst(187.3, 6.0 * i, besedila.at(i)).desno());
        pas.elementi.append(Element::tekst(70.0, 6.0 * i, besedila.at(i)).krepka());
    }
    p.pasovi = {pas};
    PrazenVir prazen;
    QTemporaryDir dir;
    const QString porocilo = dir.filePath(QStringLiteral("porocilo.pdf"));
    ASSERT_TRUE(zapisiPdf(p, prazen, porocilo).uspeh);

    // The same texts drawn by the painter alone, each shaped whole.
    const QString slikar = dir.filePath(QStringLiteral("slikar.pdf"));
    {
        QPdfWriter pdf(slikar);
        pdf.setResolution(600);
        pripraviNapravo(pdf, p);
        QPainter s(&pdf);
        const double k = pdf.logicalDpiX() / 25.4;
        for (const Element& e : std::as_const(pas.elementi)) {
            QFont f = pisavaPorocila(p);
            f.setBold(e.krepko);
            s.setFont(QFont(f, &pdf));
            const QFontMetricsF fm(s.font(), &pdf);
            double x = (10 + e.levo) * k;
            if (e.poravnava == Poravnava::Desno)
                x -= fm.horizontalAdvance(e.besedilo);
            s.drawText(QPointF(x, (10 + e.zgoraj) * k + fm.ascent()), e.besedilo);
        }
    }

    auto opis = [](const QList<BesedaPdf>& besede) {
        QStringList o;
        for (const BesedaPdf& b : besede)
            o << QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(b.besedilo)
                     .arg(b.xMin, 0, 'f', 3)
                     .arg(b.yMin, 0, 'f', 3)
                     .arg(b.xMax, 0, 'f', 3)
                     .arg(b.yMax, 0, 'f', 3);
        o.sort();
        return o;
    };
    const QStringList pricakovano = opis(besedePdf(slikar));
    ASSERT_GE(pricakovano.size(), 3 * besedila.size());
    EXPECT_EQ(opis(besedePdf(porocilo)), pricakovano);
}

// The rows are laid out on one thread and drawn on another. A source that fails half-way,
// with many pages queued for drawing, lets the failure through and leaves no thread
// waiting; the report after it is written whole.
TEST(Pdf, SourceFailingMidwayLetsTheFailureThroughAndTheNextReportIsWhole)
{
    class Odpove : public VirVrstic {
    public:
        bool prvi() override
        {
            m_i = 0;
            return true;
        }
        bool naslednji() override
        {
            if (++m_i == 3000)
                throw std::runtime_error("vir odpove");
            return true;
        }
        QVariant vrednost(const QString&) override { return m_i; }
        bool imaPolje(const QString&) const override { return true; }

    private:
        int m_i = 0;
    };
    Porocilo p;
    p.pasovi = {{VrstaPasu::Podrobnosti, 5.0, {Element::vrednost(0, 0, QStringLiteral("N"))}}};
    QTemporaryDir dir;
    Odpove odpove;
    EXPECT_THROW(zapisiPdf(p, odpove, dir.filePath(QStringLiteral("a.pdf"))), std::runtime_error);

    QList<QVariantList> vrstice;
    for (int i = 0; i < 200; ++i)
        vrstice.append(QVariantList{i});
    TabelaVir vir({QStringLiteral("N")}, vrstice);
    const IzidPdf izid = zapisiPdf(p, vir, dir.filePath(QStringLiteral("b.pdf")));
    ASSERT_TRUE(izid.uspeh);
    EXPECT_EQ(izid.strani, 4); // 55 rows of 5 mm on each 277 mm page
    if (imaPdftotext()) {
        EXPECT_EQ(poisci(besedePdf(dir.filePath(QStringLiteral("b.pdf"))), QStringLiteral("199")).value(0).stran, 4);
    }
}

// A path that is no regular file, or cannot become one, is refused with the reason
// and left as it is; an existing PDF is replaced by the new one, nothing left beside it.
TEST(Pdf, PathsThatAreNoRegularFileAreRefusedAndLeftAlone)
{
    QTemporaryDir dir;
    const QString cilj = dir.filePath(QStringLiteral("cilj.pdf"));
    {
        QFile f(cilj);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("%PDF prejsnji");
    }
    const QString povezava = dir.filePath(QStringLiteral("povezava.pdf"));
    ASSERT_TRUE(QFile::link(cilj, povezava));
    const QString cev = dir.filePath(QStringLiteral("cev.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(cev).constData(), 0644), 0);

    Porocilo p;
    for (const QString& pot : {QStringLiteral("/nonexistent-dir/x.pdf"), povezava, cev, dir.path(),
                               QStringLiteral("/dev/null"), dir.filePath(QStringLiteral(" "))}) {
        PrazenVir prazen;
        const IzidPdf izid = zapisiPdf(p, prazen, pot);
        EXPECT_FALSE(izid.uspeh) << pot.toStdString();
        EXPECT_FALSE(izid.napaka.isEmpty()) << pot.toStdString();
    }
    EXPECT_TRUE(QFileInfo(povezava).isSymLink());
    EXPECT_FALSE(QFileInfo(cev).isFile());
    QFile f(cilj);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("%PDF prejsnji"));
    f.close();

    PrazenVir prazen;
    const IzidPdf izid = zapisiPdf(p, prazen, cilj);
    ASSERT_TRUE(izid.uspeh) << izid.napaka.toStdString();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("%PDF-"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 3);
}
