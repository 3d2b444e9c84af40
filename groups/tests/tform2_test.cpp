#include "tform2.h"

#include "barve.h"
#include "dogodki.h"
#include "entergumb.h"
#include "grupiranje.h"
#include "poizvedba.h"
#include "testnabaza.h"
#include "testnestoritve.h"
#include "tform1.h"
#include "zapisnik.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>

namespace {

QColor podlaga(const QWidget* w) { return w->palette().color(QPalette::Base); }

// The dialog's controls, found by their names in the design.
struct Kontrole {
    explicit Kontrole(const TForm2& f)
        : DBGrid2(kontrola<QTableView>(&f, "DBGrid2")),
          eSfDog(kontrola<QLineEdit>(&f, "eSfDog")),
          eIdGrupe(kontrola<QLineEdit>(&f, "eIdGrupe")),
          eNazivGrupe(kontrola<QLineEdit>(&f, "eNazivGrupe")),
          btnAzuriraj(kontrola<QPushButton>(&f, "btnAzuriraj")),
          btnPotrdiGrupe(kontrola<QPushButton>(&f, "btnPotrdiGrupe"))
    {
    }
    QTableView* DBGrid2;
    QLineEdit* eSfDog;
    QLineEdit* eIdGrupe;
    QLineEdit* eNazivGrupe;
    QPushButton* btnAzuriraj;
    QPushButton* btnPotrdiGrupe;
};

class Dialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        baza = std::make_unique<TestnaBaza>();
        LEDG_PRESKOCI_BREZ_BAZE(*baza);
        db = baza->odpri();
        vstaviDogodke(db, {{10, QStringLiteral("Vplačilo")},
                           {20, QStringLiteral("Izplačilo")},
                           {30, QStringLiteral("Obresti")},
                           {40, QStringLiteral("Provizija")}});
        grupe::UstvariGrupeDog();
        Poizvedba(db).izvedi(
            QStringLiteral("INSERT INTO GrupeDog (IdGrupe, SfDog, NzvGrupe) VALUES ('07', 30, 'Sedem')"));
    }
    void TearDown() override
    {
        db = QSqlDatabase();
        baza.reset();
    }

    // Opens the dialog the way "&Grupe" does and runs `telo` while it is shown and active.
    int odpri(TForm2& f, const std::function<void()>& telo)
    {
        return f.Prikazi(okolje, [&](QDialog& d) {
            d.show();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
            telo();
            const int rezultat = d.result();
            d.hide();
            return rezultat;
        });
    }

    int vrsticaDogodka(TForm2& f, int koda)
    {
        QAbstractItemModel* m = kontrola<QTableView>(&f, "DBGrid2")->model();
        for (int v = 0; v < m->rowCount(); ++v) {
            if (m->index(v, 0).data().toInt() == koda)
                return v;
        }
        ADD_FAILURE() << "event " << koda << " not in the grid";
        return -1;
    }

    QPoint celica(TForm2& f, int koda)
    {
        QTableView* mreza = kontrola<QTableView>(&f, "DBGrid2");
        return mreza->visualRect(mreza->model()->index(vrsticaDogodka(f, koda), 1)).center();
    }

    QString shranjenaGrupa(int koda)
    {
        Poizvedba q(db);
        q.odpri(QStringLiteral("SELECT IdGrupe FROM GrupeDog WHERE SfDog=:K"), {{QStringLiteral("K"), koda}});
        return q.naslednji() ? q.niz(QStringLiteral("IdGrupe")).trimmed() : QString();
    }

    std::unique_ptr<TestnaBaza> baza;
    QSqlDatabase db;
    Zapisnik okolje;
};

} // namespace

TEST_F(Dialog, ControlsTabOrderAndClosingOnlyThroughZapri)
{
    TForm2 f;
    const Kontrole k(f);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Grupiranje dogodkov   (v tabeli   :LB:GrupeDog)"));
    EXPECT_FALSE(f.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(k.eSfDog->isReadOnly());
    EXPECT_EQ(podlaga(k.eSfDog), barve::srebrna);
    EXPECT_EQ(k.eIdGrupe->maxLength(), 2);
    EXPECT_EQ(k.eNazivGrupe->maxLength(), 10);
    EXPECT_EQ(k.btnAzuriraj->text(), QStringLiteral("&Ažuriraj"));
    EXPECT_EQ(k.btnPotrdiGrupe->text(), QStringLiteral("&Zapri"));

    const int rezultat = odpri(f, [&] {
        QHeaderView* glava = k.DBGrid2->horizontalHeader();
        ASSERT_EQ(k.DBGrid2->model()->columnCount(), 4);
        QStringList naslovi;
        for (int s = 0; s < 4; ++s)
            naslovi << k.DBGrid2->model()->headerData(s, Qt::Horizontal).toString();
        EXPECT_EQ(naslovi, (QStringList{QStringLiteral("SfDog"), QStringLiteral("IdGrupe"), QStringLiteral("NzvGrupe"),
                                        QStringLiteral("Nzv")}));
        EXPECT_FALSE(glava->isHidden());

        // Tab goes between the two editable fields only.
        k.eIdGrupe->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), k.eNazivGrupe);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), k.eIdGrupe);

        // Escape leaves it open.
        QTest::keyClick(k.eNazivGrupe, Qt::Key_Escape);
        EXPECT_TRUE(f.isVisible());
        QTest::mouseClick(k.btnPotrdiGrupe, Qt::LeftButton);
        EXPECT_FALSE(f.isVisible());
    });
    EXPECT_EQ(rezultat, QDialog::Accepted);
}

TEST_F(Dialog, GroupNumberFieldTakesDigitsOnlyAndIsWrittenWithTwoDigitsOnLeaving)
{
    struct Primer {
        QString tipke;
        bool brisi; // backspace after the keys
        QString prikazano;
        QString poIzhodu;
    };
    const QList<Primer> primeri{
        {QStringLiteral("a5"), false, QStringLiteral("5"), QStringLiteral("05")},
        {QStringLiteral("0"), false, QStringLiteral("0"), QStringLiteral("00")},
        {QStringLiteral("-+ "), false, QString(), QString()},
        {QStringLiteral("42"), true, QStringLiteral("4"), QStringLiteral("04")},
        {QStringLiteral("99"), false, QStringLiteral("99"), QStringLiteral("99")},
    };
    TForm2 f;
    const Kontrole k(f);
    QObject enter;
    enterPritisneGumb(&enter); // as the program does for all its windows
    odpri(f, [&] {
        for (const Primer& p : primeri) {
            k.eIdGrupe->clear();
            k.eIdGrupe->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(k.eIdGrupe, p.tipke);
            if (p.brisi)
                QTest::keyClick(k.eIdGrupe, Qt::Key_Backspace);
            EXPECT_EQ(k.eIdGrupe->text(), p.prikazano) << p.tipke.toStdString();
            QTest::keyClick(k.eIdGrupe, Qt::Key_Tab);
            EXPECT_EQ(k.eIdGrupe->text(), p.poIzhodu) << p.tipke.toStdString();
        }

        // Enter moves on to the name, and from the name to "&Ažuriraj"; the next Enter
        // presses "&Ažuriraj", as on the operators' desktop.
        QTest::mouseClick(k.DBGrid2->viewport(), Qt::LeftButton, {}, celica(f, 20));
        k.eIdGrupe->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(k.eIdGrupe, QStringLiteral("6"));
        QTest::keyClick(k.eIdGrupe, Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), k.eNazivGrupe);
        QTest::keyClicks(k.eNazivGrupe, QStringLiteral("Ime"));
        QTest::keyClick(k.eNazivGrupe, Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), k.btnAzuriraj);
        EXPECT_EQ(k.eNazivGrupe->text(), QStringLiteral("Ime"));
        EXPECT_TRUE(okolje.sporocila.isEmpty()) << "Enter in the name does not save";
        EXPECT_EQ(shranjenaGrupa(20), QString());
        QTest::keyClick(k.btnAzuriraj, Qt::Key_Return);
        EXPECT_TRUE(okolje.sporocila.isEmpty()) << okolje.sporocila.join(u'|').toStdString();
        EXPECT_EQ(shranjenaGrupa(20), QStringLiteral("06"));
    });
}

TEST_F(Dialog, ClickDoubleClickAndEnterShowTheEventButArrowKeysDoNot)
{
    TForm2 f;
    const Kontrole k(f);
    odpri(f, [&] {
        QWidget* mreza = k.DBGrid2->viewport();
        QTest::mouseClick(mreza, Qt::LeftButton, {}, celica(f, 30));
        EXPECT_EQ(k.eSfDog->text(), QStringLiteral("30"));
        EXPECT_EQ(k.eIdGrupe->text(), QStringLiteral("07"));
        EXPECT_EQ(k.eNazivGrupe->text(), QStringLiteral("Sedem"));
        EXPECT_EQ(podlaga(k.eIdGrupe), barve::srebrna);
        EXPECT_EQ(podlaga(k.eNazivGrupe), barve::srebrna);

        // The arrow moves the grid, the fields stay.
        // (The list has no order of its own: move up when the event is the last row.)
        const bool zadnja = vrsticaDogodka(f, 30) == k.DBGrid2->model()->rowCount() - 1;
        QTest::keyClick(k.DBGrid2, zadnja ? Qt::Key_Up : Qt::Key_Down);
        const int vrstica = k.DBGrid2->currentIndex().row();
        EXPECT_EQ(vrstica, vrsticaDogodka(f, 30) + (zadnja ? -1 : 1));
        const QString naslednji = k.DBGrid2->model()->index(vrstica, 0).data().toString();
        EXPECT_EQ(k.eSfDog->text(), QStringLiteral("30"));

        // Enter shows the event under the grid's row and moves to the group number,
        // which turns the fields white; the group of the event before stays.
        QTest::keyClick(k.DBGrid2, Qt::Key_Return);
        EXPECT_EQ(k.eSfDog->text(), naslednji);
        EXPECT_EQ(k.eIdGrupe->text(), QStringLiteral("07"));
        EXPECT_EQ(QApplication::focusWidget(), k.eIdGrupe);
        EXPECT_EQ(podlaga(k.eIdGrupe), barve::bela);
        EXPECT_EQ(podlaga(k.eNazivGrupe), barve::bela);

        // A double click: a click, then the double click and its release.
        QTest::mouseClick(mreza, Qt::LeftButton, {}, celica(f, 10));
        QTest::mouseDClick(mreza, Qt::LeftButton, {}, celica(f, 10));
        QTest::mouseRelease(mreza, Qt::LeftButton, {}, celica(f, 10));
        EXPECT_EQ(k.eSfDog->text(), QStringLiteral("10"));
        EXPECT_EQ(QApplication::focusWidget(), k.eIdGrupe);
        EXPECT_EQ(podlaga(k.eIdGrupe), barve::bela);
        // The two-digit number is selected: digits typed now replace it.
        QTest::keyClicks(k.eIdGrupe, QStringLiteral("12"));
        EXPECT_EQ(k.eIdGrupe->text(), QStringLiteral("12"));

        // A click into the field selects it as well.
        k.DBGrid2->setFocus();
        QTest::mouseClick(k.eIdGrupe, Qt::LeftButton, {}, QPoint(3, 5));
        QCoreApplication::processEvents();
        QTest::keyClicks(k.eIdGrupe, QStringLiteral("3"));
        EXPECT_EQ(k.eIdGrupe->text(), QStringLiteral("3"));
    });
}

TEST_F(Dialog, SavingThroughTheAcceleratorStoresTwoDigitsAndReturnsToTheSavedRow)
{
    TForm2 f;
    const Kontrole k(f);
    odpri(f, [&] {
        QTest::mouseClick(k.DBGrid2->viewport(), Qt::LeftButton, {}, celica(f, 20));
        k.eIdGrupe->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(k.eIdGrupe, QStringLiteral("5"));
        QTest::keyClick(f.windowHandle(), Qt::Key_A, Qt::AltModifier);
        // The accelerator clicks the button after its short animation.
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == k.DBGrid2; }));

        EXPECT_TRUE(okolje.sporocila.isEmpty());
        EXPECT_EQ(shranjenaGrupa(20), QStringLiteral("05"));
        EXPECT_EQ(k.eIdGrupe->text(), QStringLiteral("05")) << "written with two digits on leaving";
        EXPECT_EQ(podlaga(k.eIdGrupe), barve::srebrna);
        const int vrstica = k.DBGrid2->currentIndex().row();
        EXPECT_EQ(vrstica, vrsticaDogodka(f, 20));
        EXPECT_EQ(k.DBGrid2->model()->index(vrstica, 1).data().toString(), QStringLiteral("05"));
    });
}

TEST_F(Dialog, GrupeCommandOpensTheDialogUnderLBAndKeepsListAndFieldsBetweenOpenings)
{
    TestneStoritve storitve;
    TForm1 f1(QStringList{}, storitve);
    f1.V.PrvaAktivacija = false;
    f1.V.Baza = QStringLiteral("DRUGA"); // the dialog works under "LB" whatever the alias
    auto* f2 = new TForm2(&f1);
    const Kontrole k2(*f2);
    Okna okna;
    okna.Form1 = &f1;
    okna.Form2 = f2;
    f1.nastaviOkna(okna);
    const QStringList& sporocila = storitve.sporocila;
    Poizvedba(db).izvedi(QStringLiteral("DROP TABLE GrupeDog"));

    int odprtja = 0;
    storitve.modalno = [&](QDialog& d) {
        ++odprtja;
        EXPECT_EQ(&d, f2);
        EXPECT_TRUE(f2->grupe()->Q2->jeOdprt());
        EXPECT_TRUE(f2->grupe()->DataSource2->omogocen());
        d.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
        if (odprtja == 1) {
            // Nothing chosen yet: the two-line message through the main window.
            k2.eIdGrupe->setText(QStringLiteral("12"));
            k2.eNazivGrupe->setText(QStringLiteral("Dvanajst"));
            QTest::mouseClick(k2.btnAzuriraj, Qt::LeftButton);
            EXPECT_EQ(sporocila,
                      QStringList{QStringLiteral("SfDog (dogodek) ni izbran!\rKlikni na dogodek v seznamu!")});
        } else {
            EXPECT_EQ(k2.eIdGrupe->text(), QStringLiteral("12"));
            EXPECT_EQ(k2.eNazivGrupe->text(), QStringLiteral("Dvanajst"));
        }
        QTest::mouseClick(k2.btnPotrdiGrupe, Qt::LeftButton);
        return d.result();
    };

    kontrola<QPushButton>(&f1, "btnGrupe")->click();
    ASSERT_EQ(odprtja, 1);
    EXPECT_FALSE(f2->grupe()->DataSource2->omogocen()) << "the link is off while the dialog is closed";
    EXPECT_EQ(shranjenaGrupa(30), QString()) << "the group table was made anew";

    QSignalSpy seznam(f2->grupe()->Q2, &Rezultat::spremenjen);
    kontrola<QPushButton>(&f1, "btnGrupe")->click();
    EXPECT_EQ(odprtja, 2);
    EXPECT_EQ(seznam.count(), 0) << "the list stays open between openings";
    EXPECT_EQ(sporocila.size(), 1);
}

TEST_F(Dialog, GrupeCommandReportsAListThatCannotBeOpened)
{
    TestneStoritve storitve;
    TForm1 f1(QStringList{}, storitve);
    f1.V.PrvaAktivacija = false;
    auto* f2 = new TForm2(&f1);
    Okna okna;
    okna.Form1 = &f1;
    okna.Form2 = f2;
    f1.nastaviOkna(okna);
    const QStringList& sporocila = storitve.sporocila;
    int odprtja = 0;
    storitve.modalno = [&](QDialog&) { return ++odprtja, int(QDialog::Accepted); };
    Poizvedba(db).izvedi(QStringLiteral("DROP TABLE SfDog"));

    kontrola<QPushButton>(&f1, "btnGrupe")->click();
    EXPECT_EQ(odprtja, 0);
    ASSERT_EQ(sporocila.size(), 1);
    EXPECT_TRUE(sporocila.first().contains(QStringLiteral("SfDog"), Qt::CaseInsensitive))
        << sporocila.first().toStdString();
    EXPECT_FALSE(f2->grupe()->DataSource2->omogocen());
}

TEST_F(Dialog, TwoLineMessageIsShownOnTwoLinesInTheMessageBox)
{
    // The desktop's own message box; the modal dialog is answered here.
    struct : TestneStoritve {
        void sporocilo(QWidget* lastnik, const QString& besedilo) override
        {
            StoritveOkna::sporocilo(lastnik, besedilo);
        }
    } storitve;
    TForm1 f1(QStringList{}, storitve);
    f1.V.PrvaAktivacija = false;
    auto* f2 = new TForm2(&f1);
    const Kontrole k2(*f2);
    Okna okna;
    okna.Form1 = &f1;
    okna.Form2 = f2;
    f1.nastaviOkna(okna);
    QString prikazano;
    storitve.modalno = [&](QDialog& d) {
        d.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                prikazano = box->text();
                box->accept();
            }
        });
        k2.btnAzuriraj->click();
        d.hide();
        return int(QDialog::Accepted);
    };
    kontrola<QPushButton>(&f1, "btnGrupe")->click();
    EXPECT_EQ(prikazano, QStringLiteral("SfDog (dogodek) ni izbran!\nKlikni na dogodek v seznamu!"));
}
