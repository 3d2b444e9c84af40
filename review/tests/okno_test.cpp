#include "okna.h"
#include "tdm.h"
#include "tfgeslo.h"
#include "tfizravna.h"
#include "tform1.h"
#include "tform2.h"
#include "tform3.h"
#include "tform4.h"
#include "tform5.h"
#include "tform6.h"
#include "tform7.h"
#include "poljedatuma.h"
#include "testnestoritve.h"
#include "zbirka.h"

#include "pdf.h"
#include "vodenjepredogleda.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QHeaderView>
#include <QPrintDialog>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The ten windows made as the program makes them, over the test ledger, with the
// start-up sequence already behind them. Message boxes and modal dialogs are recorded
// (TestneStoritve); the print preview is answered by `predogled`.
struct Program : TestneStoritve {
    Program()
    {
        okna = ustvariOkna({QStringLiteral("LB")}, *this);
        f = okna.Form1;
        f->V.PrvaAktivacija = false;
        f->V.Baza = QStringLiteral("LB");
        modalno = [this](QDialog& d) { return predogled ? predogled(d) : int(QDialog::Rejected); };
        f->resize(f->width(), 162);
        f->show();
    }
    ~Program() { delete f; }

    QAbstractItemModel* mreza() const { return kontrola<QTableView>(f, "DBGrid1")->model(); }
    QString celica(int vrstica, const QString& stolpec) const
    {
        for (int s = 0; s < mreza()->columnCount(); ++s)
            if (mreza()->headerData(s, Qt::Horizontal).toString().compare(stolpec, Qt::CaseInsensitive) == 0)
                return mreza()->index(vrstica, s).data().toString();
        return QStringLiteral("<ni stolpca>");
    }
    void dvojniKlik(int vrstica)
    {
        const QRect r = kontrola<QTableView>(f, "DBGrid1")->visualRect(mreza()->index(vrstica, 0));
        QTest::mouseClick(kontrola<QTableView>(f, "DBGrid1")->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(kontrola<QTableView>(f, "DBGrid1")->viewport(), Qt::LeftButton, {}, r.center());
    }
    void izberi(int vrstica)
    {
        const QRect r = kontrola<QTableView>(f, "DBGrid1")->visualRect(mreza()->index(vrstica, 0));
        QTest::mouseClick(kontrola<QTableView>(f, "DBGrid1")->viewport(), Qt::LeftButton, {}, r.center());
    }

    Zbirka zbirka;
    Okna okna;
    TForm1* f = nullptr;
    std::function<int(QDialog&)> predogled;
};

} // namespace

TEST(PanelPregleda, OpensAndClosesWithItsLogoAndPutsZeroIntoTheNumberField)
{
    Program p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    kontrola<QPushButton>(p.f, "btnPonovi")->click();
    EXPECT_FALSE(kontrola<QFrame>(p.f, "pnlPonovitev")->isHidden());
    EXPECT_FALSE(kontrola<QFrame>(p.f, "pnlLogo")->isHidden());
    EXPECT_EQ(kontrola<QPushButton>(p.f, "btnPonovi")->text(), QStringLiteral("Zapri p&regled"));
    EXPECT_EQ(p.f->height(), 460);
    EXPECT_TRUE(p.f->DataSource1->omogocen());

    kontrola<QPushButton>(p.f, "btnZgodovina")->click();
    p.dvojniKlik(1); // transfer 7
    EXPECT_EQ(kontrola<QLineEdit>(p.f, "eStevilkaPrenosa")->text(), QStringLiteral("7"));
    kontrola<QPushButton>(p.f, "btnPonovi")->click();
    EXPECT_TRUE(kontrola<QFrame>(p.f, "pnlPonovitev")->isHidden());
    EXPECT_TRUE(kontrola<QFrame>(p.f, "pnlLogo")->isHidden());
    EXPECT_EQ(kontrola<QLineEdit>(p.f, "eStevilkaPrenosa")->text(), QStringLiteral("0"));
    EXPECT_EQ(kontrola<QPushButton>(p.f, "btnPonovi")->text(), QStringLiteral("P&regled"));
    EXPECT_EQ(p.f->height(), 162);
    EXPECT_FALSE(p.f->DataSource1->omogocen());
    EXPECT_EQ(p.mreza()->rowCount(), 0); // the grid shows nothing while the link is off
}

TEST(PanelPregleda, RegisterListThenDoubleClickOpensTheTransferInTheGrid)
{
    Program p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    kontrola<QPushButton>(p.f, "btnPonovi")->click();
    kontrola<QPushButton>(p.f, "btnZgodovina")->click();
    ASSERT_EQ(p.mreza()->rowCount(), 4);
    EXPECT_EQ(p.celica(0, QStringLiteral("STPRENOSA")), QStringLiteral("8"));
    EXPECT_EQ(kontrola<QLabel>(p.f, "lblSteviloZapisov")->text(), QString());

    p.dvojniKlik(1);
    EXPECT_EQ(kontrola<PoljeDatuma>(p.f, "Datum1")->date(), QDate(2024, 3, 1));
    EXPECT_EQ(kontrola<PoljeDatuma>(p.f, "Datum2")->date(), QDate(2024, 3, 31));
    EXPECT_EQ(kontrola<QLineEdit>(p.f, "eStevilkaPrenosa")->text(), QStringLiteral("7"));
    EXPECT_EQ(kontrola<QLabel>(p.f, "lblSteviloZapisov")->text(), QStringLiteral("3"));
    EXPECT_TRUE(kontrola<QLabel>(p.f, "lblOpozorilo")->isHidden());
    ASSERT_EQ(p.mreza()->rowCount(), 3);
    EXPECT_EQ(p.f->Q1->trenutnaVrstica(), 0);
    // Titles, widths and the amount format with the locale's decimal comma and no
    // thousands separator.
    EXPECT_EQ(p.celica(0, QStringLiteral("TEXT")), QStringLiteral("B"));
    EXPECT_EQ(p.celica(2, QStringLiteral("TEXT")), QStringLiteral("C"));
    EXPECT_EQ(p.celica(2, QStringLiteral("BZNESEK")), QStringLiteral("1234567,50"));
    EXPECT_EQ(p.celica(0, QStringLiteral("DZNESEKSIT")), QStringLiteral("500,00"));
    EXPECT_EQ(p.celica(0, QStringLiteral("konto")), QStringLiteral("1100"));
    const int znak = QFontMetrics(kontrola<QTableView>(p.f, "DBGrid1")->font()).horizontalAdvance(u'0');
    EXPECT_EQ(kontrola<QTableView>(p.f, "DBGrid1")->columnWidth(0), 10 * znak + 8); // DATUMK
    EXPECT_EQ(kontrola<QTableView>(p.f, "DBGrid1")->columnWidth(3), 8 * znak + 8);  // KONTO
    EXPECT_EQ(kontrola<QTableView>(p.f, "DBGrid1")->columnWidth(6), 13 * znak + 8); // BZNESEK

    // A double click on the postings list changes nothing.
    kontrola<PoljeDatuma>(p.f, "Datum1")->setDate(QDate(2024, 3, 2)); // empties the number field
    EXPECT_EQ(kontrola<QLineEdit>(p.f, "eStevilkaPrenosa")->text(), QString());
    p.dvojniKlik(0);
    EXPECT_EQ(kontrola<QLineEdit>(p.f, "eStevilkaPrenosa")->text(), QString());
    EXPECT_EQ(kontrola<PoljeDatuma>(p.f, "Datum1")->date(), QDate(2024, 3, 2));
    EXPECT_TRUE(p.sporocila.isEmpty());
}

TEST(PanelPregleda, EnterInTheGridOpensTheSelectedTransferOtherKeysAreLeftAlone)
{
    Program p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    kontrola<QPushButton>(p.f, "btnPonovi")->click();
    kontrola<QPushButton>(p.f, "btnZgodovina")->click();
    p.izberi(3); // transfer 1
    EXPECT_EQ(p.f->Q1->trenutnaVrstica(), 3);
    QTest::keyClick(kontrola<QTableView>(p.f, "DBGrid1"), Qt::Key_A);
    EXPECT_EQ(kontrola<QLineEdit>(p.f, "eStevilkaPrenosa")->text(), QStringLiteral("0"));
    QTest::keyClick(kontrola<QTableView>(p.f, "DBGrid1"), Qt::Key_Return);
    EXPECT_EQ(kontrola<QLineEdit>(p.f, "eStevilkaPrenosa")->text(), QStringLiteral("1"));
    EXPECT_EQ(kontrola<PoljeDatuma>(p.f, "Datum2")->date(), QDate(2024, 1, 31));
    EXPECT_EQ(kontrola<QLabel>(p.f, "lblSteviloZapisov")->text(), QStringLiteral("0"));
}

TEST(PanelPregleda, HiddenCommandsLastTransferAndDeletionWithTheQuestionPanel)
{
    Program p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    kontrola<QPushButton>(p.f, "btnPonovi")->click();
    EXPECT_TRUE(kontrola<QPushButton>(p.f, "btnZadnji")->isHidden());
    EXPECT_TRUE(kontrola<QPushButton>(p.f, "btnBrisiPrenos")->isHidden());
    EXPECT_FALSE(kontrola<QPushButton>(p.f, "btnBrisiPrenos")->isEnabled());

    kontrola<PoljeDatuma>(p.f, "Datum1")->setDate(QDate(2024, 3, 1));
    kontrola<PoljeDatuma>(p.f, "Datum2")->setDate(QDate(2024, 3, 31));
    p.f->btnZadnjiClick();
    EXPECT_EQ(kontrola<QLineEdit>(p.f, "eStevilkaPrenosa")->text(), QStringLiteral("8"));
    EXPECT_EQ(kontrola<QLabel>(p.f, "lblSteviloZapisov")->text(), QStringLiteral("5"));
    EXPECT_EQ(p.mreza()->rowCount(), 5);

    kontrola<QLineEdit>(p.f, "eStevilkaPrenosa")->setText(QStringLiteral("7"));
    p.f->btnBrisiPrenosClick();
    EXPECT_FALSE(kontrola<QFrame>(p.f, "pnlVprasanje")->isHidden());
    EXPECT_EQ(kontrola<QLabel>(p.f, "lblVprasanje")->text(), QStringLiteral("Ali brišem prenos številka 7 ?"));
    EXPECT_TRUE(kontrola<QPushButton>(p.f, "btnOdgovorNe")->hasFocus());
    // The question lies within the window.
    EXPECT_TRUE(p.f->rect().contains(kontrola<QFrame>(p.f, "pnlVprasanje")->geometry()));
    kontrola<QPushButton>(p.f, "btnOdgovorDa")->click();
    EXPECT_TRUE(kontrola<QFrame>(p.f, "pnlVprasanje")->isHidden());
    EXPECT_EQ(p.sporocila, QStringList{QStringLiteral("Prenos številka 7 je zbrisan!")});
    EXPECT_EQ(p.mreza()->rowCount(), 0);
    EXPECT_EQ(p.zbirka.stevilo(QStringLiteral("SELECT COUNT(*) FROM LEDGXFER WHERE STPRENOSA=7")), 0);
    EXPECT_EQ(p.zbirka.stevilo(QStringLiteral("SELECT COUNT(*) FROM KNJIZBE WHERE PRENOS=7")), 4);
    EXPECT_TRUE(kontrola<QLabel>(p.f, "lblOpozorilo")->isHidden());
}

TEST(PanelPregleda, JournalHeaderFromTheFieldsAndTheSelectedRow)
{
    Program p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    int strani = -1;
    p.predogled = [&](QDialog& d) {
        strani = straniPredogleda(d);
        return int(QDialog::Accepted);
    };
    const GlavaDnevnika& glava = p.okna.Form4->glava;

    // Nothing loaded: the header keeps its dates, the journal prints the header and zeros.
    kontrola<QPushButton>(p.f, "btnPonovi")->click();
    kontrola<QPushButton>(p.f, "Button1")->click();
    EXPECT_EQ(p.prikazaniDialogi, QStringList{QStringLiteral("predogled")});
    EXPECT_EQ(strani, 1);
    EXPECT_EQ(glava.datumKnjizenja, QStringLiteral("1.1.2003"));
    EXPECT_EQ(glava.stevilkaTemeljnice, QStringLiteral("1"));

    // The register list has no such columns: the dates stay as they were.
    kontrola<QPushButton>(p.f, "btnZgodovina")->click();
    kontrola<QPushButton>(p.f, "Button1")->click();
    EXPECT_EQ(glava.datumValutacije, QStringLiteral("1.1.2003"));

    p.dvojniKlik(1);
    p.okna.Form6->eIniciator()->setText(QStringLiteral(" Janez "));
    kontrola<QLineEdit>(p.f, "eStevilkaTemeljnice")->setText(QStringLiteral("17"));
    p.izberi(1); // A: booked 5.3., value date 6.3.
    kontrola<QPushButton>(p.f, "Button1")->click();
    EXPECT_EQ(glava.stevilkaTemeljnice, QStringLiteral("17"));
    EXPECT_EQ(glava.iniciator, QStringLiteral(" Janez "));
    EXPECT_EQ(glava.datumKnjizenja, QStringLiteral("5. 03. 2024"));
    EXPECT_EQ(glava.datumValutacije, QStringLiteral("6. 03. 2024"));
    EXPECT_EQ(strani, 1);
    // The report leaves the grid's current row where it was.
    EXPECT_EQ(p.f->Q1->trenutnaVrstica(), 1);
    EXPECT_TRUE(p.sporocila.isEmpty());
}

// The journal's print dialog starts with the report's own page (A4 portrait); a sheet
// turned to landscape there gets each page scaled down whole, so every posting is
// printed, and while the pages are prepared the status line says so.
TEST(PanelPregleda, JournalPrintsEveryRowWhateverPageWasChosen)
{
    LEDG_PRESKOCI_BREZ_PDFTOTEXT();
    Program p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    const int dodanih = 150; // some four pages of detail lines
    for (int i = 0; i < dodanih; ++i)
        p.zbirka.izvedi(
            QStringLiteral("INSERT INTO KNJIZBE (DATUMK, DATUMV, KONTO, IDMASTER, PARTNER, VALUTA, STRAN,"
                           " BZNESEK, DZNESEK, BZNESEKSIT, DZNESEKSIT, TEKST, PRENOS) VALUES"
                           " ('2024-03-%1', '2024-03-%1', 1, %2, 100, 'EUR', 'B', 77.77, 0, 77.77, 0, 'X', 7)")
                .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                .arg(1 + i % 2));
    kontrola<QPushButton>(p.f, "btnPonovi")->click();
    kontrola<PoljeDatuma>(p.f, "Datum1")->setDate(QDate(2024, 3, 1));
    kontrola<PoljeDatuma>(p.f, "Datum2")->setDate(QDate(2024, 3, 31));
    p.f->SeznamPrenosa(7);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("dnevnik.pdf"));
    std::optional<QPageLayout::Orientation> naZacetku;
    p.predogled = [&](QDialog& d) {
        if (auto* tisk = qobject_cast<QPrintDialog*>(&d)) {
            // The operator turns the sheet and prints to a file.
            QPrinter* tiskalnik = tisk->printer();
            naZacetku = tiskalnik->pageLayout().orientation();
            tiskalnik->setOutputFormat(QPrinter::PdfFormat);
            tiskalnik->setOutputFileName(pdf);
            tiskalnik->setPageOrientation(QPageLayout::Landscape);
            return int(QDialog::Accepted);
        }
        EXPECT_TRUE(natisniIzPredogleda(d));
        return int(QDialog::Accepted);
    };
    kontrola<QPushButton>(p.f, "Button1")->click();
    ASSERT_EQ(p.prikazaniDialogi, (QStringList{QStringLiteral("predogled"), QStringLiteral("tiskanje")}));
    EXPECT_EQ(naZacetku, QPageLayout::Portrait);

    const QString besedilo = besediloPdf(pdf);
    // Each line has the amount twice, in the currency and in the domestic currency.
    EXPECT_EQ(besedilo.count(QStringLiteral("77,77")), 2 * dodanih) << "every detail line printed";
    EXPECT_TRUE(besedilo.contains(QStringLiteral("VSE SKUPAJ")));
    const QString podatki = podatkiPdf(pdf);
    EXPECT_TRUE(podatki.contains(QRegularExpression(QStringLiteral("Page size:\\s+84[12](\\.\\d+)? x 595"))))
        << podatki.toStdString();
    // The status line said that the journal was being prepared, and is hidden again.
    EXPECT_EQ(kontrola<QLabel>(p.f, "lblOpozorilo")->text(), QStringLiteral("Priprava izpisa ..."));
    EXPECT_TRUE(kontrola<QLabel>(p.f, "lblOpozorilo")->isHidden());
    EXPECT_FALSE(QApplication::overrideCursor());
}

// Printed to a file, the journal goes through the output guard of every command: the
// book's own file (or its -wal) is refused with a message and never opened, and the
// book stays whole.
TEST(PanelPregleda, JournalPrintedToTheBooksOwnFileIsRefused)
{
    Program p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    if (p.zbirka.baza.gonilnik() != u"sqlite")
        GTEST_SKIP() << "the book is a file only on SQLite";
    kontrola<QPushButton>(p.f, "btnPonovi")->click();
    kontrola<PoljeDatuma>(p.f, "Datum1")->setDate(QDate(2024, 3, 1));
    kontrola<PoljeDatuma>(p.f, "Datum2")->setDate(QDate(2024, 3, 31));
    p.f->SeznamPrenosa(7);
    const QString knjiga = QDir(p.zbirka.mapa()).filePath(QStringLiteral("LB.sqlite"));
    ASSERT_TRUE(QFileInfo::exists(knjiga));
    for (const QString& cilj : {knjiga, knjiga + QStringLiteral("-wal")}) {
        SCOPED_TRACE(cilj.toStdString());
        const QByteArray prej = [&] {
            QFile f(cilj);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        p.sporocila.clear();
        p.predogled = [&](QDialog& d) {
            if (auto* tisk = qobject_cast<QPrintDialog*>(&d)) {
                tisk->printer()->setOutputFormat(QPrinter::PdfFormat);
                tisk->printer()->setOutputFileName(cilj);
                return int(QDialog::Accepted);
            }
            EXPECT_TRUE(natisniIzPredogleda(d));
            return int(QDialog::Accepted);
        };
        kontrola<QPushButton>(p.f, "Button1")->click();
        ASSERT_EQ(p.sporocila.size(), 1);
        EXPECT_TRUE(p.sporocila.at(0).startsWith(QStringLiteral("Ne morem pisati v datoteko ") + cilj + u'\n'))
            << p.sporocila.at(0).toStdString();
        QFile f(cilj);
        EXPECT_EQ(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(), prej);
    }
    EXPECT_EQ(p.zbirka.stevilo(QStringLiteral("SELECT COUNT(*) FROM KNJIZBE")) > 0, true);
}
