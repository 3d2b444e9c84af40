#include "okna.h"
#include "rezultat.h"
#include "tdm.h"
#include "tfizravna.h"
#include "tform1.h"
#include "tform5.h"
#include "poljedatuma.h"
#include "testnestoritve.h"
#include "vodenjepredogleda.h"
#include "zbirka.h"
#include <optional>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include "pdf.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

// The review's controls, found by their names in the design.
struct Kontrole {
    explicit Kontrole(const TForm5& d)
        : rbIzpisati(kontrola<QGroupBox>(&d, "rbIzpisati")),
          rbIzpisatiVse(kontrola<QRadioButton>(&d, "rbIzpisatiVse")),
          rbIzpisatiOznaceno(kontrola<QRadioButton>(&d, "rbIzpisatiOznaceno")),
          DateTimePicker1(kontrola<PoljeDatuma>(&d, "DateTimePicker1")),
          DateTimePicker2(kontrola<PoljeDatuma>(&d, "DateTimePicker2")),
          cbDatum(kontrola<QCheckBox>(&d, "cbDatum")),
          ePrenos(kontrola<QLineEdit>(&d, "ePrenos")),
          ePartner(kontrola<QLineEdit>(&d, "ePartner")),
          eKonto(kontrola<QLineEdit>(&d, "eKonto")),
          eDejavnost(kontrola<QLineEdit>(&d, "eDejavnost")),
          ePapir(kontrola<QLineEdit>(&d, "ePapir")),
          Label7(kontrola<QLabel>(&d, "Label7")),
          btnIzpisIzravnav(kontrola<QPushButton>(&d, "btnIzpisIzravnav")),
          btnZapri(kontrola<QPushButton>(&d, "btnZapri"))
    {
    }
    QGroupBox* rbIzpisati;
    QRadioButton* rbIzpisatiVse;
    QRadioButton* rbIzpisatiOznaceno;
    PoljeDatuma* DateTimePicker1;
    PoljeDatuma* DateTimePicker2;
    QCheckBox* cbDatum;
    QLineEdit* ePrenos;
    QLineEdit* ePartner;
    QLineEdit* eKonto;
    QLineEdit* eDejavnost;
    QLineEdit* ePapir;
    QLabel* Label7;
    QPushButton* btnIzpisIzravnav;
    QPushButton* btnZapri;
};

// The main window with the review's three objects, over the adjustment fixture.
// Message boxes and modal dialogs are recorded (TestneStoritve). Modal dialogs go to
// `dialog` (TForm5) and to `predogled` (the print preview and its print dialog).
struct Program : TestneStoritve {
    Program()
    {
        okna.Form1 = new TForm1({QStringLiteral("LB")}, *this);
        okna.Form5 = new TForm5(okna.Form1);
        okna.fIzravna = new TfIzravna(okna.Form1);
        okna.DM = new TDM(okna.Form1);
        f = okna.Form1;
        f->nastaviOkna(okna);
        f->V.PrvaAktivacija = false;
        f->V.Baza = QStringLiteral("LB");
        modalno = [this](QDialog& d) {
            if (d.objectName() == QStringLiteral("predogled") || d.objectName() == QStringLiteral("tiskanje"))
                return predogled ? predogled(d) : int(QDialog::Rejected);
            if (!dialog)
                return int(QDialog::Rejected);
            // The dialog is on screen while the operator works in it.
            d.show();
            dialog(Kontrole(*okna.Form5));
            return d.isVisible() ? int(QDialog::Rejected) : d.result();
        };
        okna.Form5->nastaviDatume(QDate(2024, 4, 2));
        f->show();
    }
    ~Program() { delete f; }

    // Opens the review with "Pregled &izravnav".
    void odpri() { kontrola<QPushButton>(f, "btnIzravnave")->click(); }

    ZbirkaIzravnav zbirka;
    Okna okna;
    TForm1* f = nullptr;
    std::function<void(const Kontrole&)> dialog;
    std::function<int(QDialog&)> predogled;
};

QColor ozadje(QWidget* w) { return w->palette().color(QPalette::Base); }

// Enabled and white, or disabled and grey.
void preveri(QWidget* w, bool omogocen)
{
    SCOPED_TRACE(w->objectName().toStdString());
    EXPECT_EQ(w->isEnabled(), omogocen);
    EXPECT_EQ(ozadje(w), omogocen ? TForm5::bela() : TForm5::siva());
}

QList<QWidget*> urejanja(const Kontrole& u) { return {u.ePrenos, u.eKonto, u.eDejavnost, u.ePartner, u.ePapir}; }

} // namespace

TEST(TForm5, FirstOpeningShowsVseWithEveryFilterGrey)
{
    TForm5 d;
    const Kontrole u(d);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("PREGLED IZRAVNAV PRI ZAOKROŽEVANJU"));
    EXPECT_FALSE(d.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(u.rbIzpisati->title(), QStringLiteral("Izpisati "));
    EXPECT_TRUE(u.rbIzpisatiVse->isChecked());
    EXPECT_EQ(u.rbIzpisatiOznaceno->text(), QStringLiteral("Samo označeno"));
    EXPECT_NE(TForm5::siva(), TForm5::bela());
    preveri(u.DateTimePicker1, false);
    preveri(u.DateTimePicker2, false);
    for (QWidget* w : urejanja(u)) {
        preveri(w, false);
        EXPECT_TRUE(static_cast<QLineEdit*>(w)->text().isEmpty());
    }
    EXPECT_TRUE(u.cbDatum->isChecked());
    EXPECT_TRUE(u.cbDatum->isEnabled());
    EXPECT_TRUE(u.cbDatum->text().isEmpty());
    EXPECT_EQ(u.btnIzpisIzravnav->text(), QStringLiteral("Pregled"));
    EXPECT_EQ(u.btnZapri->text(), QStringLiteral("&Zapri"));
    EXPECT_EQ(u.Label7->text(), QStringLiteral("VREDNOSTNI PAPIR"));
}

TEST(TForm5, ChoiceAndBoxEnableAndColourTheFilters)
{
    TForm5 d;
    const Kontrole u(d);
    d.show();

    // "Samo označeno": every filter white.
    u.rbIzpisatiOznaceno->click();
    for (QWidget* w : urejanja(u))
        preveri(w, true);
    preveri(u.DateTimePicker1, true);
    preveri(u.DateTimePicker2, true);

    // "Vse" with the box checked: the box does not change, everything is grey.
    u.rbIzpisatiVse->click();
    EXPECT_TRUE(u.cbDatum->isChecked());
    preveri(u.DateTimePicker1, false);
    preveri(u.DateTimePicker2, false);
    for (QWidget* w : urejanja(u))
        preveri(w, false);
    u.rbIzpisatiOznaceno->click();

    // The box governs the pickers only.
    u.cbDatum->click();
    EXPECT_FALSE(u.cbDatum->isChecked());
    preveri(u.DateTimePicker1, false);
    preveri(u.DateTimePicker2, false);
    for (QWidget* w : urejanja(u))
        preveri(w, true);

    // "Vse" checks the box again, and its rule enables the pickers.
    u.rbIzpisatiVse->click();
    EXPECT_TRUE(u.cbDatum->isChecked());
    preveri(u.DateTimePicker1, true);
    preveri(u.DateTimePicker2, true);
    for (QWidget* w : urejanja(u))
        preveri(w, false);

    // Under "Vse" the box still governs the pickers.
    u.cbDatum->click();
    preveri(u.DateTimePicker1, false);
    u.cbDatum->click();
    preveri(u.DateTimePicker1, true);

    // "Samo označeno" after an unchecked box: checked again, pickers white.
    u.cbDatum->click();
    u.rbIzpisatiOznaceno->click();
    EXPECT_TRUE(u.cbDatum->isChecked());
    preveri(u.DateTimePicker2, true);
}

TEST(TForm5, OpenedByItsButtonKeepsChoicesTextsAndDatesBetweenOpenings)
{
    Program p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    p.dialog = [](const Kontrole& u) {
        u.rbIzpisatiOznaceno->click();
        u.cbDatum->click();
        u.ePrenos->setText(QStringLiteral("7"));
        u.eKonto->setText(QStringLiteral("12"));
        u.DateTimePicker1->setDate(QDate(2024, 3, 1));
        u.btnZapri->click();
    };
    p.odpri();
    EXPECT_EQ(p.prikazaniDialogi, QStringList{QStringLiteral("TForm5")});
    EXPECT_EQ(p.okna.Form5->result(), int(QDialog::Accepted));

    const Kontrole u(*p.okna.Form5);
    p.dialog = [](const Kontrole& u) { u.btnZapri->click(); };
    p.odpri();
    EXPECT_TRUE(u.rbIzpisatiOznaceno->isChecked());
    EXPECT_FALSE(u.cbDatum->isChecked());
    EXPECT_EQ(u.ePrenos->text(), QStringLiteral("7"));
    EXPECT_EQ(u.eKonto->text(), QStringLiteral("12"));
    EXPECT_EQ(u.DateTimePicker1->date(), QDate(2024, 3, 1));
    EXPECT_EQ(u.DateTimePicker2->date(), QDate(2024, 4, 2));
    preveri(u.ePrenos, true);
    preveri(u.DateTimePicker1, false);
    EXPECT_TRUE(p.sporocila.isEmpty());
}

TEST(TForm5, PregledPreviewsTheSelectionAndTheQueryStaysOpen)
{
    Program p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    int strani = -1;
    QString naslov;
    bool opomba = true;
    p.predogled = [&](QDialog& d) {
        strani = straniPredogleda(d);
        naslov = d.windowTitle();
        opomba = d.findChild<QLabel*>(QStringLiteral("lblPrazno")) != nullptr;
        return int(QDialog::Accepted);
    };
    bool odprtPoPredogledu = false;
    p.dialog = [&](const Kontrole& u) {
        u.rbIzpisatiOznaceno->click();
        u.DateTimePicker1->setDate(QDate(2024, 3, 1));
        u.DateTimePicker2->setDate(QDate(2024, 3, 31));
        u.btnIzpisIzravnav->click();
        odprtPoPredogledu = p.okna.Form5->isVisible();
        u.btnZapri->click();
    };
    p.odpri();
    EXPECT_EQ(p.prikazaniDialogi, (QStringList{QStringLiteral("TForm5"), QStringLiteral("predogled")}));
    EXPECT_TRUE(odprtPoPredogledu);
    EXPECT_EQ(strani, 1);
    EXPECT_EQ(naslov, QStringLiteral("IZRAVNAVE"));
    EXPECT_FALSE(opomba);
    Rezultat& q = *p.okna.DM->Qizravnave;
    EXPECT_EQ(q.imeBaze(), QStringLiteral("LB"));
    EXPECT_TRUE(q.jeOdprt());
    EXPECT_EQ(stevilkeVrstic(q), (QList<int>{7, 1, 3, 2}));
    EXPECT_TRUE(p.sporocila.isEmpty()) << p.sporocila.join(u'\n').toStdString();
}

// The list is landscape: the print dialog starts with a landscape sheet, and printed as
// it starts every row is on the landscape sheet.
TEST(TForm5, ThePrintDialogStartsWithTheListsLandscapeSheet)
{
    LEDG_PRESKOCI_BREZ_PDFTOTEXT();
    Program p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    QTemporaryDir mapa;
    const QString pdf = mapa.filePath(QStringLiteral("izravnave.pdf"));
    std::optional<QPageLayout::Orientation> naZacetku;
    p.predogled = [&](QDialog& d) {
        if (auto* tisk = qobject_cast<QPrintDialog*>(&d)) {
            naZacetku = tisk->printer()->pageLayout().orientation();
            tisk->printer()->setOutputFormat(QPrinter::PdfFormat);
            tisk->printer()->setOutputFileName(pdf);
            return int(QDialog::Accepted);
        }
        EXPECT_TRUE(natisniIzPredogleda(d));
        return int(QDialog::Accepted);
    };
    p.dialog = [](const Kontrole& u) {
        u.rbIzpisatiVse->click();
        u.btnIzpisIzravnav->click();
        u.btnZapri->click();
    };
    p.odpri();
    EXPECT_EQ(p.prikazaniDialogi,
              (QStringList{QStringLiteral("TForm5"), QStringLiteral("predogled"), QStringLiteral("tiskanje")}));
    EXPECT_EQ(naZacetku, QPageLayout::Landscape);
    const QString podatki = podatkiPdf(pdf);
    EXPECT_TRUE(podatki.contains(QRegularExpression(QStringLiteral("Page size:\\s+84[12](\\.\\d+)? x 595"))))
        << podatki.toStdString();
    EXPECT_EQ(besediloPdf(pdf).count(QStringLiteral("PREGLED IZRAVNAV PRI ZAOKROŽEVANJU")), 1);
    EXPECT_TRUE(p.sporocila.isEmpty()) << p.sporocila.join(u'\n').toStdString();
}

TEST(TForm5, AnEmptySelectionOpensNoPreviewAndSaysSo)
{
    Program p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    p.predogled = [&](QDialog&) { return int(QDialog::Accepted); };
    p.dialog = [](const Kontrole& u) {
        u.rbIzpisatiOznaceno->click();
        u.cbDatum->click();
        u.ePartner->setText(QStringLiteral("99"));
        u.btnIzpisIzravnav->click();
        u.btnZapri->click();
    };
    p.odpri();
    // A list without pages: no empty preview ("1 / 0"), a message instead.
    EXPECT_EQ(p.prikazaniDialogi, (QStringList{QStringLiteral("TForm5")}));
    EXPECT_EQ(p.sporocila, (QStringList{QStringLiteral("Ni izravnav za prikaz: izbor je prazen.")}));
}

TEST(TForm5, ANumberThatIsNoIntegerGivesAMessageNoReportAndTheDialogStaysOpen)
{
    Program p;
    LEDG_PRESKOCI_BREZ_BAZE(p.zbirka.baza);
    struct Primer {
        const char* prenos;
        const char* papir;
        const char* sporocilo;
    };
    const Primer primeri[] = {
        {"abc", "", "Številka prenosa mora biti celo število (vpisano: \"abc\")."},
        {"", "VP1", "Vrednostni papir mora biti celo število (vpisano: \"VP1\")."},
    };
    for (const Primer& pr : primeri) {
        SCOPED_TRACE(pr.sporocilo);
        p.sporocila.clear();
        p.prikazaniDialogi.clear();
        bool odprt = false;
        p.dialog = [&](const Kontrole& u) {
            u.rbIzpisatiOznaceno->click();
            u.ePrenos->setText(QString::fromUtf8(pr.prenos));
            u.ePapir->setText(QString::fromUtf8(pr.papir));
            u.btnIzpisIzravnav->click();
            odprt = p.okna.Form5->isVisible();
            u.btnZapri->click();
        };
        p.odpri();
        EXPECT_EQ(p.sporocila, QStringList{QString::fromUtf8(pr.sporocilo)});
        EXPECT_EQ(p.prikazaniDialogi, QStringList{QStringLiteral("TForm5")});
        EXPECT_TRUE(odprt);
    }
    // "Vse" ignores the texts: the same fields preview every row.
    p.sporocila.clear();
    p.prikazaniDialogi.clear();
    p.dialog = [](const Kontrole& u) {
        u.rbIzpisatiVse->click();
        u.btnIzpisIzravnav->click();
        u.btnZapri->click();
    };
    p.odpri();
    EXPECT_TRUE(p.sporocila.isEmpty());
    EXPECT_EQ(p.prikazaniDialogi, (QStringList{QStringLiteral("TForm5"), QStringLiteral("predogled")}));
    EXPECT_EQ(stevilkeVrstic(*p.okna.DM->Qizravnave).size(), 7);
}

TEST(TForm5, EscapeDoesNotCloseTheDialog)
{
    TForm5 d;
    d.show();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&d, &esc);
    EXPECT_TRUE(d.isVisible());
}
