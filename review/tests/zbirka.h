#pragma once

#include "testnabaza.h"

#include <QDate>
#include <QStringList>
#include <QTemporaryDir>

// A small ledger on the test engine (SQLite unless LEDGXFER_TEST_DB names a server):
// the core tables, an aliases file with the alias LB leading to it, LEDGXFER_ALIASES
// and LEDGXFER_HOME set to its folder, and the connection "LB" open. Tests skip
// themselves through LEDG_PRESKOCI_BREZ_BAZE(zbirka.baza) when the engine is missing.
//
// Postings of March 2024 (account codes in brackets, NULL: no account):
//   A 5.3.  [2200] SFDJV 1  debit 1500            transfer 7
//   B 10.3. [1100] SFDJV 2  credit 500            transfer 7
//   C 31.3. [NULL] SFDJV 1  debit 1234567.5       transfer 7
//   D 1.4.  [1100] SFDJV 1  debit 10              transfer 7 (outside its range)
//   E 15.3. [1100] SFDJV 2  debit 20              transfer 2
//   F 20.3. [1100] SFDJV 2  debit 30              not transferred
// Register: 1 (January), 2 (February), 7 (March, registered 2.4.2024), 8 (May, no
// postings).
struct Zbirka {
    Zbirka();
    void izvedi(const QString& sql);
    int stevilo(const QString& sql); // the first column of the first row as an integer
    QString mapa() const { return baza.mapa(); }

    TestnaBaza baza{QStringLiteral("LB")};
};
