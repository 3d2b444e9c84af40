#pragma once

#include "bralnik.h"
#include "nativno.h"
#include "pogon.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <memory>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

// The PostgreSQL driver's own connection, for the work that goes past the driver where
// it would make a QVariant of every value (the postings of a run, the adjustment rows
// sent with COPY). It is handed out only where the program has proven it safe to use
// (see nativno.h): the driver's plugin calls the program's own libpq, no result of the
// driver is pending on the connection (a statement of ours would silently drop the
// rows of a forward-only query still being read) and the client encoding is UTF-8,
// which the readers below expect.
//
// The readers below give for a value of a result exactly what the driver and the
// conversions of poizvedba.h give together (vrednostNiz, vrednostCelo, ...), for the
// column types that `znanTip` accepts; a result with any other column type is read
// through the driver.
namespace pgnativno {

// The connection behind a QPSQL database, or null: for any other driver, where
// LEDGXFER_NATIVNO=0 forbids it, and where `dokaz` fails for it at this moment. Asked
// anew before every statement sent on it, since the driver may have started one.
PGconn* povezava(const QSqlDatabase& baza);

// Whether the driver of a QPSQL database holds a connection handle at all (whether
// povezava's null means "not now" or "no connection").
bool imaRocaj(const QSqlDatabase& baza);

// Whether the driver's plugin calls the libpq the program links (the same PQexec and
// PQclientEncoding, resolved through the plugin and through the program).
nativno::Dokaz dokazKnjiznice(const QSqlDriver* gonilnik);

// Whether a statement of ours may run on the connection now: no command of the driver
// is in progress or has results still to be read, and the client encoding is UTF8. A
// connection that is no longer open, or whose transaction has failed, is given:
// nothing on it can be lost, and the statement fails with the reason of libpq or of
// the server, as the driver's would.
nativno::Dokaz prosta(PGconn* c);

// A reader of the groups of the cursor `ime`, declared already on the driver's
// connection of `baza`, fetched there with libpq `vSkupini` rows at a time: only one
// group is held in memory, and the connection is free for other statements between
// groups. Null when the connection is not handed out (povezava) or a column is of a
// type not read here (znanTip): the driver reads the cursor then. Throws Napaka with
// the database's text when the first group cannot be fetched.
std::unique_ptr<Bralnik> bralnikKazalca(const QSqlDatabase& baza, const QString& ime, int vSkupini);

// A reader of all rows of `sql` (a query, its parameters written in already) on a
// second connection that takes over the snapshot of the transaction open on the
// driver's connection of `baza`: it sees exactly what that transaction sees, the
// server may sort and join it with parallel workers (it never does so for a cursor),
// and the driver's connection stays free for other statements. The rows come with
// COPY ... TO STDOUT, one at a time; the values are those the cursor's reader gives.
// Null, with a log line, where the snapshot cannot be shared: no transaction, one that
// does not keep its snapshot (below REPEATABLE READ), one that has written already (the
// second connection would not see its own changes), no second connection, a table
// lock not granted at once, a column type not read here. The caller reads through a
// cursor then. Throws Napaka with the database's text where the run's own transaction
// or the statement fails.
std::unique_ptr<Bralnik> bralnikPosnetka(const QSqlDatabase& baza, const QString& sql);

// While the object lives, a group of a cursor fetched on the driver's connection of
// `baza` (bralnikKazalca) is waited for without blocking: `osvezi` is called every few
// dozen milliseconds until the server answers (the first group of a large sorted query
// takes seconds). The connection must be handed out (povezava) when it is made.
class Odzivnost final : public Pogon::Odzivnost {
public:
    Odzivnost(PGconn* povezava, std::function<void()> osvezi);
    ~Odzivnost() override;
    PGconn* povezava() const { return m_povezava; }

private:
    PGconn* m_povezava;
};

// One group of rows sent with COPY `tabela` (`stolpci`) FROM STDIN on the driver's
// connection of `baza`, in COPY's text format (built in `medpomnilnik`, kept for the
// next group). Zasedeno, with nothing sent, where the connection is not free for it now.
Pogon::Kopiranje kopiraj(const QSqlDatabase& baza, const QString& tabela, const QString& stolpci,
                         const QList<QVariantList>& vrstice, QByteArray& medpomnilnik, QSqlError* napaka);

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
