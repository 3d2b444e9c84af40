#pragma once

#include <QSqlDriver>
#include <QString>

class QSqlError;

// Text helpers of the statements and failures, the same for every engine. What differs
// between engines is answered by the engine object of a connection (pogon.h).

// What the translation of a statement rewrites beyond the forms every engine gets.
struct PravilaPrevoda {
    bool dvojnaNatancnost = false; // the column type DOUBLE becomes DOUBLE PRECISION
    bool nullsKotStreznik = false; // every ORDER BY key gets NULLS LAST (NULLS FIRST when descending)
};

// Statements are written once, in the form the ledger database expects; the few
// forms another server refuses are rewritten here:
//  - the alias-qualified table "':LB:pog'" becomes the plain table name pog;
//  - a table named by its file name, "GrupeDog.db", becomes GrupeDog;
//  - a text literal in double quotes becomes one in single quotes;
//  - with `dvojnaNatancnost` (PostgreSQL) the column type DOUBLE becomes DOUBLE PRECISION;
//  - with `nullsKotStreznik` (SQLite) every ORDER BY key gets NULLS LAST (NULLS FIRST
//    when descending), so that NULLs sort as on PostgreSQL and DB2, after every value
//    in ascending order.
// Nothing inside a single-quoted literal is touched.
QString prevediStavek(const QString& sql, PravilaPrevoda pravila);

// The same with the rules of the engine that a driver's type names, for a statement
// fitted where no connection is at hand (the translation's own cases).
QString prevediStavek(const QString& sql, QSqlDriver::DbmsType dbms);

namespace narecje {

// The return to a savepoint and its end, alike on every engine (the savepoint itself
// is the engine's: Pogon::stavekTocke).
QString stavekNazajNaTocko(const QString& ime);
QString stavekSprostiTocko(const QString& ime);

// The database's own text of a failure, with the driver's text in front where the
// database gives none of its own ("database is locked", "no such table: X").
QString besedilo(const QSqlError& napaka);

} // namespace narecje
