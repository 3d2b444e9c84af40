#pragma once

#include "testnabaza.h"

#include <QList>
#include <QString>

class Rezultat;

// The adjustment table on the test engine (SQLite unless LEDGXFER_TEST_DB names a
// server) under the alias LB, with seven rows. Each row is known by its number, the
// rounded amount divided by 100 (KONTO, SFDJV, PARTNER as stored):
//
//   no. PRENOS VP DAN         KONTO  SFDJV PARTNER    ZNESEK     ZAOKROZEN
//   1   7      1  2024-03-01  12     001   00000100   100.004    100.00
//   2   7      2  2024-03-31  120    002   00000200   200.006    200.01
//   3   7      1  2024-03-15  1299   101   00000101   300        300.00
//   4   7      3  2024-04-01  312    001   00001000   400.002    400.00
//   5   8      1  2024-02-29  2200   111   12'45678   500.0049   500.00
//   6   0      1  (none)      12     001   00000100   600.001    600.00
//   7   2      2  2024-03-10  125    002   00000300   700        700.00
//
// In transfer and day order: 6, 7, 1, 3, 2, 4, 5.
struct ZbirkaIzravnav {
    ZbirkaIzravnav();
    QString mapa() const { return baza.mapa(); }
    int stevilo(const QString& sql); // the first column of the first row as an integer

    TestnaBaza baza{QStringLiteral("LB"), false};
};

// The numbers of the rows a result holds, in its order (the current row is kept).
QList<int> stevilkeVrstic(Rezultat& r);
