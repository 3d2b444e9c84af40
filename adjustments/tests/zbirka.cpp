#include "zbirka.h"

#include "izravnave.h"
#include "poizvedba.h"
#include "povezava.h"
#include "rezultat.h"

#include <QSqlError>
#include <QSqlQuery>
#include <cmath>
#include <gtest/gtest.h>

ZbirkaIzravnav::ZbirkaIzravnav()
{
    if (!baza.pripravljena())
        return;
    QSqlDatabase db = baza.odpri();
    // The rows a transfer run stores, through the store itself.
    ZaokroziInShrani(db, 7, 1, QDate(2024, 3, 1), QStringLiteral("12"), QStringLiteral("001"),
                     QStringLiteral("00000100"), 100.004, 100.00);
    ZaokroziInShrani(db, 7, 2, QDate(2024, 3, 31), QStringLiteral("120"), QStringLiteral("002"),
                     QStringLiteral("00000200"), 200.006, 200.01);
    ZaokroziInShrani(db, 7, 1, QDate(2024, 3, 15), QStringLiteral("1299"), QStringLiteral("101"),
                     QStringLiteral("00000101"), 300, 300);
    ZaokroziInShrani(db, 7, 3, QDate(2024, 4, 1), QStringLiteral("312"), QStringLiteral("001"),
                     QStringLiteral("00001000"), 400.002, 400);
    ZaokroziInShrani(db, 8, 1, QDate(2024, 2, 29), QStringLiteral("2200"), QStringLiteral("111"),
                     QStringLiteral("12'45678"), 500.0049, 500);
    ZaokroziInShrani(db, 2, 2, QDate(2024, 3, 10), QStringLiteral("125"), QStringLiteral("002"),
                     QStringLiteral("00000300"), 700, 700);
    // A row without a day.
    QSqlQuery q(db);
    EXPECT_TRUE(q.exec(QStringLiteral("INSERT INTO IZRAVNAVE (PRENOS, VP, DAN, KONTO, SFDJV, PARTNER, ZNESEK,"
                                      " ZAOKROZEN, RAZLIKA) VALUES (0, 1, NULL, '12', '001', '00000100', 600.001,"
                                      " 600, -0.001)")))
        << q.lastError().text().toStdString();
    EXPECT_EQ(stevilo(QStringLiteral("SELECT COUNT(*) FROM IZRAVNAVE")), 7);
}

int ZbirkaIzravnav::stevilo(const QString& sql)
{
    QSqlQuery q(povezava::zaIme(QStringLiteral("LB")));
    if (!q.exec(sql) || !q.next())
        return -1;
    return q.value(0).toInt();
}

QList<int> stevilkeVrstic(Rezultat& r)
{
    QList<int> s;
    const int n = r.steviloVrstic();
    const int stolpec = r.indeksStolpca(QStringLiteral("ZAOKROZEN"));
    for (int i = 0; i < n; ++i)
        s << int(std::lround(vrednostRealno(r.vrednost(i, stolpec)) / 100));
    return s;
}
