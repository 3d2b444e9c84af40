#pragma once

#include <QSqlDriver>
#include <QString>

// The one place where statements are fitted to the database behind a connection.
// Statements are written once, in the form the ledger database expects; the few
// forms another server refuses are rewritten here:
//  - the alias-qualified table "':LB:pog'" becomes the plain table name pog;
//  - a table named by its file name, "GrupeDog.db", becomes GrupeDog;
//  - a text literal in double quotes becomes one in single quotes;
//  - the column type DOUBLE becomes DOUBLE PRECISION on PostgreSQL;
//  - on SQLite every ORDER BY key gets NULLS LAST (NULLS FIRST when descending), so
//    that NULLs sort as on PostgreSQL and DB2, after every value in ascending order.
// Nothing inside a single-quoted literal is touched.
QString prevediStavek(const QString& sql, QSqlDriver::DbmsType dbms);
