#include "izris.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QFileInfo>
#include <QDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct Beseda {
    QString besedilo;
    double xMin, yMin, xMax, yMax; // points
    int stran;
};

constexpr double kTockNaMm = 72.0 / 25.4;

// The words of a PDF with their boxes, as poppler's pdftotext -bbox reports them.
QList<Beseda> besedePdf(const QString& pdf, QList<QSizeF>* strani = nullptr)
{
    const QString izhod = pdf + QStringLiteral(".html");
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, izhod});
    p.waitForFinished(30000);
    QFile f(izhod);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString html = QString::fromUtf8(f.readAll());
    static const QRegularExpression reStran(QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">"));
    static const QRegularExpression reBeseda(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    QList<Beseda> besede;
    int stran = 0;
    qsizetype i = 0;
    for (;;) {
        const QRegularExpressionMatch s = reStran.match(html, i);
        const QRegularExpressionMatch b = reBeseda.match(html, i);
        if (s.hasMatch() && (!b.hasMatch() || s.capturedStart() < b.capturedStart())) {
            ++stran;
            if (strani)
                strani->append(QSizeF(s.captured(1).toDouble(), s.captured(2).toDouble()));
            i = s.capturedEnd();
        } else if (b.hasMatch()) {
            QString t = b.captured(5);
            t.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            besede.append({t, b.captured(1).toDouble(), b.captured(2).toDouble(), b.captured(3).toDouble(),
                           b.captured(4).toDouble(), stran});
            i = b.capturedEnd();
        } else {
            break;
        }
    }
    return besede;
}

QList<Beseda> poisci(const QList<Beseda>& besede, const QString& t)
{
    QList<Beseda> r;
    for (const Beseda& b : besede)
        if (b.besedilo == t)
            r << b;
    return r;
}

} // namespace

TEST(Pdf, TextsLandAtTheirMillimetresOnEveryPage)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    Porocilo p;
    p.naslov = QStringLiteral("Proba");
    p.jezik = QLocale(QLocale::Slovenian, QLocale::Slovenia);
    p.skupina = QStringLiteral("K");
    p.pasovi = {
        {VrstaPasu::GlavaStrani, 24.1,
         {Element::tekst(0, 0, QStringLiteral("Temeljnica številka:")), Element::stran(188.9, 6.3).desno()}},
        {VrstaPasu::GlavaStolpcev, 10.6, {Element::tekst(63.0, 4.2, QStringLiteral("Breme")).krepka().podcrtana()}},
        {VrstaPasu::Podrobnosti, 5.0,
         {Element::vrednost(1.6, 0, QStringLiteral("K")),
          Element::vrednost(85.7, 0, QStringLiteral("Z")).desno().zMasko(QStringLiteral("#,###,##0.00"))}},
        {VrstaPasu::NogaSkupine, 7.7,
         {Element::tekst(2.6, 0, QStringLiteral("SKUPAJ")),
          Element::vsota(85.7, 0, QStringLiteral("Z")).desno().zMasko(QStringLiteral("#,###,##0.00"))},
         true},
        {VrstaPasu::Povzetek, 15.6,
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
    const QList<Beseda> besede = besedePdf(pot, &strani);
    ASSERT_EQ(strani.size(), 2);
    EXPECT_NEAR(strani.at(0).width(), 595.3, 0.5); // A4 portrait
    EXPECT_NEAR(strani.at(0).height(), 841.9, 0.5);

    // The page header on both pages, at 10 mm from the left and top edges.
    const QList<Beseda> glava = poisci(besede, QStringLiteral("številka:"));
    ASSERT_EQ(glava.size(), 2);
    EXPECT_EQ(glava.at(1).stran, 2);
    const QList<Beseda> temeljnica = poisci(besede, QStringLiteral("Temeljnica"));
    ASSERT_EQ(temeljnica.size(), 2);
    EXPECT_NEAR(temeljnica.at(0).xMin, 10 * kTockNaMm, 1.0);
    EXPECT_NEAR(temeljnica.at(0).yMin, 10 * kTockNaMm, 2.0);
    // Page numbers end at their right edge.
    const QList<Beseda> dva = poisci(besede, QStringLiteral("2"));
    ASSERT_EQ(dva.size(), 1);
    EXPECT_NEAR(dva.at(0).xMax, (10 + 188.9) * kTockNaMm, 1.0);

    // Amounts with the locale's separators, right-aligned on 85.7 mm.
    const QList<Beseda> zneski = poisci(besede, QStringLiteral("1.234,50"));
    EXPECT_EQ(zneski.size(), 60);
    for (const Beseda& b : zneski)
        EXPECT_NEAR(b.xMax, (10 + 85.7) * kTockNaMm, 1.0);
    // One footer per group, each with its own sum.
    const QList<Beseda> vsote = poisci(besede, QStringLiteral("37.035,00"));
    EXPECT_EQ(vsote.size(), 2);
    EXPECT_EQ(poisci(besede, QStringLiteral("SKUPAJ")).size(), 2);
    EXPECT_EQ(poisci(besede, QStringLiteral("ZADNJE")).value(0).stran, 2);
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
