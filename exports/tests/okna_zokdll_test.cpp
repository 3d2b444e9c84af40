#include "besedilo1250.h"
#include "izpis.h"
#include "nastavitve.h"
#include "okna_pomoc.h"
#include "paradoks_pomoc.h"
#include "tform1.h"
#include "tform7.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Line 2 of the settings file, as bytes.
QByteArray vrstica2Nastavitev()
{
    const QList<QByteArray> vrstice = preberiDatoteko(potNastavitev()).split('\n');
    return vrstice.size() >= 2 ? vrstice.at(1) : QByteArray("(ni vrstice 2)");
}

} // namespace

TEST(OknoZokdll, SaveDialogPathIsKeptAtOnceAndTheEditedPathWhenTheCloseBoxCloses)
{
    QTemporaryDir dir;
    Program p(dir.path());
    const QString izbrana = dir.filePath(QStringLiteral("izbrana.txt"));
    const QString vtipkana = dir.filePath(QStringLiteral("ROČNO.TXT"));
    p.odgovorDialoga = izbrana;

    QByteArray vmes;
    p.modalno = [&](QDialog& d) {
        auto* f7 = qobject_cast<TForm7*>(&d);
        EXPECT_NE(f7, nullptr);
        if (!f7)
            return int(QDialog::Rejected);
        d.show();
        QTest::mouseClick(kontrola<QPushButton>(f7, "btnZokIzhodnaDatoteka"), Qt::LeftButton);
        EXPECT_EQ(f7->eZokIzhodniDirektorij()->text(), izbrana);
        vmes = vrstica2Nastavitev();
        f7->eZokIzhodniDirektorij()->setText(vtipkana);
        // The close box of the title bar.
        d.show();
        d.close();
        return d.result();
    };
    kontrola<QAction>(p.f1(), "Direktorijodlagalia1")->trigger();

    ASSERT_EQ(p.dialogi.size(), 1);
    EXPECT_EQ(p.dialogi.at(0).naslov, QStringLiteral("Izberi izhodno txt datoteko"));
    EXPECT_EQ(p.dialogi.at(0).privzetaKoncnica, QStringLiteral("TXT"));
    EXPECT_EQ(p.dialogi.at(0).filter, QStringLiteral("Txt datoteke (*.txt)|*.txt|Vse datoteke (*.*)|*.*"));
    EXPECT_EQ(vmes, izbrana.toLatin1() + "\r");
    EXPECT_EQ(p.f1()->V.ZokIzhodnaDatoteka, vtipkana);
    EXPECT_EQ(vrstica2Nastavitev(), vWin1250(vtipkana) + "\r");
}

TEST(OknoZokdll, EnterInThePathClosesWithOkAndThePathIsKept)
{
    QTemporaryDir dir;
    Program p(dir.path());
    int izid = -1;
    p.modalno = [&](QDialog& d) {
        auto* f7 = qobject_cast<TForm7*>(&d);
        d.show();
        f7->eZokIzhodniDirektorij()->setText(QStringLiteral("/izhod/ZOKDLL.TXT"));
        d.setResult(QDialog::Rejected);
        QTest::keyClick(f7->eZokIzhodniDirektorij(), Qt::Key_Return);
        izid = d.result();
        return izid;
    };
    kontrola<QAction>(p.f1(), "Direktorijodlagalia1")->trigger();

    EXPECT_EQ(izid, int(QDialog::Accepted));
    EXPECT_EQ(p.f1()->V.ZokIzhodnaDatoteka, QStringLiteral("/izhod/ZOKDLL.TXT"));
    EXPECT_EQ(vrstica2Nastavitev(), QByteArray("/izhod/ZOKDLL.TXT\r"));
}

TEST(OknoZokdll, PrepisWritesTheSummaryAndOpensTheEditorOnlyWithLines)
{
    QTemporaryDir dir;
    Program p(dir.path());
    const QString izhod = dir.filePath(QStringLiteral("ZOKDLL.TXT"));
    p.f1()->V.ZokIzhodnaDatoteka = izhod;

    ASSERT_TRUE(ustvariZokdll(dir.filePath(QStringLiteral("ZOKDLL.DB")), {{QStringLiteral("1000"), 1.0, 2.0, 3.0}}));
    kontrola<QAction>(p.f1(), "Prepis1")->trigger();
    EXPECT_EQ(p.sporocila,
              QStringList{QStringLiteral("V datoteko ") + izhod + QStringLiteral("ZOKDLL.TXT je zapisanih 1 vrstic!")});
    EXPECT_EQ(preberiDatoteko(izhod).size(), 56);
    EXPECT_EQ(p.urejevalnik.odprte, QStringList{izhod});

    ASSERT_TRUE(ustvariZokdll(dir.filePath(QStringLiteral("ZOKDLL.DB")), {}));
    kontrola<QAction>(p.f1(), "Prepis1")->trigger();
    EXPECT_EQ(p.sporocila.size(), 2);
    EXPECT_EQ(p.urejevalnik.odprte.size(), 1);
}
