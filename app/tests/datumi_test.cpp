#include "pomoc.h"
#include "poljedatuma.h"
#include "tform1.h"
#include "tform5.h"

#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

// The date fields of the windows: typed dates taken, a refused one said as the
// window's other messages.

namespace {

const QDate kPrej(2026, 12, 10); // the field's date before the operator types

} // namespace

TEST(PoljeDatuma, MainWindowDatesTakeTypedDatesAndTabWalksThroughThem)
{
    TestniProgram p({});
    TForm1& f = *p.okna.Form1;
    f.V.PrvaAktivacija = false; // no start-up sequence: the window as the operator has it
    f.show();
    QApplication::setActiveWindow(&f);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    auto* Datum1 = kontrola<PoljeDatuma>(&f, "Datum1");
    auto* Datum2 = kontrola<PoljeDatuma>(&f, "Datum2");
    auto* eStevilkaPrenosa = kontrola<QLineEdit>(&f, "eStevilkaPrenosa");
    auto* eStevilkaTemeljnice = kontrola<QLineEdit>(&f, "eStevilkaTemeljnice");
    auto* btnPonovi = kontrola<QPushButton>(&f, "btnPonovi");
    auto* pnlPonovitev = kontrola<QFrame>(&f, "pnlPonovitev");
    Datum1->setDate(kPrej);
    Datum2->setDate(kPrej);
    eStevilkaPrenosa->setText(QStringLiteral("7"));

    // A click into "začetni datum", the date typed, Tab: the next field is "končni datum".
    QTest::mouseClick(Datum1, Qt::LeftButton, {}, QPoint(40, 10));
    QTest::keyClicks(Datum1, QStringLiteral("26.10.2026"));
    QTest::keyClick(Datum1, Qt::Key_Tab);
    EXPECT_EQ(Datum1->date(), QDate(2026, 10, 26));
    EXPECT_EQ(QApplication::focusWidget(), Datum2);
    EXPECT_EQ(eStevilkaPrenosa->text(), QString()) << "the operator changed a date";
    QTest::keyClicks(Datum2, QStringLiteral("31102026"));
    QTest::keyClick(Datum2, Qt::Key_Tab);
    EXPECT_EQ(Datum2->date(), QDate(2026, 10, 31));
    EXPECT_EQ(QApplication::focusWidget(), eStevilkaTemeljnice);
    QTest::keyClick(eStevilkaTemeljnice, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), Datum2);
    QTest::keyClick(Datum2, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), Datum1);

    // An impossible date and a click on "P&regled": refused, the panel stays closed.
    QTest::keyClicks(Datum1, QStringLiteral("31.11.2026"));
    QTest::mouseClick(btnPonovi, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(pnlPonovitev->isHidden());
    ASSERT_EQ(p.sporocila.size(), 1) << p.sporocila.join(u'|').toStdString();
    EXPECT_TRUE(p.sporocila.at(0).contains(QStringLiteral("31.11.2026")));
    EXPECT_EQ(Datum1->date(), QDate(2026, 10, 26));
    EXPECT_EQ(QApplication::focusWidget(), Datum1);

    // The same through the button's key: refused; a good date goes with the key.
    QTest::keyClicks(Datum1, QStringLiteral("31.11.2026"));
    QTest::keyClick(Datum1, Qt::Key_R, Qt::AltModifier);
    QTest::qWait(300);
    EXPECT_TRUE(pnlPonovitev->isHidden());
    EXPECT_EQ(p.sporocila.size(), 2);
    QTest::keyClicks(Datum1, QStringLiteral("1.11.2026"));
    QTest::keyClick(Datum1, Qt::Key_R, Qt::AltModifier);
    QTest::qWait(300); // a button's key clicks it after a short animation
    EXPECT_EQ(Datum1->date(), QDate(2026, 11, 1));
    EXPECT_FALSE(pnlPonovitev->isHidden());
    EXPECT_EQ(p.sporocila.size(), 2);
}

TEST(PoljeDatuma, AdjustmentReviewTakesTypedDates)
{
    TestniProgram p({});
    TForm5& f = *p.okna.Form5;
    auto* DateTimePicker1 = kontrola<PoljeDatuma>(&f, "DateTimePicker1");
    auto* DateTimePicker2 = kontrola<PoljeDatuma>(&f, "DateTimePicker2");
    kontrola<QRadioButton>(&f, "rbIzpisatiOznaceno")->click();
    f.show();
    QApplication::setActiveWindow(&f);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    DateTimePicker1->setDate(kPrej);
    DateTimePicker2->setDate(kPrej);
    QTest::mouseClick(DateTimePicker1, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::keyClicks(DateTimePicker1, QStringLiteral("15.3.2026"));
    QTest::keyClick(DateTimePicker1, Qt::Key_Tab);
    QTest::mouseClick(DateTimePicker2, Qt::LeftButton, {}, QPoint(50, 10));
    QTest::keyClicks(DateTimePicker2, QStringLiteral("5.10.2026"));
    QTest::keyClick(DateTimePicker2, Qt::Key_Tab);
    EXPECT_EQ(f.izbira().datum1, QDate(2026, 3, 15));
    EXPECT_EQ(f.izbira().datum2, QDate(2026, 10, 5));
}
