#pragma once

// Driving the report preview (report/predogled) by the names of its controls, for the
// window tests. Header only: the test programs that include it link Qt Widgets.

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

// Lets the preview lay out every page and returns their number; -1 when the window is
// no preview or its layout does not end within a minute.
inline int straniPredogleda(QDialog& d)
{
    auto* strani = d.findChild<QLabel*>(QStringLiteral("lblStrani"));
    auto* stran = d.findChild<QSpinBox*>(QStringLiteral("sbStran"));
    if (!strani || !stran)
        return -1;
    const bool koncano = QTest::qWaitFor(
        [&] { return !strani->text().isEmpty() && !strani->text().endsWith(QStringLiteral("...")); }, 60000);
    return koncano ? stran->maximum() : -1;
}

// Presses the preview's print button; the print dialog ("tiskanje") then comes to the
// test's modal hook.
inline bool natisniIzPredogleda(QDialog& d)
{
    auto* gumb = d.findChild<QPushButton*>(QStringLiteral("btnNatisni"));
    if (!gumb || !gumb->isEnabled())
        return false;
    gumb->click();
    return true;
}
