#include "pomoc.h"
#include "tfgeslo.h"
#include "tform1.h"
#include "tform2.h"
#include "tform3.h"
#include "tform5.h"
#include "tform6.h"
#include "tform7.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

// Enter on a focused button presses it in every window of the program, as Space does
// and as on the desktop the operators come from; the keypad's Enter too. A button that
// does not have the focus is not pressed by an Enter meant for another control.
TEST(Tipke, EnterPressesTheFocusedButtonInEveryWindow)
{
    TestniProgram p{{QStringLiteral("LB"), QStringLiteral("ana"), QStringLiteral("x")}};
    p.ustvariBazoLB();
    p.okna.Form1->AppActivate(); // the start-up sequence is behind us
    const struct {
        QWidget* okno;
        const char* gumb;
    } primeri[] = {
        {p.okna.Form1, "btnPonovi"},      // "P&regled"
        {p.okna.Form2, "btnPotrdiGrupe"}, // "&Zapri" of the event groups
        {p.okna.Form3, "btnPrekiniOsb"},  // the party range's cancel
        {p.okna.Form5, "btnZapri"},       // the adjustment review's "&Zapri"
        {p.okna.Form6, "btnPotrd"},       // the initiator's "&Potrdi"
        {p.okna.Form7, "Button1"},        // the revaluation folder's OK
        {p.okna.fGeslo, "Button1"},       // the login's "&Potrdi"
    };
    for (const auto& pr : primeri) {
        SCOPED_TRACE(pr.okno->objectName().toStdString() + "." + pr.gumb);
        for (const auto tipka : {Qt::Key_Return, Qt::Key_Enter}) {
            pr.okno->show();
            QApplication::setActiveWindow(pr.okno);
            ASSERT_TRUE(QTest::qWaitForWindowActive(pr.okno));
            auto* gumb = kontrola<QPushButton>(pr.okno, pr.gumb);
            gumb->setFocus(Qt::TabFocusReason);
            ASSERT_TRUE(gumb->hasFocus());
            QSignalSpy kliki(gumb, &QAbstractButton::clicked);
            QTest::keyClick(gumb, tipka, tipka == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            EXPECT_EQ(kliki.count(), 1) << (tipka == Qt::Key_Enter ? "keypad Enter" : "Return");
            pr.okno->hide();
        }
    }

    // Enter sent to a button that is not focused does nothing.
    p.okna.Form1->show();
    QApplication::setActiveWindow(p.okna.Form1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(p.okna.Form1));
    auto* drugi = kontrola<QPushButton>(p.okna.Form1, "btnIzravnave");
    kontrola<QPushButton>(p.okna.Form1, "btnPonovi")->setFocus(Qt::TabFocusReason);
    QSignalSpy kliki(drugi, &QAbstractButton::clicked);
    QTest::keyClick(drugi, Qt::Key_Return);
    EXPECT_EQ(kliki.count(), 0);
    p.okna.Form1->hide();
}
