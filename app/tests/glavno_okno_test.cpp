#include "pomoc.h"
#include "poljedatuma.h"
#include "tform1.h"
#include "tfgeslo.h"
#include "tfizravna.h"
#include "tform2.h"
#include "tform3.h"
#include "tform5.h"
#include "tform6.h"
#include "tform7.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QFrame>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

struct Kontrola {
    const char* ime;
    int x, y, w, h;       // w, h < 0: not checked (labels size to their text)
    const char* besedilo; // nullptr: not checked
    bool skrita;
    bool omogocena;
};

QString besediloKontrole(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    return {};
}

} // namespace

TEST(GlavnoOkno, EveryControlAtItsDesignedPlaceWithCaptionAndInitialState)
{
    TestniProgram p({});
    TForm1* f = p.okna.Form1;
    const Kontrola kontrole[] = {
        {"Label2", 144, 8, -1, -1, "začetni datum", false, true},
        {"Label3", 240, 8, -1, -1, "končni datum", false, true},
        {"Label5", 328, 8, -1, -1, "Št.temeljnice", false, true},
        {"btnPrenosMesecnih", 16, 22, 105, 25, "&Prenos podatkov", false, true},
        {"btnPrenos", -88, 65, 105, 25, "&Dnevni prenos", true, true},
        {"Datum1", 136, 24, 89, 21, nullptr, false, true},
        {"Datum2", 232, 24, 89, 21, nullptr, false, true},
        {"eStevilkaTemeljnice", 336, 24, 25, 21, "1", false, true},
        {"btnKonec", 392, 21, 105, 25, "&Konec", false, true},
        {"btnIzravnave", 16, 52, 105, 20, "Pregled &izravnav", false, true},
        {"btnGrupe", 448, 53, 57, 25, "&Grupe", true, true},
        {"lblOpozorilo", 152, 64, -1, -1, "Prenos v izvajanju ...", true, true},
        {"lblProcenti", 464, 72, -1, -1, "0", true, true},
        {"btnPonovi", 16, 80, 105, 25, "P&regled", false, true},
        {"ProgressBar1", 136, 88, 361, 16, nullptr, true, true},
        {"btnPrenosOSB", 0, 90, 25, 25, "Prenos &OSB", true, true},
        {"pnlPonovitev", 16, 112, 481, 257, nullptr, true, true},
        {"eStevilkaPrenosa", -1, -1, -1, -1, "0", false, true},
        {"btnZadnji", -1, -1, -1, -1, "&Zadnji prenos", true, true},
        {"Button1", -1, -1, -1, -1, "&Izpis", false, true},
        {"btnZgodovina", -1, -1, -1, -1, "&Vsi prenosi", false, true},
        {"lblSteviloZapisov", -1, -1, -1, -1, "..", false, true},
        {"Label1", -1, -1, -1, -1, "Ponovitev s številko prenosa", false, true},
        {"DBGrid1", -1, -1, -1, -1, nullptr, false, true},
        {"pnlLogo", 16, 376, 353, 25, nullptr, true, true},
        {"lblVerzija", -1, -1, -1, -1, "Verzija 3.3.0.0  januar  2018,  (DB/2)", false, true},
        {"btnBrisiPrenos", 416, 376, 81, 25, "B&riši prenos", true, false},
        {"pnlVprasanje", 512, 376, 497, 361, nullptr, true, true},
        {"btnOdgovorDa", -1, -1, -1, -1, "&Da", false, true},
        {"btnOdgovorNe", -1, -1, -1, -1, "&Ne", false, true},
    };
    for (const Kontrola& k : kontrole) {
        SCOPED_TRACE(k.ime);
        auto* w = f->findChild<QWidget*>(QString::fromLatin1(k.ime));
        ASSERT_NE(w, nullptr);
        if (k.x != -1 || k.y != -1) {
            EXPECT_EQ(w->x(), k.x);
            EXPECT_EQ(w->y(), k.y);
        }
        if (k.w >= 0) {
            EXPECT_EQ(w->width(), k.w);
            EXPECT_EQ(w->height(), k.h);
        }
        if (k.besedilo) {
            EXPECT_EQ(besediloKontrole(w), QString::fromUtf8(k.besedilo));
        }
        EXPECT_EQ(w->isHidden(), k.skrita);
        EXPECT_EQ(w->isEnabled(), k.omogocena);
    }
    EXPECT_EQ(f->windowTitle(), QStringLiteral("PRENOS PODATKOV V GLAVNO KNJIGO    (Banka Morvik d.d.)"));
    EXPECT_EQ(kontrola<QWidget>(f, "centralwidget")->palette().color(QPalette::Window), QColor(0, 0, 128));
    EXPECT_EQ(kontrola<QLabel>(f, "lblOpozorilo")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(kontrola<QLabel>(f, "lblOpozorilo")->font().bold());
    EXPECT_EQ(kontrola<QLabel>(f, "lblOpozorilo")->font().pointSize(), 12);
    EXPECT_EQ(kontrola<QLabel>(f, "lblVerzija")->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    EXPECT_EQ(kontrola<QFrame>(f, "pnlVprasanje")->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(f->width(), 535);
    EXPECT_FALSE(f->DataSource1->omogocen());

    // The menu: one entry with its two items.
    const QList<QAction*> meni = f->menuBar()->actions();
    ASSERT_EQ(meni.size(), 1);
    EXPECT_EQ(meni.at(0)->text(), QStringLiteral("&ZOKDLL"));
    const QList<QAction*> postavke = meni.at(0)->menu()->actions();
    ASSERT_EQ(postavke.size(), 2);
    EXPECT_EQ(postavke.at(0)->objectName(), QStringLiteral("Direktorijodlagalia1"));
    EXPECT_EQ(postavke.at(0)->text(), QStringLiteral("&Direktorij odlagališča"));
    EXPECT_EQ(postavke.at(1)->objectName(), QStringLiteral("Prepis1"));
    EXPECT_EQ(postavke.at(1)->text(), QStringLiteral("&Prepis"));

    // The save dialogs as the window makes them.
    EXPECT_EQ(f->SaveDialog2.naslov, QStringLiteral("MESEČNI PRENOS"));
    EXPECT_EQ(f->SaveDialog2.imeDatoteke, QStringLiteral("GKDODAT2.TXT"));
    EXPECT_EQ(f->SaveDialog2.privzetaKoncnica, QStringLiteral("TXT"));
    EXPECT_EQ(f->SaveDialog2.filter, QStringLiteral("TXT datoteke (*.TXT)|*.TXT|Vse datoteke (*.*)|*.*"));
    EXPECT_EQ(f->SaveDialog1.privzetaKoncnica, QStringLiteral("055"));
    EXPECT_EQ(f->SaveDialog1.filter, QStringLiteral("Tekst datoteka (*.055)|*.055|Vse datoteke (*.*)|*.*"));
}

TEST(GlavnoOkno, WindowsAreCreatedWithTheirCaptions)
{
    TestniProgram p({});
    const struct {
        QWidget* okno;
        const char* napis;
    } okna[] = {
        {static_cast<QWidget*>(p.okna.Form2), "Grupiranje dogodkov   (v tabeli   :LB:GrupeDog)"},
        {static_cast<QWidget*>(p.okna.Form3), "Izbiranje šifer oseb za prenos iz OSB"},
        {static_cast<QWidget*>(p.okna.Form5), "PREGLED IZRAVNAV PRI ZAOKROŽEVANJU"},
        {static_cast<QWidget*>(p.okna.fIzravna), "IZRAVNAVE"},
        {static_cast<QWidget*>(p.okna.Form6), "INICIATOR"},
        {static_cast<QWidget*>(p.okna.Form7), "ODLAGALIŠČE ZA ZOKDLL.TXT"},
        {static_cast<QWidget*>(p.okna.fGeslo), "PRIJAVA V BAZO"},
    };
    for (const auto& o : okna) {
        EXPECT_EQ(o.okno->windowTitle(), QString::fromUtf8(o.napis));
        EXPECT_TRUE(o.okno->isHidden());
    }
}

TEST(GlavnoOkno, ChangingEitherDateEmptiesTheTransferNumber)
{
    TestniProgram p({});
    TForm1* f = p.okna.Form1;
    auto* stevilka = kontrola<QLineEdit>(f, "eStevilkaPrenosa");
    for (const char* ime : {"Datum1", "Datum2"}) {
        stevilka->setText(QStringLiteral("7"));
        auto* datum = kontrola<PoljeDatuma>(f, ime);
        datum->setDate(datum->date().addDays(-1));
        EXPECT_EQ(stevilka->text(), QString()) << ime;
    }
}

TEST(GlavnoOkno, ReviewButtonSwitchesPanelsHeightCaptionAndDataLink)
{
    TestniProgram p({});
    TForm1* f = p.okna.Form1;
    auto* btnPonovi = kontrola<QPushButton>(f, "btnPonovi");
    auto* pnlPonovitev = kontrola<QFrame>(f, "pnlPonovitev");
    auto* pnlLogo = kontrola<QFrame>(f, "pnlLogo");
    auto* eStevilkaPrenosa = kontrola<QLineEdit>(f, "eStevilkaPrenosa");
    f->resize(f->width(), 162);
    eStevilkaPrenosa->setText(QStringLiteral("7"));

    btnPonovi->click();
    EXPECT_FALSE(pnlPonovitev->isHidden());
    EXPECT_FALSE(pnlLogo->isHidden());
    EXPECT_EQ(btnPonovi->text(), QStringLiteral("Zapri p&regled"));
    EXPECT_EQ(f->height(), 460);
    EXPECT_TRUE(f->DataSource1->omogocen());
    EXPECT_EQ(eStevilkaPrenosa->text(), QStringLiteral("7"));

    btnPonovi->click();
    EXPECT_TRUE(pnlPonovitev->isHidden());
    EXPECT_TRUE(pnlLogo->isHidden());
    EXPECT_EQ(btnPonovi->text(), QStringLiteral("P&regled"));
    EXPECT_EQ(f->height(), 162);
    EXPECT_FALSE(f->DataSource1->omogocen());
    EXPECT_EQ(eStevilkaPrenosa->text(), QStringLiteral("0"));
}

TEST(GlavnoOkno, GeneralErrorReportShowsTheFailureAndRestoresTheWindow)
{
    TestniProgram p({});
    TForm1* f = p.okna.Form1;
    f->ukaz([f] {
        f->okolje().statusnaVrstica(QStringLiteral("Poteka ..."));
        f->okolje().prikaziNapredek(true);
        kontrola<QPushButton>(f, "btnPonovi")->setEnabled(false);
        kontrola<QPushButton>(f, "btnZgodovina")->setEnabled(false);
        throw std::runtime_error("no such table: KNJIZBE");
    });
    EXPECT_EQ(p.sporocila, QStringList{QStringLiteral("no such table: KNJIZBE")});
    EXPECT_TRUE(kontrola<QLabel>(f, "lblOpozorilo")->isHidden());
    EXPECT_TRUE(kontrola<QProgressBar>(f, "ProgressBar1")->isHidden());
    EXPECT_TRUE(kontrola<QLabel>(f, "lblProcenti")->isHidden());
    EXPECT_TRUE(kontrola<QPushButton>(f, "btnPonovi")->isEnabled());
    EXPECT_TRUE(kontrola<QPushButton>(f, "btnZgodovina")->isEnabled());
}
