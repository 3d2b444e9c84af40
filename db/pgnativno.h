#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

// The PostgreSQL driver's own connection, for the work that goes past the driver where
// it would make a QVariant of every value (the postings of a run, the adjustment rows
// sent with COPY). The driver links the same libpq, so the handle is shared safely.
//
// The readers below give for a value of a result exactly what the driver and the
// conversions of poizvedba.h give together (vrednostNiz, vrednostCelo, ...), for the
// column types that `znanTip` accepts; a result with any other column type is read
// through the driver.
namespace pgnativno {

// The connection behind a QPSQL database, or null for any other driver.
PGconn* povezava(const QSqlDatabase& baza);

// Whether a column of this type is read here: integers, floating and numeric, date
// and the text types.
bool znanTip(unsigned int oid);

// The length the driver gives a column: the size of a fixed type, the declared length
// of a text type, the precision of a numeric one.
int dolzina(const PGresult* r, int stolpec);

// The value as the driver gives it (its QVariant type follows the column's type).
QVariant vrednost(const PGresult* r, int vrstica, int stolpec);

QString niz(const PGresult* r, int vrstica, int stolpec);
qint64 celo(const PGresult* r, int vrstica, int stolpec);
double realno(const PGresult* r, int vrstica, int stolpec);
QDate datum(const PGresult* r, int vrstica, int stolpec);

// The driver's text of a failed statement: the connection's message followed by the
// SQLSTATE in brackets.
QString besediloNapake(PGconn* c, const PGresult* r);

} // namespace pgnativno
