#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

// The SQLite driver's own connection, for the statements that go past the driver where
// it would convert every value of every row (the postings of a run, the adjustment
// rows). The driver links the same library, so the handle is shared safely.
namespace sqlitenativno {

// The connection behind a QSQLITE database, or null for any other driver.
sqlite3* povezava(const QSqlDatabase& baza);

// Binds a value the way the driver binds it: integers and doubles as numbers, a null
// or invalid value (null text, invalid date) as NULL, a date as "yyyy-MM-dd", anything
// else as its text. Returns SQLite's result code.
int vezi(sqlite3_stmt* stavek, int mesto, const QVariant& vrednost);

// The connection's last error as the driver reports one: the engine's message and its
// result code as the native code.
QSqlError napaka(sqlite3* baza, const QString& kaj);

} // namespace sqlitenativno
