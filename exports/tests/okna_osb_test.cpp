#include "baza_pomoc.h"
#include "izpis.h"
#include "okna_pomoc.h"
#include "rezultat.h"
#include "tform1.h"
#include "tform3.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The party export fixture: the main window with BAZA as the alias chosen at start-up.
struct ProgramOsb : BazaOsb {
    ProgramOsb() : p(mapa())
    {
        for (int sf : {100, 200})
            osb(sf, QStringLiteral("Oseba %1").arg(sf), QString(), QString(), QString(), QString(), QString(),
                QString());
        for (int id = 1; id <= 5; ++id)
            pog(id, id % 2 ? 100 : 200, QStringLiteral("K%1").arg(id), QStringLiteral("Pogodba %1").arg(id));
        p.f1()->V.Baza = QStringLiteral("BAZA");
        p.f1()->V.MesecniDirektorij = mapa() + u'/';
        p.f1()->SaveDialog1.imeDatoteke = QStringLiteral("gkdnev.055");
        p.odgovorDialoga = izhod;
    }
    QString izhod = pot(QStringLiteral("OSB.TXT"));
    Program p;
};

} // namespace

TEST(OknoOsb, RangePickedFromTheListIsExportedAndTheDialogNameComesBack)
{
    ProgramOsb t;
    LEDG_PRESKOCI_BREZ_BAZE(t);
    TForm3* f3 = t.p.okna.Form3;
    t.p.f1()->DataSource1->nastaviOmogocen(true);
    t.p.modalno = [&](QDialog& d) {
        EXPECT_EQ(&d, f3);
        d.show();
        kontrola<QRadioButton>(f3, "RadioButton2")->setChecked(true);
        EXPECT_TRUE(f3->ePrvaOsb()->isVisibleTo(f3));
        EXPECT_EQ(kontrola<QTableView>(f3, "DBGrid1")->model(), kontrola<QSqlQueryModel>(f3, "Qpog"));
        EXPECT_EQ(kontrola<QSqlQueryModel>(f3, "Qpog")->rowCount(), 5);
        // A click into a range field takes the IdPog of the current row.
        kontrola<QTableView>(f3, "DBGrid1")->setCurrentIndex(kontrola<QSqlQueryModel>(f3, "Qpog")->index(1, 0));
        QTest::mouseClick(f3->ePrvaOsb(), Qt::LeftButton);
        kontrola<QTableView>(f3, "DBGrid1")->setCurrentIndex(kontrola<QSqlQueryModel>(f3, "Qpog")->index(3, 2));
        QTest::mouseClick(f3->eZadnjaOsb(), Qt::LeftButton);
        EXPECT_EQ(f3->ePrvaOsb()->text(), QStringLiteral("2"));
        EXPECT_EQ(f3->eZadnjaOsb()->text(), QStringLiteral("4"));
        QTest::mouseClick(kontrola<QPushButton>(f3, "btnPotrdiOsb"), Qt::LeftButton);
        return d.result();
    };
    kontrola<QPushButton>(t.p.f1(), "btnPrenosOSB")->click();

    ASSERT_EQ(t.p.dialogi.size(), 1);
    EXPECT_EQ(t.p.dialogi.at(0).imeDatoteke, QStringLiteral("OSB.TXT"));
    EXPECT_EQ(t.p.dialogi.at(0).privzetaKoncnica, QStringLiteral("055"));
    EXPECT_EQ(t.p.dialogi.at(0).zacetniDirektorij, t.mapa() + u'/');
    const QList<QByteArray> vrstice = preberiDatoteko(t.izhod).split('\n');
    ASSERT_EQ(vrstice.size(), 4); // three lines and the empty rest after the last line end
    EXPECT_TRUE(vrstice.at(0).startsWith("K2      Oseba 200  "));
    EXPECT_TRUE(vrstice.at(2).startsWith("K4      Oseba 200  "));
    EXPECT_EQ(t.p.sporocila, QStringList{QStringLiteral("Uspešno prepisanih podatkov  =3")});
    EXPECT_EQ(t.p.f1()->SaveDialog1.imeDatoteke, QStringLiteral("gkdnev.055"));
    EXPECT_FALSE(t.p.f1()->DataSource1->omogocen());
    EXPECT_TRUE(kontrola<QProgressBar>(t.p.f1(), "ProgressBar1")->isHidden());
    EXPECT_TRUE(kontrola<QLabel>(t.p.f1(), "lblProcenti")->isHidden());
    EXPECT_TRUE(kontrola<QLabel>(t.p.f1(), "lblOpozorilo")->isHidden());
    EXPECT_EQ(kontrola<QProgressBar>(t.p.f1(), "ProgressBar1")->value(), 100);

    // Back to all contracts: the list closes and the fields hide.
    kontrola<QRadioButton>(f3, "RadioButton1")->setChecked(true);
    EXPECT_FALSE(f3->ePrvaOsb()->isVisibleTo(f3));
    EXPECT_EQ(kontrola<QTableView>(f3, "DBGrid1")->model(), nullptr);
}

TEST(OknoOsb, BlankFirstFieldShowsZeroAndATextThatIsNoNumberIsRefused)
{
    ProgramOsb t;
    LEDG_PRESKOCI_BREZ_BAZE(t);
    TForm3* f3 = t.p.okna.Form3;
    QString prva, zadnja;
    t.p.modalno = [&](QDialog&) {
        kontrola<QRadioButton>(f3, "RadioButton2")->setChecked(true);
        f3->ePrvaOsb()->setText(prva);
        f3->eZadnjaOsb()->setText(zadnja);
        return int(QDialog::Accepted);
    };

    prva = QString();
    zadnja = QStringLiteral("1");
    kontrola<QPushButton>(t.p.f1(), "btnPrenosOSB")->click();
    EXPECT_EQ(f3->ePrvaOsb()->text(), QStringLiteral("0"));
    EXPECT_EQ(t.p.sporocila.value(0), QStringLiteral("Uspešno prepisanih podatkov  =1"));

    // A refused range leaves the previous export as it was.
    const QByteArray prejsnji = preberiDatoteko(t.izhod);
    ASSERT_FALSE(prejsnji.isEmpty());
    prva = QStringLiteral("1) OR (1=1");
    zadnja = QString();
    kontrola<QPushButton>(t.p.f1(), "btnPrenosOSB")->click();
    EXPECT_EQ(t.p.sporocila.value(1), QStringLiteral("Ne morem odpreti tabele :LB:pog"));
    EXPECT_EQ(preberiDatoteko(t.izhod), prejsnji);
    // After a refused export the dialog keeps the chosen name.
    EXPECT_EQ(t.p.f1()->SaveDialog1.imeDatoteke, t.izhod);

    // Cancelled range dialog: no save dialog.
    const int dialogov = t.p.dialogi.size();
    t.p.modalno = [](QDialog&) { return int(QDialog::Rejected); };
    kontrola<QPushButton>(t.p.f1(), "btnPrenosOSB")->click();
    EXPECT_EQ(t.p.dialogi.size(), dialogov);
}
