#pragma once

#include "bralnik.h"
#include "narecje.h"

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

// The engine behind one connection, and the one place that knows which engine it is:
// it fits statements to it, answers what differs between engines, and hands out the
// readers and the bulk insert's ways past the driver, only where the driver's handle is
// proven to be the program's (nativno.h). Everything else asks it instead of the driver's
// type. One kind per engine: SQLite, PostgreSQL, DB2 and any other server, each with its
// own answers; PostgreSQL through its own driver has ways past it (libpq), and an engine
// reached through ODBC reads what the driver leaves out of its errors (the SQLSTATE, a
// dead connection) from the ODBC handles.
class Pogon {
public:
    // The engine object of a connection (open or not).
    static std::unique_ptr<Pogon> za(const QSqlDatabase& baza);
    virtual ~Pogon() = default;

    QSqlDatabase baza() const { return m_baza; }

    // Readies a connection just opened, before anything else runs on it. A failure is
    // the engine's error of a file that is no database: the connection is then not to be
    // used. Nothing to do on a server.
    virtual std::optional<QSqlError> pripraviPovezavo() const { return std::nullopt; }

    // A statement in the form this engine takes (narecje.h).
    QString prevedi(const QString& sql) const { return prevediStavek(sql, pravilaPrevoda()); }

    // A reader past the driver of a one-directional statement (fitted already), or null:
    // the driver reads it. Throws Napaka with the engine's text when the statement fails.
    virtual std::unique_ptr<Bralnik> bralnikNaprej(const QString& sql, const QVariantMap& parametri) const;
    // A reader past the driver of the cursor `ime`, declared already, fetched `vSkupini`
    // rows at a time; null: the driver fetches it. Throws Napaka as above.
    virtual std::unique_ptr<Bralnik> bralnikKazalca(const QString& ime, int vSkupini) const;
    // A reader past the driver of a query (fitted already, parameters written in) on a
    // connection of its own that sees the snapshot of the transaction open here, where
    // the engine can share it (PostgreSQL: the server may then read it in parallel);
    // null: the caller reads through a cursor. Throws Napaka as above.
    virtual std::unique_ptr<Bralnik> bralnikPosnetka(const QString& sql) const;

    // How the bulk insert (mnozicnivnos.h) sends its rows on this engine.
    enum class Vnos {
        Vrstice,   // a row at a time through the engine's own prepared insert, straight into the table
        Kopiranje, // COPY ... FROM STDIN past the driver
        Skupine,   // multi-row inserts through the driver
    };
    virtual Vnos nacinVnosa() const { return Vnos::Skupine; }

    // The insert of one row past the driver into the temporary table (`sql` with one
    // "?" per column), or null: the driver inserts. Throws Napaka when it cannot be
    // prepared.
    class VnosVrstice {
    public:
        virtual ~VnosVrstice() = default;
        // The engine's error of a refused row, else an invalid one.
        virtual QSqlError vstavi(const QVariantList& vrstica) = 0;
    };
    virtual std::unique_ptr<VnosVrstice> vnosVrstice(const QString& sql) const;

    // One group of rows sent with COPY ... FROM STDIN past the driver (Vnos::Kopiranje),
    // in COPY's text format built in `medpomnilnik`. Zavrnjeno with the engine's error;
    // Zasedeno, with nothing sent, where the connection is not free for it now (the
    // driver reads a result on it): the rows are then the driver's to insert.
    enum class Kopiranje { Poslano, Zavrnjeno, Zasedeno };
    virtual Kopiranje kopiraj(const QString& tabela, const QString& stolpci, const QList<QVariantList>& vrstice,
                              QByteArray& medpomnilnik, QSqlError* napaka) const;

    // While the returned object lives, a statement on this connection that runs long
    // calls `osvezi` again and again as it works, so that a window can repaint during
    // the sort of a large book: on SQLite every statement (its progress handler), on
    // PostgreSQL the groups of the run's cursor fetched past the driver (waited for a
    // few dozen milliseconds at a time). Null where the engine cannot call back (the
    // driver waits for the server's answer; a handle not proven to be the program's).
    // `osvezi` must not use the database; it is not called again from inside itself.
    class Odzivnost {
    public:
        explicit Odzivnost(std::function<void()> osvezi) : m_osvezi(std::move(osvezi)) {}
        virtual ~Odzivnost() = default;
        Odzivnost(const Odzivnost&) = delete;
        Odzivnost& operator=(const Odzivnost&) = delete;
        // Calls `osvezi`, never from inside itself; what it throws is logged and never
        // passed on through the engine's frames (the statement goes on).
        void osvezi();

    private:
        std::function<void()> m_osvezi;
        bool m_vKlicu = false;
    };
    virtual std::unique_ptr<Odzivnost> odzivnost(std::function<void()> osvezi) const;

    // Whether the database refused a row for its values (too long for its column, a
    // broken constraint): the row is missing, the rest of the run stands.
    virtual bool jeZavrnjenaVrednost(const QSqlError& napaka) const;

    // Whether a transfer run reads its postings through a cursor of its transaction on
    // the server, a group at a time (PostgreSQL's client would otherwise hold the whole
    // result in memory), and whether a one-directional result stays readable while
    // other statements run on the same connection (PostgreSQL's client loses a streamed
    // result as soon as another statement runs; there a result read beside look-ups is
    // fetched whole).
    virtual bool beriSKazalcem() const { return false; }
    virtual bool enosmerniRezultatVzporedno() const { return true; }

    // Starts the transaction of a run; empty: the driver's own begin. SQLite takes the
    // write lock at once ("BEGIN IMMEDIATE"), so that a run never reads a state it could
    // not write back; the servers begin an ordinary transaction (row locks are taken as
    // statements run).
    virtual QString stavekZacetka() const { return {}; }

    // The first statement of a run's transaction on a server: one snapshot of the
    // database for the whole run (PostgreSQL's REPEATABLE READ), so that the postings it
    // reads, counts and marks are the same rows, and a posting another client commits
    // meanwhile stays unmarked for the next transfer. Empty where the engine needs or
    // offers none (SQLite holds the write lock from the start).
    virtual QString stavekPosnetka() const { return {}; }

    // The tables a run reads or writes, with the statement that takes the lock the run
    // needs on each before its snapshot: the register against other runs (they wait for
    // each other from the start, so that none sees a state another run is changing), the
    // postings and the adjustments against other writers' table locks (other clients go
    // on posting), the code lists against a table lock held by another program. Each is
    // waited for in steps with the table's name in the status line. Empty where the
    // engine needs none.
    struct ZaklepTabele {
        QString tabela;
        QString stavek;
    };
    virtual QList<ZaklepTabele> zaklepiTeka() const { return {}; }

    // Statements that make a lock wait short inside a transaction, so that the caller
    // can wait in steps, tell the operator and give up at its own bound; empty where the
    // engine needs none. The restoring statements undo it after the transaction.
    virtual QStringList stavkiKratkegaCakanja() const { return {}; }
    virtual QStringList stavkiObicajnegaCakanja() const { return {}; }

    // A savepoint named `ime` (its return and end: narecje.h).
    virtual QString stavekTocke(const QString& ime) const;
    // Whether a step of the transaction runs without a savepoint: where the engine
    // undoes a failed statement by itself and keeps the transaction, and where it can
    // say afterwards whether a failure ended the whole transaction (transakcijaTece).
    virtual bool korakBrezTocke() const { return false; }
    // Whether the connection's transaction is still open; asked after a step without a
    // savepoint failed.
    virtual bool transakcijaTece() const { return true; }

    // The lock that serialises the allocation of transfer numbers: the register table
    // locked against other writers until commit. Empty on SQLite, whose run holds the
    // database's write lock already.
    virtual QString stavekZaklepaRegistra() const;

    // The database's text of a failure, with the system's reason in front where the
    // engine's own words hide it: SQLite's "database or disk is full" is a full disk
    // ("Ni prostora na napravi"), its I/O error an input/output error; a server's refused
    // right is said as the right the run needs.
    virtual QString razlog(const QSqlError& napaka) const;

    // Whether a failure means that another connection holds a lock (busy, lock timeout,
    // deadlock): worth waiting for and trying again.
    virtual bool jeZaklep(const QSqlError& napaka) const;

    // The last failure of a statement, for jeZaklep and jeZavrnjenaVrednost. Where the
    // driver leaves the SQLSTATE out of its error (unixODBC with the PostgreSQL ODBC
    // driver), it is read from the statement's own diagnostics and given as the native
    // code. Call it before anything else runs on the statement.
    virtual QSqlError napakaStavka(const QSqlQuery& q) const { return q.lastError(); }
    // The failure of a commit, `napaka` as the driver gave it, with the engine's code
    // where the driver leaves it out (Qt's SQLite driver). Call it before anything else
    // runs on the connection.
    virtual QSqlError napakaPotrditve(const QSqlError& napaka) const { return napaka; }

    // Whether the connection no longer reaches its server (it went away, the server ended
    // the session): asked after a statement or a commit failed, with a statement of its own.
    bool povezavaIzgubljena() const;

    // The files in which the database itself lives (SQLite: the file, its write-ahead
    // log, shared memory and journal), absolute and canonical; empty for a server.
    virtual QStringList datotekeBaze() const { return {}; }

    // Whether the short lock wait is a setting of the connection, made before the
    // transaction begins (SQLite's busy timeout), rather than of the transaction.
    virtual bool cakanjePredZacetkom() const { return false; }
    // Whether the transaction takes its snapshot and short lock wait after it begins
    // (a server; SQLite holds the write lock from the start).
    virtual bool posnetekPoZacetku() const { return true; }
    // Whether a commit may find readers in its way and is then tried again (SQLite
    // keeps the transaction open).
    virtual bool potrditevCakaBralce() const { return false; }
    // Whether the connection reaches a server that can go away (not a file).
    virtual bool streznik() const { return true; }

protected:
    explicit Pogon(const QSqlDatabase& baza) : m_baza(baza) {}

    // What the translation rewrites on this engine beyond the common forms.
    virtual PravilaPrevoda pravilaPrevoda() const { return {}; }
    // Whether the connection is gone, once `poskus` (a statement that needs no table)
    // has failed on it: the driver's error says so.
    virtual bool izgubljenaPoNeuspehu(const QSqlQuery& poskus) const;

private:
    QSqlDatabase m_baza;
};
