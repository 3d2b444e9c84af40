#include "predogled.h"
#include "postavitev.h"

#include "pdf.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QTimer>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QLocale kSl(QLocale::Slovenian, QLocale::Slovenia);
const QDateTime kZdaj(QDate(2024, 4, 2), QTime(14, 5, 0));

// Rows R00001, R00002, ... with an amount; counts the rows read.
class StetiVir : public TabelaVir {
public:
    explicit StetiVir(int n) : TabelaVir({QStringLiteral("OZNAKA"), QStringLiteral("ZNESEK")}, vrstice(n)) {}
    bool prvi() override
    {
        prebranih = 1;
        return TabelaVir::prvi();
    }
    bool naslednji() override
    {
        const bool ima = TabelaVir::naslednji();
        if (ima)
            ++prebranih;
        return ima;
    }
    int prebranih = 0;

private:
    static QList<QVariantList> vrstice(int n)
    {
        QList<QVariantList> v;
        for (int i = 1; i <= n; ++i)
            v.append({QStringLiteral("R%1").arg(i, 5, 10, QLatin1Char('0')), 1000.0 + i});
        return v;
    }
};

Porocilo porocilo(QPageLayout::Orientation usmerjenost = QPageLayout::Portrait)
{
    Porocilo p;
    p.naslov = QStringLiteral("SEZNAM");
    p.usmerjenost = usmerjenost;
    p.jezik = kSl;
    p.pasovi = {
        {VrstaPasu::GlavaStrani, 12, {Element::tekst(0, 0, QStringLiteral("SEZNAM")), Element::stran(180, 0).desno()}},
        {VrstaPasu::Podrobnosti,
         5,
         {Element::vrednost(0, 0, QStringLiteral("OZNAKA")),
          // The amount at the page's right margin: a sheet turned the other way would cut it.
          Element::vrednost(usmerjenost == QPageLayout::Portrait ? 189 : 276, 0, QStringLiteral("ZNESEK"))
              .desno()
              .zMasko(QStringLiteral("#,###,##0.00"))}},
        {VrstaPasu::Povzetek, 8, {Element::tekst(0, 2, QStringLiteral("KONEC"))}},
    };
    return p;
}

int steviloStrani(const Porocilo& p, int vrstic)
{
    StetiVir v(vrstic);
    return int(postaviVse(p, v, kZdaj).size());
}

template <typename T>
T* kontrola(QDialog& d, const char* ime)
{
    T* k = d.findChild<T*>(QString::fromLatin1(ime));
    EXPECT_NE(k, nullptr) << ime;
    return k;
}

bool prvaStranNaZaslonu(QDialog& d)
{
    auto* list = d.findChild<QLabel*>(QStringLiteral("lblList"));
    return list && !list->pixmap().isNull();
}

bool pripravljeno(QDialog& d)
{
    auto* strani = d.findChild<QLabel*>(QStringLiteral("lblStrani"));
    return strani && !strani->text().isEmpty() && !strani->text().endsWith(QStringLiteral("..."));
}

} // namespace

// The preview shows its first page while most rows still wait to be laid out, with a
// page count that says more are coming and a busy pointer; the count then fills in to
// the report's number of pages, and the pointer and the status line are given back.
TEST(Predogled, FirstPageIsShownBeforeTheLastIsLaidOut)
{
    const int vrstic = 6000;
    const Porocilo p = porocilo();
    const int vseh = steviloStrani(p, vrstic);
    ASSERT_GT(vseh, 50);
    StetiVir vir(vrstic);
    QStringList stanja;
    bool prvaPrej = false;
    int prebranihObPrvi = -1;
    QString straniObPrvi;
    int dialogov = 0;
    const auto prikazi = [&](QDialog& d) {
        ++dialogov;
        EXPECT_EQ(d.objectName(), QStringLiteral("predogled"));
        d.show();
        prvaPrej = prvaStranNaZaslonu(d);
        EXPECT_TRUE(QTest::qWaitFor([&] { return prvaStranNaZaslonu(d); }, 5000));
        prebranihObPrvi = vir.prebranih;
        straniObPrvi = kontrola<QLabel>(d, "lblStrani")->text();
        EXPECT_TRUE(kontrola<QProgressBar>(d, "pbPriprava")->isVisible());
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return pripravljeno(d); }, 60000));
        EXPECT_EQ(kontrola<QLabel>(d, "lblStrani")->text(), QStringLiteral("od %1").arg(vseh));
        EXPECT_EQ(kontrola<QSpinBox>(d, "sbStran")->maximum(), vseh);
        EXPECT_FALSE(kontrola<QProgressBar>(d, "pbPriprava")->isVisible());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        return int(QDialog::Accepted);
    };
    predogled(
        p, vir, nullptr, prikazi, [&](const QString& s) { stanja << s; }, kZdaj);
    EXPECT_EQ(dialogov, 1);
    EXPECT_FALSE(prvaPrej) << "nothing is laid out before the window's event loop runs";
    EXPECT_LT(prebranihObPrvi, vrstic / 10) << "the first page came after most rows were read";
    EXPECT_TRUE(straniObPrvi.endsWith(QStringLiteral("..."))) << straniObPrvi.toStdString();
    EXPECT_EQ(vir.prebranih, vrstic);
    EXPECT_EQ(stanja, (QStringList{QStringLiteral("Priprava izpisa ..."), QString()}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Closing the preview while pages are still laid out stops the layout: no further row
// is read, and the pointer and the status line are given back.
TEST(Predogled, ClosingStopsTheLayout)
{
    const int vrstic = 200000;
    StetiVir vir(vrstic);
    int prebranihObZaprtju = -1;
    QStringList stanja;
    const auto prikazi = [&](QDialog& d) {
        d.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return prvaStranNaZaslonu(d); }, 5000));
        kontrola<QPushButton>(d, "btnZapri")->click();
        prebranihObZaprtju = vir.prebranih;
        QTest::qWait(100);
        return d.result();
    };
    predogled(
        porocilo(), vir, nullptr, prikazi, [&](const QString& s) { stanja << s; }, kZdaj);
    EXPECT_LT(prebranihObZaprtju, vrstic);
    EXPECT_EQ(vir.prebranih, prebranihObZaprtju);
    EXPECT_EQ(stanja, (QStringList{QStringLiteral("Priprava izpisa ..."), QString()}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Paging goes through every page, and the zoom is said in whole percent with a blank
// before the sign, as Slovenian texts write it.
TEST(Predogled, PagingAndZoomInSlovenian)
{
    StetiVir vir(500);
    const Porocilo p = porocilo();
    const int vseh = steviloStrani(p, 500);
    const auto prikazi = [&](QDialog& d) {
        d.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return pripravljeno(d); }, 10000));
        auto* stran = kontrola<QSpinBox>(d, "sbStran");
        EXPECT_EQ(stran->value(), 1);
        EXPECT_FALSE(kontrola<QPushButton>(d, "btnPrejsnja")->isEnabled());
        kontrola<QPushButton>(d, "btnNaslednja")->click();
        EXPECT_EQ(stran->value(), 2);
        kontrola<QPushButton>(d, "btnZadnja")->click();
        EXPECT_EQ(stran->value(), vseh);
        EXPECT_FALSE(kontrola<QPushButton>(d, "btnNaslednja")->isEnabled());
        kontrola<QPushButton>(d, "btnPrva")->click();
        EXPECT_EQ(stran->value(), 1);

        const QRegularExpression odstotki(QStringLiteral("^[0-9]+ %$"));
        EXPECT_TRUE(odstotki.match(kontrola<QLabel>(d, "lblPovecava")->text()).hasMatch())
            << kontrola<QLabel>(d, "lblPovecava")->text().toStdString();
        auto* izbira = kontrola<QComboBox>(d, "cbPovecava");
        const int i = izbira->findText(QStringLiteral("75 %"));
        EXPECT_GE(i, 0);
        izbira->setCurrentIndex(i);
        emit izbira->activated(i);
        EXPECT_EQ(kontrola<QLabel>(d, "lblPovecava")->text(), QStringLiteral("75 %"));
        const int sirina75 = kontrola<QLabel>(d, "lblList")->width();
        kontrola<QPushButton>(d, "btnPovecaj")->click();
        EXPECT_EQ(kontrola<QLabel>(d, "lblPovecava")->text(), QStringLiteral("100 %"));
        EXPECT_EQ(izbira->currentText(), QStringLiteral("100 %"));
        EXPECT_NEAR(kontrola<QLabel>(d, "lblList")->width(), sirina75 * 4 / 3, 2);
        return int(QDialog::Accepted);
    };
    predogled(p, vir, nullptr, prikazi, {}, kZdaj);
}

// Printing prints every row onto the sheet chosen in the print dialog, which starts with
// the report's own orientation: a report's page on a sheet turned the other way is
// scaled down whole, so the rows at the bottom and the amounts at the right margin are
// all on the sheet.
struct PrimerTiska {
    const char* ime;
    QPageLayout::Orientation porocilo;
    QPageLayout::Orientation izbrana;
    QSizeF listPt; // the printed sheet in points
};

class PredogledTiska : public testing::TestWithParam<PrimerTiska> {};

TEST_P(PredogledTiska, EveryRowLandsWholeOnTheChosenSheet)
{
    LEDG_PRESKOCI_BREZ_PDFTOTEXT();
    const PrimerTiska& primer = GetParam();
    const int vrstic = 400;
    const Porocilo p = porocilo(primer.porocilo);
    const int vseh = steviloStrani(p, vrstic);
    StetiVir vir(vrstic);
    QTemporaryDir mapa;
    const QString pdf = mapa.filePath(QStringLiteral("izpis.pdf"));
    QPageLayout::Orientation naZacetku = QPageLayout::Portrait;
    QStringList dialogi;
    std::function<int(QDialog&)> prikazi = [&](QDialog& d) {
        dialogi << d.objectName();
        if (d.objectName() == u"tiskanje") {
            QPrinter* t = static_cast<QPrintDialog&>(d).printer();
            naZacetku = t->pageLayout().orientation();
            t->setOutputFormat(QPrinter::PdfFormat);
            t->setOutputFileName(pdf);
            t->setPageOrientation(primer.izbrana);
            return int(QDialog::Accepted);
        }
        // Printed at once, before the layout has come far.
        kontrola<QPushButton>(d, "btnNatisni")->click();
        return int(QDialog::Accepted);
    };
    predogled(p, vir, nullptr, prikazi, {}, kZdaj);
    EXPECT_EQ(dialogi, (QStringList{QStringLiteral("predogled"), QStringLiteral("tiskanje")}));
    EXPECT_EQ(naZacetku, primer.porocilo);

    QList<QSizeF> strani;
    const QList<BesedaPdf> besede = besedePdf(pdf, &strani);
    ASSERT_EQ(strani.size(), vseh);
    for (const QSizeF& s : strani) {
        EXPECT_NEAR(s.width(), primer.listPt.width(), 1.5);
        EXPECT_NEAR(s.height(), primer.listPt.height(), 1.5);
    }
    int oznak = 0, zneskov = 0;
    for (const BesedaPdf& b : besede) {
        EXPECT_GE(b.xMin, 0) << b.besedilo.toStdString();
        EXPECT_GE(b.yMin, 0) << b.besedilo.toStdString();
        EXPECT_LE(b.xMax, primer.listPt.width()) << b.besedilo.toStdString();
        EXPECT_LE(b.yMax, primer.listPt.height()) << b.besedilo.toStdString();
        if (b.besedilo.startsWith(u'R') && b.besedilo.size() == 6)
            ++oznak;
        if (b.besedilo.contains(u','))
            ++zneskov;
    }
    EXPECT_EQ(oznak, vrstic) << "every row printed";
    EXPECT_EQ(zneskov, vrstic) << "every amount printed";
}

INSTANTIATE_TEST_SUITE_P(
    Listi, PredogledTiska,
    testing::Values(PrimerTiska{"PortraitAsItIs", QPageLayout::Portrait, QPageLayout::Portrait, {595.3, 841.9}},
                    PrimerTiska{"PortraitOntoLandscape", QPageLayout::Portrait, QPageLayout::Landscape, {841.9, 595.3}},
                    PrimerTiska{"LandscapeAsItIs", QPageLayout::Landscape, QPageLayout::Landscape, {841.9, 595.3}},
                    PrimerTiska{
                        "LandscapeOntoPortrait", QPageLayout::Landscape, QPageLayout::Portrait, {595.3, 841.9}}),
    [](const testing::TestParamInfo<PrimerTiska>& i) { return std::string(i.param.ime); });

// Closing the preview while its print waits for the layout or draws the pages stops
// the print, and a PDF file that was there stays as it was; the window gives back the
// pointer.
TEST(Predogled, ClosingDuringAPrintLeavesThePreviousFile)
{
    QTemporaryDir mapa;
    const QString pdf = mapa.filePath(QStringLiteral("izpis.pdf"));
    {
        QFile f(pdf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("prejsnji izpis");
    }
    // Closed while the print waits for the last page, and while it draws the pages.
    for (const bool medTiskom : {false, true}) {
        SCOPED_TRACE(medTiskom ? "while drawing" : "while laying out");
        StetiVir vir(100000);
        bool zaprtoMedTiskom = false;
        const auto prikazi = [&](QDialog& d) {
            if (d.objectName() == u"tiskanje") {
                QPrinter* t = static_cast<QPrintDialog&>(d).printer();
                t->setOutputFormat(QPrinter::PdfFormat);
                t->setOutputFileName(pdf);
                return int(QDialog::Accepted);
            }
            QDialog* okno = &d;
            auto* straz = new QTimer(okno);
            straz->setInterval(medTiskom ? 1 : 0);
            QObject::connect(straz, &QTimer::timeout, okno, [&, okno, straz] {
                // Printing: every page is laid out and the progress bar shows the pages drawn.
                const bool tiska = pripravljeno(*okno) && !kontrola<QProgressBar>(*okno, "pbPriprava")->isHidden();
                if (!medTiskom || tiska) {
                    zaprtoMedTiskom = tiska;
                    straz->stop();
                    okno->reject();
                }
            });
            straz->start();
            kontrola<QPushButton>(d, "btnNatisni")->click();
            return d.result();
        };
        predogled(porocilo(), vir, nullptr, prikazi, {}, kZdaj);
        EXPECT_EQ(zaprtoMedTiskom, medTiskom);
        QFile f(pdf);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("prejsnji izpis"));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}
