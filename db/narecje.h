#pragma once

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QList>
#include <QString>
#include <QStringList>

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

class QSqlError;
class QSqlDatabase;

// What a transaction needs to know of the engine behind a connection.
namespace narecje {

// Starts the transaction of a run. SQLite takes the write lock at once ("BEGIN
// IMMEDIATE"), so that a run never reads a state it could not write back; the
// servers begin an ordinary transaction (row locks are taken as statements run).
QString stavekZacetka(QSqlDriver::DbmsType dbms);

// The first statement of a run's transaction on a server: one snapshot of the
// database for the whole run (PostgreSQL's REPEATABLE READ), so that the postings it
// reads, counts and marks are the same rows, and a posting another client commits
// meanwhile stays unmarked for the next transfer. Empty where the engine needs or
// offers none (SQLite holds the write lock from the start).
QString stavekPosnetka(QSqlDriver::DbmsType dbms);

// The tables a run reads or writes, with the statement that takes the lock the run
// needs on each before its snapshot: the register against other runs (they wait for
// each other from the start, so that none sees a state another run is changing), the
// postings and the adjustments against other writers' table locks (other clients go
// on posting), the code lists against a table lock held by another program. Each is
// waited for in steps with the table's name in the status line. Empty on SQLite.
struct ZaklepTabele {
    QString tabela;
    QString stavek;
};
QList<ZaklepTabele> zaklepiTeka(QSqlDriver::DbmsType dbms);

// Statements that make a lock wait short inside a transaction, so that the caller
// can wait in steps, tell the operator and give up at its own bound; empty where the
// engine needs none. The restoring statement undoes it after the transaction.
QStringList stavkiKratkegaCakanja(QSqlDriver::DbmsType dbms);
QStringList stavkiObicajnegaCakanja(QSqlDriver::DbmsType dbms);

// A savepoint and the return to it.
QString stavekTocke(QSqlDriver::DbmsType dbms, const QString& ime);
QString stavekNazajNaTocko(const QString& ime);
QString stavekSprostiTocko(const QString& ime);

// The lock that serialises the allocation of transfer numbers: the register table
// locked against other writers until commit. Empty on SQLite, whose run holds the
// database's write lock already.
QString stavekZaklepaRegistra(QSqlDriver::DbmsType dbms);

// The database's text of a failure, with the system's reason in front where the
// engine's own words hide it: SQLite's "database or disk is full" is a full disk
// ("Ni prostora na napravi"), its I/O error an input/output error.
QString razlog(const QSqlError& napaka, QSqlDriver::DbmsType dbms);

// Whether the connection no longer reaches its server (it went away, the server ended
// the session): asked after a statement or a commit failed, with a statement of its own.
bool povezavaIzgubljena(const QSqlDatabase& baza);

// Whether a failure means that another connection holds a lock (busy, lock timeout,
// deadlock): worth waiting for and trying again.
bool jeZaklep(const QSqlError& napaka, QSqlDriver::DbmsType dbms);

// Whether the database refused a row for its values (too long for its column, a
// broken constraint): the row is missing, the rest of the run stands.
bool jeZavrnjenaVrednost(const QSqlError& napaka, QSqlDriver::DbmsType dbms);

// The last failure of a statement, for jeZaklep and jeZavrnjenaVrednost. Where the
// driver leaves the SQLSTATE out of its error (unixODBC with the PostgreSQL ODBC
// driver), it is read from the statement's own diagnostics and given as the native
// code. Call it before anything else runs on the statement.
QSqlError napakaStavka(const QSqlQuery& q);

// The database's own text of a failure, with the driver's text in front where the
// database gives none of its own ("database is locked", "no such table: X").
QString besedilo(const QSqlError& napaka);

// Whether a transfer run reads its postings through a cursor of its transaction on
// the server, a group at a time: PostgreSQL's client would otherwise hold the whole
// result in memory.
bool beriSKazalcem(const QSqlDatabase& baza);

// Whether a one-directional result stays readable while other statements run on
// the same connection. PostgreSQL's client loses a streamed result as soon as
// another statement runs; there a result read beside look-ups is fetched whole.
bool enosmerniRezultatVzporedno(const QSqlDatabase& baza);

// The files in which the database itself lives (SQLite: the file, its write-ahead
// log, shared memory and journal), absolute and canonical; empty for a server.
QStringList datotekeBaze(const QSqlDatabase& baza);

} // namespace narecje
